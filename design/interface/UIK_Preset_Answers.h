// SPDX-License-Identifier: GPL-3.0-or-later
// Preset answers of the form dialogs: a design run without anyone at the
// dialogs (a design record run from the command line) answers every dialog
// from a table instead of asking the window layer.
//
// An answer is named as the window layer's remembered entries are: by the
// dialog's title and the field's memory name. The memory name is the field's
// title, placed under the text of the nearest label above it when there is one
// ("Band 6 / Left Band Edge"); the k-th field (k >= 2) of a dialog with the
// same placed title as earlier ones is "<placed title>@k". A preset named by
// the field's title alone answers the field wherever it stands in its dialog
// (the placed name is looked up first). Answers are texts: the item's text
// for radio buttons and combo boxes, "1" or "0" for a check box, the text of
// a line edit or file field.
//
// Used as answers (UIK_Preset_Use::Answer), while presets are active every
// dialog request stays in the call interface
// (the window layer sees none of them, nor any alert box):
//   - a dialog with fields is accepted with the preset answers; a field with
//     no preset answer, or a preset that names no item of its list, stops the
//     design program (KALTAP_Stop) with a text naming the dialog and field;
//   - a dialog without fields (a message box) is accepted and its title and
//     lines are kept; when the next dialog with fields has the title of the
//     one before it, the design program has refused its answers: it stops
//     with the texts of the message boxes between them, joined by "; ";
//   - alert boxes are kept in the same way (UIK_Preset_Last_Message).
// Used as remembered entries (UIK_Preset_Use::Remember), the dialogs are
// shown as ever, but each field with a preset is first given it as its
// remembered entry (UIK_rememberDialogEntry), so that it starts from it; a
// preset is given once and then dropped, so what the user accepts in its
// place is what the field remembers from then on.
// Design-program thread only.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "UIK_Call_Interface.h"

// (dialog title, field memory name or field title) -> answer text.
using UIK_Preset_Map = std::map<std::pair<std::string, std::string>, std::string>;

enum class UIK_Preset_Use { Answer, Remember };

// Uses `answers` for every dialog from now on (replacing earlier presets).
void UIK_Set_Preset_Answers(const UIK_Preset_Map& answers, UIK_Preset_Use use = UIK_Preset_Use::Answer);
// Back to asking the window layer; forgets the kept messages.
void UIK_Clear_Preset_Answers();
bool UIK_Preset_Answers_Active();

// The text of the last message box or alert shown while presets were active
// ("<title>: <line> <line> ..."); "" when none.
std::string UIK_Preset_Last_Message();

// Called by the call interface for every request it would hand to the window
// layer. True when the request was a dialog request or alert taken here
// (presets active as answers), with its answer list in `answers`.
bool UIK_Preset_Carry_Out(const UIK_Request& request, std::vector<std::string>& answers);
