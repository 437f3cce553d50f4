// SPDX-License-Identifier: GPL-3.0-or-later
#include "KALTAP_Equalizer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

#include "Cubic_Spline_Interpolation.h"
#include "Dynamic_LUN.h"
#include "Fortran_Format.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "KALTAP_UI_UIK.h"
#include "Program_Stop.h"
#include "Run_Logging.h"
#include "UIK_Error_Message.h"
#include "Unit_IO.h"

std::string Equalizer_File_Name = "Equalizer.csv";
int Equalizer_Count = 0;
double Equalizer_First_Frequency = 0.0;
double Equalizer_Last_Frequency = 0.0;
double Equalizer_Pause_Seconds = 1.0;

UIK_FileField_Record Equalizer_File_Field;
UIK_XYPlot_Record Equalizer_Plot;
UIK_XYSeries_Record Equalizer_Series;

namespace {

constexpr int Equalizer_First_Unit = 41;  // the allocator's start for the equalizer input
constexpr int Equalizer_Filter_Type = 4;
constexpr int Heading_Length = 20;  // column headings are cut to this
constexpr int Minimum_Data_Points = 3;
constexpr double Small_Peak = 0.0001;  // peak responses below this are warned about
constexpr double Half_Sample_Rate = 0.5;
constexpr double Edge_Tolerance = 0.00001;         // a last frequency this close to 0.5 reaches it
constexpr double Zero_Response_Tolerance = 0.001;  // normalised responses up to this count as zero
// Neighbouring frequencies closer than this fraction of the table's range
// give the spline slopes so steep that it swings far beyond the table's
// responses between them and their neighbours.
constexpr double Closest_Relative_Step = 1.0e-9;
// A spline that swings beyond this many times the table's peak between two
// rows (rows much closer than their neighbours, with a change of response
// between them) is warned about: the design follows the swing. A smooth
// table's spline stays within a small multiple of its peak.
constexpr double Swing_Warning_Factor = 10.0;
constexpr int Swing_Samples_Per_Interval = 32;
// Tables starting below this frequency get a zero slope at the left end
// (the response of a symmetric filter is flat at 0), others a natural end.
// The limit is 0.001 as a single-precision number, 0.0010000000474974513,
// so a table starting at exactly 0.001 lies below it.
constexpr double Zero_Slope_Limit = static_cast<double>(0.001f);

// Plot of the fitted response.
constexpr int Plot_Points_Per_Data_Point = 10;
constexpr double Plot_Floor = 1.0e-5;  // -100 dB
constexpr unsigned Plot_Background = 0xE8E8E8;
constexpr unsigned Plot_Curve_Colour = 0x8B0000;
constexpr unsigned Plot_Dot_Colour = 0xDC143C;
constexpr int Plot_Dot_Size = 6;
constexpr int Plot_No_Symbols = -1;
constexpr double Plot_Automatic = -1.0;

// Parameters dialog and its limits (those of the classical filter definition).
constexpr int Weights_Per_Data_Point = 8;
constexpr int Integer_Field_Width = 10;
constexpr int Minimum_Weights = 3;
constexpr int Maximum_Weights = 16385;
constexpr int Minimum_Grid_Density = 4;
constexpr int Least_Grid_Density_Limit = 32;

const char* const Terminated_Text = "Program terminated at user request.";
const char* const Setup_Error_Title = "###Error in KALTAP Equalizer Setup";
const char* const Open_Error_Title = "####Error in KALTAP Equalizer Setup###";
const char* const Data_Error_Title = "###Error in Equalizer Data###";

void write_console(const std::string& line) { UNIT_Write(UNIT_Standard_Output, line); }

// Ends the set-up with the input unit closed (when a file is open on it) and
// handed back to the allocator, so a refused table never leaks a unit.
[[noreturn]] void abandon(int unit, const std::string& stop_text = std::string()) {
    if (UNIT_Is_Open(unit))
        DYNLUN_close(unit);
    else
        DYNLUN_Release(unit);
    KALTAP_Stop(stop_text);
}

// A table refused after it has been read (its unit is already closed).
[[noreturn]] void refuse_data(const std::string& text) {
    UIK_alertBox(Data_Error_Title, text);
    KALTAP_Stop();
}

// Line `line_number` of the file (line 1 holds the headings) cannot be read
// as part of a table: refused while it is read, the file still open.
[[noreturn]] void refuse_line(int unit, int line_number, const std::string& text) {
    UIK_alertBox(Data_Error_Title, "Line " + FMT_Free(line_number) + ": " + text);
    abandon(unit);
}

// The next line of the file, counted in `line_number`. A line too long for
// the reader is refused; otherwise the reader's status.
int read_line(int unit, int& line_number, std::string& line) {
    const int status = UNIT_Read_Line(unit, line);
    if (status == UNIT_OK || status == UNIT_Line_Too_Long) ++line_number;
    if (status == UNIT_Line_Too_Long)
        refuse_line(unit, line_number, "the line is longer than " + FMT_Free(UNIT_File_Line_Limit) + " characters.");
    return status;
}

// The two column headings of line 1: items separated by a comma and/or
// blanks; an item in single or double quotes may hold commas and blanks.
// Missing headings are blank; each is cut to Heading_Length characters.
void split_headings(std::string line, std::string& first, std::string& second) {
    static const std::string byte_order_mark = "\xEF\xBB\xBF";
    if (line.compare(0, byte_order_mark.size(), byte_order_mark) == 0) line.erase(0, byte_order_mark.size());
    std::vector<std::string> items;
    const std::size_t n = line.size();
    std::size_t i = 0;
    auto blank = [&](std::size_t k) { return line[k] == ' ' || line[k] == '\t'; };
    while (i < n && items.size() < 2) {
        while (i < n && blank(i)) ++i;
        if (i >= n) break;
        if (line[i] == '"' || line[i] == '\'') {
            const char quote = line[i++];
            const std::size_t close = line.find(quote, i);
            const std::size_t end = close == std::string::npos ? n : close;
            items.push_back(line.substr(i, end - i));
            i = close == std::string::npos ? n : close + 1;
        } else {
            const std::size_t begin = i;
            while (i < n && line[i] != ',' && !blank(i)) ++i;
            items.push_back(line.substr(begin, i - begin));
        }
        while (i < n && blank(i)) ++i;
        if (i < n && line[i] == ',') ++i;
    }
    items.resize(2);
    first = UIK_Trim_Trailing(items[0].substr(0, Heading_Length));
    second = UIK_Trim_Trailing(items[1].substr(0, Heading_Length));
}

// Reads line 1 (the headings); `line_number` becomes 1. False when it cannot
// be read; refused when it is too long.
bool read_headings(int unit, int& line_number, std::string& first, std::string& second) {
    std::string line;
    line_number = 0;
    if (read_line(unit, line_number, line) != UNIT_OK) return false;
    split_headings(line, first, second);
    return true;
}

// A row written with decimal commas ("1000\t0,5", "1000 0,5", "1000;0,5"),
// which free-format reading would take for other numbers (1000, 0, 5): split
// at runs of blanks, tabs and semicolons it has two fields or more, and one
// of the first two holds a comma between digits and is a number once its
// commas are read as decimal points. Returns that field; "" for any other
// row. Comma-separated rows split into one field there, or into fields that
// are no numbers so ("1000,0.5,note text"); later columns are not looked at.
std::string decimal_comma_field(const std::string& line) {
    auto separator = [](char c) { return c == ' ' || c == '\t' || c == ';' || c == '\r'; };
    std::vector<std::string> fields;
    std::size_t i = 0;
    while (fields.size() < 2) {
        while (i < line.size() && separator(line[i])) ++i;
        if (i >= line.size()) break;
        const std::size_t begin = i;
        while (i < line.size() && !separator(line[i])) ++i;
        fields.push_back(line.substr(begin, i - begin));
    }
    if (fields.size() < 2) return std::string();
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    for (const std::string& field : fields) {
        bool comma_between_digits = false;
        for (std::size_t k = 1; k + 1 < field.size(); ++k)
            if (field[k] == ',' && digit(field[k - 1]) && digit(field[k + 1])) comma_between_digits = true;
        std::string with_points = field;
        std::replace(with_points.begin(), with_points.end(), ',', '.');
        double value = 0.0;
        if (comma_between_digits && UNIT_Parse_Real(with_points, value)) return field;
    }
    return std::string();
}

// One data point: the next two numbers in free format, starting on a new
// line and going on to further lines while fewer than two have been found;
// `line_number` counts the lines read. False when the read fails, with the
// reader's message: end of file, a line that cannot be read, or an item that
// is not a finite number ("nan", "inf" and magnitudes beyond the double range
// are no numbers here). A line too long to read, or one written with decimal
// commas, is refused.
bool read_data_point(int unit, int& line_number, double& frequency, double& response, std::string& message) {
    double values[2] = {0.0, 0.0};
    int found = 0;
    while (found < 2) {
        std::string line;
        const int status = read_line(unit, line_number, line);
        if (status != UNIT_OK) {
            message = (status == UNIT_End_Of_File ? std::string("End of file") : "Read error " + FMT_Free(status)) +
                      " on unit " + FMT_Free(unit) + ", file " + UNIT_File_Name(unit);
            return false;
        }
        const std::string comma_field = decimal_comma_field(line);
        if (!comma_field.empty())
            refuse_line(unit, line_number,
                        "\"" + comma_field + "\" has a decimal comma; write the numbers with decimal points.");
        const std::vector<std::string> items = UNIT_Free_Format_Items(line);
        for (std::size_t k = 0; k < items.size() && found < 2; ++k) {
            double value = 0.0;
            if (!UNIT_Parse_Real(items[k], value) || !std::isfinite(value)) {
                message = "Bad real number in item " + FMT_Free(found + 1) + " of list input, \"" + items[k] +
                          "\", on unit " + FMT_Free(unit) + ", file " + UNIT_File_Name(unit);
                return false;
            }
            values[found++] = value;
        }
    }
    frequency = values[0];
    response = values[1];
    return true;
}

// Data points i and i+1 (rows of the table, numbered as the "Data point"
// console lines) are too close for the spline: the table is refused, and
// the spline, when one was built for it, is released first.
[[noreturn]] void refuse_close_rows(int i) {
    CSINTERP_Release();
    refuse_data("Rows " + FMT_Free(i) + " and " + FMT_Free(i + 1) + ": the frequencies are too close for the spline.");
}

// Where the spline through the normalised table (peak magnitude 1) swings
// farthest from 0 between its rows, sampled Swing_Samples_Per_Interval times
// per interval: the interval's first row (0 without a spline), the
// frequency and |S(f)| there.
struct Spline_Swing {
    int row = 0;
    double frequency = 0.0;
    double magnitude = 0.0;
};
Spline_Swing largest_swing(const Array1<double>& f, int n) {
    Spline_Swing swing;
    for (int i = 1; i < n; ++i)
        for (int j = 1; j < Swing_Samples_Per_Interval; ++j) {
            const double x = f(i) + (f(i + 1) - f(i)) * j / Swing_Samples_Per_Interval;
            const double magnitude = std::fabs(CSINTERP_Evaluate(x));
            if (magnitude > swing.magnitude) swing = {i, x, magnitude};
        }
    return swing;
}

// The first i whose step f(i+1) - f(i) lies below Closest_Relative_Step of
// the range f(n) - f(1), or is not a positive normal number (a zero step
// after scaling, or one below DBL_MIN, whose inverse overflows and whose
// relative precision is lost); 0 when there is none. f is increasing.
int first_unusable_step(const Array1<double>& f, int n) {
    const double least_step = std::max(std::numeric_limits<double>::min(), Closest_Relative_Step * (f(n) - f(1)));
    for (int i = 1; i <= n - 1; ++i)
        if (!(f(i + 1) - f(i) >= least_step)) return i;
    return 0;
}

bool strictly_increasing(const Array1<double>& f, int n) {
    for (int i = 1; i <= n - 1; ++i)
        if (f(i + 1) <= f(i)) return false;
    return true;
}

// Plot of the fitted response in dB over the table's range, M = 10 n + 1
// equally spaced points; then a pause so the user sees it.
void plot_fitted_response(int n, double first, double last) {
    Equalizer_Plot = UIK_XYPlot_Record();
    Equalizer_Plot.windowTitle.set("Equalizer Frequency Response");
    Equalizer_Plot.xAxisName.set("Freqency/(Sample Rate)");
    Equalizer_Plot.yAxisName.set("Amplitude, dB");
    Equalizer_Plot.chartBackgroundColor = Plot_Background;
    Equalizer_Plot.xScaleType = 0;
    Equalizer_Plot.yScaleType = 0;
    Equalizer_Plot.xScaleUB = Equalizer_Plot.xScaleLB = Equalizer_Plot.xScaleStep = Plot_Automatic;
    Equalizer_Plot.yScaleUB = Equalizer_Plot.yScaleLB = Equalizer_Plot.yScaleStep = Plot_Automatic;
    Equalizer_Plot.showHgridLines = 1;
    Equalizer_Plot.showVgridLines = 1;
    UIK_createXYPlot(Equalizer_Plot);

    Equalizer_Series = UIK_XYSeries_Record();
    Equalizer_Series.curveLabel.set("Y");
    Equalizer_Series.curveColor = Plot_Curve_Colour;
    Equalizer_Series.curveLineWidth = 1;
    Equalizer_Series.dotColor = Plot_Dot_Colour;
    Equalizer_Series.dotSize = Plot_Dot_Size;
    Equalizer_Series.symbolStyle = Plot_No_Symbols;
    Equalizer_Series.fittedCurve = 1;

    const int M = Plot_Points_Per_Data_Point * n + 1;
    std::vector<double> rows(2 * static_cast<std::size_t>(M));
    for (int j = 0; j < M; ++j) {
        const double x = first + (last - first) * j / (M - 1);
        rows[2 * static_cast<std::size_t>(j)] = x;
        rows[2 * static_cast<std::size_t>(j) + 1] = 20.0 *
                                                    std::log10(std::max(std::fabs(CSINTERP_Evaluate(x)), Plot_Floor));
    }
    UIK_writeXYPlot(Equalizer_Plot.unit, rows.data(), "REAL*8", M, 2, Equalizer_Series);

    if (Equalizer_Pause_Seconds > 0.0)
        std::this_thread::sleep_for(std::chrono::duration<double>(Equalizer_Pause_Seconds));
}

// The classical check of the two parameters, all faults in one message box.
// A field that could not be read gets its I/O line only. The filter is
// symmetric: with an even number of weights it is zero at half the sample
// rate, so an accepted count is refused there when the table asks for a
// response at 0.5 (`nonzero_at_half_rate`).
bool parameters_acceptable(int weights_status, int weights, int density_status, int density,
                           bool nonzero_at_half_rate) {
    bool acceptable = true;
    Error_Message_Title("Error in Filter Definition");
    auto fault = [&acceptable](const std::string& line) {
        Error_Message_Line(line);
        acceptable = false;
    };
    if (weights_status != UNIT_OK) fault("I/O Error in Field 1:Number of Weights");
    if (density_status != UNIT_OK) fault("I/O Error in Field 2:Search Grid Density");
    const bool weights_in_range = weights >= Minimum_Weights && weights <= Maximum_Weights;
    if (weights_status == UNIT_OK && !weights_in_range) fault("Input Error!  Number of Weights <3 or >16385");
    if (weights_status == UNIT_OK && weights_in_range && weights % 2 == 0 && nonzero_at_half_rate)
        fault("Frequency Response Nonzero at Half Sample Rate for even number of weights.");
    const int limit = std::max((weights_status == UNIT_OK ? weights : 0) / 2 + 1, Least_Grid_Density_Limit);
    if (density_status == UNIT_OK && (density < Minimum_Grid_Density || density > limit))
        fault("Input Error!  Search grid density < 4 or > " + FMT_Free(limit));
    Error_Message_Show();
    return acceptable;
}

// Number of weights (default 8 n + 1) and grid density (default 32), asked
// until both are acceptable; each showing starts from the defaults. An even
// number of weights is refused when `nonzero_at_half_rate`.
void ask_parameters(int n, bool nonzero_at_half_rate) {
    const std::string default_weights = UI_Integer_Text(static_cast<long long>(Weights_Per_Data_Point) * n + 1);
    for (;;) {
        UI_New_Dialog("Fundamental FIR Filter Parameters");
        UI_Add_Line_Edit(UI_Line_Edits[0], "Number of weights", default_weights);
        UI_Add_Line_Edit(UI_Line_Edits[1], "Search Grid Density", "32");
        if (!UI_Show_Dialog()) KALTAP_Stop(Terminated_Text);
        int weights = 0, density = 0;
        const int weights_status = UI_Read_Integer(UI_Line_Edits[0], Integer_Field_Width, weights);
        const int density_status = UI_Read_Integer(UI_Line_Edits[1], Integer_Field_Width, density);
        if (parameters_acceptable(weights_status, weights, density_status, density, nonzero_at_half_rate)) {
            Number_of_Weights = weights;
            Search_Grid_Density = density;
            return;
        }
    }
}

}  // namespace

void KALTAP_Equalizer_Setup() {
    // The equalizer always starts a new design: the previous one is given up
    // before anything of the design state changes, so a set-up that stops
    // (a missing file, a refused table) leaves no design to report.
    KALTAP_Filter_Weights_Valid = false;
    // 1. One band whose response comes from this module.
    Number_of_Bands = 1;
    Type_of_Filter = Equalizer_Filter_Type;

    // 2. The input file.
    const int unit = DYNLUN_Allocate(Equalizer_First_Unit);
    UI_New_Dialog("Input Data File Selection");
    Equalizer_File_Field.title.set("Input data file");
    Equalizer_File_Field.text.set(UIK_Trim_Trailing(Equalizer_File_Name));
    Equalizer_File_Field.defaultDirectory.set("");
    Equalizer_File_Field.placeholder.set("");
    Equalizer_File_Field.mode = 0;  // an existing file
    UIK_addFileField(UI_Dialog.unit, Equalizer_File_Field);
    if (!UI_Show_Dialog()) abandon(unit, Terminated_Text);
    // The whole name of the field is kept (not cut to a shorter length,
    // which would open another file); a blank name fails to open below.
    Equalizer_File_Name = Equalizer_File_Field.text.trimmed();

    // 3. Open it.
    if (UNIT_Open(unit, Equalizer_File_Name, UNIT_Mode::Read) != UNIT_OK) {
        UIK_alertBox(Open_Error_Title, "Can't open " + Equalizer_File_Name);
        abandon(unit);
    }

    // 4.-5. The column headings.
    std::string heading_1, heading_2;
    int line_number = 0;
    if (!read_headings(unit, line_number, heading_1, heading_2)) {
        UIK_alertBox(Setup_Error_Title, "Can't read first line of " + Equalizer_File_Name);
        abandon(unit);
    }
    write_console("Column headings:");
    write_console(heading_1 + ", " + heading_2);

    // 6. Counting pass.
    int n = 0;
    double frequency = 0.0, response = 0.0;
    std::string message;
    while (read_data_point(unit, line_number, frequency, response, message)) {
        n = n + 1;
        write_console("Data point " + FMT_Free(n) + " : " + FMT_Free(frequency) + " " + FMT_Free(response));
    }
    // 7. Why the data ended, when there are too few points.
    if (n < Minimum_Data_Points) write_console(UIK_Trim_Trailing(message));

    // 8. Back to the start, past the headings.
    UNIT_Rewind(unit);
    read_headings(unit, line_number, heading_1, heading_2);

    // 9. At least three points.
    if (n < Minimum_Data_Points) {
        write_console("Data length " + FMT_Free(n));
        abandon(unit);
    }

    // 10. The table itself.
    Equalizer_Count = n;
    Array1<double> f, r;
    f.allocate(n);
    r.allocate(n);
    for (int i = 1; i <= n; ++i) {
        if (!read_data_point(unit, line_number, f(i), r(i), message)) {
            // The file changed between the two passes.
            write_console("###Error in KALTAP_Equalizer_Setup, data point " + FMT_Free(i) +
                          " no longer readable: " + message);
            abandon(unit);
        }
    }
    DYNLUN_close(unit);

    // 11. Checks and normalisation.
    if (f(1) < 0.0) refuse_data("Negative frequencies not allowed.");
    if (!strictly_increasing(f, n)) refuse_data("Frequency data is not monotonic.");
    double largest = r(1), smallest = r(1);
    for (int i = 2; i <= n; ++i) {
        largest = std::max(largest, r(i));
        smallest = std::min(smallest, r(i));
    }
    const double peak = std::max(largest, -smallest);
    if (peak < Small_Peak) {
        UIK_alertBox("***Warning in Equalizer Data***", "Maximum peak frequency response input < 0.0001");
        // An all-zero response has nothing to normalise by; dividing would
        // give every desired value as NaN.
        if (peak == 0.0) refuse_data("Frequency response is zero at every point.");
    }
    for (int i = 1; i <= n; ++i) r(i) = r(i) / peak;
    if (f(n) > Half_Sample_Rate) {
        const double last = f(n);
        for (int i = 1; i <= n; ++i) f(i) = f(i) * Half_Sample_Rate / last;
    }
    // Steps of the (scaled) table: frequencies that merged in the scaling, or
    // lie closer than a billionth of the range or the smallest normal
    // number, cannot carry a spline.
    if (const int close = first_unusable_step(f, n)) refuse_close_rows(close);

    // 12. The range the spline serves.
    Equalizer_First_Frequency = f(1);
    Equalizer_Last_Frequency = f(n);

    // 13. Spline through the normalised table; the engine asks this module
    // for the desired response from now on.
    const int left_end = std::fabs(f(1)) >= Zero_Slope_Limit ? CSINTERP_Given_Second_Derivative : CSINTERP_Given_Slope;
    CSINTERP_Initialization(f, r, n, left_end, CSINTERP_Given_Second_Derivative);
    // A spline that is not finite everywhere would hand the design NaN or
    // infinite desired values: refused before the plot and any design.
    if (const int close = CSINTERP_Unusable_Interval()) refuse_close_rows(close);
    KALTAP_Equalizer_Response_Hook = KALTAP_Equalizer_Response;
    const Spline_Swing swing = largest_swing(f, n);

    // 14. Show the fitted response.
    plot_fitted_response(n, Equalizer_First_Frequency, Equalizer_Last_Frequency);

    // 15.
    Error_Message("Equalizer Initialization Complete", "Select OK to proceed.");

    // 16. Number of weights and grid density. Beyond the table's last
    // frequency the response is 0; a table reaching 0.5 asks for its last
    // (normalised) value there.
    const bool nonzero_at_half_rate = Equalizer_Last_Frequency >= Half_Sample_Rate - Edge_Tolerance &&
                                      std::fabs(r(n)) > Zero_Response_Tolerance;
    ask_parameters(n, nonzero_at_half_rate);

    // 17. The equalizer's run log. The grid spans the table's range only, so
    // a table short of 0..0.5 leaves the rest of the response free.
    RUN_LOG_open("Equalizer_FIR_Design_Log.txt", "FIR Equalizer filter Design, User-Designed Frequency Response");
    if (Equalizer_First_Frequency > 0.0 || Equalizer_Last_Frequency < Half_Sample_Rate)
        RUN_LOG_write("***Warning: the equalizer table covers only the frequencies " +
                      FMT_Free(Equalizer_First_Frequency) + " to " + FMT_Free(Equalizer_Last_Frequency) +
                      " (fractions of the sample rate); the response outside this range is not controlled "
                      "by the design.");
    if (swing.magnitude > Swing_Warning_Factor)
        RUN_LOG_write("***Warning: between rows " + FMT_Free(swing.row) + " and " + FMT_Free(swing.row + 1) +
                      " the spline through the table swings to " + FMT_Trim(FMT_Scientific(swing.magnitude, 9, 2)) +
                      " times the table's peak (at f = " + FMT_Trim(FMT_General_15(swing.frequency)) +
                      "), and the design follows it; rows much closer together than their neighbours make "
                      "the spline swing.");

    // 18. The local table goes; the spline keeps its own copy.
    f.release();
    r.release();
}

void KALTAP_Equalizer_Response(double f, int /*index*/, double& desired, double& weight) {
    if (Equalizer_First_Frequency <= f && f <= Equalizer_Last_Frequency)
        desired = CSINTERP_Evaluate(f);
    else
        desired = 0.0;
    weight = 1.0;
}
