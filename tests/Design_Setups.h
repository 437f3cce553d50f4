// SPDX-License-Identifier: GPL-3.0-or-later
// Filter requirements set up for a run of the design program, shared by the
// design-program tests, the window-layer tests and the benchmarks. Each
// routine sets the filter requirements named in its contract and sizes the
// design arrays through KALTAP_New_Design; the rest of the program's state
// is left as it is. No test framework: the benchmarks use these too.
#pragma once

#include <vector>

// One band of the filter requirements: edges in cycles per sample (0 to
// 0.5), desired value and weight.
struct Band {
    double lower, upper, desired, weight;
};

// Band k of `bands` (k = 1..bands.size()) into the band tables: edges 2k-1
// and 2k, desired value k and weight k. Number_of_Bands and the arrays are
// left as they are; the arrays must hold bands.size() bands.
void Set_Band_Tables(const std::vector<Band>& bands);

// KALTAP_New_Design for the filter of Type_of_Filter `type` with N weights,
// grid density `density` and bands.size() bands, then the band tables.
void Set_Up_Design(int type, int N, int density, const std::vector<Band>& bands);

// The storage the two-band searches are given: arrays for 128 weights, five
// bands and density 64; then two bands at density 32 for KALTAP_BandType
// `band_type`. The band tables are left to the caller.
void Set_Up_Two_Band_Storage(int band_type);

// The low-pass family of the benchmarks and of the long runs: N weights,
// density 16, band 1 0–0.2 (desired 1, weight 1), band 2 0.2 + 2/N – 0.5
// (desired 0, weight 10): a transition of two frequency bins.
void Set_Up_Low_Pass_Family(int N);
