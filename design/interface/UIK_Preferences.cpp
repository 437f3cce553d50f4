// SPDX-License-Identifier: GPL-3.0-or-later
#include "UIK_Preferences.h"

namespace {
constexpr int Font_Family_Length = 30;
}

int UIK_Pref_Stack_Size() { return 33554432; }
bool UIK_Pref_Use_MDI() { return true; }
bool UIK_Pref_Maximized() { return true; }
bool UIK_Pref_Confirm_Close_Modified() { return false; }
int UIK_Pref_Window_Width() { return 1024; }
int UIK_Pref_Window_Height() { return 768; }
int UIK_Pref_Font_Size() { return 10; }
std::string UIK_Pref_Font_Family() {
    std::string family = "Courier New";
    family.resize(Font_Family_Length, ' ');
    return family;
}
bool UIK_Pref_Save_On_Close() { return false; }
bool UIK_Pref_Quit_On_Stop() { return false; }
bool UIK_Pref_Show_Console() { return true; }
