// SPDX-License-Identifier: GPL-3.0-or-later
// The JSON design record as input: a design made in the dialogs, exported as
// a record and made again from it without anyone at the dialogs gives the
// same taps bit for bit, the same console report and the same files; records
// that are not fit to run are refused with one error naming the field, and
// nothing is written.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "KALTAP_Design_Record.h"
#include "KALTAP_Design_Record_Run.h"
#include "KALTAP_Equalizer.h"
#include "KALTAP_Main.h"
#include "KALTAP_Weight_Export.h"
#include "KALTAP_Weight_Quantization.h"
#include "UIK_Script.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace {

using Changes = std::vector<std::pair<std::string, std::string>>;

// A design walked through its dialogs: one list of field changes per dialog
// shown, in order.
struct Walk {
    const char* name;
    std::vector<Changes> dialogs;
    const char* input_path;  // the record's input.path
};

const char* const Equalizer_Table = "Frequency,Gain\n0,1.0\n0.1,0.9\n0.2,0.6\n0.3,0.3\n0.4,0.1\n0.5,0.05\n";

const Walk Walks[] = {
    {"classical_bandpass",
     {{{"Select filter design approach:", "3"}},
      {{"Number of weights", "31"}, {"Search Grid Density", "16"}},
      {{"Left Band Edge@2", "0.15"}},
      {},
      {{"Number of Bits (2 to 48)", "0"}}},
     "classical"},
    {"lowpass_number_of_weights_quantized",
     {{{"Select filter design approach:", "1"}},
      {{"Select next action:", "1"}},
      {},
      {{"Minimum stopband attenuation, dB", "40"}},
      {},
      {{"Number of Bits (2 to 48)", "12"}}},
     "lowpass"},
    {"highpass_transition",
     {{{"Select filter design approach:", "2"}},
      {{"Select next action:", "2"}},
      {{"Number of weights", "31"}, {"Minimum stopband attenuation, dB", "40"}},
      {},
      {{"Number of Bits (2 to 48)", "0"}}},
     "highpass"},
    {"lowpass_ripple",
     {{{"Select filter design approach:", "1"}},
      {{"Select next action:", "3"}},
      {{"Number of weights", "25"}},
      {},
      {{"Number of Bits (2 to 48)", "16"}}},
     "lowpass"},
    {"lowpass_attenuation",
     {{{"Select filter design approach:", "1"}},
      {{"Select next action:", "4"}},
      {{"Number of weights", "25"}},
      {},
      {{"Number of Bits (2 to 48)", "0"}}},
     "lowpass"},
    {"equalizer",
     {{{"Select filter design approach:", "4"}},
      {},
      {},
      {{"Number of weights", "21"}},
      {},
      {{"Number of Bits (2 to 48)", "0"}}},
     "equalizer"},
};

// Every file in the working folder: name -> text.
std::map<std::string, std::string> take_files() {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(".")) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        files[entry.path().filename().string()] = text.str();
    }
    for (const auto& file : files) fs::remove(file.first);
    return files;
}

class DesignRecord : public ::testing::Test {
protected:
    void SetUp() override {
        start_ = fs::current_path();
        std::string pattern = (fs::temp_directory_path() / "kaltap-record-test-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        record_folder_ = folder_ / "records";
        work_ = folder_ / "work";
        fs::create_directories(record_folder_);
        fs::create_directories(work_);
        fs::current_path(work_);
        Reset_Design_Program();
        Fix_Clock_And_Clear_Results();
        UIK_Reset_Call_Interface();
        KALTAP_Filter_Weights_Valid = false;
        Equalizer_File_Name = "Equalizer.csv";
        Equalizer_Pause_Seconds = 0.0;
    }
    void TearDown() override {
        fs::current_path(start_);
        fs::remove_all(folder_);
    }
    std::string record_path(const std::string& name) const { return (record_folder_ / name).string(); }
    void write_record(const std::string& name, const std::string& text) const {
        std::ofstream(record_path(name), std::ios::binary) << text;
    }
    fs::path start_, folder_, record_folder_, work_;
};

TEST_F(DesignRecord, RecordRunEqualsDialogRun) {
    for (const Walk& walk : Walks) {
        SCOPED_TRACE(walk.name);
        Reset_Design_Program();
        Fix_Clock_And_Clear_Results();
        std::vector<double> dialog_taps;
        std::vector<std::string> dialog_console;
        {
            if (std::string(walk.input_path) == "equalizer") std::ofstream("Equalizer.csv") << Equalizer_Table;
            Console_Capture console;
            UIK_Script script;
            for (const Changes& changes : walk.dialogs) script.Accept(changes);
            ASSERT_TRUE(KALTAP_Design_Once());
            EXPECT_TRUE(script.script_errors.empty());
            EXPECT_TRUE(script.answers.empty()) << "dialogs left unasked";
            dialog_taps = Full_Impulse_Response();
            dialog_console = console.lines;
            std::string reason;
            ASSERT_TRUE(KALTAP_Export_Weights(KALTAP_Export_Format::Json, record_path("design.json"), reason))
                << reason;
        }
        if (std::string(walk.input_path) == "equalizer") fs::remove("Equalizer.csv");
        const std::map<std::string, std::string> dialog_files = take_files();
        ASSERT_FALSE(dialog_files.empty());

        // The record holds the path; it runs without a window layer at all.
        KALTAP_Design_Inputs inputs;
        std::string error;
        ASSERT_TRUE(KALTAP_Read_Design_Record(record_path("design.json"), inputs, error)) << error;
        EXPECT_EQ(KALTAP_Record_Input(inputs)["path"], walk.input_path);
        Reset_Design_Program();
        Fix_Clock_And_Clear_Results();
        KALTAP_Filter_Weights_Valid = false;
        Console_Capture console;
        testing::internal::CaptureStdout();
        const int status = KALTAP_Run_Design_Record(record_path("design.json"), "", error);
        const std::string standard_output = testing::internal::GetCapturedStdout();
        ASSERT_EQ(status, KALTAP_Record_Run_Done) << error;
        const std::vector<double> record_taps = Full_Impulse_Response();
        ASSERT_EQ(record_taps.size(), dialog_taps.size());
        for (std::size_t n = 0; n < record_taps.size(); ++n)
            EXPECT_EQ(std::memcmp(&record_taps[n], &dialog_taps[n], sizeof(double)), 0) << "tap " << n + 1;
        // The equalizer's table came from another folder: its name alone differs.
        EXPECT_EQ(console.lines, dialog_console);
        std::string echoed;
        for (const std::string& line : console.lines) echoed += line + "\n";
        EXPECT_EQ(standard_output, echoed);
        EXPECT_EQ(take_files(), dialog_files);
    }
}

// Records not fit to run: one error naming the field, the run's status, and
// nothing written in the working folder.
TEST_F(DesignRecord, RefusedRecordsWriteNothing) {
    const std::string head = R"({"format": "kaltap-design", "format_version": 2, )";
    const std::string bits = R"(, "bits": 0}})";
    const std::string classical = R"("input": {"path": "classical", "filter_type": "bandpass", )"
                                  R"("number_of_weights": 31, "grid_density": 16, "bands": )";
    const std::string two_bands = R"([{"lower_edge": 0, "upper_edge": 0.1, "desired": 1, "weight": 1},)"
                                  R"( {"lower_edge": 0.2, "upper_edge": 0.5, "desired": 0, "weight": 1}])";
    struct Case {
        const char* name;
        std::string text;
        int status;
        const char* error;  // a part of the error text
    };
    const std::vector<Case> cases = {
        {"not_json", "{\"format\": ", KALTAP_Record_Unreadable, "not a JSON text"},
        {"unknown_format", R"({"format": "other", "format_version": 2})", KALTAP_Record_Unreadable, "format:"},
        {"unknown_version", R"({"format": "kaltap-design", "format_version": 3})", KALTAP_Record_Unreadable,
         "format_version: 3"},
        {"missing_input", head + R"("date": "x"})", KALTAP_Record_Unreadable, "input: missing"},
        {"wrong_type", head + classical + two_bands + R"(, "bits": "16"}})", KALTAP_Record_Unreadable,
         "input.bits: expected an integer"},
        {"missing_weight", head + classical + R"([{"lower_edge": 0, "upper_edge": 0.1, "desired": 1}])" + bits,
         KALTAP_Record_Unreadable, "input.bands[1].weight: missing"},
        {"non_finite",
         head + classical + R"([{"lower_edge": 0, "upper_edge": 1e999, "desired": 1, "weight": 1}])" + bits,
         KALTAP_Record_Unreadable, "input.bands[1].upper_edge: not a finite number"},
        {"bands_out_of_order",
         head + classical +
             R"([{"lower_edge": 0.2, "upper_edge": 0.5, "desired": 0, "weight": 1},)"
             R"( {"lower_edge": 0, "upper_edge": 0.1, "desired": 1, "weight": 1}])" +
             bits,
         KALTAP_Record_Unreadable, "input.bands[2].lower_edge: bands out of order"},
        {"unknown_path", head + R"("input": {"path": "bandstop", "bits": 0}})", KALTAP_Record_Unreadable, "input.path"},
        {"refused_by_the_program",
         head + R"("input": {"path": "lowpass", "find": "ripple", "number_of_weights": 25, )"
                R"("attenuation_db": 300, "bandwidth": 0.15, "transition": 0.05, "bits": 0}})",
         KALTAP_Record_Run_Failed, "FIR_Stopband_Attenuation < 10.d0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write_record("bad.json", c.text);
        Console_Capture console;
        testing::internal::CaptureStdout();
        std::string error;
        const int status = KALTAP_Run_Design_Record(record_path("bad.json"), "", error);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(status, c.status);
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
        EXPECT_TRUE(take_files().empty());
    }
    // Too large: refused by its size, before it is read.
    {
        std::ofstream big(record_path("big.json"), std::ios::binary);
        big.seekp(static_cast<std::streamoff>(100u * 1024u * 1024u));
        big.put('}');
    }
    std::string error;
    EXPECT_EQ(KALTAP_Run_Design_Record(record_path("big.json"), "", error), KALTAP_Record_Unreadable);
    EXPECT_NE(error.find("larger than 16 MiB"), std::string::npos) << error;
    EXPECT_TRUE(take_files().empty());
}

// A record of the first version (requirements and results only) still runs,
// as a classical design with the bits of its quantization, into the folder
// named for it; the export named with it goes where its name says, relative
// to the working folder.
TEST_F(DesignRecord, FirstVersionRecordRunsIntoOutputFolder) {
    write_record("v1.json", R"({"format": "kaltap-design", "format_version": 1, "requirements": {)"
                            R"("filter_type": "bandpass", "number_of_weights": 24, "grid_density": 16, "bands": [)"
                            R"({"lower_edge": 0.0, "upper_edge": 0.1, "desired": 1.0, "weight": 1.0},)"
                            R"({"lower_edge": 0.2, "upper_edge": 0.5, "desired": 0.0, "weight": 10.0}]},)"
                            R"("results": {"quantization": {"bits": 10}}})");
    fs::create_directories(folder_ / "out");
    Console_Capture console;
    testing::internal::CaptureStdout();
    std::string error;
    const int status = KALTAP_Run_Design_Record(record_path("v1.json"), (folder_ / "out").string(), error, "v1_taps.h");
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(status, KALTAP_Record_Run_Done) << error;
    EXPECT_EQ(fs::current_path(), work_);
    EXPECT_EQ(Number_of_Weights, 24);
    EXPECT_EQ(KALTAP_Bits, 10);
    EXPECT_NEAR(Band_Weighting(2), 10.0, 0.0);
    int hex = 0;
    for (const auto& entry : fs::directory_iterator(folder_ / "out"))
        hex += entry.path().filename().string().find("Hex_Weights.csv") != std::string::npos;
    EXPECT_EQ(hex, 1);
    const std::map<std::string, std::string> exported = take_files();
    ASSERT_EQ(exported.size(), 1u);
    EXPECT_NE(exported.begin()->second.find("#define V1_TAPS_LENGTH 24\n"), std::string::npos);
    EXPECT_NE(exported.begin()->second.find("#define V1_TAPS_BITS 10\n"), std::string::npos);
}

}  // namespace
