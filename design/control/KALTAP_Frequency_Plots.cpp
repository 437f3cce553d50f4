// SPDX-License-Identifier: GPL-3.0-or-later
#include "KALTAP_Frequency_Plots.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "Fortran_Format.h"
#include "KALTAP_Amplitude_Response.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Output.h"
#include "KALTAP_Uniform_Response.h"
#include "KALTAP_Weight_Quantization.h"
#include "Parallel_Work.h"
#include "Program_Stop.h"
#include "Run_Logging.h"
#include "Unit_IO.h"

bool Plot_Centred_Views = true;
bool Plot_Triple_Views = true;

namespace {

// ---- Look of every plot ----
constexpr unsigned Plot_Background = 0xffe8e8e8u;  // light grey
constexpr int Linear_Scale = 0;
constexpr double Automatic_Scale = -1.0;  // bounds and steps chosen by the plot
constexpr int Grid_Lines_On = 1;
const char* const Frequency_Axis = "f/(sample rate)";
const char* const Decibel_Axis = "Response, dB";
const char* const Linear_Axis = "Linear Response";

// ---- Look of every curve ----
constexpr unsigned Previous_Curve_Colour = 0xa0a0a0u;  // grey
constexpr unsigned Dot_Colour = 0xdc143cu;
constexpr int Curve_Width = 1;
constexpr int Dot_Size = 6;
constexpr int No_Point_Symbols = -1;
constexpr int Fitted_Curve = 1;
const char* const Curve_Data_Type = "REAL*8";
constexpr int Values_Per_Point = 2;  // frequency, response

// Decibels: 20*log10 of the magnitude, floored so that a perfect zero of the
// response plots at the floor instead of minus infinity: -100 dB, or deeper
// for a design whose bands go deeper (the response file's floor).
constexpr double Log10_of_e = 0.4342944819032518;
double Response_Floor = 1.0e-5;  // set for each curve from the design

enum class Response_Scale { Decibels, Linear };

// The frequency range of a view and how f_i follows from i and P.
enum class Frequency_Span {
    Half_Band,         // f_i = i/(2P): 0 to 0.5 (the points of the response file)
    Half_Band_Linear,  // f_i = 0.5*i/P: 0 to 0.5
    Centred,           // f_i = i/P - 0.5: -0.5 to 0.5
    Triple             // f_i = 3i/P - 1.5: -1.5 to 1.5
};

struct Plot_View {
    const char* routine;  // for error lines
    const char* title;
    Response_Scale scale;
    int intervals_per_grid;  // P = intervals_per_grid * N * Search_Grid_Density
    Frequency_Span span;
    const char* file;
};

// In the order of KALTAP_Plot_View.
const Plot_View Views[] = {
    {"KALTAP_Plot_Frequency_Response", "Frequency Response", Response_Scale::Decibels, 1, Frequency_Span::Half_Band,
     "plot_1X.png"},
    {"KALTAP_Plot_Centred_dB", "Frequency Response Centered at Zero Frequency", Response_Scale::Decibels, 2,
     Frequency_Span::Centred, "plot_2X.png"},
    {"KALTAP_Plot_Triple_dB", "Frequency Response over Three Times Sample Rate", Response_Scale::Decibels, 3,
     Frequency_Span::Triple, "plot_3X.png"},
    {"KALTAP_Plot_Linear_Half", "Frequency Response", Response_Scale::Linear, 2, Frequency_Span::Half_Band_Linear,
     "plot_1XL.png"},
    {"KALTAP_Plot_Centred_Linear", "Frequency Response Centered at Zero Frequency", Response_Scale::Linear, 2,
     Frequency_Span::Centred, "plot_2XL.png"},
    {"KALTAP_Plot_Triple_Linear", "Frequency Response over Three Times Sample Rate", Response_Scale::Linear, 3,
     Frequency_Span::Triple, "plot_3XL.png"},
};
const Plot_View& View_Of(KALTAP_Plot_View view) { return Views[static_cast<int>(view)]; }

// Number of unique taps the response reads: w(1 .. ceil(N/2)).
int Unique_Taps() { return (Number_of_Weights + 1) / 2; }

// The plots read the design state as it is; a design that is not finished, or
// a state whose sizes no longer fit its weights, would plot undefined memory.
// Such a call is an internal error: error line on the console and a stop.
void Check_Design_State(const char* routine) {
    if (!KALTAP_Filter_Weights_Valid) {
        UNIT_Write(UNIT_Standard_Output,
                   std::string("###Error in ") + routine + ", called with KALTAP_Filter_Weights_Valid==.FALSE.");
        KALTAP_Stop();
    }
    if (Number_of_Weights < 1 || Search_Grid_Density < 1 || Filter_Weights.extent() < Unique_Taps()) {
        UNIT_Write(UNIT_Standard_Output,
                   std::string("###Error in ") + routine +
                       ", design state does not fit the weights: Number_of_Weights = " + FMT_Free(Number_of_Weights) +
                       ", Search_Grid_Density = " + FMT_Free(Search_Grid_Density) +
                       ", Filter_Weights extent = " + FMT_Free(Filter_Weights.extent()));
        KALTAP_Stop();
    }
}

// True when the rounded weights are the quantization of the weights now in
// the design state with KALTAP_Bits bits. The new-design initialisation
// clears Weights_Quantized, but a redesign through KALTAP_Design alone leaves
// it set (with KALTAP_Bits reset to -1), and KALTAP_Bits may be changed after
// quantizing. The quantizer sets Scale_Factor = (2^(B-1) - 1) / max|H(i)|, so
// a scale factor that does not match the current weights and bits shows that
// the rounded weights belong to something else.
bool Quantization_Of_Current_Design() {
    if (!Weights_Quantized) return false;
    const int M = Unique_Taps();
    const int B = KALTAP_Bits;
    if (Rounded_Weights.extent() != M || B < KALTAP_Minimum_Bits || B > KALTAP_Maximum_Bits) return false;
    double largest = 0.0;
    for (int i = 1; i <= M; ++i) largest = std::max(largest, std::fabs(Filter_Weights(i)));
    if (!(largest > 0.0)) largest = 1.0;  // the quantizer's scale for an all-zero filter
    const double expected = (std::ldexp(1.0, B - 1) - 1.0) / largest;
    constexpr double Scale_Tolerance = 1.0e-12;  // relative; the quantizer computes it the same way
    return std::fabs(Scale_Factor - expected) <= Scale_Tolerance * expected;
}

// Frequency f_i of a view with P intervals, computed from i itself so that
// no rounding error accumulates along the axis.
double View_Frequency(Frequency_Span span, int i, int P) {
    const double x = static_cast<double>(i), p = static_cast<double>(P);
    switch (span) {
        case Frequency_Span::Half_Band: return x / (2.0 * p);
        case Frequency_Span::Half_Band_Linear: return 0.5 * x / p;
        case Frequency_Span::Centred: return x / p - 0.5;
        case Frequency_Span::Triple: return 3.0 * x / p - 1.5;
    }
    return 0.0;
}

// The same frequencies as f_i = f0 + a*i/L, the form the transform takes.
struct Frequency_Grid {
    double f0;
    long long a, L;
};
Frequency_Grid View_Grid(Frequency_Span span, int P) {
    switch (span) {
        case Frequency_Span::Half_Band:
        case Frequency_Span::Half_Band_Linear: return {0.0, 1, 2LL * P};
        case Frequency_Span::Centred: return {-0.5, 1, P};
        case Frequency_Span::Triple: return {-1.5, 3, P};
    }
    return {0.0, 1, 2LL * P};
}

// Intervals P of a view for the design state.
long long View_Intervals(const Plot_View& view) {
    return static_cast<long long>(view.intervals_per_grid) * Number_of_Weights * Search_Grid_Density;
}

// Steps 1 of every plot: the plot record and a new plot window.
UIK_XYPlot_Record Create_Plot(const Plot_View& view) {
    UIK_XYPlot_Record plot = KALTAP_Plot_Record(view.title, Frequency_Axis,
                                                view.scale == Response_Scale::Decibels ? Decibel_Axis : Linear_Axis);
    UIK_createXYPlot(plot);
    return plot;
}

// The value a decibel view shows for the amplitude A.
double Decibels(double A) { return 20.0 * Log10_of_e * std::log(std::max(std::fabs(A), Response_Floor)); }

// Points converted to values on one core before the work is split over two:
// each takes some tens of nanoseconds.
constexpr int Points_Worth_Splitting = 20000;

}  // namespace

const unsigned KALTAP_Filter_Curve_Colour = 0x228b22u;     // forest green
const unsigned KALTAP_Quantized_Curve_Colour = 0x8b0000u;  // dark red

UIK_XYPlot_Record KALTAP_Plot_Record(const std::string& title, const std::string& x_axis, const std::string& y_axis) {
    UIK_XYPlot_Record plot;
    plot.windowTitle.set(title);
    plot.xAxisName.set(x_axis);
    plot.yAxisName.set(y_axis);
    plot.chartBackgroundColor = Plot_Background;
    plot.xScaleType = Linear_Scale;
    plot.yScaleType = Linear_Scale;
    plot.xScaleUB = plot.xScaleLB = plot.xScaleStep = Automatic_Scale;
    plot.yScaleUB = plot.yScaleLB = plot.yScaleStep = Automatic_Scale;
    plot.showHgridLines = Grid_Lines_On;
    plot.showVgridLines = Grid_Lines_On;
    return plot;
}

UIK_XYSeries_Record KALTAP_Plot_Series(const std::string& label, unsigned colour) {
    UIK_XYSeries_Record series;
    series.curveLabel.set(label);
    series.curveColor = colour;
    series.curveLineWidth = Curve_Width;
    series.dotColor = Dot_Colour;
    series.dotSize = Dot_Size;
    series.symbolStyle = No_Point_Symbols;
    series.fittedCurve = Fitted_Curve;
    return series;
}

std::string KALTAP_Rounded_Label(int bits) { return "Rounded to " + FMT_Free(bits) + " Bits"; }

// Steps 2 and 3: rows (f_i, response) for i = 0..P of the filter whose unique
// taps are w, in decibels or linear with sign.
std::vector<double> KALTAP_Plot_Curve_Rows(KALTAP_Plot_View which, const Array1<double>& w) {
    KALTAP_Check_Stop();
    Response_Floor = KALTAP_Response_Floor();
    const Plot_View& view = View_Of(which);
    const int P = static_cast<int>(View_Intervals(view));
    const int points = P + 1;
    std::vector<double> rows(static_cast<std::size_t>(points) * Values_Per_Point);
    for (int i = 0; i <= P; ++i) rows[Values_Per_Point * i] = View_Frequency(view.span, i, P);

    // The amplitudes go into the value column, then become values. The
    // transform takes every grid of the views; the direct sum is left for
    // taps or values it cannot take (not finite).
    const Frequency_Grid grid = View_Grid(view.span, P);
    const bool symmetric = PMC_DCT_Type == 1 || PMC_DCT_Type == 2;
    if (!KALTAP_Uniform_Response(w, Number_of_Weights, symmetric, grid.f0, grid.a, grid.L, points, rows.data() + 1,
                                 Values_Per_Point)) {
        std::vector<double> f(static_cast<std::size_t>(points)), A(static_cast<std::size_t>(points));
        for (int i = 0; i < points; ++i) f[i] = rows[Values_Per_Point * i];
        KALTAP_Amplitude_Response_Many(f.data(), points, w, Number_of_Weights, symmetric, A.data());
        for (int i = 0; i < points; ++i) rows[Values_Per_Point * i + 1] = A[i];
    }
    if (view.scale == Response_Scale::Decibels)
        KALTAP_Parallel_For(0, points - 1, Points_Worth_Splitting, [&](int lo, int hi) {
            for (int i = lo; i <= hi; ++i) rows[Values_Per_Point * i + 1] = Decibels(rows[Values_Per_Point * i + 1]);
        });
    return rows;
}

namespace {

// Step 4 (first half): one curve into the plot.
void Write_Curve(const UIK_XYPlot_Record& plot, const std::vector<double>& rows, const std::string& label,
                 unsigned colour) {
    UIK_writeXYPlot(plot.unit, rows.data(), Curve_Data_Type, static_cast<int>(rows.size() / Values_Per_Point),
                    Values_Per_Point, KALTAP_Plot_Series(label, colour));
}

// ---- The previous design in the main plot ----
//
// The main plot of a design shows, beneath its own curve, the design the
// main plot showed before it in this run, as a thin grey curve the user may
// hide. Designs are told apart by their taps: the preview and the saved plot
// of one design show the same previous design, and the saved plot takes its
// curve from the preview instead of computing it again.
struct Shown_Design {
    int length = 0;
    int linear_phase_case = 0;
    int grid_density = 0;
    std::vector<double> unique_taps;  // w(1..(N+1)/2)
    std::vector<double> rows;         // its main-plot curve
    std::string label;                // "Previous: 41 taps, bands 0-0.2, 0.25-0.5"
};
std::optional<Shown_Design> last_shown, previous_shown;

// Longer labels name the number of bands instead of their edges.
constexpr std::size_t Longest_Previous_Label = 100;

std::string Previous_Label() {
    const std::string head = "Previous: " + FMT_Free(Number_of_Weights) + " taps, ";
    std::string edges;
    for (int k = 1; k <= Number_of_Bands && 2 * k <= Band_Edges.extent(); ++k)
        edges += (k > 1 ? ", " : "") + FMT_Free(Band_Edges(2 * k - 1)) + "-" + FMT_Free(Band_Edges(2 * k));
    const std::string label = head + (Number_of_Bands == 1 ? "band " : "bands ") + edges;
    return label.size() <= Longest_Previous_Label ? label : head + FMT_Free(Number_of_Bands) + " bands";
}

std::vector<double> Current_Unique_Taps() {
    std::vector<double> taps(static_cast<std::size_t>(Unique_Taps()));
    for (int i = 1; i <= Unique_Taps(); ++i) taps[i - 1] = Filter_Weights(i);
    return taps;
}

// True when the design in the state is the one the main plot showed last.
bool Shown_Last(const std::vector<double>& taps) {
    return last_shown && last_shown->length == Number_of_Weights && last_shown->linear_phase_case == PMC_DCT_Type &&
           last_shown->grid_density == Search_Grid_Density && last_shown->unique_taps == taps;
}

// The main-plot rows of the design in the state, noted as the design shown
// last; the design shown before it becomes the previous one.
std::vector<double> Main_Rows() {
    std::vector<double> taps = Current_Unique_Taps();
    if (Shown_Last(taps)) {
        KALTAP_Check_Stop();
        return last_shown->rows;
    }
    std::vector<double> rows = KALTAP_Plot_Curve_Rows(KALTAP_Plot_View::Main_dB, Filter_Weights);
    previous_shown = std::move(last_shown);
    last_shown = Shown_Design{Number_of_Weights, PMC_DCT_Type, Search_Grid_Density,
                              std::move(taps),   rows,         Previous_Label()};
    return rows;
}

void Write_Previous(const UIK_XYPlot_Record& plot) {
    if (!previous_shown) return;
    UIK_XYSeries_Record series = KALTAP_Plot_Series(previous_shown->label, Previous_Curve_Colour);
    series.hideItem.set(KALTAP_Hide_Previous_Item);
    UIK_writeXYPlot(plot.unit, previous_shown->rows.data(), Curve_Data_Type,
                    static_cast<int>(previous_shown->rows.size() / Values_Per_Point), Values_Per_Point, series);
}

// One plot: window, the designed filter's curve (and in the main plot the
// rounded weights' curve when they belong to this design), then the image;
// the window is returned. The curve arrays live until the image has been
// saved. An image the window layer could not write stops the run as a failed
// result file does.
UIK_XYPlot_Record Draw_View(KALTAP_Plot_View which, const std::string& filter_label, bool with_quantized_curve) {
    const Plot_View& view = View_Of(which);
    Check_Design_State(view.routine);
    bool quantized = false;
    if (with_quantized_curve && Weights_Quantized) {
        quantized = Quantization_Of_Current_Design();
        if (!quantized)
            UNIT_Write(UNIT_Standard_Output, std::string("***Warning in ") + view.routine +
                                                 ", the rounded weights do not belong to the current design;"
                                                 " their curve is left out.");
    }

    const long long intervals = View_Intervals(view);
    if (intervals >= std::numeric_limits<int>::max()) {
        UNIT_Write(UNIT_Standard_Output,
                   std::string("###Error in ") + view.routine + ", too many plot points: " + FMT_Free(intervals + 1));
        KALTAP_Stop();
    }

    UIK_XYPlot_Record plot = Create_Plot(view);

    // Both curves are computed before either is written.
    const std::vector<double> filter_rows = which == KALTAP_Plot_View::Main_dB
                                                ? Main_Rows()
                                                : KALTAP_Plot_Curve_Rows(which, Filter_Weights);
    std::vector<double> quantized_rows;
    if (quantized) quantized_rows = KALTAP_Plot_Curve_Rows(which, Rounded_Weights);

    Write_Curve(plot, filter_rows, filter_label, KALTAP_Filter_Curve_Colour);
    if (quantized) Write_Curve(plot, quantized_rows, KALTAP_Rounded_Label(KALTAP_Bits), KALTAP_Quantized_Curve_Colour);
    // The image belongs to the design's set of files: same stem as its CSV files.
    const std::string file = FMT_Trim(KALTAP_File_Stamp()) + view.file;
    if (UIK_saveWindowContents(plot, file) != 0) RUN_LOG_Save_Failure(view.routine, file, UIK_Save_Failure_Reason());
    return plot;
}

}  // namespace

const char* const KALTAP_Hide_Previous_Item = "Hide Previous Design";

void KALTAP_Plot_Frequency_Response() {
    const UIK_XYPlot_Record plot = Draw_View(KALTAP_Plot_View::Main_dB, "FIR Filter", true);
    // After the image is saved: the file is this design's alone.
    Write_Previous(plot);
}

int KALTAP_Plot_Preview() {
    const Plot_View& view = View_Of(KALTAP_Plot_View::Main_dB);
    Check_Design_State(view.routine);
    UIK_XYPlot_Record plot = Create_Plot(view);
    Write_Curve(plot, Main_Rows(), "FIR Filter", KALTAP_Filter_Curve_Colour);
    Write_Previous(plot);
    return plot.unit;
}

void KALTAP_Forget_Shown_Designs() {
    last_shown.reset();
    previous_shown.reset();
}

void KALTAP_Plot_Centred_dB() { Draw_View(KALTAP_Plot_View::Centred_dB, "", false); }

void KALTAP_Plot_Triple_dB() { Draw_View(KALTAP_Plot_View::Triple_dB, "", false); }

void KALTAP_Plot_Linear_Half() { Draw_View(KALTAP_Plot_View::Linear_Half, "", false); }

void KALTAP_Plot_Centred_Linear() { Draw_View(KALTAP_Plot_View::Centred_Linear, "", false); }

void KALTAP_Plot_Triple_Linear() { Draw_View(KALTAP_Plot_View::Triple_Linear, "", false); }

void KALTAP_Plot_dB_Views() {
    if (Plot_Triple_Views) KALTAP_Plot_Triple_dB();
    if (Plot_Centred_Views) KALTAP_Plot_Centred_dB();
}

void KALTAP_Plot_Linear_Views() {
    if (Plot_Triple_Views) KALTAP_Plot_Triple_Linear();
    if (Plot_Centred_Views) KALTAP_Plot_Centred_Linear();
    KALTAP_Plot_Linear_Half();
}
