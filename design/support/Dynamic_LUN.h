// SPDX-License-Identifier: GPL-3.0-or-later
// Run-time allocation of unit numbers for files.
//
// Keeps an ascending list of the unit numbers it has handed out and not yet
// taken back, so routines that open files never collide with each other or
// with units already open. Start numbers used: 40 output files, 41 equalizer
// input, 44 run logs.
#pragma once

constexpr int DYNLUN_Capacity = 100;

extern int DYNLUN_List[DYNLUN_Capacity];  // entries 1..DYNLUN_Count (index k-1)
extern int DYNLUN_Count;
extern int DYNLUN_Position;

// A free unit number from `start` upward (neither open nor listed), now listed.
// More than 100 listed units is fatal: three console lines, then a stop.
int DYNLUN_Allocate(int start);
// Close `unit` (an error line when it is not open) and take it off the list.
// Returns UNIT_Close's status (UNIT_Not_Open when the unit was not open), so
// that a writer can tell that the last lines of its file were lost.
int DYNLUN_close(int unit);
// Take `unit` off the list without closing it.
void DYNLUN_Release(int unit);
// 1 when `unit` is listed, else 0; DYNLUN_Position = its place (or where it would go).
int DYNLUN_Find(int unit);
// Empty the list (used when a test starts afresh).
void DYNLUN_Reset();
