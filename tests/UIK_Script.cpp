// SPDX-License-Identifier: GPL-3.0-or-later
#include "UIK_Script.h"

#include <cstdint>
#include <cstring>
#include <variant>

namespace {

std::string text_of(const UIK_Property_Map& map, const std::string& key) {
    const UIK_Value* v = UIK_Find(map, key);
    if (v == nullptr) return std::string();
    if (const auto* s = std::get_if<std::string>(v)) return *s;
    return std::string();
}

int int_of(const UIK_Property_Map& map, const std::string& key) {
    const UIK_Value* v = UIK_Find(map, key);
    if (v == nullptr) return 0;
    if (const auto* i = std::get_if<int>(v)) return *i;
    if (const auto* b = std::get_if<bool>(v)) return *b ? 1 : 0;
    if (const auto* u = std::get_if<unsigned>(v)) return static_cast<int>(*u);
    return 0;
}

std::vector<std::string> list_of(const UIK_Property_Map& map, const std::string& key) {
    const UIK_Value* v = UIK_Find(map, key);
    if (v == nullptr) return {};
    if (const auto* l = std::get_if<std::vector<std::string>>(v)) return *l;
    return {};
}

// The value of data element k of a request's array, as a double.
double element(const UIK_Request& r, std::size_t k) {
    const char* p = static_cast<const char*>(r.data);
    if (r.dataType == "INTEGER*4") {
        std::int32_t v;
        std::memcpy(&v, p + 4 * k, 4);
        return v;
    }
    if (r.dataType == "INTEGER*8") {
        std::int64_t v;
        std::memcpy(&v, p + 8 * k, 8);
        return static_cast<double>(v);
    }
    if (r.dataType == "REAL*4") {
        float v;
        std::memcpy(&v, p + 4 * k, 4);
        return v;
    }
    if (r.dataType == "REAL*16") {
        long double v;
        std::memcpy(&v, p + sizeof(long double) * k, sizeof(long double));
        return static_cast<double>(v);
    }
    double v;
    std::memcpy(&v, p + 8 * k, 8);
    return v;
}

}  // namespace

std::vector<std::string> Scripted_Dialog::labels() const {
    std::vector<std::string> texts;
    for (const auto& c : controls)
        if (c.kind == "label") texts.push_back(c.title);
    return texts;
}

std::vector<const Scripted_Control*> Scripted_Dialog::fields() const {
    std::vector<const Scripted_Control*> list;
    for (const auto& c : controls)
        if (c.returns_value()) list.push_back(&c);
    return list;
}

const Scripted_Control* Scripted_Dialog::field(const std::string& title) const {
    for (const auto& c : controls)
        if (c.returns_value() && c.title == title) return &c;
    return nullptr;
}

std::string Scripted_Series::label() const { return text_of(properties, "curveLabel"); }
std::string Scripted_Plot::title() const { return text_of(properties, "windowTitle"); }

std::vector<std::string> Scripted_Answer_List(const Scripted_Dialog& dialog, bool accepted) {
    std::vector<std::string> list{accepted ? "1" : "0"};
    for (const Scripted_Control* c : dialog.fields()) {
        if (c->kind == "checkbox") {
            list.push_back(c->checked ? "1" : "0");
        } else if (c->kind == "lineedit" || c->kind == "file") {
            list.push_back(c->text);
        } else {
            // Radio buttons: a starting choice out of range checks the first.
            int selected = c->selected;
            if (c->kind == "radio" && (selected < 0 || selected > static_cast<int>(c->items.size()))) selected = 1;
            list.push_back(std::to_string(selected));
        }
    }
    return list;
}

UIK_Script::UIK_Script() { UIK_Set_Window_Layer(this); }
UIK_Script::~UIK_Script() { UIK_Set_Window_Layer(nullptr); }

void UIK_Script::Accept(const std::vector<std::pair<std::string, std::string>>& changes) {
    answers.push_back([this, changes](const Scripted_Dialog& d) {
        std::vector<std::string> list = Scripted_Answer_List(d, true);
        const auto fields = d.fields();
        for (const auto& change : changes) {
            std::string title = change.first;
            int occurrence = 1;
            const auto at = title.rfind('@');
            if (at != std::string::npos) {
                occurrence = std::stoi(title.substr(at + 1));
                title = title.substr(0, at);
            }
            bool done = false;
            int seen = 0;
            for (std::size_t i = 0; i < fields.size() && !done; ++i)
                if (fields[i]->title == title && ++seen == occurrence) {
                    list[i + 1] = change.second;
                    done = true;
                }
            if (!done) script_errors.push_back("no field \"" + change.first + "\" in dialog \"" + d.title + "\"");
        }
        return list;
    });
}

void UIK_Script::Cancel() {
    answers.push_back([](const Scripted_Dialog& d) { return Scripted_Answer_List(d, false); });
}

void UIK_Script::Answer(const std::vector<std::string>& list) {
    answers.push_back([list](const Scripted_Dialog&) { return list; });
}

void UIK_Script::Answer_With(Scripted_Answer rule) { answers.push_back(std::move(rule)); }

Scripted_Plot* UIK_Script::plot(int unit) {
    for (auto& p : plots)
        if (p.unit == unit) return &p;
    script_errors.push_back("request for unknown plot unit " + std::to_string(unit));
    return nullptr;
}

std::vector<std::string> UIK_Script::Carry_Out(const UIK_Request& request) {
    requests.push_back(request);
    requests.back().data = nullptr;
    const std::string& s = request.signal;
    const UIK_Property_Map& p = request.properties;

    if (s == "createDialogWindow") {
        Scripted_Dialog d;
        d.unit = request.unit;
        d.title = text_of(p, "windowTitle");
        dialogs_[request.unit] = d;
        return {};
    }
    if (s.rfind("add", 0) == 0 && s.find("ToDialog") != std::string::npos) {
        Scripted_Control c;
        c.labelId = request.labelId;
        c.properties = p;
        c.title = text_of(p, "title");
        if (s == "addLabelToDialog") {
            c.kind = "label";
            c.title = text_of(p, "text");
        } else if (s == "addCheckBoxToDialog") {
            c.kind = "checkbox";
            c.checked = int_of(p, "checked") != 0;
        } else if (s == "addLineEditToDialog") {
            c.kind = "lineedit";
            c.text = text_of(p, "text");
            c.placeholder = text_of(p, "placeholder");
        } else if (s == "addFileDialogToDialog") {
            c.kind = "file";
            c.text = text_of(p, "text");
            c.placeholder = text_of(p, "placeholder");
        } else {
            c.kind = s == "addComboBoxToDialog" ? "combo" : "radio";
            c.items = list_of(p, "itemList");
            c.selected = int_of(p, "selected");
        }
        // A control for a unit without dialog is ignored, as the window layer does.
        const auto found = dialogs_.find(request.unit);
        if (found != dialogs_.end()) found->second.controls.push_back(c);
        return {};
    }
    if (s == "showDialogWindow") {
        const auto found = dialogs_.find(request.unit);
        if (found == dialogs_.end()) return {};
        Scripted_Dialog d = found->second;
        if (answers.empty()) {
            script_errors.push_back("no answer left for dialog \"" + d.title + "\"");
            d.answer = Scripted_Answer_List(d, false);
        } else {
            Scripted_Answer rule = std::move(answers.front());
            answers.pop_front();
            d.answer = rule(d);
        }
        shown.push_back(d);
        return d.answer;
    }
    if (s == "alertBox") {
        alerts.push_back({text_of(p, "title"), text_of(p, "text")});
        return {};
    }
    if (s == "createXYPlot") {
        Scripted_Plot plot;
        plot.unit = request.unit;
        plot.properties = p;
        plots.push_back(plot);
        return {};
    }
    if (s == "writeXYPlot") {
        Scripted_Plot* target = plot(request.unit);
        if (target == nullptr) return {};
        Scripted_Series series;
        series.properties = p;
        series.dataType = request.dataType;
        for (int row = 0; row < request.nrows; ++row) {
            const std::size_t k = static_cast<std::size_t>(row) * static_cast<std::size_t>(request.ncols);
            series.points.emplace_back(element(request, k), request.ncols > 1 ? element(request, k + 1) : 0.0);
        }
        target->series.push_back(series);
        return {};
    }
    if (s == "closeWindow") {
        if (Scripted_Plot* target = plot(request.unit)) target->closed = true;
        return {};
    }
    if (s == "clearXYPlot") {
        if (Scripted_Plot* target = plot(request.unit)) target->series.clear();
        return {};
    }
    if (s == "saveWindowContents") {
        const std::string name = text_of(p, "saveFileName");
        std::string failure;
        if (!save_outcomes.empty()) {
            failure = save_outcomes.front();
            save_outcomes.pop_front();
        }
        if (!failure.empty()) {
            failed_saves.push_back(name);
            return {failure};
        }
        saved_files.push_back(name);
        for (auto& pl : plots)
            if (pl.unit == request.unit) pl.saved_as.push_back(name);
        return {};
    }
    if (s == "enableItem") {
        menu_states.push_back({request.unit, text_of(p, "menu"), text_of(p, "item"), int_of(p, "state") != 0});
        return {};
    }
    if (s == "getSaveFileName") {
        Scripted_Save_Dialog d;
        d.caption = text_of(p, "caption");
        d.file_types = list_of(p, "fileTypes");
        d.selected = int_of(p, "selected");
        if (save_answers.empty()) {
            script_errors.push_back("no answer left for save dialog \"" + d.caption + "\"");
        } else {
            d.answer_path = save_answers.front().first;
            d.answer_type = save_answers.front().second;
            save_answers.pop_front();
        }
        save_dialogs.push_back(d);
        return {d.answer_path, std::to_string(d.answer_type)};
    }
    if (s == "addMenu") {
        menu_items.push_back(
            {request.unit, text_of(p, "menu"), text_of(p, "item"), text_of(p, "shortcut"), request.callback});
        return {};
    }
    return {};
}

std::vector<std::string> UIK_Script::dialog_titles() const {
    std::vector<std::string> titles;
    for (const auto& d : shown) titles.push_back(d.title);
    return titles;
}

std::vector<const Scripted_Dialog*> UIK_Script::dialogs_titled(const std::string& title) const {
    std::vector<const Scripted_Dialog*> list;
    for (const auto& d : shown)
        if (d.title == title) list.push_back(&d);
    return list;
}

const Scripted_Plot* UIK_Script::plot_saved_as(const std::string& file_name) const {
    for (const auto& p : plots)
        for (const auto& name : p.saved_as)
            if (name == file_name ||
                (name.size() > file_name.size() &&
                 name.compare(name.size() - file_name.size() - 1, std::string::npos, "_" + file_name) == 0))
                return &p;
    return nullptr;
}

bool UIK_Script::item_enabled(const std::string& menu, const std::string& item) const {
    for (auto it = menu_states.rbegin(); it != menu_states.rend(); ++it)
        if (it->menu == menu && it->item == item) return it->enabled;
    return false;
}

void UIK_Script::Save_As(const std::string& path, int type) { save_answers.emplace_back(path, type); }
