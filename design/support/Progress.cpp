// SPDX-License-Identifier: GPL-3.0-or-later
#include "Progress.h"

#include <locale>
#include <sstream>

namespace {
// The design program's thread owns both; the hook is set while it does not run.
KALTAP_Progress_Hook progress_hook;
std::vector<KALTAP_Progress_Level> levels;

void tell() {
    if (progress_hook) progress_hook(levels);
}
}  // namespace

void KALTAP_Set_Progress_Hook(KALTAP_Progress_Hook hook) { progress_hook = std::move(hook); }

KALTAP_Progress_Scope::KALTAP_Progress_Scope(const std::string& work) {
    levels.push_back({work, std::string()});
    tell();
}

KALTAP_Progress_Scope::~KALTAP_Progress_Scope() {
    levels.pop_back();
    tell();
}

void KALTAP_Report_Step(const std::string& step) {
    if (levels.empty()) return;
    levels.back().step = step;
    tell();
}

bool KALTAP_Progress_Wanted() { return static_cast<bool>(progress_hook) && !levels.empty(); }

std::string KALTAP_Progress_Value(double value, int digits) {
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text.precision(digits);
    text << value;
    return text.str();
}
