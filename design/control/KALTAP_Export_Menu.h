// SPDX-License-Identifier: GPL-3.0-or-later
// The "Export Weights…" item of the "FIR Design" menu: writes the current
// design as a coefficient file or a JSON design record (formats in
// KALTAP_Weight_Export.h).
//
// The item is usable only while there is a design to export
// (KALTAP_Export_Available: valid weights in arrays of the design's size): it
// is added disabled, and KALTAP_Update_Export_Menu, called whenever a design
// loop or the design program ends, enables or disables it. Like every menu
// routine, the action runs once the design program has stopped.
#pragma once

#include <string>

// "Export Weights…".
extern const char* const KALTAP_Export_Menu_Item;
// The save dialog's title, "Export Weights".
extern const char* const KALTAP_Export_Dialog_Title;
// Title of the error box of a failed export.
extern const char* const KALTAP_Export_Error_Title;

// "Save Design…", the item that saves the current design as a JSON design
// record; its save dialog's title, "Save Design".
extern const char* const KALTAP_Save_Design_Menu_Item;
extern const char* const KALTAP_Save_Design_Dialog_Title;

// Adds the item, and "Save Design…" after it, to the "FIR Design" menu of
// the console (unit -2), disabled.
void KALTAP_Add_Export_Menu_Item();

// Forgets the item before a new run of the design program, whose agreement
// adds it again to the window layer of that run (a window layer of an
// earlier run in the same process, as in tests, does not have it).
void KALTAP_Reset_Export_Menu_Item();

// Enables both items when KALTAP_Export_Available(), disables them otherwise.
// Nothing before the item has been added. Safe to call outside a run of the
// design program: a stop requested meanwhile ends only this request.
void KALTAP_Update_Export_Menu();

// The path and format a save-dialog answer stands for: the name's own
// extension when it is one of the formats on offer (`quantized` as for
// KALTAP_Export_Offered); otherwise the file type chosen (1-based in the
// offered list), whose extension is appended to the name. `format_number`
// receives the KALTAP_Export_Format value, or 0 when the name's extension
// belongs to a format that needs quantized weights and none are on offer.
std::string KALTAP_Export_Path(const std::string& name, int chosen_type, bool quantized, int& format_number);

// Menu routine: asks for the file with the save dialog (one file type per
// format on offer; the quantized formats only for a quantized design), writes
// it and reports "Weights exported to <path> (<file type>)" on the console. A
// file that cannot be written gives the error box (KALTAP_Export_Error_Title,
// "Can't write <path>: <reason>") and changes nothing else; a cancelled
// dialog writes nothing. Without valid weights: "###Error in
// KALTAP_Export_Weights, called with KALTAP_Filter_Weights_Valid==.FALSE." on
// the console; with valid weights in arrays not allocated to the design's
// size: "###Error in KALTAP_Export_Weights, the current design's arrays are
// not allocated to its size"; either way before any dialog, then an orderly
// stop of this routine only. Returns 0.
int KALTAP_Export_Weights_Action();

// Menu routine "Save Design…": as KALTAP_Export_Weights_Action for the one
// format of the JSON design record (".json" added to a name without it),
// reported as "Design saved to <path>". Returns 0.
int KALTAP_Save_Design_Action();
