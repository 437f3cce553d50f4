// SPDX-License-Identifier: GPL-3.0-or-later
// Shared pieces of the benchmark programs.
#pragma once

#include <string>

#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "Unit_IO.h"

// Console lines are counted as written but shown nowhere, so that printing
// does not enter the timings.
inline void Quiet_Console() {
    UNIT_Hooks h;
    h.write_text = [](const std::string& text, int) { return static_cast<int>(text.size()); };
    UNIT_Register_Hooks(h);
}

// The benchmarks' low-pass family: N weights, density 16, band 1 0–0.2
// (desired 1, weight 1), band 2 0.2 + 2/N – 0.5 (desired 0, weight 10): a
// transition of two frequency bins.
inline void Set_Up_Low_Pass_Family(int N) {
    Type_of_Filter = 1;
    Number_of_Weights = N;
    Search_Grid_Density = 16;
    Number_of_Bands = 2;
    KALTAP_New_Design();
    Band_Edges(1) = 0.0;
    Band_Edges(2) = 0.2;
    Band_Edges(3) = 0.2 + 2.0 / N;
    Band_Edges(4) = 0.5;
    Band_Desired_Value(1) = 1.0;
    Band_Desired_Value(2) = 0.0;
    Band_Weighting(1) = 1.0;
    Band_Weighting(2) = 10.0;
}
