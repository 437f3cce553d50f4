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
void KALTAP_Classical_Inputs();

