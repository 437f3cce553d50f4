// SPDX-License-Identifier: GPL-3.0-or-later
#include "KALTAP_Main.h"

#include "KALTAP_Analysis_Views.h"
#include "KALTAP_Classical_Inputs.h"
#include "KALTAP_Design_Record_Run.h"
#include "Design_Inputs.h"
#include "Design_Warnings.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Figures.h"
#include "KALTAP_Design_Engine.h"
#include "KALTAP_Equalizer.h"
#include "KALTAP_Export_Menu.h"
#include "KALTAP_Frequency_Plots.h"
#include "KALTAP_Output.h"
#include "KALTAP_Testing.h"
#include "KALTAP_Two_Band_Inputs.h"
#include "KALTAP_UI_UIK.h"
#include "KALTAP_Version.h"
#include "KALTAP_Weight_Quantization.h"
#include "Program_Stop.h"
#include "Result_Set.h"
#include "Run_Logging.h"
#include "UIK_Error_Message.h"
#include "Unit_IO.h"

int KALTAP_Run_Type = 0;

const char* const KALTAP_Agreement_Labels[8] = {
    "kaltap FIR filter design program. Copyright (C) 2026 the kaltap developers. Free software, GPL-3.0-or-later.",
    "Version " KALTAP_VERSION_TEXT,  // "Version 0.92 Release Candidate 3"
    "FIR filter design engine derived from",
    "T.W. Parks and J.H. McClellan, \"A Program for the Design of Linear Phase Finite",
    "Impulse Response Digital Filters,\" IEEE Trans. on Audio and Electroacoustics,",
    "AU-21(3), pp.195-199, Aug. 1972\\n",
    "By continuing, you agree to hold harmless all parties to this program and its distribution,",
    "when using this program or its results.",
};

const std::string KALTAP_Menu_Hint = "Use \"New FIR Filter Design\" item in menu \"FIR Design\" to do another design.";
const std::string KALTAP_Design_Stopped_Text = "Design stopped; nothing of it was kept.";
const std::string KALTAP_Test_Cases_Stopped_Text = "Test cases stopped.";

namespace {

constexpr int Filter_Design_Run = 1;
constexpr int Test_Case_Run = 2;
constexpr int Bits_Field_Width = 5;
constexpr int Bits_Out_Of_Range = -1;  // an entry the bits rules refuse

const char* const Exit_Text = "Program exit on user option.";

// True once a design pass has written its outputs.
bool outputs_written = false;

// Bits dialog. Returns false when the entry is not an integer (bits then 0);
// `cancelled` tells the loop to end without outputs. Text beyond the five
// characters read is taken as out of range (bits -1, refused by the caller)
// rather than cut: "123456" is not 12345, "16   7" is not 16.
bool KALTAP_Select_Bits(bool& cancelled) {
    cancelled = false;
    UI_New_Dialog("Select Number of Bits for Rounding");
    UI_Add_Label("Use 0 if you don't want rounding.");
    UI_Add_Label("Use 24 for IEEE 754-2008 single precision floating point.");
    UI_Add_Line_Edit(UI_Line_Edit, "Number of Bits (2 to 48)", "16");
    if (!UI_Show_Dialog()) {
        UIK_alertBox("End Procedure", Exit_Text);
        cancelled = true;
        return true;
    }
    if (UI_Text_Beyond(UI_Line_Edit, Bits_Field_Width)) {
        KALTAP_Bits = Bits_Out_Of_Range;
        return true;
    }
    if (UI_Read_Integer(UI_Line_Edit, Bits_Field_Width, KALTAP_Bits) != UNIT_OK) {
        KALTAP_Bits = 0;
        return false;
    }
    return true;
}

// Asks for the bits until the value is 0 or 2..48. False when cancelled.
bool choose_bits() {
    for (;;) {
        bool cancelled = false;
        const bool parsed = KALTAP_Select_Bits(cancelled);
        if (cancelled) return false;
        if (!parsed) Error_Message("Bad Input", "Numeric digits only!");
        if (KALTAP_Bits == 0 || (KALTAP_Bits >= KALTAP_Minimum_Bits && KALTAP_Bits <= KALTAP_Maximum_Bits)) {
            KALTAP_Current_Inputs.bits = KALTAP_Bits;
            return true;
        }
        Error_Message("Bad Input", "Select 0, or between 2 and 48");
    }
}

void write_outputs() {
    if (KALTAP_Bits >= KALTAP_Minimum_Bits) {
        KALTAP_Quantizer();
        KALTAP_Write_Hex_CSV();
    }
    KALTAP_Write_CSV();
    KALTAP_Frequency_Response_CSV();
    KALTAP_Plot_Linear_Views();
    KALTAP_Plot_dB_Views();
    KALTAP_Plot_Frequency_Response();
}

// The design path's run log is closed when the path ends, however it ends,
// so its unit goes back and a run can make any number of designs; the
// design's set of file names ends with it.
void end_design_path() {
    if (Run_Log_Unit != 0 && UNIT_Is_Open(Run_Log_Unit)) RUN_LOG_close();
    RESULT_SET_End();
}

// The same after a stop: a log that fails to close now has nothing left to
// report to, so the stop it gives ends here.
void end_design_path_after_stop() { KALTAP_Run_Program(end_design_path); }

// The user stopped the design or search now computing (the Stop action):
// nothing of it is kept. Its run log is closed and every file of its set of
// names removed (a design stopped while writing its outputs leaves none of
// them), it is no longer the current design, and the console says so.
void drop_stopped_design() {
    const std::string stem = RESULT_SET_Current() ? RESULT_SET_Stem() : std::string();
    end_design_path_after_stop();
    if (!stem.empty()) RESULT_SET_Remove_Files(stem);
    KALTAP_Filter_Weights_Valid = false;
    UNIT_Write(UNIT_Standard_Output, KALTAP_Design_Stopped_Text);
}

enum class Pass_End { Next_Design, Loop_Ends };

// One pass of the design loop: the kind of filter, one design path, and what
// follows it. Says whether the loop goes on to the next design.
Pass_End design_pass() {
    // 1. Kind of filter. A Stop pressed after the last design ended stops nothing.
    KALTAP_Clear_Design_Stop_Request();
    UI_New_Dialog("Select Filter Type");
    UI_Add_Radio_Buttons("Select filter design approach:",
                         {"FIR low-pass design, program finds one free parameter",
                          "FIR high-pass design, program finds one free parameter",
                          "Multiple band, Hilbert Transformer, or Differentiator",
                          "Equalizer with one user-specified frequency response"},
                         1);
    if (!UI_Show_Dialog()) {
        UIK_alertBox("Normal Exit", Exit_Text);
        return Pass_End::Loop_Ends;
    }
    // 2. One design. Each path that starts a new design gives up the
    // previous one before it changes the design state; a classical
    // definition that is cancelled leaves the previous design as it was.
    KALTAP_Design_Failed = false;
    DESIGN_WARNINGS_Clear();
    // A cancelled classical definition keeps the previous design, and with
    // it the inputs that made it.
    const KALTAP_Design_Inputs previous_inputs = KALTAP_Current_Inputs;
    KALTAP_Clear_Inputs();
    switch (UI_Radio_Buttons.selected) {
        case 1:
            KALTAP_BandType = 1;
            KALTAP_Two_Band_Inputs();
            break;
        case 2:
            KALTAP_BandType = 3;
            KALTAP_Two_Band_Inputs();
            break;
        case 3:
            KALTAP_BandType = 2;
            KALTAP_Classical_Inputs();
            if (KALTAP_Current_Inputs.path == KALTAP_Design_Path::None) KALTAP_Current_Inputs = previous_inputs;
            break;
        case 4:
            KALTAP_BandType = 2;
            KALTAP_Equalizer_Setup();
            KALTAP_Note_Equalizer_Inputs();
            KALTAP_New_Design();
            Band_Edges(1) = Equalizer_First_Frequency;
            Band_Edges(2) = Equalizer_Last_Frequency;
            KALTAP_Design();
            break;
        default: break;
    }
    // A design whose taps came out non-finite has failed (the engine has
    // said so on the console): nothing to report, accept or write, so the
    // user picks the next design.
    if (KALTAP_Design_Failed) return Pass_End::Next_Design;
    // A cancelled classical definition leaves no design behind when none
    // was made before: the user chose to end ("Program exit on user
    // option."), so the loop ends instead of reporting a design that
    // does not exist.
    if (!KALTAP_Filter_Weights_Valid) return Pass_End::Loop_Ends;
    // 3. Report on the console and in the run log.
    KALTAP_Classical_Output(UNIT_Standard_Output);
    if (Run_Log_Unit != 0 && UNIT_Is_Open(Run_Log_Unit)) KALTAP_Classical_Output(Run_Log_Unit);
    // 4. Accept or design again, with the design's main plot on screen.
    // Always offered with "Accept" chosen: a remembered "Perform another
    // design" would make Enter design again and again without ever reaching
    // the outputs. The preview goes once the question is answered; accepted,
    // the outputs draw and save the plots anew.
    const int preview = KALTAP_Plot_Preview();
    UI_New_Dialog("Next action?", UI_Start::Program_Values);
    // A design whose figures are measured (it did not converge) says so
    // before anyone accepts it.
    const std::string figures_warning = KALTAP_Figures_Warning();
    if (!figures_warning.empty()) UI_Add_Wrapped_Labels(figures_warning);
    UI_Add_Radio_Buttons(
        "Select next action:",
        {"Accept the FIR filter design, proceed to select outputs", "Perform another FIR filter design"}, 1);
    const bool answered = UI_Show_Dialog();
    UIK_closeWindow_Unit(preview);
    if (!answered) {
        UIK_alertBox("Normal exit", Exit_Text);
        return Pass_End::Loop_Ends;
    }
    if (UI_Radio_Buttons.selected == 2) return Pass_End::Next_Design;
    // 5. Bits for rounding; 6. outputs.
    if (!choose_bits()) return Pass_End::Loop_Ends;
    write_outputs();
    outputs_written = true;
    // 7.
    UNIT_Write(UNIT_Standard_Output, KALTAP_Menu_Hint);
    return Pass_End::Loop_Ends;
}

// The reference test cases; a Stop ends them after the cases already made,
// whose files stay.
void run_test_cases() {
    KALTAP_Clear_Design_Stop_Request();
    try {
        KALTAP_Test_Cases();
    } catch (const KALTAP_Design_Stop_Signal&) {
        end_design_path_after_stop();
        UNIT_Write(UNIT_Standard_Output, KALTAP_Test_Cases_Stopped_Text);
    }
}

// The export and view items follow the design a run or a loop left behind.
void update_design_menus() {
    KALTAP_Update_Export_Menu();
    KALTAP_Update_View_Menu();
}

}  // namespace

void KALTAP_Main() {
    KALTAP_Forget_Shown_Designs();  // the main plot compares the designs of one run
    int run_type = 0;
    KALTAP_User_Agreement(run_type);
    if (run_type == Filter_Design_Run)
        KALTAP_Design_Loop();
    else if (run_type == Test_Case_Run)
        run_test_cases();
    UNIT_Write(UNIT_Standard_Output, "Normal exit.");
    KALTAP_Stop();
}

void KALTAP_Run_Design_Program() {
    KALTAP_Reset_Export_Menu_Item();  // added by this run's agreement
    KALTAP_Reset_View_Menu();
    KALTAP_Run_Program(KALTAP_Main);
    end_design_path_after_stop();
    update_design_menus();
    const auto& hooks = UNIT_Current_Hooks();
    if (hooks.stop) hooks.stop();
}

void KALTAP_User_Agreement(int& run_type) {
    // Agreement is given anew in every run, never by a remembered tick; and
    // the run type starts on a design, the run the user comes for.
    UI_New_Dialog("User Agreement and Selection", UI_Start::Program_Values);
    for (const char* label : KALTAP_Agreement_Labels) UI_Add_Label(label);
    UI_Check_Box.title.set("Agree?");
    UI_Check_Box.checked = 0;
    UIK_addCheckBox(UI_Dialog.unit, UI_Check_Box);
    UI_Add_Radio_Buttons("Select run type:", {"Filter design", "Run test cases and exit"}, 1);
    if (!UI_Show_Dialog()) KALTAP_Stop("Program terminated at user request.");
    if (UI_Check_Box.checked == 0) KALTAP_Stop("Sorry, you must agree to conditions of use.");
    KALTAP_Run_Type = UI_Radio_Buttons.selected;
    run_type = KALTAP_Run_Type;
    UIK_addMenu(UNIT_Console, "FIR Design", "New FIR Filter Design", KALTAP_New_Design_Action);
    KALTAP_Add_Export_Menu_Item();
    UIK_addMenu(UNIT_Console, "FIR Design", KALTAP_Open_Design_Menu_Item, KALTAP_Open_Design_Action);
    KALTAP_Add_View_Menu();
}

void KALTAP_Design_Loop() {
    for (;;) {
        Pass_End end = Pass_End::Next_Design;
        try {
            end = design_pass();
        } catch (const KALTAP_Design_Stop_Signal&) {
            drop_stopped_design();
            continue;
        }
        end_design_path();
        if (end == Pass_End::Loop_Ends) return;
    }
}

bool KALTAP_Design_Once(std::string* stop_text) {
    outputs_written = false;
    const bool stopped = KALTAP_Run_Program(design_pass, stop_text);
    end_design_path_after_stop();
    if (stopped) return false;
    if (stop_text != nullptr) stop_text->clear();
    return outputs_written;
}

int KALTAP_New_Design_Action() {
    KALTAP_Run_Program(KALTAP_Design_Loop);
    end_design_path_after_stop();
    update_design_menus();
    return 0;
}
