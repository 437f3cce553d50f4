// SPDX-License-Identifier: GPL-3.0-or-later
// A design made again from its JSON design record, without anyone at the
// dialogs: the record's inputs become preset answers of the design path's
// dialogs (UIK_Preset_Answers.h), and one pass of the design loop runs with
// them, writing the same report and files as a design made in the dialogs.
#pragma once

#include <string>

#include "Design_Inputs.h"
#include "UIK_Preset_Answers.h"

// Exit statuses of a record run (and of "kaltap --design").
constexpr int KALTAP_Record_Run_Done = 0;    // the design and its files were written
constexpr int KALTAP_Record_Run_Failed = 1;  // the program refused an input or the design failed
constexpr int KALTAP_Record_Unreadable = 3;  // the record or the output folder could not be used

// The answers of every dialog the design path of `inputs` asks, accepting
// the design and rounding to inputs.bits (0 when it is below 0).
// `table_path` is the file the equalizer's file field is given.
UIK_Preset_Map KALTAP_Record_Answers(const KALTAP_Design_Inputs& inputs, const std::string& table_path);

// Notes the equalizer's inputs just accepted (KALTAP_Equalizer_Setup) in
// KALTAP_Current_Inputs: the table file's name without its folder and its
// text, the number of weights and the grid density.
void KALTAP_Note_Equalizer_Inputs();

// "Open Design…" of the "FIR Design" menu, and the title of the dialog and
// of the error box of a record that cannot be used.
extern const char* const KALTAP_Open_Design_Menu_Item;
extern const char* const KALTAP_Open_Design_Dialog_Title;
extern const char* const KALTAP_Record_Error_Title;

// Menu routine "Open Design…": asks for a design record (dialog
// KALTAP_Open_Design_Dialog_Title, file field "Design record"), and gives
// the dialogs of its design path the record's inputs as their remembered
// entries (UIK_Preset_Use::Remember; the equalizer's table is written to a
// temporary folder that lives until the next record is opened); then runs
// the design loop as "New FIR Filter Design" does, each dialog starting from
// the record's entry, so the user may change a field before accepting it. A
// record that cannot be used gives the error box (KALTAP_Record_Error_Title,
// the reader's error) and runs nothing; Cancel runs nothing. Returns 0.
int KALTAP_Open_Design_Action();

// Reads the record at `record_path` and makes its design in `output_dir`
// (the working folder when empty; the working folder is the same again
// afterwards), with console text echoed to the process's standard output.
// The equalizer's table is written to a temporary folder for the run and
// removed after it. When `export_path` is given, the design is then also
// exported there (KALTAP_Export_Weights) in the format its extension names
// (".h", ".m", ".py", ".coe", ".mem", ".json"; a name relative to the
// working folder, not to `output_dir`). Returns KALTAP_Record_Run_Done, or
// another status with `error` set: KALTAP_Record_Unreadable for the record's
// fault (KALTAP_Read_Design_Record), an export name with no format's
// extension or an output folder that cannot be entered (nothing run,
// nothing written), or an export that cannot be written ("Can't write
// <path>: <reason>", after the design's files); KALTAP_Record_Run_Failed
// with the stop text, the message box or alert that refused an input, or
// the console's last error or warning line when the design failed.
int KALTAP_Run_Design_Record(const std::string& record_path, const std::string& output_dir, std::string& error,
                             const std::string& export_path = std::string());
