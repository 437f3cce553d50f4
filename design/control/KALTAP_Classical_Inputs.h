// The classical band-definition path of the design loop: filter type, number
// of weights, number of bands and grid density, then per band two edges, a
// desired value and a weight, each checked; then one run of the design engine.
#pragma once

// Asks for the filter definition until it is acceptable (Cancel: alert
// "Procedure ended" and return without a new design), opens the run log
// "Classical_FIR_Filter_Design_Log.txt", starts a new design, asks for the
// bands in dialogs of up to five bands until every band is acceptable, and
// runs KALTAP_Design.
void KALTAP_Classical_Inputs();

