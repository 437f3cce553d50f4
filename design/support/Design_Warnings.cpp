// SPDX-License-Identifier: GPL-3.0-or-later
#include "Design_Warnings.h"

#include <algorithm>

#include "Fortran_Format.h"

namespace {

std::vector<std::string> Warnings;

bool is_warning(const std::string& line) {
    return line.compare(0, 10, "***Warning") == 0 || line.compare(0, 10, "###Warning") == 0;
}

}  // namespace

void DESIGN_WARNINGS_Clear() { Warnings.clear(); }

void DESIGN_WARNINGS_Note(const std::string& line) {
    if (!is_warning(line)) return;
    const std::string text = FMT_Trim_Right(line);
    if (std::find(Warnings.begin(), Warnings.end(), text) == Warnings.end()) Warnings.push_back(text);
}

const std::vector<std::string>& DESIGN_WARNINGS_List() { return Warnings; }
