// SPDX-License-Identifier: GPL-3.0-or-later
#include "UIK_Preset_Answers.h"

#include <algorithm>

#include "Program_Stop.h"

namespace {

struct Preset_Field {
    int labelId = 0;
    UIK_Op op = UIK_Op::Count;
    std::string title;   // the field's own title
    std::string placed;  // its title under the section label
    std::string name;    // its memory name
    std::vector<std::string> items;
};

struct Preset_Dialog {
    int unit = 0;
    std::string title;
    std::string section;  // text of the last label added
    std::vector<std::string> labels;
    std::vector<Preset_Field> fields;
};

bool active = false;
UIK_Preset_Use preset_use = UIK_Preset_Use::Answer;
UIK_Preset_Map presets;
std::map<int, Preset_Dialog> dialogs;
std::string last_fields_title;        // title of the last dialog with fields shown
std::vector<std::string> since_last;  // messages shown since then
std::string last_message;

std::string text_of(const UIK_Request& request, const char* key) {
    const UIK_Value* value = UIK_Find(request.properties, key);
    if (value == nullptr) return std::string();
    if (const std::string* text = std::get_if<std::string>(value)) return *text;
    return std::string();
}

std::vector<std::string> items_of(const UIK_Request& request) {
    const UIK_Value* value = UIK_Find(request.properties, "itemList");
    if (value == nullptr) return {};
    if (const auto* items = std::get_if<std::vector<std::string>>(value)) return *items;
    return {};
}

// Remember mode: the field's preset, once, as its remembered entry.
void give_entry(const std::string& dialog_title, const std::string& name, const std::string& title) {
    if (title.empty()) return;
    auto found = presets.find({dialog_title, name});
    if (found == presets.end()) found = presets.find({dialog_title, title});
    if (found == presets.end()) return;
    const std::string entry = found->second;
    presets.erase(found);
    UIK_rememberDialogEntry(dialog_title, name, entry);
}

void add_field(const UIK_Request& request) {
    Preset_Dialog& dialog = dialogs[request.unit];
    Preset_Field field;
    field.labelId = request.labelId;
    field.op = request.op;
    field.title = text_of(request, "title");
    field.items = items_of(request);
    if (!field.title.empty()) {
        field.placed = dialog.section.empty() ? field.title : dialog.section + " / " + field.title;
        int occurrence = 1;
        for (const Preset_Field& earlier : dialog.fields) occurrence += earlier.placed == field.placed ? 1 : 0;
        field.name = occurrence == 1 ? field.placed : field.placed + "@" + std::to_string(occurrence);
    }
    dialog.fields.push_back(field);
    if (preset_use == UIK_Preset_Use::Remember) give_entry(dialog.title, field.name, field.title);
}

std::string message_text(const std::string& title, const std::vector<std::string>& lines) {
    std::string text = title;
    for (std::size_t i = 0; i < lines.size(); ++i) text += (i == 0 ? ": " : " ") + lines[i];
    return text;
}

void note_message(const std::string& text) {
    since_last.push_back(text);
    last_message = text;
}

[[noreturn]] void refuse_field(const Preset_Dialog& dialog, const Preset_Field& field, const std::string& why) {
    KALTAP_Stop("The design record " + why + " for field \"" + (field.name.empty() ? field.title : field.name) +
                "\" of dialog \"" + dialog.title + "\".");
}

const std::string* preset_for(const Preset_Dialog& dialog, const Preset_Field& field) {
    if (field.title.empty()) return nullptr;
    auto found = presets.find({dialog.title, field.name});
    if (found == presets.end()) found = presets.find({dialog.title, field.title});
    return found == presets.end() ? nullptr : &found->second;
}

std::vector<std::string> answer_dialog(int unit) {
    const auto found = dialogs.find(unit);
    if (found == dialogs.end()) return {"0"};
    const Preset_Dialog dialog = found->second;
    dialogs.erase(found);
    if (dialog.fields.empty()) {
        note_message(message_text(dialog.title, dialog.labels));
        return {"1"};
    }
    if (dialog.title == last_fields_title && !since_last.empty()) {
        std::string text;
        for (const std::string& message : since_last) text += (text.empty() ? "" : "; ") + message;
        KALTAP_Stop(text);
    }
    last_fields_title = dialog.title;
    since_last.clear();
    std::vector<std::string> answers{"1"};
    for (const Preset_Field& field : dialog.fields) {
        const std::string* preset = preset_for(dialog, field);
        if (preset == nullptr) refuse_field(dialog, field, "gives no answer");
        if (field.op == UIK_Op::addRadioButtonsToDialog || field.op == UIK_Op::addComboBoxToDialog) {
            const auto item = std::find(field.items.begin(), field.items.end(), *preset);
            if (item == field.items.end()) refuse_field(dialog, field, "names no item \"" + *preset + "\"");
            answers.push_back(std::to_string(item - field.items.begin() + 1));
        } else {
            answers.push_back(*preset);
        }
    }
    return answers;
}

// Names the dialog request's field (or title, or section label); false for
// any other request.
bool note_dialog_request(const UIK_Request& request) {
    switch (request.op) {
        case UIK_Op::createDialogWindow: {
            Preset_Dialog& dialog = dialogs[request.unit];
            dialog = Preset_Dialog();
            dialog.unit = request.unit;
            dialog.title = text_of(request, "windowTitle");
            return true;
        }
        case UIK_Op::addLabelToDialog: {
            Preset_Dialog& dialog = dialogs[request.unit];
            dialog.section = text_of(request, "text");
            dialog.labels.push_back(dialog.section);
            return true;
        }
        case UIK_Op::addComboBoxToDialog:
        case UIK_Op::addCheckBoxToDialog:
        case UIK_Op::addLineEditToDialog:
        case UIK_Op::addFileDialogToDialog:
        case UIK_Op::addRadioButtonsToDialog: add_field(request); return true;
        default: return false;
    }
}

}  // namespace

void UIK_Set_Preset_Answers(const UIK_Preset_Map& answers, UIK_Preset_Use use) {
    UIK_Clear_Preset_Answers();
    presets = answers;
    preset_use = use;
    active = true;
}

void UIK_Clear_Preset_Answers() {
    active = false;
    presets.clear();
    dialogs.clear();
    last_fields_title.clear();
    since_last.clear();
    last_message.clear();
}

bool UIK_Preset_Answers_Active() { return active; }

std::string UIK_Preset_Last_Message() { return last_message; }

bool UIK_Preset_Carry_Out(const UIK_Request& request, std::vector<std::string>& answers) {
    if (!active) return false;
    answers.clear();
    if (preset_use == UIK_Preset_Use::Remember) {
        // The dialogs go to the window layer; their fields are named here.
        if (request.op == UIK_Op::showDialogWindow) dialogs.erase(request.unit);
        note_dialog_request(request);
        return false;
    }
    if (request.op == UIK_Op::showDialogWindow) {
        answers = answer_dialog(request.unit);
        return true;
    }
    if (request.op == UIK_Op::alertBox) {
        note_message(message_text(text_of(request, "title"), {text_of(request, "text")}));
        return true;
    }
    return note_dialog_request(request);
}
