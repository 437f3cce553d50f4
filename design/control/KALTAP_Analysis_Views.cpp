// SPDX-License-Identifier: GPL-3.0-or-later
#include "KALTAP_Analysis_Views.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <string>
#include <vector>

#include "Fortran_Format.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Filter_Analysis.h"
#include "KALTAP_Frequency_Plots.h"
#include "KALTAP_Weight_Export.h"
#include "Program_Stop.h"
#include "Progress.h"
#include "UIK_Call_Interface.h"
#include "UIK_Plot_Kinds_Interface.h"
#include "Unit_IO.h"

const char* const KALTAP_View_Menu = "View";
const char* const KALTAP_Analysis_View_Items[6] = {
    "Impulse Response", "Step Response", "Phase Response (Radians)", "Phase Response (Degrees)", "Group Delay", "Zeros",
};

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double Degrees_Per_Radian = 180.0 / Pi;
const char* const Frequency_Axis = "f/(sample rate)";
const char* const Sample_Axis = "Sample n";
const char* const Curve_Data_Type = "REAL*8";
constexpr int Values_Per_Point = 2;

// Stems end in a dot; rounded taps and zeros are crosses, designed zeros dots.
constexpr int Dot_Symbol = 0;    // ellipse
constexpr int Cross_Symbol = 9;  // diagonal cross
constexpr int Stem_Dot_Size = 5;
constexpr int Zero_Mark_Size = 8;  // and the rounded taps' crosses
constexpr unsigned Unit_Circle_Colour = 0x808080u;
constexpr int Unit_Circle_Points = 361;  // one per degree, closed
constexpr unsigned Polar_Background = 0xffffffu;

bool items_added = false;

struct View_Look {
    const char* title;
    const char* x_axis;
    const char* y_axis;
    int curve_style;
};

// In the order of KALTAP_Analysis_View (Zeros on the polar plot: its title only).
const View_Look Looks[] = {
    {"Impulse Response", Sample_Axis, "Impulse response h(n)", UIK_Curve_Sticks},
    {"Step Response", Sample_Axis, "Step response s(n)", UIK_Curve_Steps},
    {"Phase Response", Frequency_Axis, "Phase, radians", UIK_Curve_Lines},
    {"Phase Response", Frequency_Axis, "Phase, degrees", UIK_Curve_Lines},
    {"Group Delay", Frequency_Axis, "Group delay, samples", UIK_Curve_Lines},
    {"Zeros in the z-Plane", "", "", UIK_Curve_None},
};
const View_Look& Look_Of(KALTAP_Analysis_View view) { return Looks[static_cast<int>(view)]; }

void Add_Row(std::vector<double>& rows, double x, double y) {
    rows.push_back(x);
    rows.push_back(y);
}

// Rows of a view over the samples n = 0..N-1.
std::vector<double> Sample_Rows(const std::vector<double>& values) {
    std::vector<double> rows;
    rows.reserve(values.size() * Values_Per_Point);
    for (std::size_t n = 0; n < values.size(); ++n) Add_Row(rows, static_cast<double>(n), values[n]);
    return rows;
}

// Rows of a view over the frequencies, leaving out the points where the
// value is undefined (the response is zero there).
std::vector<double> Frequency_Rows(const std::vector<double>& f, const std::vector<double>& values, double scale) {
    std::vector<double> rows;
    rows.reserve(f.size() * Values_Per_Point);
    for (std::size_t i = 0; i < f.size(); ++i)
        if (std::isfinite(values[i])) Add_Row(rows, f[i], scale * values[i]);
    return rows;
}

// The zeros as polar rows (azimuth in degrees, radius), those at z = 0 included.
std::vector<double> Zero_Rows(const KALTAP_Zeros& zeros) {
    std::vector<double> rows;
    for (const std::complex<double>& z : zeros.zeros) Add_Row(rows, std::arg(z) * Degrees_Per_Radian, std::abs(z));
    for (int k = 0; k < zeros.at_origin; ++k) Add_Row(rows, 0.0, 0.0);
    return rows;
}

// What the zeros view leaves out, for the console; empty when it shows all.
std::string Zeros_Caveat(const KALTAP_Zeros& zeros, int length, const std::string& whose) {
    if (zeros.all) return {};
    if (length > KALTAP_Zeros_Length_Limit)
        return "Zeros of " + whose + ": " + FMT_Free(length) + " taps are more than the " +
               FMT_Free(KALTAP_Zeros_Length_Limit) +
               " whose zeros can be found reliably; the view shows only the zeros on the unit circle.";
    return "Zeros of " + whose + ": the zeros found did not pass the check (reciprocal pairs or residual off by " +
           FMT_Free(zeros.check) + "); the view shows only the zeros on the unit circle.";
}

void Require_Design() {
    if (!KALTAP_Export_Available()) {
        UNIT_Write(UNIT_Standard_Output,
                   "###Error in KALTAP_Analysis_View, called with KALTAP_Filter_Weights_Valid==.FALSE.");
        KALTAP_Stop();
    }
}

void Write_XY(int unit, const std::vector<double>& rows, UIK_XYSeries_Record series) {
    UIK_writeXYPlot(unit, rows.data(), Curve_Data_Type, static_cast<int>(rows.size() / Values_Per_Point),
                    Values_Per_Point, series);
}

void Write_Polar(int unit, const std::vector<double>& rows, const std::string& label, unsigned colour, int style,
                 int symbol, int size) {
    UIK_PolarSeries_Record series;
    series.curveLabel.set(label);
    series.curveColor = colour;
    series.dotColor = colour;
    series.curveStyle = style;
    series.symbolStyle = symbol;
    series.dotSize = size;
    UIK_writePolarPlot(unit, rows.data(), Curve_Data_Type, static_cast<int>(rows.size() / Values_Per_Point),
                       Values_Per_Point, series);
}

// The taps to show: the designed ones, and the rounded ones when the design
// is quantized, each with its label and colour.
struct Shown_Taps {
    std::vector<double> h;
    std::string label;
    unsigned colour;
};
std::vector<Shown_Taps> Taps_To_Show() {
    const KALTAP_Export_Design design = KALTAP_Export_Snapshot();
    std::vector<Shown_Taps> shown{{design.taps, "FIR Filter", KALTAP_Filter_Curve_Colour}};
    if (design.quantized)
        shown.push_back({design.rounded_taps, KALTAP_Rounded_Label(design.bits), KALTAP_Quantized_Curve_Colour});
    return shown;
}

void Show_Zeros(const std::vector<Shown_Taps>& shown) {
    // Every set of zeros is found before the window opens.
    std::vector<KALTAP_Zeros> zeros;
    {
        KALTAP_Progress_Scope progress("Zeros of " + FMT_Free(static_cast<int>(shown.front().h.size())) + " taps");
        for (const Shown_Taps& taps : shown) {
            KALTAP_Check_Stop();
            zeros.push_back(KALTAP_Filter_Zeros(taps.h));
        }
    }
    UIK_PolarPlot_Record plot;
    plot.windowTitle.set(Look_Of(KALTAP_Analysis_View::Zeros).title);
    plot.chartBackgroundColor = Polar_Background;
    UIK_createPolarPlot(plot);
    std::vector<double> circle;
    for (int k = 0; k < Unit_Circle_Points; ++k) Add_Row(circle, static_cast<double>(k), 1.0);
    Write_Polar(plot.unit, circle, "Unit circle", Unit_Circle_Colour, UIK_Curve_Lines, -1, 0);
    for (std::size_t k = 0; k < shown.size(); ++k) {
        const bool designed = k == 0;
        const std::string label = shown[k].label + (zeros[k].all ? "" : ", on the unit circle only");
        Write_Polar(plot.unit, Zero_Rows(zeros[k]), label, shown[k].colour, UIK_Curve_None,
                    designed ? Dot_Symbol : Cross_Symbol, Zero_Mark_Size);
        const std::string caveat = Zeros_Caveat(zeros[k], static_cast<int>(shown[k].h.size()), shown[k].label);
        if (!caveat.empty()) UNIT_Write(UNIT_Standard_Output, caveat);
    }
}

// The rows (x, y) of one curve of an XY view for the taps h.
std::vector<double> Analysis_Rows(KALTAP_Analysis_View view, const std::vector<double>& h) {
    switch (view) {
        case KALTAP_Analysis_View::Impulse: return Sample_Rows(h);
        case KALTAP_Analysis_View::Step: return Sample_Rows(KALTAP_Step_Response(h));
        case KALTAP_Analysis_View::Phase_Radians:
        case KALTAP_Analysis_View::Phase_Degrees: {
            const KALTAP_Phase_Delay response = KALTAP_Phase_And_Group_Delay(h, KALTAP_Analysis_Points);
            return Frequency_Rows(response.frequency, response.phase,
                                  view == KALTAP_Analysis_View::Phase_Degrees ? Degrees_Per_Radian : 1.0);
        }
        case KALTAP_Analysis_View::Group_Delay: {
            const KALTAP_Phase_Delay response = KALTAP_Phase_And_Group_Delay(h, KALTAP_Analysis_Points);
            return Frequency_Rows(response.frequency, response.group_delay, 1.0);
        }
        case KALTAP_Analysis_View::Zeros: break;  // a polar view: Show_Zeros
    }
    return {};
}

void Show_XY(KALTAP_Analysis_View view, const std::vector<Shown_Taps>& shown) {
    const View_Look& look = Look_Of(view);
    // Every curve is computed before the window opens.
    std::vector<std::vector<double>> rows;
    for (const Shown_Taps& taps : shown) rows.push_back(Analysis_Rows(view, taps.h));
    UIK_XYPlot_Record plot = KALTAP_Plot_Record(look.title, look.x_axis, look.y_axis);
    if (view == KALTAP_Analysis_View::Group_Delay) {
        // A constant delay on an automatic scale would blow its last digits
        // up to the height of the plot.
        double low = 0.0, high = std::max(1.0, static_cast<double>(shown.front().h.size()) - 1.0);
        for (const auto& curve : rows)
            for (std::size_t i = 1; i < curve.size(); i += Values_Per_Point) {
                low = std::min(low, curve[i]);
                high = std::max(high, curve[i]);
            }
        plot.yScaleLB = low;
        plot.yScaleUB = high;
    }
    UIK_createXYPlot(plot);
    for (std::size_t k = 0; k < shown.size(); ++k) {
        UIK_XYSeries_Record series = KALTAP_Plot_Series(shown[k].label, shown[k].colour);
        series.curveStyle = look.curve_style;
        series.fittedCurve = 0;
        if (view == KALTAP_Analysis_View::Impulse) {
            // The rounded taps as crosses on the designed taps' stems.
            const bool designed = k == 0;
            series.curveStyle = designed ? UIK_Curve_Sticks : UIK_Curve_None;
            series.symbolStyle = designed ? Dot_Symbol : Cross_Symbol;
            series.dotColor = shown[k].colour;
            series.dotSize = designed ? Stem_Dot_Size : Zero_Mark_Size;
        }
        Write_XY(plot.unit, rows[k], series);
    }
}

template <KALTAP_Analysis_View view>
int View_Action() {
    KALTAP_Run_Program([] { KALTAP_Show_Analysis_View(view); });
    return 0;
}

const UIK_Callback Actions[] = {
    View_Action<KALTAP_Analysis_View::Impulse>,       View_Action<KALTAP_Analysis_View::Step>,
    View_Action<KALTAP_Analysis_View::Phase_Radians>, View_Action<KALTAP_Analysis_View::Phase_Degrees>,
    View_Action<KALTAP_Analysis_View::Group_Delay>,   View_Action<KALTAP_Analysis_View::Zeros>,
};

}  // namespace

void KALTAP_Show_Analysis_View(KALTAP_Analysis_View view) {
    Require_Design();
    const std::vector<Shown_Taps> shown = Taps_To_Show();
    if (view == KALTAP_Analysis_View::Zeros)
        Show_Zeros(shown);
    else
        Show_XY(view, shown);
}

void KALTAP_Add_View_Menu() {
    for (int k = 0; k < 6; ++k) UIK_addMenu(UNIT_Console, KALTAP_View_Menu, KALTAP_Analysis_View_Items[k], Actions[k]);
    items_added = true;
    KALTAP_Update_View_Menu();
}

void KALTAP_Reset_View_Menu() { items_added = false; }

void KALTAP_Update_View_Menu() {
    if (!items_added) return;
    KALTAP_Run_Program([] {
        const bool available = KALTAP_Export_Available();
        for (const char* item : KALTAP_Analysis_View_Items)
            UIK_enableMenuItem(UNIT_Console, KALTAP_View_Menu, item, available);
    });
}
