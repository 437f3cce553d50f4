// SPDX-License-Identifier: GPL-3.0-or-later
#include "Design_Inputs.h"

KALTAP_Design_Inputs KALTAP_Current_Inputs;

void KALTAP_Clear_Inputs() { KALTAP_Current_Inputs = KALTAP_Design_Inputs(); }
