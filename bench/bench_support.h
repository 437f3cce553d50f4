// Shared pieces of the benchmark programs.
#pragma once

#include <string>

#include "Unit_IO.h"

// Console lines are counted as written but shown nowhere, so that printing
// does not enter the timings.
inline void Quiet_Console() {
    UNIT_Hooks h;
    h.write_text = [](const std::string& text, int) { return static_cast<int>(text.size()); };
    UNIT_Register_Hooks(h);
}
