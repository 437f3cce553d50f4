// SPDX-License-Identifier: GPL-3.0-or-later
#include "KALTAP_Design_Record_Run.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "KALTAP_Design_Record.h"
#include "KALTAP_Equalizer.h"
#include "KALTAP_Main.h"
#include "KALTAP_UI_UIK.h"
#include "KALTAP_Weight_Export.h"
#include "Program_Stop.h"
#include "Unit_IO.h"

namespace fs = std::filesystem;

const char* const KALTAP_Open_Design_Menu_Item = "Open Design…";
const char* const KALTAP_Open_Design_Dialog_Title = "Open Design";
const char* const KALTAP_Record_Error_Title = "###Error in KALTAP Design Record";

namespace {

const char* const Path_Items[] = {"", "FIR low-pass design, program finds one free parameter",
                                  "FIR high-pass design, program finds one free parameter",
                                  "Multiple band, Hilbert Transformer, or Differentiator",
                                  "Equalizer with one user-specified frequency response"};
const char* const Classical_Types[] = {"", "General band pass design", "Differentiator", "Hilbert Transformer"};
const char* const Find_Items[] = {"", "Find order (the number of weights) given performance specifications",
                                  "Find transition width given order and other performance specifications",
                                  "Find peak-to-peak passband ripple given order and other performance specifications",
                                  "Find stopband attenuation given order and other performance specifications"};
const char* const Low_Pass_Orders[] = {"Order may be odd or even", "Force order as odd", "Force order as even"};
const char* const High_Pass_Orders[] = {"Order may be odd or even (NOT RECOMMENDED)",
                                        "Force order as odd (recommended; see ReadMe.pdf)",
                                        "Force order as even (NOT RECOMMENDED)"};
const char* const Weights_Field = "Number of weights";
const char* const Ripple_Field = "Peak-to-peak passband ripple, dB";
const char* const Attenuation_Field = "Minimum stopband attenuation, dB";
const char* const Bandwidth_Field = "Passband bandwidth as a fraction of sample rate (tiny to just under 0.5)";
const char* const Transition_Field = "Transition width as a fraction of sample rate";

void two_band_answers(const KALTAP_Design_Inputs& in, UIK_Preset_Map& a) {
    const bool high = in.path == KALTAP_Design_Path::Highpass;
    const int find = static_cast<int>(in.find);
    a[{"Select Type of Optimization", "Select next action:"}] = Find_Items[find];
    std::string title;
    switch (in.find) {
        case KALTAP_Free_Quantity::Number_of_Weights: {
            const bool decimation = in.decimation_ratio > 0;
            a[{"Decimation/Interpolation", "Select type of FIR filter design:"}] =
                decimation ? "Decimation or Interpolation FIR Filter" : "Normal FIR Filter";
            title = std::string(high ? "Optimize high-pass" : "Optimize low-pass") +
                    (decimation ? " decimation filter" : "") + " for number of weights";
            const int order = in.order >= 0 && in.order <= 2 ? in.order : 0;
            if (high)
                a[{title, "    Determine order as free, odd, or even (NOTE:  High Pass should have odd order!):"}] =
                    High_Pass_Orders[order];
            else
                a[{title, "    Determine order as free, odd, or even"}] = Low_Pass_Orders[order];
            a[{title, Ripple_Field}] = UI_Real_Text(in.ripple_db);
            a[{title, Attenuation_Field}] = UI_Real_Text(in.attenuation_db);
            if (decimation) {
                a[{title, "Passband bandwidth as a fraction of sample rate"}] = UI_Real_Text(in.bandwidth);
                a[{title, "Decimation ratio"}] = UI_Integer_Text(in.decimation_ratio);
            } else {
                a[{title, Bandwidth_Field}] = UI_Real_Text(in.bandwidth);
                a[{title, Transition_Field}] = UI_Real_Text(in.transition);
            }
            return;
        }
        case KALTAP_Free_Quantity::Transition:
            title = "Find transition given other filter design parameters";
            a[{title, Ripple_Field}] = UI_Real_Text(in.ripple_db);
            a[{title, Attenuation_Field}] = UI_Real_Text(in.attenuation_db);
            a[{title, "Input 2 to optmize bandwidth, 3 to minimize transition"}] = UI_Integer_Text(in.optimize);
            break;
        case KALTAP_Free_Quantity::Ripple:
            title = "Find ripple given other filter design parameters";
            a[{title, Attenuation_Field}] = UI_Real_Text(in.attenuation_db);
            a[{title, Transition_Field}] = UI_Real_Text(in.transition);
            break;
        case KALTAP_Free_Quantity::Attenuation:
            title = "Find stopband attenuation given other filter design parameters";
            a[{title, Ripple_Field}] = UI_Real_Text(in.ripple_db);
            a[{title, Transition_Field}] = UI_Real_Text(in.transition);
            break;
    }
    a[{title, Weights_Field}] = UI_Integer_Text(in.number_of_weights);
    a[{title, Bandwidth_Field}] = UI_Real_Text(in.bandwidth);
}

void classical_answers(const KALTAP_Design_Inputs& in, UIK_Preset_Map& a) {
    const std::string definition = "Legacy FIR Filter Parameters";
    const int bands = static_cast<int>(in.bands.size());
    const int type = in.filter_type >= 1 && in.filter_type <= 3 ? in.filter_type : 1;
    a[{definition, "Select type of filter to design:"}] = Classical_Types[type];
    a[{definition, Weights_Field}] = UI_Integer_Text(in.number_of_weights);
    a[{definition, "Number of Bands (use 1 for differentiator or Hilbert transformer)"}] = UI_Integer_Text(bands);
    a[{definition, "Search Grid Density"}] = UI_Integer_Text(in.grid_density);
    const std::string title = bands > 1 ? "Band Definitions" : "Band Definition";
    for (int k = 1; k <= bands; ++k) {
        const KALTAP_Input_Band& b = in.bands[static_cast<std::size_t>(k - 1)];
        const std::string band = "Band " + UI_Integer_Text(k) + " / ";
        a[{title, band + "Left Band Edge"}] = UI_Real_Text(b.lower_edge);
        a[{title, band + "Right Band Edge"}] = UI_Real_Text(b.upper_edge);
        a[{title, band + "Desired Frequency Response"}] = UI_Real_Text(b.desired);
        a[{title, band + "Band Weighting"}] = UI_Real_Text(b.weight);
    }
}

// Console lines of a failed design worth repeating as its error.
bool error_line(const std::string& text) {
    return text.rfind("###Error", 0) == 0 || text.rfind("####Error", 0) == 0 || text.rfind("***Warning", 0) == 0 ||
           text.rfind("###Warning", 0) == 0;
}

bool console_unit(int unit) { return unit == UNIT_Console || unit == -3 || unit == -4 || unit == UNIT_Standard_Output; }

// A folder of its own for the equalizer's table, removed with the object.
struct Table_Folder {
    fs::path folder;
    ~Table_Folder() { remove(); }
    void remove() {
        std::error_code ignored;
        if (!folder.empty()) fs::remove_all(folder, ignored);
        folder.clear();
    }
};

// Writes the equalizer's table of `inputs` into a new temporary folder held
// by `table`; its path in `table_path`. False, with `error`, when it cannot.
bool write_table(const KALTAP_Design_Inputs& inputs, Table_Folder& table, std::string& table_path, std::string& error) {
    std::string pattern = (fs::temp_directory_path() / "kaltap-table-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        error = "cannot make a temporary folder for the equalizer table";
        return false;
    }
    table.folder = pattern;
    table_path = (table.folder / inputs.table_name).string();
    std::ofstream file(table_path, std::ios::binary);
    file << inputs.table;
    if (!file.flush()) {
        error = table_path + ": cannot be written";
        return false;
    }
    return true;
}

// One design run answered from a record: the dialogs' preset answers, the
// console echoed to the standard output (its last error or warning line
// kept), no pause after the equalizer's plot and, when asked, another
// working folder; everything as it was again at end(), or at the latest
// when the object goes.
class Answered_Run {
public:
    Answered_Run(const KALTAP_Design_Inputs& inputs, const std::string& table_path)
        : answers_(KALTAP_Record_Answers(inputs, table_path)), hooks_(UNIT_Current_Hooks()) {}
    ~Answered_Run() { end(); }
    Answered_Run(const Answered_Run&) = delete;
    Answered_Run& operator=(const Answered_Run&) = delete;

    // Makes `folder` the working folder; false, with `error`, when it cannot.
    bool enter(const std::string& folder, std::string& error) {
        std::error_code failure;
        working_folder_ = fs::current_path(failure);
        fs::current_path(folder, failure);
        if (!failure) return true;
        working_folder_.clear();
        error = folder + ": " + failure.message();
        return false;
    }

    void start() {
        UNIT_Hooks echoing = hooks_;
        echoing.write_text = [this](const std::string& text, int unit) {
            if (console_unit(unit)) {
                std::fwrite(text.data(), 1, text.size(), stdout);
                std::fputc('\n', stdout);
                if (error_line(text)) last_error_line = text;
            }
            return hooks_.write_text ? hooks_.write_text(text, unit) : static_cast<int>(text.size());
        };
        UNIT_Register_Hooks(echoing);
        UIK_Set_Preset_Answers(answers_);
        pause_ = Equalizer_Pause_Seconds;
        Equalizer_Pause_Seconds = 0.0;
        started_ = true;
    }

    void end() {
        if (started_) {
            std::fflush(stdout);
            Equalizer_Pause_Seconds = pause_;
            UIK_Clear_Preset_Answers();
            UNIT_Register_Hooks(hooks_);
            started_ = false;
        }
        if (!working_folder_.empty()) {
            std::error_code ignored;
            fs::current_path(working_folder_, ignored);
            working_folder_.clear();
        }
    }

    std::string last_error_line;

private:
    UIK_Preset_Map answers_;
    UNIT_Hooks hooks_;
    fs::path working_folder_;
    double pause_ = 0.0;
    bool started_ = false;
};

// The table of the record opened last in the window.
Table_Folder opened_table;

// The record to open, asked for in a dialog; false on Cancel or a record
// that cannot be used (after its error box).
bool choose_record(KALTAP_Design_Inputs& inputs, std::string& table_path) {
    UIK_FileField_Record field;
    UI_New_Dialog(KALTAP_Open_Design_Dialog_Title);
    field.title.set("Design record");
    field.mode = 0;  // an existing file
    UIK_addFileField(UI_Dialog.unit, field);
    if (!UI_Show_Dialog()) return false;
    std::string error;
    if (!KALTAP_Read_Design_Record(field.text.trimmed(), inputs, error)) {
        UIK_alertBox(KALTAP_Record_Error_Title, error);
        return false;
    }
    if (inputs.path != KALTAP_Design_Path::Equalizer) return true;
    opened_table.remove();
    if (write_table(inputs, opened_table, table_path, error)) return true;
    UIK_alertBox(KALTAP_Record_Error_Title, error);
    return false;
}

}  // namespace

int KALTAP_Open_Design_Action() {
    KALTAP_Design_Inputs inputs;
    std::string table_path;
    bool chosen = false;
    KALTAP_Run_Program([&] { chosen = choose_record(inputs, table_path); });
    if (!chosen) return 0;
    UIK_Set_Preset_Answers(KALTAP_Record_Answers(inputs, table_path), UIK_Preset_Use::Remember);
    KALTAP_New_Design_Action();
    UIK_Clear_Preset_Answers();
    return 0;
}

UIK_Preset_Map KALTAP_Record_Answers(const KALTAP_Design_Inputs& in, const std::string& table_path) {
    UIK_Preset_Map a;
    const int path = static_cast<int>(in.path);
    if (path >= 1 && path <= 4) a[{"Select Filter Type", "Select filter design approach:"}] = Path_Items[path];
    switch (in.path) {
        case KALTAP_Design_Path::Lowpass:
        case KALTAP_Design_Path::Highpass: two_band_answers(in, a); break;
        case KALTAP_Design_Path::Classical: classical_answers(in, a); break;
        case KALTAP_Design_Path::Equalizer:
            a[{"Input Data File Selection", "Input data file"}] = table_path;
            a[{"Fundamental FIR Filter Parameters", Weights_Field}] = UI_Integer_Text(in.number_of_weights);
            a[{"Fundamental FIR Filter Parameters", "Search Grid Density"}] = UI_Integer_Text(in.grid_density);
            break;
        case KALTAP_Design_Path::None: break;
    }
    a[{"Next action?", "Select next action:"}] = "Accept the FIR filter design, proceed to select outputs";
    a[{"Select Number of Bits for Rounding", "Number of Bits (2 to 48)"}] = UI_Integer_Text(in.bits < 0 ? 0 : in.bits);
    return a;
}

void KALTAP_Note_Equalizer_Inputs() {
    KALTAP_Design_Inputs& in = KALTAP_Current_Inputs;
    in.path = KALTAP_Design_Path::Equalizer;
    in.table_name = fs::path(Equalizer_File_Name).filename().string();
    std::ifstream file(Equalizer_File_Name, std::ios::binary);
    in.table.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    in.number_of_weights = Number_of_Weights;
    in.grid_density = Search_Grid_Density;
}

int KALTAP_Run_Design_Record(const std::string& record_path, const std::string& output_dir, std::string& error,
                             const std::string& export_path) {
    KALTAP_Design_Inputs inputs;
    if (!KALTAP_Read_Design_Record(record_path, inputs, error)) return KALTAP_Record_Unreadable;
    const KALTAP_Export_Format_Info* export_format = nullptr;
    std::string export_file;
    if (!export_path.empty()) {
        export_format = KALTAP_Export_Format_Of_Name(export_path);
        if (export_format == nullptr) {
            error = export_path + ": the name ends in none of the export formats' extensions";
            return KALTAP_Record_Unreadable;
        }
        std::error_code ignored;
        export_file = fs::absolute(export_path, ignored).string();
    }

    Table_Folder table;
    std::string table_path;
    if (inputs.path == KALTAP_Design_Path::Equalizer && !write_table(inputs, table, table_path, error))
        return KALTAP_Record_Unreadable;

    Answered_Run run(inputs, table_path);
    if (!output_dir.empty() && !run.enter(output_dir, error)) return KALTAP_Record_Unreadable;
    run.start();
    std::string stop_text;
    const bool done = KALTAP_Design_Once(&stop_text);
    const std::string message = UIK_Preset_Last_Message();
    const std::string last_error_line = run.last_error_line;
    run.end();
    if (done && export_format != nullptr) {
        std::string reason;
        if (!KALTAP_Export_Weights(export_format->format, export_file, reason)) {
            error = "Can't write " + export_path + ": " + reason;
            return KALTAP_Record_Unreadable;
        }
    }
    if (done) return KALTAP_Record_Run_Done;
    if (stop_text.find_first_not_of(' ') != std::string::npos)
        error = stop_text;
    else if (!message.empty())
        error = message;
    else if (!last_error_line.empty())
        error = last_error_line;
    else
        error = "the design ended without a result";
    return KALTAP_Record_Run_Failed;
}
