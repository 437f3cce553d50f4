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

// Reads the record at `record_path` and makes its design in `output_dir`
// (the working folder when empty; the working folder is the same again
// afterwards), with console text echoed to the process's standard output.
// The equalizer's table is written to a temporary folder for the run and
// removed after it. Returns KALTAP_Record_Run_Done, or another status with
// `error` set: the record's fault (KALTAP_Read_Design_Record) or an output
// folder that cannot be entered (nothing run, nothing written); the stop
// text, the message box or alert that refused an input, or the console's
// last error or warning line when the design failed.
int KALTAP_Run_Design_Record(const std::string& record_path, const std::string& output_dir, std::string& error);
