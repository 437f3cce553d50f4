// SPDX-License-Identifier: GPL-3.0-or-later
#include "KALTAP_Testing.h"

#include "Design_Inputs.h"
#include "Design_Warnings.h"
#include "Fortran_Format.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "KALTAP_Output.h"
#include "Progress.h"
#include "Result_Set.h"
#include "Run_Logging.h"
#include "Timers.h"
#include "Unit_IO.h"

namespace {

struct Test_Band {
    double lower, upper, desired, weight;
};

struct Test_Case {
    int type_of_filter;  // 1 bandpass, 2 differentiator, 3 Hilbert transformer
    int number_of_weights;
    int grid_density;
    int number_of_bands;
    Test_Band bands[3];
    // Values a correct design reproduces; printed for the user, not checked.
    int iterations;
    double middle_weight;
    double max_error;
};

const Test_Case Cases[KALTAP_Number_of_Test_Cases] = {
    {1, 24, 16, 2, {{0, 0.08, 1, 1}, {0.16, 0.5, 0, 1}}, 5, 0.23354606, -38.10803508},
    {1, 25, 32, 2, {{0, 0.08, 1, 1}, {0.16, 0.5, 0, 1}}, 6, 0.23978267, -38.23867646},
    {1, 32, 16, 3, {{0, 0.1, 0, 10}, {0.2, 0.35, 1, 1}, {0.425, 0.5, 0, 10}}, 4, 0.30410917, -56.40254636},
    {1, 33, 32, 3, {{0, 0.1, 0, 10}, {0.2, 0.35, 1, 1}, {0.425, 0.5, 0, 10}}, 8, 0.46270287, -55.88565632},
    {2, 32, 16, 1, {{0, 0.5, 1, 1}}, 4, 0.20266535, 0.00620231},
    {2, 33, 32, 1, {{0, 0.45, 1, 1}}, 6, 0.15784562, 0.00299411},
    {3, 20, 16, 1, {{0.05, 0.5, 1, 1}}, 4, 0.63475618, 0.02055604},
    {3, 21, 32, 1, {{0.05, 0.45, 1, 1}}, 4, 0.62903223, 0.02274748},
    {3, 22, 32, 1, {{0.05, 0.5, 1, 1}}, 4, 0.63487602, 0.01438602},
    {3, 23, 32, 1, {{0.05, 0.45, 1, 1}}, 5, 0.62999253, 0.01107411},
};

// Size of the design state set up before the first case.
constexpr int Initial_Number_of_Bands = 5;
constexpr int Initial_Number_of_Weights = 128;
constexpr int Initial_Grid_Density = 64;

}  // namespace

std::string KALTAP_Elapsed_Time_Line(double milliseconds) {
    // A 6-column field with 3 decimals holds up to 99.999; longer values show
    // as six asterisks.
    return "Elapsed time: " + FMT_Trim(FMT_Fixed(milliseconds, 6, 3)) + " milliseconds.";
}

std::string KALTAP_Reference_Line(int case_number) {
    if (case_number < 1 || case_number > KALTAP_Number_of_Test_Cases) return std::string();
    const Test_Case& c = Cases[case_number - 1];
    return "Iterations = " + FMT_Free(c.iterations) + ", Middle weight: " + FMT_Trim(FMT_General_15(c.middle_weight)) +
           ", Max Error: " + FMT_Trim(FMT_Fixed(c.max_error, 20, 8));
}

void KALTAP_Inputs(int& case_number) {
    if (case_number < 1 || case_number > KALTAP_Number_of_Test_Cases) {
        RUN_LOG_write("####Error in KALTAP_Inputs, option out of range: " + FMT_Free(case_number));
        return;
    }
    const Test_Case& c = Cases[case_number - 1];
    Number_of_Bands = c.number_of_bands;
    Number_of_Weights = c.number_of_weights;
    Search_Grid_Density = c.grid_density;
    Type_of_Filter = c.type_of_filter;
    KALTAP_New_Design();
    for (int k = 1; k <= c.number_of_bands; ++k) {
        const Test_Band& b = c.bands[k - 1];
        Band_Edges(2 * k - 1) = b.lower;
        Band_Edges(2 * k) = b.upper;
        Band_Desired_Value(k) = b.desired;
        Band_Weighting(k) = b.weight;
    }
}

void KALTAP_Test_Cases() {
    Quiet_Remez = false;  // every exchange iteration goes into the log
    RUN_LOG_open("KALTAP_Test_log.txt", "FIR filter Design Test Cases");
    Number_of_Bands = Initial_Number_of_Bands;
    Number_of_Weights = Initial_Number_of_Weights;
    Search_Grid_Density = Initial_Grid_Density;
    KALTAP_Derive_Parameters();

    const KALTAP_Progress_Scope progress("Test cases");
    for (int case_number = 1; case_number <= KALTAP_Number_of_Test_Cases; ++case_number) {
        DESIGN_WARNINGS_Clear();  // each case's warnings are its own
        KALTAP_Clear_Inputs();    // and no dialog made it
        KALTAP_Report_Step("case " + FMT_Free(case_number) + " of " + FMT_Free(KALTAP_Number_of_Test_Cases));
        KALTAP_Inputs(case_number);

        Timer(0);
        KALTAP_Design();
        const double seconds = Timer(1);
        RUN_LOG_write(KALTAP_Elapsed_Time_Line(seconds * 1000.0));

        KALTAP_Classical_Output(UNIT_Console);
        KALTAP_Classical_Output(Run_Log_Unit);
        // Each case is a design of its own: the first shares the log's stem,
        // every later one takes the next free stem, so no case's files
        // replace another's.
        if (case_number > 1) RESULT_SET_End();
        KALTAP_Write_CSV();
        KALTAP_Frequency_Response_CSV();

        RUN_LOG_write(KALTAP_Reference_Line(case_number));

        // A pause for the user to compare the report with the reference
        // values. When the console has no more input (closed, or the read was
        // cancelled) there is nobody to wait for and the run carries on.
        UNIT_Write(UNIT_Console, "Inspect Check Values and press any key to continue.");
        std::string answer;
        UNIT_Read_Line(UNIT_Console, answer);
    }

    // The weights of the last case go with its arrays: no design is left to
    // report, quantize or export.
    KALTAP_Release_Arrays();
    RUN_LOG_write("Testing Complete.");
    RUN_LOG_close();
}
