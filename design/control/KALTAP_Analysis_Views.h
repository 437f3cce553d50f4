// SPDX-License-Identifier: GPL-3.0-or-later
// The "View" menu: what the current design's taps do besides their
// magnitude, each item opening one new plot window.
//
// Every view reads the full impulse response h(1..N) that the design's files
// hold (KALTAP_Export_Snapshot) and, when the design is quantized, its
// rounded taps as a second, dark red curve "Rounded to <bits> Bits"; the
// designed taps' curve is "FIR Filter" in forest green, as in the main plot.
//
//   "Impulse Response"          stems h(n+1) at sample n = 0..N-1 (the
//                               rounded taps as crosses on them)
//   "Step Response"             s(n+1) = h(1) + ... + h(n+1), held from n to n+1
//   "Phase Response (Radians)"  the unwrapped phase over f = 0 .. 0.5, radians
//   "Phase Response (Degrees)"  the same in degrees
//   "Group Delay"               in samples over f = 0 .. 0.5, the scale from 0
//                               to at least N-1
//   "Zeros"                     the zeros of H(z) on a polar plot, with the
//                               unit circle (KALTAP_Filter_Zeros)
//
// The phase and the group delay come from KALTAP_Phase_And_Group_Delay with
// its frequencies; where the response is zero they are undefined and the
// curve leaves the point out. Up to KALTAP_Zeros_Length_Limit taps the
// zeros view shows every zero, found and checked; beyond it, or when the
// check fails, only the zeros on the unit circle, and the console says so.
//
// The items are usable only while there is a design (KALTAP_Export_Available).
// Like every menu routine, an item runs on the design program's thread once
// it has stopped, so a long computation (the zeros of 2048 taps take about a
// second) leaves the windows responsive.
#pragma once

enum class KALTAP_Analysis_View { Impulse, Step, Phase_Radians, Phase_Degrees, Group_Delay, Zeros };

// The item texts, in the order of KALTAP_Analysis_View; the menu, "View".
extern const char* const KALTAP_View_Menu;
extern const char* const KALTAP_Analysis_View_Items[6];

// Adds the items to the "View" menu of the console (unit -2), disabled.
void KALTAP_Add_View_Menu();
// Forgets the items before a new run of the design program, whose agreement
// adds them again (as KALTAP_Reset_Export_Menu_Item).
void KALTAP_Reset_View_Menu();
// Enables the items when KALTAP_Export_Available(), disables them otherwise;
// nothing before the items are added. Safe outside a run of the design
// program, like KALTAP_Update_Export_Menu.
void KALTAP_Update_View_Menu();

// Opens the view's window for the current design. Without a design:
// "###Error in KALTAP_Analysis_View, called with
// KALTAP_Filter_Weights_Valid==.FALSE." on the console and an orderly stop of
// this routine only.
void KALTAP_Show_Analysis_View(KALTAP_Analysis_View view);

// Points of the phase and group-delay views: KALTAP_Phase_And_Group_Delay's
// `points`.
constexpr int KALTAP_Analysis_Points = 2049;
