// SPDX-License-Identifier: GPL-3.0-or-later
// Settings of the window layer: constant answers the window layer asks for
// while it sets up its thread and windows.
#pragma once

#include <string>

int UIK_Pref_Stack_Size();               // 33554432 bytes (32 MiB) for the design program's thread
bool UIK_Pref_Use_MDI();                 // unit windows live in the main window's document area
bool UIK_Pref_Maximized();               // main window and new unit windows shown maximized
bool UIK_Pref_Confirm_Close_Modified();  // ask to save a modified text window when it closes
int UIK_Pref_Window_Width();             // 1024 pixels
int UIK_Pref_Window_Height();            // 768 pixels
int UIK_Pref_Font_Size();                // 10 points
std::string UIK_Pref_Font_Family();      // "Courier New", blank-padded to 30 characters
bool UIK_Pref_Save_On_Close();           // write a modified text window to its file on close
bool UIK_Pref_Quit_On_Stop();            // end the process as soon as the design program stops
bool UIK_Pref_Show_Console();            // keep the console window visible
