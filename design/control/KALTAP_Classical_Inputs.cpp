// SPDX-License-Identifier: GPL-3.0-or-later
#include "KALTAP_Classical_Inputs.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <string>
#include <vector>

#include "Design_Inputs.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "KALTAP_UI_UIK.h"
#include "Program_Stop.h"
#include "Run_Logging.h"
#include "UIK_Error_Message.h"

namespace {

// Limits of the filter definition.
constexpr int Minimum_Weights = 3;
constexpr int Maximum_Weights = 16385;
constexpr int Minimum_Bands = 1;
constexpr int Maximum_Bands = 129;
constexpr int Minimum_Grid_Density = 4;
constexpr int Smallest_Grid_Density_Limit = 32;

// Limits of a band.
constexpr double Largest_Desired_Magnitude = 1.0;
constexpr double Largest_Weighting = 10000.0;
constexpr double Zero_Response_Tolerance = 0.001;  // desired values up to this count as zero
constexpr double Half_Sample_Rate = 0.5;
constexpr double Edge_Tolerance = 0.00001;  // an edge this close to 0 or 0.5 lies on it

// Field widths read from the dialog texts.
constexpr int Integer_Field_Width = 10;
constexpr int Real_Field_Width = 40;

// Bands per band dialog.
constexpr int Bands_Per_Dialog = 5;

// The three-band band-pass example: stopband 0-0.1, passband 0.2-0.35,
// stopband 0.425-0.5.
const char* const Three_Band_Edges[6] = {"0.0", "0.1", "0.2", "0.35", "0.425", "0.5"};
const char* const Three_Band_Weights[3] = {"10.0", "1.0", "10.0"};
const char* const Three_Band_Desired[3] = {"0.0", "1.0", "0.0"};
constexpr int Example_Bands = 3;

const char* const Filter_Type_Items[3] = {"General band pass design", "Differentiator", "Hilbert Transformer"};
const char* const Definition_Field_Names[3] = {"Number of Weights", "Number of Bands", "Search Grid Density"};

// The line edits and read statuses of the band dialogs, allocated once per
// design after the filter definition is accepted. The call interface keeps
// the addresses of the records until a dialog is answered, so the vectors
// are sized once and never resized while the dialogs are live.
struct Band_Fields {
    std::vector<UIK_LineEdit_Record> edges;    // [2k-2] left edge, [2k-1] right edge of band k
    std::vector<UIK_LineEdit_Record> desired;  // [k-1] desired value of band k
    std::vector<UIK_LineEdit_Record> weights;  // [k-1] weight of band k
    Array1<int> edge_status, desired_status, weight_status;
    bool default_one = true;  // next computed default desired value is 1.0 (else 0.0)
};

void Allocate_Band_Fields(Band_Fields& fields, int bands) {
    fields.edges.assign(static_cast<std::size_t>(2 * bands), UIK_LineEdit_Record());
    fields.desired.assign(static_cast<std::size_t>(bands), UIK_LineEdit_Record());
    fields.weights.assign(static_cast<std::size_t>(bands), UIK_LineEdit_Record());
    fields.edge_status.allocate(2 * bands);
    fields.desired_status.allocate(bands);
    fields.weight_status.allocate(bands);
    for (int i = 1; i <= 2 * bands; ++i) fields.edge_status(i) = 0;
    for (int k = 1; k <= bands; ++k) fields.desired_status(k) = fields.weight_status(k) = 0;
}

// Band k's label and its four line edits, added to the current dialog with
// their defaults: the three-band example, or equal widths and gaps with the
// desired value alternating between 1 and 0.
void KALTAP_Add_Band_Fields(Band_Fields& fields, int k) {
    const int bands = Number_of_Bands;
    const std::size_t left = static_cast<std::size_t>(2 * k - 2), right = left + 1;
    const std::size_t band = static_cast<std::size_t>(k - 1);
    UI_Add_Label("Band " + UI_Integer_Text(k));
    std::string left_text, right_text, desired_text, weight_text;
    if (bands == Example_Bands) {
        left_text = Three_Band_Edges[left];
        right_text = Three_Band_Edges[right];
        desired_text = Three_Band_Desired[band];
        weight_text = Three_Band_Weights[band];
    } else {
        const double slots = 2.0 * bands - 1.0;  // bands and gaps of equal width up to 0.5
        left_text = UI_Real_Text(Half_Sample_Rate * (2 * k - 2) / slots);
        right_text = UI_Real_Text(Half_Sample_Rate * (2 * k - 1) / slots);
        desired_text = fields.default_one ? "1.0" : "0.0";
        fields.default_one = !fields.default_one;
        weight_text = "1.0";
    }
    UI_Add_Line_Edit(fields.edges[left], "Left Band Edge", left_text);
    UI_Add_Line_Edit(fields.edges[right], "Right Band Edge", right_text);
    UI_Add_Line_Edit(fields.desired[band], "Desired Frequency Response", desired_text);
    UI_Add_Line_Edit(fields.weights[band], "Band Weighting", weight_text);
}

// Shows the current band dialog and reads bands first..last into the design
// state, keeping each field's read status. Cancel stops the program.
void KALTAP_Read_Band_Fields(Band_Fields& fields, int first, int last) {
    if (!UI_Show_Dialog()) KALTAP_Stop("Program terminated at user request.");
    for (int k = first; k <= last; ++k) {
        const std::size_t band = static_cast<std::size_t>(k - 1);
        fields.edge_status(2 * k - 1) = UI_Read_Real(fields.edges[2 * band], Real_Field_Width, Band_Edges(2 * k - 1));
        fields.edge_status(2 * k) = UI_Read_Real(fields.edges[2 * band + 1], Real_Field_Width, Band_Edges(2 * k));
        fields.desired_status(k) = UI_Read_Real(fields.desired[band], Real_Field_Width, Band_Desired_Value(k));
        fields.weight_status(k) = UI_Read_Real(fields.weights[band], Real_Field_Width, Band_Weighting(k));
    }
}

// A filter definition as entered, with the read status (0 = read correctly)
// of the number of weights, the number of bands and the grid density. It
// stays apart from the design state until it is accepted, so a refused or
// cancelled definition leaves the previous design whole.
struct Filter_Definition {
    std::array<int, 3> read_status{};
    int type_of_filter = 1;
    int number_of_weights = 0;
    int number_of_bands = 0;
    int search_grid_density = 0;
};

// One showing of the filter-definition dialog with its defaults. False on
// Cancel; otherwise the definition is read into `entered`.
bool Ask_Filter_Definition(Filter_Definition& entered) {
    UI_New_Dialog("Legacy FIR Filter Parameters");
    UI_Add_Radio_Buttons("Select type of filter to design:",
                         std::vector<std::string>(std::begin(Filter_Type_Items), std::end(Filter_Type_Items)), 1);
    UI_Add_Line_Edit(UI_Line_Edits[0], "Number of weights", "42");
    UI_Add_Line_Edit(UI_Line_Edits[1], "Number of Bands (use 1 for differentiator or Hilbert transformer)", "3");
    UI_Add_Line_Edit(UI_Line_Edits[2], "Search Grid Density", "32");
    if (!UI_Show_Dialog()) return false;
    // A field that fails to read keeps the value it had in the design state,
    // as the read into the design state itself would.
    entered.number_of_weights = Number_of_Weights;
    entered.number_of_bands = Number_of_Bands;
    entered.search_grid_density = Search_Grid_Density;
    entered.read_status[0] = UI_Read_Integer(UI_Line_Edits[0], Integer_Field_Width, entered.number_of_weights);
    entered.read_status[1] = UI_Read_Integer(UI_Line_Edits[1], Integer_Field_Width, entered.number_of_bands);
    entered.read_status[2] = UI_Read_Integer(UI_Line_Edits[2], Integer_Field_Width, entered.search_grid_density);
    entered.type_of_filter = UI_Radio_Buttons.selected;
    return true;
}

// Checks a filter definition. read_status holds the read status (0 = read
// correctly) of the number of weights, the number of bands and the grid
// density. Every fault adds one line to a single message box titled "Error in
// Filter Definition", shown before returning when it has lines (Cancel in it
// stops the program). True when no line was added.
bool KALTAP_Check_Filter_Definition(const std::array<int, 3>& read_status, int type_of_filter, int number_of_weights,
                                    int number_of_bands, int search_grid_density) {
    bool acceptable = true;
    auto line = [&acceptable](const std::string& text) {
        Error_Message_Line(text);
        acceptable = false;
    };
    Error_Message_Title("Error in Filter Definition");
    for (int n = 1; n <= 3; ++n)
        if (read_status[static_cast<std::size_t>(n - 1)] != 0)
            line("I/O Error in Field " + UI_Integer_Text(n) + ":" + Definition_Field_Names[n - 1]);
    if (number_of_weights < Minimum_Weights || number_of_weights > Maximum_Weights)
        line("Input Error!  Number of Weights <3 or >16385");
    if (number_of_bands < Minimum_Bands || number_of_bands > Maximum_Bands)
        line("Input Error!  Number of Bands < 1 or > 129");
    const int density_limit = std::max(number_of_weights / 2 + 1, Smallest_Grid_Density_Limit);
    if (search_grid_density < Minimum_Grid_Density || search_grid_density > density_limit)
        line("Input Error!  Search grid density < 4 or > " + UI_Integer_Text(density_limit));
    if (type_of_filter != 1 && number_of_bands > 1)
        line(UI_Integer_Text(number_of_bands) + " bands in differentiator or Hilbert transformer.");
    Error_Message_Show();
    return acceptable;
}

// The filter types whose taps are antisymmetric; the general band-pass
// filter's are symmetric.
constexpr int Differentiator = 2;
constexpr int Hilbert_Transformer = 3;
bool antisymmetric_type(int type_of_filter) {
    return type_of_filter == Differentiator || type_of_filter == Hilbert_Transformer;
}

// Desired response of band k at frequency f: the differentiator's desired
// value is a slope, so its response is slope * f; the others are flat.
double desired_response(int type_of_filter, const Array1<double>& desired, int k, double f) {
    return type_of_filter == Differentiator ? desired(k) * f : desired(k);
}

// The lines that refuse a response the filter's symmetry and length force
// to zero, asked for by a band touching 0 (band 1) or half the sample rate
// (the last band): a symmetric filter with an even number of weights is zero
// at 0.5; an antisymmetric one is zero at 0, and with an odd number of
// weights at 0.5 as well. One line per frequency asked for, then (for the
// antisymmetric filters) one naming the cause; each fits a message line.
// Empty when the bands ask for nothing impossible.
std::vector<std::string> forced_zero_lines(int type_of_filter, int number_of_weights, int number_of_bands,
                                           const Array1<double>& edges, const Array1<double>& desired) {
    std::vector<std::string> lines;
    if (number_of_bands < 1) return lines;
    const int last = number_of_bands;
    auto nonzero = [&](int k, double f) {
        return std::fabs(desired_response(type_of_filter, desired, k, f)) > Zero_Response_Tolerance;
    };
    const bool asks_at_zero = std::fabs(edges(1)) <= Edge_Tolerance && nonzero(1, 0.0);
    const bool asks_at_half_rate = std::fabs(edges(2 * last) - Half_Sample_Rate) <= Edge_Tolerance &&
                                   nonzero(last, Half_Sample_Rate);
    const bool even = number_of_weights % 2 == 0;
    const std::string parity = even ? "even" : "odd";
    if (!antisymmetric_type(type_of_filter)) {
        if (even && asks_at_half_rate)
            lines.push_back("Frequency Response Nonzero at Half Sample Rate for even number of weights.");
        return lines;
    }
    if (asks_at_zero) lines.push_back("Frequency Response Nonzero at 0 for " + parity + " number of weights.");
    if (!even && asks_at_half_rate)
        lines.push_back("Frequency Response Nonzero at Half Sample Rate for odd number of weights.");
    if (!lines.empty())
        lines.push_back("Antisymmetric filters (differentiators, Hilbert transformers) of " + parity +
                        (even ? " length are zero at 0." : " length are zero at 0 and at half the sample rate."));
    return lines;
}

// An edge outside 0..0.5 cycles per sample (NaN included): beyond half the
// sample rate the grid folds back onto the band, below 0 it mirrors it.
bool outside_band_range(double edge) { return !(edge >= 0.0 && edge <= Half_Sample_Rate); }

// Checks bands 1..number_of_bands: the read statuses of the edges (entries
// 2k-1, 2k), desired values and weights (entry k), the band tables, and the
// design state's Type_of_Filter and Number_of_Weights for the responses the
// filter is forced to give at 0 and half the sample rate. One
// message box titled "Error in Band Definitions" per faulty band (Cancel in it
// stops the program). True when no band produced a line.
// Accepted bands have edges in 0..0.5 and 0 <= left_1 < right_1 < left_2 <
// ... < right_last: each band is checked against its neighbours only, and the
// strict chain orders every pair; touching bands (two grid points on one
// frequency) are refused as not consecutive.
bool KALTAP_Check_Band_Definitions(int number_of_bands, const Array1<int>& edge_status,
                                   const Array1<int>& desired_status, const Array1<int>& weight_status,
                                   const Array1<double>& edges, const Array1<double>& desired,
                                   const Array1<double>& weights) {
    // The forced zeros concern the whole filter: their lines are listed in
    // every band's box.
    const std::vector<std::string> forced_zeros = forced_zero_lines(Type_of_Filter, Number_of_Weights, number_of_bands,
                                                                    edges, desired);
    bool acceptable = true;
    for (int k = 1; k <= number_of_bands; ++k) {
        bool band_faulty = false;
        auto line = [&band_faulty](const std::string& text) {
            Error_Message_Line(text);
            band_faulty = true;
        };
        Error_Message_Title("Error in Band Definitions");
        const std::string band = UI_Integer_Text(k);
        if (edge_status(2 * k - 1) != 0 || edge_status(2 * k) != 0 || desired_status(k) != 0 || weight_status(k) != 0)
            line("I/O Error for a field for band " + band);
        if (outside_band_range(edges(2 * k - 1)) || outside_band_range(edges(2 * k)))
            line("Input Error!  Band " + band + " edges must lie between 0 and 0.5.");
        if (edges(2 * k) <= edges(2 * k - 1)) line("Band " + band + " has negative bandwidth.");
        if (k > 1 && edges(2 * k - 1) <= edges(2 * k - 2))
            line("Bands " + UI_Integer_Text(k - 1) + " and " + band + " are not consecutive.");
        if (k < number_of_bands && edges(2 * k + 1) <= edges(2 * k))
            line("Bands " + band + " and " + UI_Integer_Text(k + 1) + " are not consecutive.");
        if (!(desired(k) >= -Largest_Desired_Magnitude && desired(k) <= Largest_Desired_Magnitude))
            line("Bad frequency response in band " + band);
        if (!(weights(k) > 0.0 && weights(k) <= Largest_Weighting)) line("Bad weighting for band " + band);
        for (const std::string& text : forced_zeros) line(text);
        Error_Message_Show();
        if (band_faulty) acceptable = false;
    }
    return acceptable;
}

}  // namespace

void KALTAP_Classical_Inputs() {
    // The filter definition, from its defaults at every showing, kept apart
    // from the design state until it is accepted.
    Filter_Definition entered;
    do {
        if (!Ask_Filter_Definition(entered)) {
            UIK_alertBox("Procedure ended", "Program exit on user option.");
            return;
        }
    } while (!KALTAP_Check_Filter_Definition(entered.read_status, entered.type_of_filter, entered.number_of_weights,
                                             entered.number_of_bands, entered.search_grid_density));

    // The previous design is given up before the design state changes; then
    // the run log and a new design sized for the accepted definition.
    KALTAP_Filter_Weights_Valid = false;
    Type_of_Filter = entered.type_of_filter;
    Number_of_Weights = entered.number_of_weights;
    Number_of_Bands = entered.number_of_bands;
    Search_Grid_Density = entered.search_grid_density;
    RUN_LOG_open("Classical_FIR_Filter_Design_Log.txt", "FIR filter Design, Classical inputs");
    KALTAP_New_Design();
    const int bands = Number_of_Bands;
    // The band tables start at zero, so a field that fails to read is
    // checked against a defined value rather than whatever the allocation held.
    for (int k = 1; k <= bands; ++k) {
        Band_Edges(2 * k - 1) = Band_Edges(2 * k) = 0.0;
        Band_Desired_Value(k) = Band_Weighting(k) = 0.0;
    }

    // The band fields, the dialog title and the first default desired
    // value: an odd number of bands above one starts with a stopband.
    Band_Fields fields;
    Allocate_Band_Fields(fields, bands);
    const std::string title = bands > 1 ? "Band Definitions" : "Band Definition";
    fields.default_one = !(bands > 1 && bands % 2 == 1);

    // Every band dialog again, from defaults, until every band is acceptable.
    const int dialogs = (bands - 1) / Bands_Per_Dialog + 1;
    do {
        for (int g = 1; g <= dialogs; ++g) {
            const int first = Bands_Per_Dialog * g - (Bands_Per_Dialog - 1);
            const int last = std::min(Bands_Per_Dialog * g, bands);
            UI_New_Dialog(title);
            for (int k = first; k <= last; ++k) KALTAP_Add_Band_Fields(fields, k);
            KALTAP_Read_Band_Fields(fields, first, last);
        }
    } while (!KALTAP_Check_Band_Definitions(bands, fields.edge_status, fields.desired_status, fields.weight_status,
                                            Band_Edges, Band_Desired_Value, Band_Weighting));

    // The accepted definition, kept for the design record; then one run of
    // the design engine; the local fields go with the return.
    KALTAP_Design_Inputs& in = KALTAP_Current_Inputs;
    in.path = KALTAP_Design_Path::Classical;
    in.filter_type = Type_of_Filter;
    in.number_of_weights = Number_of_Weights;
    in.grid_density = Search_Grid_Density;
    in.bands.clear();
    for (int k = 1; k <= bands; ++k)
        in.bands.push_back({Band_Edges(2 * k - 1), Band_Edges(2 * k), Band_Desired_Value(k), Band_Weighting(k)});
    KALTAP_Design();
}
