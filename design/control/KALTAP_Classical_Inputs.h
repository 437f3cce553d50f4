// SPDX-License-Identifier: GPL-3.0-or-later
// The classical band-definition path of the design loop: filter type, number
// of weights, number of bands and grid density, then per band two edges, a
// desired value and a weight, each checked; then one run of the design engine.
#pragma once

// Asks for the filter definition until it is acceptable (Cancel: alert
// "Procedure ended" and return without a new design), opens the run log
// "Classical_FIR_Filter_Design_Log.txt", starts a new design, asks for the
// bands in dialogs of up to five bands until every band is acceptable, and
// runs KALTAP_Design.
//
// The definition is read into the routine's own variables and reaches the
// design state only once accepted: after a Cancel (also after refused
// entries) the previous design, its sizes and its validity are untouched.
// Bands are refused with edges outside 0..0.5, a right edge not above the
// left one, or an edge not above the previous band's right edge (touching,
// overlapping or out-of-order bands); numeric fields with text beyond the
// characters read (10 for integers, 40 for reals) are refused as unreadable.
// A response above 0.001 in magnitude asked for where the filter's symmetry
// forces a zero is refused, with a line naming the cause in every band's box:
// at 0.5 (last band ending there) for a band-pass filter with an even number
// of weights; at 0 (first band starting there) for a differentiator or Hilbert
// transformer of any length; at 0.5 for those with an odd number of weights.
// The differentiator's desired value is a slope: its response is slope * f,
// zero at 0 whatever the slope. Edges within 0.00001 of 0 or 0.5 lie on it.
void KALTAP_Classical_Inputs();
