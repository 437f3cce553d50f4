// SPDX-License-Identifier: GPL-3.0-or-later
// The two-band low-pass / high-pass path of the design loop: the user picks the
// quantity the program finds (number of weights, transition width, passband
// ripple or stopband attenuation), enters the others, and the matching search
// of the optimization engine designs the filter.
#pragma once

// Values entered here that the searches share (start values in brackets).
extern double FIR_Passband_Bandwidth;  // passband width, fraction of the sample rate (0.2)
extern int Decimation_Ratio;           // ratio of a decimation or interpolation filter (1)
extern int Decimation_Design;          // 1 when a decimation/interpolation filter was chosen (0)

// One two-band design: selection, path dialog until accepted, run log,
// set-up of the design state, search. KALTAP_BandType must be 1 or 3.
//
// - The previous design is invalidated first (KALTAP_Filter_Weights_Valid
//   false): the path ends in a new design or a stop.
// - Cancel in any of its dialogs stops the program ("Program terminated at
//   user request."); a refused entry is reported in message boxes and the
//   path's dialog is shown again from its defaults.
// - Fields are read from their first characters (10 for integers, 5 for the
//   decimation ratio, 20 for reals); text beyond them that is not blank makes
//   the field unreadable ("I/O Error" box) rather than being cut off.
// - Besides the ranges of each figure, a bandwidth and transition that leave
//   no stopband below half the sample rate (B + T >= 0.5) are refused.
// - A high-pass needs an odd number of weights: its passband ends at half the
//   sample rate, where a symmetric filter of even length is zero. An even
//   count is refused in the transition, ripple and attenuation paths, and the
//   number-of-weights search of a high-pass must be forced odd (the free and
//   the even choice are refused), each with a line naming the cause.
// - The design arrays are sized for every count the path's search can design:
//   the entered number of weights, or for the number-of-weights search the
//   rounded-up order estimate plus the search's span (at least 128, at most
//   16385 weights).
// - The transition search of a high-pass starts from the mirror image of the
//   low-pass set-up (passband edge at 0.5 - B, stopband edge at
//   0.5 - (0.15 + 0.7 B)), and "2" / "3" move the passband / stopband edge for
//   both filter kinds.
// - FIR_Passband_PtoP_Ripple, FIR_Stopband_Attenuation, FIR_Passband_Bandwidth,
//   FIROPT_NOW and Decimation_Ratio keep their values between designs; a path
//   that does not ask for one leaves it unchanged.
void KALTAP_Two_Band_Inputs();
