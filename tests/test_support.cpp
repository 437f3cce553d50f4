// SPDX-License-Identifier: GPL-3.0-or-later
#include "test_support.h"

#include "KALTAP_Frequency_Plots.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "Dynamic_LUN.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "KALTAP_Frequency_Plots.h"
#include "Program_Stop.h"
#include "Result_Set.h"
#include "Run_Logging.h"
#include "Timers.h"
#include "Unit_IO.h"

Console_Capture::Console_Capture() {
    UNIT_Hooks h;
    h.write_text = [this](const std::string& text, int) {
        lines.push_back(text);
        return static_cast<int>(text.size());
    };
    h.read_line = [this](char* buffer, int length, int) {
        if (input.empty()) return -1;
        std::string line = input.front() + "\r\n";
        input.pop_front();
        int n = static_cast<int>(line.size()) < length ? static_cast<int>(line.size()) : length;
        std::memcpy(buffer, line.data(), static_cast<std::size_t>(n));
        return n;
    };
    UNIT_Register_Hooks(h);
}

Console_Capture::~Console_Capture() { UNIT_Clear_Hooks(); }

bool Console_Capture::contains(const std::string& text) const { return count(text) > 0; }

int Console_Capture::count(const std::string& text) const {
    int n = 0;
    for (const auto& l : lines)
        if (l.find(text) != std::string::npos) ++n;
    return n;
}

void Reset_Design_Program() {
    UNIT_Close_All_Files();
    DYNLUN_Reset();
    RESULT_SET_End();
    Remove_Files_Of_Day(Test_Clock_Date);
    Run_Log_Unit = 0;
    Run_Log_Echo = 0;
    KALTAP_Rescue_Enabled = true;
    Quiet_Remez = true;
    Deviations_Only = false;
    KALTAP_Forget_Shown_Designs();
}

bool Stops(const std::function<void()>& fn, std::string* text) { return KALTAP_Run_Program(fn, text); }

std::vector<std::string> Read_Lines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<double> Full_Impulse_Response() {
    const int N = Number_of_Weights;
    std::vector<double> h(static_cast<std::size_t>(N));
    const double sign = Antisymmetric ? -1.0 : 1.0;
    for (int n = 1; n <= Half_Length; ++n) {
        h[n - 1] = Filter_Weights(n);
        h[N - n] = sign * Filter_Weights(n);
    }
    if (PMC_DCT_Type == 1) h[Half_Length - 1] = Filter_Weights(Half_Length);
    if (PMC_DCT_Type == 3) h[Half_Length] = 0.0;
    return h;
}

std::vector<std::string> Property_Keys(const UIK_Property_Map& map) {
    std::vector<std::string> keys;
    for (const auto& entry : map) keys.push_back(entry.first);
    return keys;
}

void Call_Interface_Test::SetUp() {
    Reset_Design_Program();
    UIK_Reset_Call_Interface();
}

void Fix_Clock_And_Clear_Results() {
    Timers_Set_Clock([] {
        Clock_Reading c;
        c.year = 2026, c.month = 12, c.day = 6, c.hour = 14, c.minute = 7, c.second = 59;
        return c;
    });
    RESULT_SET_End();
    Remove_Files_Of_Day(Test_Clock_Date);
}

void Remove_Files_Of_Day(const std::string& date) {
    std::error_code error;
    std::vector<std::filesystem::path> doomed;
    for (std::filesystem::directory_iterator it(".", error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.rfind(date + "_", 0) == 0 || name.find("_" + date + "_") != std::string::npos)
            doomed.push_back(it->path());
    }
    for (const auto& path : doomed) std::filesystem::remove(path, error);
}
