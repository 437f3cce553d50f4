// SPDX-License-Identifier: GPL-3.0-or-later
#include "KALTAP_Two_Band_Inputs.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "Design_Inputs.h"
#include "FIR_Optimization_Engine.h"
#include "Fortran_Format.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Tools.h"
#include "KALTAP_UI_UIK.h"
#include "Program_Stop.h"
#include "Run_Logging.h"
#include "UIK_Error_Message.h"
#include "Unit_IO.h"

double FIR_Passband_Bandwidth = 0.2;
int Decimation_Ratio = 1;
int Decimation_Design = 0;

namespace {

// ---- Field widths of the reads ----
constexpr int Integer_Field_Width = 10;  // number of weights, band-edge index
constexpr int Ratio_Field_Width = 5;     // decimation ratio
constexpr int Real_Field_Width = 20;     // ripple, attenuation, bandwidth, transition

// ---- Accepted ranges (bounds inclusive) ----
constexpr int Minimum_Weights = 3;
constexpr int Maximum_Weights = 16385;
constexpr double Minimum_Ripple_dB = 0.0;
constexpr double Maximum_Ripple_dB = 3.5;
constexpr double Minimum_Attenuation_dB = 10.0;
constexpr double Maximum_Attenuation_dB = 200.0;
// 0.00001 as held in single precision: 9.999999747378752e-06.
constexpr double Smallest_Width = static_cast<double>(0.00001f);
constexpr double Maximum_Bandwidth = 0.499;
constexpr double Maximum_Transition = 0.25;
constexpr double Half_Sample_Rate = 0.5;

// FIROPT_NOW that forces an odd number of weights (0 leaves it free, 2 forces even).
constexpr int Odd_Order = 1;

// ---- Two-band set-up ----
constexpr int Provisional_Weights = 128;  // smallest allocation of the design arrays
constexpr int Provisional_Grid_Density = 64;
constexpr int Provisional_Bands = 5;
constexpr int Two_Band_Grid_Density = 32;
// The order search may step one count past its span to reach the parity asked for.
constexpr int Parity_Margin = 2;

// Starting stopband edge of the transition search: 0.15 (held in single
// precision) plus this share of the bandwidth; below 0.5 for every accepted
// bandwidth (0.15 + 0.7 * 0.499 = 0.4993).
constexpr double Transition_Start_Offset = static_cast<double>(0.15f);  // 0.15000000596046448
constexpr double Transition_Start_Share = 0.7;

const char* const Terminated = "Program terminated at user request.";

// ---- Locals of KALTAP_Two_Band_Inputs, seen by the routines it contains ----
int Number_of_Weights_input = 41;
double transition_input = 0.05;
int BD_index_input = 3;
int Read_Status[6] = {0, 0, 0, 0, 0, 0};  // fields 1..5 of the last path dialog, 0 = read correctly
bool Dialog_Accepted = false;

// Field names of the read-error messages, fields 1..5 ("" where the path has no such field).
using Field_Names = const char* const[6];
Field_Names Order_Fields = {"", "", "P-P Ripple", "Stopband att.", "Passband BW", "Transition BW"};
Field_Names Transition_Fields = {
    "", "Number of Weights", "P-P Ripple", "Stopband att.", "Passband BW", "Optimize BW or T"};
Field_Names Ripple_Fields = {"", "Number of Weights", "Stopband att.", "Passband BW", "Transition BW", ""};
Field_Names Stopband_Fields = {"", "Number of Weights", "P-P Ripple", "Passband BW", "Transition BW", ""};

const char* const Bandwidth_Field_Title = "Passband bandwidth as a fraction of sample rate (tiny to just under 0.5)";

void say(const std::string& line) { UNIT_Write(UNIT_Standard_Output, line); }

// A dialog of the path was cancelled: the whole program ends.
void stop_unless_accepted() {
    if (!Dialog_Accepted) KALTAP_Stop(Terminated);
}

void show_dialog() {
    Dialog_Accepted = UI_Show_Dialog();
    stop_unless_accepted();
    for (int& status : Read_Status) status = 0;
}

// Reads of field k (1-based) of the shown dialog, statuses kept for the checks.
void read_integer(int k, int width, int& value) {
    Read_Status[k] = UI_Read_Integer(UI_Line_Edits[k - 1], width, value);
}
void read_real(int k, double& value) { Read_Status[k] = UI_Read_Real(UI_Line_Edits[k - 1], Real_Field_Width, value); }

// ---- The scheme of the four checks ----

// One "I/O Error" box per field of the path that did not read; true when any failed.
bool report_read_errors(Field_Names names) {
    bool failed = false;
    for (int k = 1; k <= 5; ++k)
        if (names[k][0] != '\0' && Read_Status[k] != 0) {
            Error_Message("I/O Error", std::string("Field ") + names[k]);
            failed = true;
        }
    return failed;
}

// A value outside [low, high]; NaN counts as outside.
bool outside(double value, double low, double high) { return !(value >= low && value <= high); }

// The path's message box: lines are counted, the box is shown at the end.
class Path_Box {
public:
    explicit Path_Box(const std::string& title) { Error_Message_Title(title); }
    void line(const std::string& text) {
        Error_Message_Line(text);
        ++lines_;
    }
    // A refused value: its condition line and its value line.
    void refuse(const std::string& condition, const std::string& value, const std::string& prefix = "  Value = ") {
        line(condition);
        line(prefix + value);
    }
    // Shows the box when it has lines; true when it had none.
    bool finish() {
        Error_Message_Show();
        return lines_ == 0;
    }

private:
    int lines_ = 0;
};

void check_weights(Path_Box& box) {
    if (Number_of_Weights_input < Minimum_Weights || Number_of_Weights_input > Maximum_Weights)
        box.refuse("Number_of_Weights_input < 3 .OR. Number_of_Weights_input > 16385",
                   UI_Integer_Text(Number_of_Weights_input));
}

void check_ripple(Path_Box& box) {
    if (outside(FIR_Passband_PtoP_Ripple, Minimum_Ripple_dB, Maximum_Ripple_dB))
        box.refuse("FIR_Passband_PtoP_Ripple < 0.d0 .OR. FIR_Passband_PtoP_Ripple > 3.5d0",
                   UI_Real_Text(FIR_Passband_PtoP_Ripple));
}

void check_attenuation(Path_Box& box, const std::string& condition) {
    if (outside(FIR_Stopband_Attenuation, Minimum_Attenuation_dB, Maximum_Attenuation_dB))
        box.refuse(condition, UI_Real_Text(FIR_Stopband_Attenuation));
}
const char* const Attenuation_Condition = "FIR_Stopband_Attenuation < 10.d0 .OR. FIR_Stopband_Attenuation > 200.d0";

bool bandwidth_in_range() { return !outside(FIR_Passband_Bandwidth, Smallest_Width, Maximum_Bandwidth); }
bool transition_in_range() { return !outside(transition_input, Smallest_Width, Maximum_Transition); }

void check_bandwidth(Path_Box& box, const std::string& prefix = "  Value = ") {
    if (!bandwidth_in_range())
        box.refuse("FIR_Passband_Bandwidth < 0.00001 .OR. FIR_Passband_Bandwidth > 0.499d0",
                   UI_Real_Text(FIR_Passband_Bandwidth), prefix);
}

void check_transition(Path_Box& box) {
    if (!transition_in_range())
        box.refuse("transition_input < 0.00001 .OR. transition_input > 0.25", UI_Real_Text(transition_input));
}

// The passband and the transition must leave a stopband below half the
// sample rate: a low-pass puts edge 3 at B + T, a high-pass edge 2 at
// 0.5 - B - T. Judged only when both values are in their own ranges (else
// their own lines already refuse them).
void check_stopband_left(Path_Box& box) {
    if (!bandwidth_in_range() || !transition_in_range()) return;
    const double stopband_start = FIR_Passband_Bandwidth + transition_input;
    if (stopband_start >= Half_Sample_Rate)
        box.refuse("FIR_Passband_Bandwidth + transition_input >= 0.5", UI_Real_Text(stopband_start));
}

// A symmetric filter with an even number of weights is zero at half the
// sample rate, where the passband of a high-pass ends: a high-pass needs an
// odd count. `refusal` names what was asked for; the cause follows it.
void check_high_pass_parity(Path_Box& box, bool even_count_possible, const std::string& refusal) {
    if (KALTAP_BandType != 3 || !even_count_possible) return;
    box.line(refusal);
    box.line(
        "A symmetric filter with an even number of weights is zero at half the sample rate, where the "
        "high-pass passband ends.");
}
const char* const Even_High_Pass = "High-pass with even number of weights; use odd number of weights.";

// ---- The four checks ----

bool KALTAP_Check_Order_Inputs() {
    const bool read_failed = report_read_errors(Order_Fields);
    Path_Box box("Filter Parameter Definition Error");
    if (read_failed) box.line("I/O error");
    check_ripple(box);
    check_attenuation(box, Attenuation_Condition);
    check_bandwidth(box);
    check_transition(box);
    check_stopband_left(box);
    // The search tries every count when the order is free: it may end on an
    // even one as well as when the order is forced even.
    check_high_pass_parity(box, FIROPT_NOW != Odd_Order, "High-pass with order free or even; force order as odd.");
    return box.finish();
}

bool KALTAP_Check_Transition_Inputs() {
    const bool read_failed = report_read_errors(Transition_Fields);
    Path_Box box("Filter Definition Parameter Error");
    if (read_failed) box.line("I/O Error");
    check_weights(box);
    check_ripple(box);
    check_attenuation(box, Attenuation_Condition);
    check_bandwidth(box);
    if (BD_index_input < 2 || BD_index_input > 3)
        box.refuse("BD_index_input < 2 .OR. BD_index_input > 3", UI_Integer_Text(BD_index_input));
    check_high_pass_parity(box, Number_of_Weights_input % 2 == 0, Even_High_Pass);
    return box.finish();
}

bool KALTAP_Check_Ripple_Inputs() {
    const bool read_failed = report_read_errors(Ripple_Fields);
    Path_Box box("Filter Definition Parameter Error");
    if (read_failed) box.line("I/O Error");
    check_weights(box);
    check_attenuation(box, "FIR_Stopband_Attenuation < 10.d0 .OR. FIR_Stopband_Attenuation > 200.d");
    check_bandwidth(box);
    check_transition(box);
    check_stopband_left(box);
    check_high_pass_parity(box, Number_of_Weights_input % 2 == 0, Even_High_Pass);
    return box.finish();
}

bool KALTAP_Check_Stopband_Inputs() {
    const bool read_failed = report_read_errors(Stopband_Fields);
    Path_Box box("Filter Definition Parameter Error");
    if (read_failed) box.line("I/O Error.");
    check_weights(box);
    check_ripple(box);
    check_bandwidth(box, " Value = ");
    check_transition(box);
    check_stopband_left(box);
    check_high_pass_parity(box, Number_of_Weights_input % 2 == 0, Even_High_Pass);
    return box.finish();
}

// The check failed: say so; the caller shows its dialog again from its defaults.
void try_again() { Error_Message("Bad Input", "Please try again"); }

// The accepted inputs of the search for `find`, kept for the design record
// (before the search changes the quantity it finds).
void note_inputs(KALTAP_Free_Quantity find) {
    KALTAP_Design_Inputs& in = KALTAP_Current_Inputs;
    in.path = KALTAP_BandType == 3 ? KALTAP_Design_Path::Highpass : KALTAP_Design_Path::Lowpass;
    in.find = find;
    in.order = FIROPT_NOW;
    in.decimation_ratio = find == KALTAP_Free_Quantity::Number_of_Weights && Decimation_Design == 1 ? Decimation_Ratio
                                                                                                    : 0;
    in.optimize = BD_index_input;
    in.number_of_weights = Number_of_Weights_input;
    in.ripple_db = FIR_Passband_PtoP_Ripple;
    in.attenuation_db = FIR_Stopband_Attenuation;
    in.bandwidth = FIR_Passband_Bandwidth;
    in.transition = transition_input;
}

// ---- Design-state set-up ----

// Sets up the two-band design state with arrays for `Weights_Needed`
// weights (at least 128, at most 16385): the largest count the path's search
// can design.
void two_band_boilerplate(int Weights_Needed) {
    // 1. Provisional sizes, then the new design allocates for them.
    Number_of_Weights = std::min(std::max(Weights_Needed, Provisional_Weights), Maximum_Weights);
    Search_Grid_Density = Provisional_Grid_Density;
    Number_of_Bands = Provisional_Bands;
    KALTAP_New_Design();
    // 2. Two bands of an ordinary band-pass filter.
    Number_of_Bands = 2;
    Type_of_Filter = 1;
    Search_Grid_Density = Two_Band_Grid_Density;
    const double B = FIR_Passband_Bandwidth, T = transition_input;
    if (KALTAP_BandType == 1) {
        // 3. Low-pass: passband 0..B, stopband B+T..0.5.
        Band_Edges(1) = 0.0, Band_Edges(2) = B, Band_Edges(3) = B + T, Band_Edges(4) = Half_Sample_Rate;
        Band_Desired_Value(1) = 1.0, Band_Desired_Value(2) = 0.0;
    } else if (KALTAP_BandType == 3) {
        // 4. High-pass: stopband 0..0.5-B-T, passband the top B up to 0.5.
        Band_Edges(1) = 0.0, Band_Edges(2) = Half_Sample_Rate - B - T, Band_Edges(3) = Half_Sample_Rate - B,
        Band_Edges(4) = Half_Sample_Rate;
        Band_Desired_Value(1) = 0.0, Band_Desired_Value(2) = 1.0;
    } else {
        KALTAP_Stop("###Bad KALTAP_BandType in two_band_boilerplate: " + FMT_Free(KALTAP_BandType));
    }
}

// Largest count the number-of-weights search can try: the rounded-up order
// estimate plus the search's span and a parity step. A figure set without an
// estimate (a ripple of 0 dB) meets no count at all; the search then designs
// the longest filter allocated, and the provisional 128 keeps that design
// quick instead of spending minutes on 16385 weights that do not meet it either.
int order_search_weights() {
    const double estimate = KALTAP_Estimate_Number_of_Weights(FIR_Passband_PtoP_Ripple, FIR_Stopband_Attenuation,
                                                              transition_input);
    if (!std::isfinite(estimate)) return Provisional_Weights;
    const double needed = std::ceil(estimate) + FIROPT_Order_Trial_Span + Parity_Margin;
    return static_cast<int>(
        std::min(std::max(needed, static_cast<double>(Provisional_Weights)), static_cast<double>(Maximum_Weights)));
}

// ---- Path 1: the number of weights ----

void KALTAP_Order_Dialog_Header() {
    std::string title = KALTAP_BandType == 3 ? "Optimize high-pass" : "Optimize low-pass";
    if (Decimation_Design == 1) title += " decimation filter";
    title += " for number of weights";
    UI_New_Dialog(title);
    if (KALTAP_BandType == 3)
        UI_Add_Radio_Buttons(
            "    Determine order as free, odd, or even (NOTE:  High Pass should have odd order!):",
            {"Order may be odd or even (NOT RECOMMENDED)", "Force order as odd (recommended; see ReadMe.pdf)",
             "Force order as even (NOT RECOMMENDED)"},
            2);
    else
        UI_Add_Radio_Buttons("    Determine order as free, odd, or even",
                             {"Order may be odd or even", "Force order as odd", "Force order as even"}, 3);
}

void KALTAP_Normal_Order_Inputs() {
    for (;;) {
        KALTAP_Order_Dialog_Header();
        UI_Add_Label("    Enter ripple, stopband attenuation, bandwidth, and transition width below:");
        UI_Add_Line_Edit(UI_Line_Edits[1], "Peak-to-peak passband ripple, dB", "0.1");
        UI_Add_Line_Edit(UI_Line_Edits[2], "Minimum stopband attenuation, dB", "55");
        UI_Add_Line_Edit(UI_Line_Edits[3], Bandwidth_Field_Title, "0.15");
        UI_Add_Line_Edit(UI_Line_Edits[4], "Transition width as a fraction of sample rate", "0.05");
        show_dialog();
        FIROPT_NOW = UI_Radio_Buttons.selected - 1;
        read_real(2, FIR_Passband_PtoP_Ripple);
        read_real(3, FIR_Stopband_Attenuation);
        read_real(4, FIR_Passband_Bandwidth);
        read_real(5, transition_input);
        if (KALTAP_Check_Order_Inputs()) return;
        try_again();
    }
}

void KALTAP_Decimation_Order_Inputs() {
    for (;;) {
        KALTAP_Order_Dialog_Header();
        UI_Add_Label("    Enter ripple, stopband attenuation, bandwidth, and decimation ratio below:");
        UI_Add_Line_Edit(UI_Line_Edits[1], "Peak-to-peak passband ripple, dB", "0.1");
        UI_Add_Line_Edit(UI_Line_Edits[2], "Minimum stopband attenuation, dB", "55");
        UI_Add_Label("(Bandwidth must be less than 1/(2*Decimation_Ratio)");
        UI_Add_Line_Edit(UI_Line_Edits[3], "Passband bandwidth as a fraction of sample rate", "0.23");
        UI_Add_Line_Edit(UI_Line_Edits[4], "Decimation ratio", "2");
        show_dialog();
        FIROPT_NOW = UI_Radio_Buttons.selected - 1;
        read_real(2, FIR_Passband_PtoP_Ripple);
        read_real(3, FIR_Stopband_Attenuation);
        read_real(4, FIR_Passband_Bandwidth);
        read_integer(5, Ratio_Field_Width, Decimation_Ratio);
        // The stopband starts at the mirror image of the passband edge about
        // half the decimated sample rate: 1/ratio - B. A ratio of 0 leaves no
        // decimated rate and so no transition (refused by the transition check).
        const double half_decimated_rate = Decimation_Ratio == 0 ? std::numeric_limits<double>::infinity()
                                                                 : Half_Sample_Rate / Decimation_Ratio;
        transition_input = 2.0 * (half_decimated_rate - FIR_Passband_Bandwidth);
        if (KALTAP_Check_Order_Inputs()) return;
        try_again();
    }
}

void find_number_of_weights() {
    UI_New_Dialog("Decimation/Interpolation");
    UI_Add_Radio_Buttons(
        "Select type of FIR filter design:", {"Normal FIR Filter", "Decimation or Interpolation FIR Filter"}, 1);
    Dialog_Accepted = UI_Show_Dialog();
    stop_unless_accepted();
    if (UI_Radio_Buttons.selected == 2) {
        Decimation_Design = 1;
        KALTAP_Decimation_Order_Inputs();
    } else {
        Decimation_Design = 0;
        KALTAP_Normal_Order_Inputs();
    }
    note_inputs(KALTAP_Free_Quantity::Number_of_Weights);
    RUN_LOG_open("Optimization_Log.txt", "FIR filter Design, Number of Weights Optimized");
    two_band_boilerplate(order_search_weights());
    FIROPT_Minimize_No_of_Weights();
}

// ---- Path 2: the transition width ----

void find_transition() {
    for (;;) {
        UI_New_Dialog("Find transition given other filter design parameters");
        UI_Add_Line_Edit(UI_Line_Edits[0], "Number of weights", "41");
        UI_Add_Line_Edit(UI_Line_Edits[1], "Peak-to-peak passband ripple, dB", "0.1");
        UI_Add_Line_Edit(UI_Line_Edits[2], "Minimum stopband attenuation, dB", "55");
        UI_Add_Line_Edit(UI_Line_Edits[3], Bandwidth_Field_Title, "0.15");
        UI_Add_Line_Edit(UI_Line_Edits[4], "Input 2 to optmize bandwidth, 3 to minimize transition", "3");
        show_dialog();
        read_integer(1, Integer_Field_Width, Number_of_Weights_input);
        read_real(2, FIR_Passband_PtoP_Ripple);
        read_real(3, FIR_Stopband_Attenuation);
        read_real(4, FIR_Passband_Bandwidth);
        read_integer(5, Integer_Field_Width, BD_index_input);
        if (KALTAP_Check_Transition_Inputs()) break;
        try_again();
    }
    note_inputs(KALTAP_Free_Quantity::Transition);
    RUN_LOG_open("Optimization_Log.txt", "FIR filter Design, Find Transition");
    // The starting stopband edge lies 0.15 + 0.7 B from the band's own end,
    // so the starting transition is that less B.
    const double B = FIR_Passband_Bandwidth;
    const double stopband_start = Transition_Start_Offset + Transition_Start_Share * B;
    transition_input = stopband_start - B;
    two_band_boilerplate(Number_of_Weights_input);
    Number_of_Weights = Number_of_Weights_input;
    Band_Edges(4) = Half_Sample_Rate;
    int search_edge = BD_index_input;
    if (KALTAP_BandType == 3) {
        // High-pass, the mirror image of the low-pass: passband edge 3 at
        // 0.5 - B, stopband edge 2 at 0.5 - (0.15 + 0.7 B). The passband edge
        // is edge 3 and the stopband edge edge 2, so "2" (move the passband
        // edge) is search edge 3 and "3" (move the stopband edge) is edge 2.
        Band_Edges(1) = 0.0;
        Band_Edges(3) = Half_Sample_Rate - B;
        Band_Edges(2) = Half_Sample_Rate - stopband_start;
        search_edge = BD_index_input == 2 ? 3 : 2;
    } else {
        Band_Edges(3) = Transition_Start_Offset + Transition_Start_Share * Band_Edges(2);
    }
    FIROPT_BW_Optimization(search_edge);
}

// ---- Paths 3 and 4: the ripple, the stopband attenuation ----

// Number of weights and band edges of a path that was given the transition.
void fixed_transition_set_up() {
    two_band_boilerplate(Number_of_Weights_input);
    Number_of_Weights = Number_of_Weights_input;
    Band_Edges(4) = Half_Sample_Rate;
    Band_Edges(3) = Band_Edges(2) + transition_input;
}

void find_ripple() {
    for (;;) {
        UI_New_Dialog("Find ripple given other filter design parameters");
        UI_Add_Line_Edit(UI_Line_Edits[0], "Number of weights", "41");
        UI_Add_Line_Edit(UI_Line_Edits[1], "Minimum stopband attenuation, dB", "55");
        UI_Add_Line_Edit(UI_Line_Edits[2], Bandwidth_Field_Title, "0.15");
        UI_Add_Line_Edit(UI_Line_Edits[3], "Transition width as a fraction of sample rate", "0.05");
        show_dialog();
        read_integer(1, Integer_Field_Width, Number_of_Weights_input);
        read_real(2, FIR_Stopband_Attenuation);
        read_real(3, FIR_Passband_Bandwidth);
        read_real(4, transition_input);
        if (KALTAP_Check_Ripple_Inputs()) break;
        try_again();
    }
    note_inputs(KALTAP_Free_Quantity::Ripple);
    RUN_LOG_open("Optimization_Log.txt", "FIR filter Design, Find Ripple");
    fixed_transition_set_up();
    FIROPT_Ripple_Optimization();
}

void find_stopband_attenuation() {
    for (;;) {
        UI_New_Dialog("Find stopband attenuation given other filter design parameters");
        UI_Add_Line_Edit(UI_Line_Edits[0], "Number of weights", "41");
        UI_Add_Line_Edit(UI_Line_Edits[1], "Peak-to-peak passband ripple, dB", "0.1");
        UI_Add_Line_Edit(UI_Line_Edits[2], Bandwidth_Field_Title, "0.15");
        UI_Add_Line_Edit(UI_Line_Edits[3], "Transition width as a fraction of sample rate", "0.05");
        show_dialog();
        read_integer(1, Integer_Field_Width, Number_of_Weights_input);
        read_real(2, FIR_Passband_PtoP_Ripple);
        read_real(3, FIR_Passband_Bandwidth);
        read_real(4, transition_input);
        if (KALTAP_Check_Stopband_Inputs()) break;
        try_again();
    }
    note_inputs(KALTAP_Free_Quantity::Attenuation);
    RUN_LOG_open("Optimization_Log.txt", "FIR filter Design, Find Stopband Attenuation");
    fixed_transition_set_up();
    FIROPT_Stopband_Optimization();
}

}  // namespace

void KALTAP_Two_Band_Inputs() {
    // Every two-band path ends in a new design or a stop: the previous design
    // is given up before anything of it changes.
    KALTAP_Filter_Weights_Valid = false;
    // 1.
    say("Band Type: " + FMT_Free(KALTAP_BandType));
    // 2. Which quantity the program finds.
    int selection = 0;
    do {
        UI_New_Dialog("Select Type of Optimization");
        UI_Add_Radio_Buttons("Select next action:",
                             {"Find order (the number of weights) given performance specifications",
                              "Find transition width given order and other performance specifications",
                              "Find peak-to-peak passband ripple given order and other performance specifications",
                              "Find stopband attenuation given order and other performance specifications"},
                             1);
        Dialog_Accepted = UI_Show_Dialog();
        stop_unless_accepted();
        selection = UI_Radio_Buttons.selected;
    } while (selection < 1 || selection > 4);  // an answer that names no item asks again
    // 3.
    say("input_selection: " + FMT_Free(selection));
    // 4.
    switch (selection) {
        case 1: find_number_of_weights(); break;
        case 2: find_transition(); break;
        case 3: find_ripple(); break;
        default: find_stopband_attenuation(); break;
    }
}
