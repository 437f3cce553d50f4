// SPDX-License-Identifier: GPL-3.0-or-later
// Shared pieces of the benchmark programs; the designs they time are set
// up by Design_Setups.h, as the tests set theirs up.
#pragma once

#include <string>

#include "Design_Setups.h"
#include "Unit_IO.h"

// Console lines are counted as written but shown nowhere, so that printing
// does not enter the timings.
inline void Quiet_Console() {
    UNIT_Hooks h;
    h.write_text = [](const std::string& text, int) { return static_cast<int>(text.size()); };
    UNIT_Register_Hooks(h);
}
