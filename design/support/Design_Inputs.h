// SPDX-License-Identifier: GPL-3.0-or-later
// The inputs of the current design as its dialogs accepted them, kept for the
// JSON design record, which holds everything needed to make the design again
// (and is read back to do so).
//
// The design control loop clears them when a design path starts; each path
// fills its part once its dialogs have accepted their inputs, and the loop
// adds the bits. Frequencies are fractions of the sample rate (cycles per
// sample), ripple and attenuation in dB. All vectors are zero-based: element
// k-1 holds band k.
#pragma once

#include <string>
#include <vector>

// The design paths of the "Select Filter Type" dialog.
enum class KALTAP_Design_Path { None, Lowpass, Highpass, Classical, Equalizer };

// The free quantity of a two-band design ("Select Type of Optimization").
enum class KALTAP_Free_Quantity { Number_of_Weights = 1, Transition = 2, Ripple = 3, Attenuation = 4 };

struct KALTAP_Input_Band {
    double lower_edge = 0.0, upper_edge = 0.0, desired = 0.0, weight = 0.0;
};

struct KALTAP_Design_Inputs {
    KALTAP_Design_Path path = KALTAP_Design_Path::None;
    // Classical: Type_of_Filter 1 bandpass, 2 differentiator, 3 Hilbert
    // transformer; the equalizer's number of weights and density too.
    int filter_type = 1;
    int number_of_weights = 0;
    int grid_density = 0;
    std::vector<KALTAP_Input_Band> bands;
    // Two-band searches. `order` (number of weights free): 0 odd or even,
    // 1 odd, 2 even. `decimation_ratio` 0 for a normal filter (the
    // transition width given), else the ratio (transition from it).
    // `optimize` (transition free): 2 the bandwidth, 3 the transition.
    // Quantities the free one does not use keep their values here and are
    // not written.
    KALTAP_Free_Quantity find = KALTAP_Free_Quantity::Number_of_Weights;
    int order = 0;
    int decimation_ratio = 0;
    int optimize = 3;
    double ripple_db = 0.0, attenuation_db = 0.0, bandwidth = 0.0, transition = 0.0;
    // Equalizer: the table file's name as chosen (no folder) and its text.
    std::string table_name;
    std::string table;
    // Bits for rounding: 0 none, 2..48; -1 not chosen yet.
    int bits = -1;
};

// The inputs of the current design.
extern KALTAP_Design_Inputs KALTAP_Current_Inputs;

// Forget the inputs of the previous design (path None, bits -1).
void KALTAP_Clear_Inputs();
