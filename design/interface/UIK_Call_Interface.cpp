// SPDX-License-Identifier: GPL-3.0-or-later
#include "UIK_Call_Interface.h"

#include <algorithm>
#include <charconv>
#include <system_error>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <variant>

#include "UIK_Preset_Answers.h"

#include "Program_Stop.h"
#include "Unit_IO.h"

const char* const UIK_Data_Types[5] = {"INTEGER*4", "INTEGER*8", "REAL*4", "REAL*8", "REAL*16"};

void UIK_Text::set(const std::string& s) {
    c.fill(' ');
    std::memcpy(c.data(), s.data(), std::min<std::size_t>(s.size(), c.size()));
}

std::string UIK_Text::trimmed() const { return UIK_Trim_Trailing(raw()); }

std::string UIK_Trim_Trailing(const std::string& s) {
    std::size_t end = s.size();
    while (end > 0 && s[end - 1] == ' ') --end;
    return s.substr(0, end);
}

const UIK_Value* UIK_Find(const UIK_Property_Map& map, const std::string& key) {
    for (const auto& entry : map)
        if (entry.first == key) return &entry.second;
    return nullptr;
}

namespace {

const char* const Op_Names[] = {
    "createWindow",
    "writeText",
    "closeWindow",
    "moveWindow",
    "activateUIKWindow",
    "saveWindowContents",
    "alertBox",
    "createDialogWindow",
    "addLabelToDialog",
    "addComboBoxToDialog",
    "addCheckBoxToDialog",
    "addLineEditToDialog",
    "addFileDialogToDialog",
    "addRadioButtonsToDialog",
    "showDialogWindow",
    "addMenu",
    "enableItem",
    "getSaveFileName",
    "createXYPlot",
    "writeXYPlot",
    "clearXYPlot",
    "writeSpreadsheet",
    "readSpreadsheet",
    "setHorizontalLabels",
    "setVerticalLabels",
    "createBarchart",
    "writeBarchart",
    "createPieChart",
    "writePieChart",
    "createPolarPlot",
    "writePolarPlot",
    "clearPolarPlot",
    "createContourPlot",
    "writeContourPlot",
    "clearContourPlot",
    "createCanvas",
    "clearCanvas",
    "createObjectOnCanvas",
    "createTimerWindow",
    "destroyTimerWindow",
    "rememberDialogEntry",
};
static_assert(sizeof Op_Names / sizeof Op_Names[0] == static_cast<std::size_t>(UIK_Op::Count),
              "one name per operation");

UIK_Window_Layer* window_layer = nullptr;
int next_unit = UIK_First_Automatic_Unit;

// The answer registry: identifiers in the order created (dialog units and
// value-returning controls), the kind of each control, the dialog it belongs
// to, and where its answer goes.
struct Registered_Control {
    UIK_Control_Kind kind;
    int dialog_unit;
    int* integer_answer;
    UIK_Text* text_answer;
};
std::vector<int> registry_order;
std::map<int, Registered_Control> registry_controls;

// Why the most recent save did not write its file; empty when it did.
std::string save_failure;
const char* const Unknown_Save_Failure = "reason unknown";

std::vector<std::string> carry_out(UIK_Request& request) {
    // A window layer that is closing answers nothing: the design program ends here.
    KALTAP_Check_Stop();
    std::vector<std::string> preset;
    if (UIK_Preset_Carry_Out(request, preset)) return preset;
    if (window_layer == nullptr) return {};
    return window_layer->Carry_Out(request);
}

void register_control(int dialog_unit, int label_id, UIK_Control_Kind kind, int* integer_answer,
                      UIK_Text* text_answer) {
    registry_order.push_back(label_id);
    registry_controls[label_id] = Registered_Control{kind, dialog_unit, integer_answer, text_answer};
}

// A dialog answer read as a decimal integer; anything else reads as 0.
int answer_integer(const std::string& answer) {
    std::size_t first = answer.find_first_not_of(" \t");
    std::size_t last = answer.find_last_not_of(" \t");
    if (first == std::string::npos) return 0;
    const std::string digits = answer.substr(first, last - first + 1);
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(digits.c_str(), &end, 10);
    if (end == digits.c_str() || *end != '\0' || errno == ERANGE || value < INT_MIN || value > INT_MAX) return 0;
    return static_cast<int>(value);
}

}  // namespace

std::vector<std::string> UIK_Carry_Out(const UIK_Request& request) {
    KALTAP_Check_Stop();
    if (window_layer == nullptr) return {};
    return window_layer->Carry_Out(request);
}

const char* UIK_Op_Name(UIK_Op op) { return op < UIK_Op::Count ? Op_Names[static_cast<std::size_t>(op)] : ""; }

UIK_Request UIK_Request_For(UIK_Op op, int unit, int label_id) {
    UIK_Request r;
    r.op = op;
    r.signal = UIK_Op_Name(op);
    r.unit = unit;
    r.labelId = label_id;
    return r;
}

void UIK_Put(UIK_Request& request, const char* key, UIK_Value value) {
    request.properties.emplace_back(key, std::move(value));
}

UIK_Request UIK_Block_Request(UIK_Op op, int unit, const void* data, const std::string& data_type, int nrows,
                              int ncols) {
    UIK_Request r = UIK_Request_For(op, unit);
    r.data = data;
    r.dataType = UIK_Trim_Trailing(data_type);
    r.nrows = nrows;
    r.ncols = ncols;
    return r;
}

std::vector<std::string> UIK_Trimmed_Items(const std::vector<UIK_Text>& items) {
    std::vector<std::string> list;
    list.reserve(items.size());
    for (const auto& item : items) list.push_back(item.trimmed());
    return list;
}

std::string UIK_Number_Text(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (result.ec != std::errc()) return "0";
    return std::string(buffer, result.ptr);
}

void UIK_Set_Window_Layer(UIK_Window_Layer* layer) { window_layer = layer; }
UIK_Window_Layer* UIK_Current_Window_Layer() { return window_layer; }

int UIK_Next_Unit_Number() { return next_unit++; }

void UIK_Reset_Call_Interface() {
    next_unit = UIK_First_Automatic_Unit;
    registry_order.clear();
    registry_controls.clear();
    save_failure.clear();
}

int UIK_createWindow(UIK_TextWindow_Record& window) {
    window.unit = UIK_Next_Unit_Number();
    UIK_Request r = UIK_Request_For(UIK_Op::createWindow, window.unit);
    UIK_Put(r, "windowName", window.windowName.raw());
    UIK_Put(r, "access", "ACCESS=window," + std::to_string(window.width) + "," + std::to_string(window.height));
    carry_out(r);
    return 1;
}

int UIK_writeText(int unit, const std::string& text) {
    UIK_Request r = UIK_Request_For(UIK_Op::writeText, unit);
    UIK_Put(r, "text", text + "\n");
    carry_out(r);
    return 0;
}

int UIK_readText(int unit, char* buffer, int length) {
    const auto& hooks = UNIT_Current_Hooks();
    if (buffer == nullptr || length <= 0 || !hooks.read_line) return -1;
    const int stored = hooks.read_line(buffer, length, unit);
    if (stored < 0) return stored;
    // Cut at the first line feed (the CR before it goes too) and blank-pad.
    int end = stored;
    for (int i = 0; i < stored; ++i)
        if (buffer[i] == '\n') {
            end = i;
            break;
        }
    if (end > 0 && buffer[end - 1] == '\r') --end;
    std::memset(buffer + end, ' ', static_cast<std::size_t>(length - end));
    return stored;
}

int UIK_closeWindow_Unit(int unit) {
    UIK_Request r = UIK_Request_For(UIK_Op::closeWindow, unit);
    carry_out(r);
    return 1;
}

int UIK_moveWindow_Unit(int unit, int x, int y) {
    UIK_Request r = UIK_Request_For(UIK_Op::moveWindow, unit);
    UIK_Put(r, "x", x);
    UIK_Put(r, "y", y);
    carry_out(r);
    return 1;
}

int UIK_activateWindow_Unit(int unit) {
    UIK_Request r = UIK_Request_For(UIK_Op::activateUIKWindow, unit);
    carry_out(r);
    return 1;
}

int UIK_saveWindowContents_Unit(int unit, const std::string& file_name) {
    UIK_Request r = UIK_Request_For(UIK_Op::saveWindowContents, unit);
    UIK_Put(r, "saveFileName", UIK_Trim_Trailing(file_name));
    r.waits = true;
    const std::vector<std::string> answer = carry_out(r);
    save_failure.clear();
    if (answer.empty()) return 0;
    save_failure = answer[0].empty() ? Unknown_Save_Failure : answer[0];
    return UIK_Save_Failed;
}

std::string UIK_Save_Failure_Reason() { return save_failure; }

int UIK_alertBox(const std::string& title, const std::string& text) {
    UIK_Request r = UIK_Request_For(UIK_Op::alertBox);
    UIK_Put(r, "title", UIK_Trim_Trailing(title));
    UIK_Put(r, "text", UIK_Trim_Trailing(text));
    r.waits = true;
    carry_out(r);
    return 1;
}

int UIK_createDialog(UIK_Dialog_Record& dialog) {
    dialog.unit = UIK_Next_Unit_Number();
    registry_order.push_back(dialog.unit);
    UIK_Request r = UIK_Request_For(UIK_Op::createDialogWindow, dialog.unit);
    UIK_Put(r, "windowTitle", dialog.windowTitle.trimmed());
    UIK_Put(r, "remembered", dialog.remembered);
    carry_out(r);
    return 1;
}

int UIK_addLabel(int dialog_unit, UIK_Label_Record& label) {
    label.labelId = UIK_Next_Unit_Number();
    UIK_Request r = UIK_Request_For(UIK_Op::addLabelToDialog, dialog_unit, label.labelId);
    UIK_Put(r, "text", label.text.trimmed());
    carry_out(r);
    return 1;
}

int UIK_addComboBox(int dialog_unit, UIK_ComboBox_Record& combo) {
    combo.labelId = UIK_Next_Unit_Number();
    register_control(dialog_unit, combo.labelId, UIK_Combo_Box, &combo.selected, nullptr);
    UIK_Request r = UIK_Request_For(UIK_Op::addComboBoxToDialog, dialog_unit, combo.labelId);
    UIK_Put(r, "title", combo.title.trimmed());
    UIK_Put(r, "itemList", UIK_Trimmed_Items(combo.itemList));
    UIK_Put(r, "selected", combo.selected);
    carry_out(r);
    return 1;
}

int UIK_addCheckBox(int dialog_unit, UIK_CheckBox_Record& check) {
    check.labelId = UIK_Next_Unit_Number();
    register_control(dialog_unit, check.labelId, UIK_Check_Box, &check.checked, nullptr);
    UIK_Request r = UIK_Request_For(UIK_Op::addCheckBoxToDialog, dialog_unit, check.labelId);
    UIK_Put(r, "title", check.title.trimmed());
    UIK_Put(r, "checked", check.checked != 0);
    carry_out(r);
    return 1;
}

int UIK_addLineEdit(int dialog_unit, UIK_LineEdit_Record& edit) {
    edit.labelId = UIK_Next_Unit_Number();
    register_control(dialog_unit, edit.labelId, UIK_Line_Edit, nullptr, &edit.text);
    UIK_Request r = UIK_Request_For(UIK_Op::addLineEditToDialog, dialog_unit, edit.labelId);
    UIK_Put(r, "title", edit.title.trimmed());
    UIK_Put(r, "placeholder", edit.placeholder.trimmed());
    UIK_Put(r, "text", edit.text.trimmed());
    carry_out(r);
    return 1;
}

int UIK_addFileField(int dialog_unit, UIK_FileField_Record& file) {
    file.labelId = UIK_Next_Unit_Number();
    register_control(dialog_unit, file.labelId, UIK_File_Field, nullptr, &file.text);
    UIK_Request r = UIK_Request_For(UIK_Op::addFileDialogToDialog, dialog_unit, file.labelId);
    UIK_Put(r, "title", file.title.trimmed());
    UIK_Put(r, "placeholder", file.placeholder.trimmed());
    UIK_Put(r, "text", file.text.trimmed());
    UIK_Put(r, "defaultDirectory", file.defaultDirectory.trimmed());
    UIK_Put(r, "chooseDirectory", file.mode == 2);
    UIK_Put(r, "allowNewFiles", file.mode == 3);
    carry_out(r);
    return 1;
}

int UIK_addRadioButtons(int dialog_unit, UIK_RadioButtons_Record& radio) {
    radio.labelId = UIK_Next_Unit_Number();
    register_control(dialog_unit, radio.labelId, UIK_Radio_Buttons, &radio.selected, nullptr);
    UIK_Request r = UIK_Request_For(UIK_Op::addRadioButtonsToDialog, dialog_unit, radio.labelId);
    UIK_Put(r, "title", radio.title.trimmed());
    UIK_Put(r, "itemList", UIK_Trimmed_Items(radio.itemList));
    UIK_Put(r, "selected", radio.selected);
    carry_out(r);
    return 1;
}

int UIK_showDialog(int dialog_unit) {
    if (window_layer == nullptr && !UIK_Preset_Answers_Active()) return 0;
    UIK_Request r = UIK_Request_For(UIK_Op::showDialogWindow, dialog_unit);
    r.waits = true;
    const std::vector<std::string> answers = carry_out(r);
    if (answers.empty()) return 0;
    const int result = answer_integer(answers[0]);
    if (result != 1) return result;
    // Walk the identifiers registered after the dialog's unit. Only the
    // dialog's own controls take answers: an answer list longer than the
    // dialog's controls never reaches the records of another dialog.
    const auto start = std::find(registry_order.begin(), registry_order.end(), dialog_unit);
    if (start == registry_order.end()) return result;
    std::size_t answer = 1;
    for (auto it = start + 1; it != registry_order.end() && answer < answers.size(); ++it) {
        const auto found = registry_controls.find(*it);
        if (found == registry_controls.end()) break;  // the next dialog's unit
        const Registered_Control& control = found->second;
        if (control.dialog_unit != dialog_unit) continue;
        const std::string& value = answers[answer++];
        switch (control.kind) {
            case UIK_Combo_Box:
            case UIK_Check_Box:
            case UIK_Radio_Buttons: *control.integer_answer = answer_integer(value); break;
            case UIK_Line_Edit:
            case UIK_File_Field: control.text_answer->set(value); break;
        }
    }
    return result;
}

int UIK_rememberDialogEntry(const std::string& dialog_title, const std::string& field, const std::string& entry) {
    UIK_Request r = UIK_Request_For(UIK_Op::rememberDialogEntry);
    UIK_Put(r, "windowTitle", UIK_Trim_Trailing(dialog_title));
    UIK_Put(r, "field", field);
    UIK_Put(r, "entry", entry);
    UIK_Carry_Out(r);
    return 0;
}

int UIK_addMenu(int unit, const std::string& menu, const std::string& item, UIK_Callback callback,
                const std::string& shortcut) {
    UIK_Request r = UIK_Request_For(UIK_Op::addMenu, unit);
    UIK_Put(r, "menu", UIK_Trim_Trailing(menu));
    UIK_Put(r, "item", UIK_Trim_Trailing(item));
    UIK_Put(r, "shortcut", UIK_Trim_Trailing(shortcut.substr(0, std::min<std::size_t>(shortcut.size(), 32))));
    r.callback = callback;
    carry_out(r);
    return 0;
}

int UIK_enableMenuItem(int unit, const std::string& menu, const std::string& item, bool state) {
    UIK_Request r = UIK_Request_For(UIK_Op::enableItem, unit);
    UIK_Put(r, "menu", UIK_Trim_Trailing(menu));
    UIK_Put(r, "item", UIK_Trim_Trailing(item));
    UIK_Put(r, "state", state);
    carry_out(r);
    return 0;
}

std::string UIK_getSaveFileName(const std::string& caption, const std::vector<std::string>& file_types,
                                int& selected_type) {
    UIK_Request r = UIK_Request_For(UIK_Op::getSaveFileName);
    UIK_Put(r, "caption", UIK_Trim_Trailing(caption));
    UIK_Put(r, "fileTypes", file_types);
    UIK_Put(r, "selected", selected_type);
    r.waits = true;
    // The answer: the path, then the number of the file type chosen.
    const std::vector<std::string> answer = carry_out(r);
    if (answer.empty() || answer[0].empty()) return std::string();
    if (answer.size() > 1) {
        const int chosen = answer_integer(answer[1]);
        if (chosen >= 1 && chosen <= static_cast<int>(file_types.size())) selected_type = chosen;
    }
    return answer[0];
}

int UIK_createXYPlot(UIK_XYPlot_Record& plot) {
    plot.unit = UIK_Next_Unit_Number();
    UIK_Request r = UIK_Request_For(UIK_Op::createXYPlot, plot.unit);
    UIK_Put(r, "windowTitle", plot.windowTitle.trimmed());
    UIK_Put(r, "chartBackgroundColor", plot.chartBackgroundColor);
    UIK_Put(r, "xAxisName", plot.xAxisName.trimmed());
    UIK_Put(r, "yAxisName", plot.yAxisName.trimmed());
    UIK_Put(r, "xScaleType", plot.xScaleType);
    UIK_Put(r, "xScaleLB", plot.xScaleLB);
    UIK_Put(r, "xScaleUB", plot.xScaleUB);
    UIK_Put(r, "xScaleStep", plot.xScaleStep);
    UIK_Put(r, "yScaleType", plot.yScaleType);
    UIK_Put(r, "yScaleLB", plot.yScaleLB);
    UIK_Put(r, "yScaleUB", plot.yScaleUB);
    UIK_Put(r, "yScaleStep", plot.yScaleStep);
    UIK_Put(r, "showHgridLines", plot.showHgridLines);
    UIK_Put(r, "showVgridLines", plot.showVgridLines);
    carry_out(r);
    return 1;
}

int UIK_writeXYPlot(int plot_unit, const void* data, const std::string& data_type, int nrows, int ncols,
                    const UIK_XYSeries_Record& series) {
    UIK_Request r = UIK_Block_Request(UIK_Op::writeXYPlot, plot_unit, data, data_type, nrows, ncols);
    UIK_Put(r, "fittedCurve", series.fittedCurve);
    UIK_Put_Curve_Style(r, series);
    if (!series.hideItem.trimmed().empty()) UIK_Put(r, "hideItem", series.hideItem.trimmed());
    r.waits = true;
    carry_out(r);
    return 1;
}

int UIK_clearXYPlot(UIK_XYPlot_Record& plot) {
    UIK_Request r = UIK_Request_For(UIK_Op::clearXYPlot, plot.unit);
    carry_out(r);
    return 1;
}
