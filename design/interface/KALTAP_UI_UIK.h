// SPDX-License-Identifier: GPL-3.0-or-later
// The dialog records shared by every dialog of the design program's control
// routines, and the small steps that fill them.
//
// One dialog record and one record of each control kind, plus a row of
// line-edit records for dialogs with several fields. Every dialog refills and
// reuses them: the title is written, `UIK_createDialog` gives a new dialog
// unit, controls are added in display order, `UIK_showDialog` blocks until the
// user closes the dialog and leaves the user's values in the records.
// Placeholders stay blank.
#pragma once

#include <string>
#include <vector>

#include "UIK_Call_Interface.h"

// Line-edit records for one dialog; the largest dialog has five fields.
constexpr int UI_Line_Edit_Count = 8;

extern UIK_Dialog_Record UI_Dialog;
extern UIK_Label_Record UI_Label;
extern UIK_CheckBox_Record UI_Check_Box;
extern UIK_RadioButtons_Record UI_Radio_Buttons;
extern UIK_LineEdit_Record UI_Line_Edit;
extern UIK_LineEdit_Record UI_Line_Edits[UI_Line_Edit_Count];  // fields 1..5 of a dialog at [0..4]

// Where a dialog's controls start: from the entries the user last accepted
// in a dialog of the same title (the window layer's memory), or always from
// the values the program passes.
enum class UI_Start { Remembered, Program_Values };

// Writes the title and creates a new dialog.
void UI_New_Dialog(const std::string& title, UI_Start start = UI_Start::Remembered);
// Adds a label to the current dialog.
void UI_Add_Label(const std::string& text);
// `text` as labels of whole words, each at most `width` characters (a word
// longer than that stands alone, cut at the label's 128 characters).
void UI_Add_Wrapped_Labels(const std::string& text, int width = 80);
// Adds the shared radio-button control: the item list is reallocated to the
// items given and `selected` (1-based) starts checked.
void UI_Add_Radio_Buttons(const std::string& title, const std::vector<std::string>& items, int selected = 1);
// Adds `edit` (title, starting text, blank placeholder) to the current dialog.
void UI_Add_Line_Edit(UIK_LineEdit_Record& edit, const std::string& title, const std::string& text);
// Shows the current dialog; true for OK (any result but 0).
bool UI_Show_Dialog();
// Shows the dialog of `unit`; true for OK.
bool UI_Show_Dialog(int unit);

// Fortran-style reads of a line edit's text: an integer / a real from the
// first `width` characters (blanks ignored). Return 0 (UNIT_OK) when read
// correctly. Text beyond the first `width` characters that is not blank is
// not cut off silently: the read fails (UNIT_Read_Error) and `value` is left
// unchanged, so the dialog reports the field as unreadable.
int UI_Read_Integer(const UIK_LineEdit_Record& edit, int width, int& value);
int UI_Read_Real(const UIK_LineEdit_Record& edit, int width, double& value);
// True when the text holds something other than blanks after its first
// `width` characters.
bool UI_Text_Beyond(const UIK_LineEdit_Record& edit, int width);

// An integer written without blanks ("3", "-1").
std::string UI_Integer_Text(long long value);
// A real written so that it reads back as the same value (shortest form).
std::string UI_Real_Text(double value);
