// SPDX-License-Identifier: GPL-3.0-or-later
#include "UIK_Error_Message.h"

#include "Program_Stop.h"

int Error_Message_Open = 0;
std::string Error_Message_Pending_Title;
UIK_Dialog_Record Error_Message_Dialog;
UIK_Label_Record Error_Message_Label;

void Error_Message(const std::string& title, const std::string& text) {
    Error_Message_Title(title);
    Error_Message_Line(text);
    Error_Message_Show();
}

void Error_Message_Title(const std::string& title) {
    Error_Message_Open = 0;
    const std::size_t first = title.find_first_not_of(' ');
    Error_Message_Pending_Title = first == std::string::npos ? std::string() : UIK_Trim_Trailing(title.substr(first));
}

void Error_Message_Line(const std::string& text) {
    if (Error_Message_Open == 0) {
        Error_Message_Dialog.windowTitle.set(Error_Message_Pending_Title);
        UIK_createDialog(Error_Message_Dialog);
        Error_Message_Open = 1;
    }
    Error_Message_Label.text.set(UIK_Trim_Trailing(text));
    UIK_addLabel(Error_Message_Dialog.unit, Error_Message_Label);
}

void Error_Message_Show() {
    if (Error_Message_Open == 0) return;
    const int result = UIK_showDialog(Error_Message_Dialog.unit);
    Error_Message_Open = 0;
    if (result == 0) KALTAP_Stop("Program stopped by user request.");
}
