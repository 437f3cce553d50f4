// SPDX-License-Identifier: GPL-3.0-or-later
#include "Dynamic_LUN.h"

#include "Fortran_Format.h"
#include "Program_Stop.h"
#include "Unit_IO.h"

int DYNLUN_List[DYNLUN_Capacity] = {};
int DYNLUN_Count = 0;
int DYNLUN_Position = 0;

namespace {
int& entry(int k) { return DYNLUN_List[k - 1]; }
}  // namespace

int DYNLUN_Find(int unit) {
    int lo = 1, hi = DYNLUN_Count;
    if (DYNLUN_Count == 0) {
        DYNLUN_Position = 1;
        return 0;
    }
    if (unit < entry(1)) {
        DYNLUN_Position = 1;
        return 0;
    }
    if (unit == entry(1)) {
        DYNLUN_Position = 1;
        return 1;
    }
    if (unit == entry(DYNLUN_Count)) {
        DYNLUN_Position = DYNLUN_Count;
        return 1;
    }
    if (unit > entry(DYNLUN_Count)) {
        DYNLUN_Position = DYNLUN_Count + 1;
        return 0;
    }
    while (hi - lo > 6) {
        int mid = (lo + hi + 1) / 2;
        if (unit < entry(mid)) {
            hi = mid;
        } else if (unit == entry(mid)) {
            DYNLUN_Position = mid;
            return 1;
        } else {
            lo = mid;
        }
    }
    for (int k = lo; k <= hi; ++k) {
        if (unit < entry(k)) {
            DYNLUN_Position = k;
            return 0;
        }
        if (unit == entry(k)) {
            DYNLUN_Position = k;
            return 1;
        }
    }
    DYNLUN_Position = hi + 1;
    return 0;
}

int DYNLUN_Allocate(int start) {
    int u = start;
    while (UNIT_Is_Open(u) || DYNLUN_Find(u) == 1) ++u;
    if (DYNLUN_Count + 1 > DYNLUN_Capacity) {
        UNIT_Write(UNIT_Console, "###LUN Overflow in Dynamic LUN");
        UNIT_Write(UNIT_Console, "Maximum number of listed LUNs is " + FMT_Free(DYNLUN_Capacity));
        UNIT_Write(UNIT_Console, "Increase, re-compile, and try again.");
        KALTAP_Stop(" ");
    }
    DYNLUN_Count = DYNLUN_Count + 1;
    for (int k = DYNLUN_Count; k > DYNLUN_Position; --k) entry(k) = entry(k - 1);
    entry(DYNLUN_Position) = u;
    return u;
}

void DYNLUN_Release(int unit) {
    if (UNIT_Is_Open(unit)) UNIT_Write(UNIT_Console, "###Warning:  DYNLUN_Release of open LUN: " + FMT_Free(unit));
    if (DYNLUN_Find(unit) == 0) {
        UNIT_Write(UNIT_Console, "###Error in DYNLUN_Release, release_LUN not in list: " + FMT_Free(unit));
        return;
    }
    for (int k = DYNLUN_Position; k < DYNLUN_Count; ++k) entry(k) = entry(k + 1);
    DYNLUN_Count = DYNLUN_Count - 1;
}

int DYNLUN_close(int unit) {
    int status = UNIT_Not_Open;
    if (!UNIT_Is_Open(unit)) {
        UNIT_Write(UNIT_Console, "###Error in DYNLUN_close(LUN), LUN " + FMT_Free(unit) + " not in use");
    } else {
        status = UNIT_Close(unit);
    }
    DYNLUN_Release(unit);
    return status;
}

void DYNLUN_Reset() {
    DYNLUN_Count = 0;
    DYNLUN_Position = 0;
}
