// SPDX-License-Identifier: GPL-3.0-or-later
#include "KALTAP_UI_UIK.h"

#include <cstdio>
#include <cstdlib>

#include "Unit_IO.h"

UIK_Dialog_Record UI_Dialog;
UIK_Label_Record UI_Label;
UIK_CheckBox_Record UI_Check_Box;
UIK_RadioButtons_Record UI_Radio_Buttons;
UIK_LineEdit_Record UI_Line_Edit;
UIK_LineEdit_Record UI_Line_Edits[UI_Line_Edit_Count];

void UI_New_Dialog(const std::string& title, UI_Start start) {
    UI_Dialog.windowTitle.set(title);
    UI_Dialog.remembered = start == UI_Start::Remembered;
    UIK_createDialog(UI_Dialog);
}

void UI_Add_Label(const std::string& text) {
    UI_Label.text.set(text);
    UIK_addLabel(UI_Dialog.unit, UI_Label);
}

void UI_Add_Wrapped_Labels(const std::string& text, int width) {
    std::string line;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(start, end - start);
        if (!line.empty() && static_cast<int>(line.size() + 1 + word.size()) > width) {
            UI_Add_Label(line);
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        start = end + 1;
    }
    if (!line.empty()) UI_Add_Label(line);
}

void UI_Add_Radio_Buttons(const std::string& title, const std::vector<std::string>& items, int selected) {
    UI_Radio_Buttons.title.set(title);
    UI_Radio_Buttons.itemList.assign(items.begin(), items.end());
    UI_Radio_Buttons.selected = selected;
    UIK_addRadioButtons(UI_Dialog.unit, UI_Radio_Buttons);
}

void UI_Add_Line_Edit(UIK_LineEdit_Record& edit, const std::string& title, const std::string& text) {
    edit.title.set(title);
    edit.text.set(text);
    edit.placeholder.set("");
    UIK_addLineEdit(UI_Dialog.unit, edit);
}

bool UI_Show_Dialog() { return UI_Show_Dialog(UI_Dialog.unit); }

bool UI_Show_Dialog(int unit) { return UIK_showDialog(unit) != 0; }

bool UI_Text_Beyond(const UIK_LineEdit_Record& edit, int width) {
    const std::string& text = edit.text.raw();
    const std::size_t start = width > 0 ? static_cast<std::size_t>(width) : 0;
    return text.size() > start && text.find_first_not_of(' ', start) != std::string::npos;
}

int UI_Read_Integer(const UIK_LineEdit_Record& edit, int width, int& value) {
    if (UI_Text_Beyond(edit, width)) return UNIT_Read_Error;
    return UNIT_Read_Integer_Field(edit.text.raw(), width, value);
}

int UI_Read_Real(const UIK_LineEdit_Record& edit, int width, double& value) {
    if (UI_Text_Beyond(edit, width)) return UNIT_Read_Error;
    return UNIT_Read_Real_Field(edit.text.raw(), width, value);
}

std::string UI_Integer_Text(long long value) { return std::to_string(value); }

std::string UI_Real_Text(double value) {
    char buffer[40];
    for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
        if (std::strtod(buffer, nullptr) == value) break;
    }
    return buffer;
}
