// SPDX-License-Identifier: GPL-3.0-or-later
// Numbers under a locale with a decimal comma (de_DE.UTF-8, as a desktop
// session sets it): the design program reads its dialogs' defaults and writes
// every result file, run log and console line byte for byte as under the "C"
// locale.
//
// The locale is compiled into the build folder (tests/CMakeLists.txt) and
// found through LOCPATH, which ctest sets; run by hand, the test points
// LOCPATH there itself.
#include <dirent.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "Fortran_Format.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Equalizer.h"
#include "KALTAP_Main.h"
#include "KALTAP_Weight_Quantization.h"
#include "Program_Stop.h"
#include "Timers.h"
#include "UIK_Script.h"
#include "Unit_IO.h"
#include "test_support.h"

namespace {

const char* const German = "de_DE.UTF-8";

// The process's locale, as the window layer sets it, until the object ends;
// then "C" again.
class Process_Locale {
public:
    explicit Process_Locale(const char* name) {
        setenv("LOCPATH", KALTAP_TEST_LOCALES, 0);  // ctest's setting stays
        set = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~Process_Locale() { std::setlocale(LC_ALL, "C"); }
    bool set;
};

// The German locale, or a failure saying why not: a test that cannot set it
// proves nothing and must not pass.
#define ASSERT_GERMAN_LOCALE(locale)                                                                \
    ASSERT_TRUE((locale).set) << German << " could not be set; LOCPATH=" << std::getenv("LOCPATH"); \
    ASSERT_STREQ(std::localeconv()->decimal_point, ",")

std::string File_Text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The files a run writes: result files (.csv) and the run log (.txt).
bool Output_File(const std::string& name) {
    for (const char* suffix : {".csv", ".txt"}) {
        const std::string s = suffix;
        if (name.size() > s.size() && name.compare(name.size() - s.size(), s.size(), s) == 0) return true;
    }
    return false;
}

std::map<std::string, std::string> Output_Files() {
    std::map<std::string, std::string> files;
    DIR* dir = opendir(".");
    if (dir == nullptr) return files;
    while (dirent* entry = readdir(dir))
        if (Output_File(entry->d_name)) files[entry->d_name] = File_Text(entry->d_name);
    closedir(dir);
    return files;
}

void Remove_Output_Files() {
    for (const auto& file : Output_Files()) std::remove(file.first.c_str());
}

// A run log's text without its date and time lines (" Date CCYYMMDD, time
// hhmmss.sss"), whose seconds go on in any locale.
std::string Without_Times(const std::string& log) {
    std::istringstream in(log);
    std::string kept;
    for (std::string line; std::getline(in, line);)
        if (line.rfind(" Date ", 0) != 0) kept += line + '\n';
    return kept;
}

using Answers = std::vector<std::vector<std::pair<std::string, std::string>>>;
const char* const Approach = "Select filter design approach:";

// What a run left: its files by name, and its console lines.
struct Run_Output {
    std::map<std::string, std::string> files;
    std::vector<std::string> console;
};

struct Run_Case {
    const char* name;
    Answers answers;  // OK answers after the agreement, every field as shown but these
    const char* bits;
};

void PrintTo(const Run_Case& c, std::ostream* os) { *os << c.name; }

class Locale_Runs : public ::testing::TestWithParam<Run_Case> {
protected:
    void SetUp() override { Remove_Output_Files(); }
    void TearDown() override {
        Timers_Set_Clock({});
        Reset_Design_Program();
        Remove_Output_Files();
    }

    // The design program from its agreement to its outputs, every dialog
    // accepted with its defaults.
    Run_Output run(const Run_Case& c) {
        Reset_Design_Program();
        Remove_Output_Files();
        UIK_Reset_Call_Interface();
        Weights_Quantized = false;
        KALTAP_Filter_Weights_Valid = false;
        KALTAP_Design_Failed = false;
        Equalizer_File_Name = "Equalizer.csv";
        Equalizer_Pause_Seconds = 0.0;
        Fix_Clock_And_Clear_Results();  // the same file names in both runs
        {
            std::ofstream csv("Equalizer.csv");  // C++ streams keep the classic locale
            csv << "Frequency (Hz),Gain\n";
            for (int i = 0; i <= 8; ++i) csv << 500 * i << "," << 2.0 - 0.2 * i << "\n";
        }
        Console_Capture console;
        UIK_Script script;
        script.Accept({{"Agree?", "1"}, {"Select run type:", "1"}});
        for (const auto& answer : c.answers) script.Accept(answer);
        script.Accept();  // next action: accept the design
        script.Accept({{"Number of Bits (2 to 48)", c.bits}});
        std::string stop_text;
        EXPECT_TRUE(Stops(KALTAP_Main, &stop_text));
        EXPECT_EQ(stop_text, "");
        // Every default was taken: no refusal box came between the dialogs.
        EXPECT_TRUE(script.script_errors.empty()) << script.script_errors.front();
        EXPECT_EQ(script.shown.size(), c.answers.size() + 3) << script.dialog_titles().back();
        EXPECT_FALSE(console.contains("###Error"));
        EXPECT_TRUE(console.contains(KALTAP_Menu_Hint));
        UNIT_Close_All_Files();
        Run_Output output{Output_Files(), console.lines};
        output.files.erase("Equalizer.csv");
        return output;
    }
};

TEST_P(Locale_Runs, WriteTheSameFilesAsUnderC) {
    const Run_Case& c = GetParam();
    const Run_Output in_c = run(c);
    Run_Output in_german;
    {
        Process_Locale german(German);
        ASSERT_GERMAN_LOCALE(german);
        in_german = run(c);
        // The run gave the thread its locale back.
        EXPECT_STREQ(std::localeconv()->decimal_point, ",");
    }
    int logs = 0, results = 0;
    for (const auto& file : in_c.files) {
        const auto german = in_german.files.find(file.first);
        ASSERT_NE(german, in_german.files.end()) << file.first << " not written under " << German;
        if (file.first.size() > 4 && file.first.compare(file.first.size() - 4, 4, ".txt") == 0) {
            ++logs;
            EXPECT_EQ(Without_Times(german->second), Without_Times(file.second)) << file.first;
        } else {
            ++results;
            EXPECT_EQ(german->second, file.second) << file.first;
        }
    }
    EXPECT_EQ(in_german.files.size(), in_c.files.size());
    EXPECT_EQ(results, 3);  // weights, response and hex file
    EXPECT_GE(logs, 1);
    ASSERT_EQ(in_german.console.size(), in_c.console.size());
    for (std::size_t i = 0; i < in_c.console.size(); ++i)
        ASSERT_EQ(in_german.console[i], in_c.console[i]) << "console line " << i + 1;
}

INSTANTIATE_TEST_SUITE_P(
    Defaults, Locale_Runs,
    ::testing::Values(
        Run_Case{"classical", {{{Approach, "3"}}, {}, {}}, "16"},
        // Band edges whose defaults the program computes.
        Run_Case{"classical_two_bands",
                 {{{Approach, "3"}}, {{"Number of Bands (use 1 for differentiator or Hilbert transformer)", "2"}}, {}},
                 "32"},
        Run_Case{"low_pass_find_order", {{{Approach, "1"}}, {}, {}, {}}, "24"},
        Run_Case{"equalizer", {{{Approach, "4"}}, {}, {}, {}}, "12"}),
    [](const auto& info) { return std::string(info.param.name); });

// The conversions of the support layer need no run around them: called from
// anywhere, they read and write the "C" notation.
TEST(Locale_Conversions, OutsideARunAreTheSameAsUnderC) {
    const double values[] = {0.1, -0.25, 12345.678, 1.5e-7, -3.0e12};
    auto texts = [&] {
        std::vector<std::string> t;
        for (double x : values) {
            double read = 0.0;
            const bool parsed = UNIT_Parse_Real(FMT_Free(x), read);
            t.push_back(FMT_Fixed(x, 23, 15) + "|" + FMT_General_15(x) + "|" + FMT_Scientific(x, 23, 15) + "|" +
                        (parsed && read == x ? "read back" : "not read back"));
        }
        return t;
    };
    const auto in_c = texts();
    Process_Locale german(German);
    ASSERT_GERMAN_LOCALE(german);
    EXPECT_EQ(texts(), in_c);
}

// A run converts in "C" on its thread and gives the thread its locale back.
TEST(Locale_Conversions, ARunUsesCAndRestoresTheLocale) {
    Process_Locale german(German);
    ASSERT_GERMAN_LOCALE(german);
    std::string point;
    char text[16] = "";
    KALTAP_Run_Program([&] {
        point = std::localeconv()->decimal_point;
        std::snprintf(text, sizeof text, "%.1f", 0.5);
    });
    EXPECT_EQ(point, ".");
    EXPECT_STREQ(text, "0.5");
    EXPECT_STREQ(std::localeconv()->decimal_point, ",");
    // Also after an orderly stop.
    Console_Capture console;
    EXPECT_TRUE(KALTAP_Run_Program([] { KALTAP_Stop("stop"); }));
    EXPECT_STREQ(std::localeconv()->decimal_point, ",");
}

}  // namespace
