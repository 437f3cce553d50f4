// SPDX-License-Identifier: GPL-3.0-or-later
// Message boxes of the design program's dialogs.
//
// A message box is a form dialog of labels with OK and Cancel: one line per
// `Error_Message_Line` call under the title of the last `Error_Message_Title`.
// Cancel in it stops the whole design program ("Program stopped by user
// request."), so every validation message lets the user give up.
//
// The module keeps a dialog record and a label record of its own, so a message
// can be assembled while another dialog's shared records are being filled.
#pragma once

#include <string>

#include "UIK_Call_Interface.h"

extern int Error_Message_Open;                   // 1 while a message dialog is being assembled
extern std::string Error_Message_Pending_Title;  // title of the next message dialog
extern UIK_Dialog_Record Error_Message_Dialog;
extern UIK_Label_Record Error_Message_Label;

// A one-line message: title, line, show.
void Error_Message(const std::string& title, const std::string& text);
// Starts a new message: no dialog yet, title stored without leading or
// trailing blanks.
void Error_Message_Title(const std::string& title);
// Appends one line (trailing blanks removed); the first line after a title
// creates the dialog.
void Error_Message_Line(const std::string& text);
// Shows the message when it has a line; OK returns, Cancel stops the program.
void Error_Message_Show();
