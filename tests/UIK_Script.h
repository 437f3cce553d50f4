// SPDX-License-Identifier: GPL-3.0-or-later
// A scripted stand-in for the window layer: installed behind the call
// interface for the lifetime of the object, it answers dialogs from a queue,
// dismisses alerts and records every request, so the dialog paths of the
// design program run and can be checked without any window system.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "UIK_Call_Interface.h"

// A control as the window layer received it.
struct Scripted_Control {
    std::string kind;  // "label", "checkbox", "lineedit", "radio", "combo", "file"
    int labelId = 0;
    std::string title;  // a label's text, other controls' titles
    std::string text;   // line edit and file field starting text
    std::string placeholder;
    std::vector<std::string> items;  // radio buttons, combo box
    int selected = 0;                // radio buttons, combo box
    bool checked = false;            // check box
    UIK_Property_Map properties;
    bool returns_value() const { return kind != "label"; }
};

// One showing of a dialog: its title, its controls and the answer given.
struct Scripted_Dialog {
    int unit = 0;
    std::string title;
    std::vector<Scripted_Control> controls;
    std::vector<std::string> answer;
    // The texts of the labels, in order.
    std::vector<std::string> labels() const;
    // The controls that return a value, in order.
    std::vector<const Scripted_Control*> fields() const;
    // The first field whose title is `title` (nullptr if none).
    const Scripted_Control* field(const std::string& title) const;
};

struct Scripted_Series {
    UIK_Property_Map properties;
    std::string dataType;
    std::vector<std::pair<double, double>> points;
    std::string label() const;
};

struct Scripted_Plot {
    int unit = 0;
    UIK_Property_Map properties;
    std::vector<Scripted_Series> series;
    std::vector<std::string> saved_as;
    bool closed = false;  // its window was closed
    std::string title() const;
};

struct Scripted_Alert {
    std::string title, text;
};

struct Scripted_Menu_Item {
    int unit = 0;
    std::string menu, item, shortcut;
    UIK_Callback callback = nullptr;
};

// A request to enable or disable a menu item.
struct Scripted_Menu_State {
    int unit = 0;
    std::string menu, item;
    bool enabled = false;
};

// One showing of the save-file dialog and the answer given.
struct Scripted_Save_Dialog {
    std::string caption;
    std::vector<std::string> file_types;
    int selected = 0;         // the type chosen at first (1-based)
    std::string answer_path;  // "" for Cancel
    int answer_type = 0;
};

// Builds the answer list for a dialog as shown.
using Scripted_Answer = std::function<std::vector<std::string>(const Scripted_Dialog&)>;

class UIK_Script : public UIK_Window_Layer {
public:
    UIK_Script();
    ~UIK_Script() override;

    std::vector<std::string> Carry_Out(const UIK_Request& request) override;

    // ---- Answers, used in order, one per dialog showing ----
    // OK with every control as shown, except the fields named in `changes`:
    // a key is a field title, or "title@k" for its k-th occurrence (1-based);
    // the value is the text typed (line edit, file field), the item number
    // (radio buttons, combo box) or "1"/"0" (check box).
    void Accept(const std::vector<std::pair<std::string, std::string>>& changes = {});
    // Cancel (answer "0" with the values as shown).
    void Cancel();
    // Exactly this answer list.
    void Answer(const std::vector<std::string>& list);
    // Any rule.
    void Answer_With(Scripted_Answer rule);
    // The same rule for the next `count` showings.
    void Accept_Times(int count) {
        for (int i = 0; i < count; ++i) Accept();
    }

    std::deque<Scripted_Answer> answers;

    // ---- What was requested ----
    std::vector<UIK_Request> requests;      // every request, in order (data pointers not kept)
    std::vector<Scripted_Dialog> shown;     // every dialog showing, in order
    std::vector<Scripted_Alert> alerts;     // every alert box, in order
    std::vector<Scripted_Plot> plots;       // every XY plot, in the order created
    std::vector<std::string> saved_files;   // every file name saved, in order
    std::vector<std::string> failed_saves;  // every file name whose save was made to fail, in order
    std::vector<Scripted_Menu_Item> menu_items;
    std::vector<Scripted_Menu_State> menu_states;  // every enable/disable, in order
    // The state the last request gave the item (false when none was made).
    bool item_enabled(const std::string& menu, const std::string& item) const;

    // ---- Save-file dialogs ----
    // The next showing answers with `path` and file type `type` (1-based);
    // an empty path is Cancel. Used in order; with none left the dialog is
    // cancelled and a script error noted.
    void Save_As(const std::string& path, int type = 0);
    std::deque<std::pair<std::string, int>> save_answers;
    std::vector<Scripted_Save_Dialog> save_dialogs;  // every showing, in order
    // ---- Saves of window contents ----
    // The next save writes its file, or fails for `reason` (which the design
    // program gets from UIK_Save_Failure_Reason). Used in order, one per
    // save; with none left a save writes its file.
    void Save_Written() { save_outcomes.emplace_back(); }
    void Save_Fails(const std::string& reason) { save_outcomes.push_back(reason); }
    std::deque<std::string> save_outcomes;  // "" written, else the reason

    // Mistakes of the script: a dialog shown with no answer left (answered
    // with Cancel), a change naming no field, a write to an unknown plot.
    std::vector<std::string> script_errors;

    // The titles of the dialogs shown, in order.
    std::vector<std::string> dialog_titles() const;
    // The showings whose title is `title`.
    std::vector<const Scripted_Dialog*> dialogs_titled(const std::string& title) const;
    // The plot saved as `file_name`, or as a design's "<stem>_<file_name>".
    const Scripted_Plot* plot_saved_as(const std::string& file_name) const;

private:
    std::map<int, Scripted_Dialog> dialogs_;  // dialogs by unit, controls as added
    Scripted_Plot* plot(int unit);
};

// The answer list of a dialog with every field as shown.
std::vector<std::string> Scripted_Answer_List(const Scripted_Dialog& dialog, bool accepted);
