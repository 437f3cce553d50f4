// SPDX-License-Identifier: GPL-3.0-or-later
#include "KALTAP_Export_Menu.h"

#include <vector>

#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Weight_Export.h"
#include "Program_Stop.h"
#include "UIK_Call_Interface.h"
#include "Unit_IO.h"

const char* const KALTAP_Export_Menu_Item = "Export Weights…";
const char* const KALTAP_Export_Dialog_Title = "Export Weights";
const char* const KALTAP_Export_Error_Title = "###Error in KALTAP Weight Export";
const char* const KALTAP_Save_Design_Menu_Item = "Save Design…";
const char* const KALTAP_Save_Design_Dialog_Title = "Save Design";

namespace {

const char* const Menu_Name = "FIR Design";

bool item_added = false;
// The format chosen last, offered first the next time.
KALTAP_Export_Format last_format = KALTAP_Export_Format::C_Header;

// Stops the routine, with its error line, when there is no design to write.
void require_design() {
    std::string unavailable;
    if (!KALTAP_Export_Available(&unavailable)) {
        UNIT_Write(UNIT_Standard_Output,
                   KALTAP_Filter_Weights_Valid
                       ? "###Error in KALTAP_Export_Weights, " + unavailable
                       : "###Error in KALTAP_Export_Weights, called with KALTAP_Filter_Weights_Valid==.FALSE.");
        KALTAP_Stop();
    }
}

void save_design() {
    require_design();
    const KALTAP_Export_Format_Info& json = KALTAP_Export_Info(KALTAP_Export_Format::Json);
    int chosen = 1;
    std::string path = UIK_getSaveFileName(KALTAP_Save_Design_Dialog_Title, {json.file_type}, chosen);
    if (path.empty()) return;
    const KALTAP_Export_Format_Info* by_name = KALTAP_Export_Format_Of_Name(path);
    if (by_name == nullptr || by_name->format != KALTAP_Export_Format::Json) path += json.extension;
    std::string reason;
    if (!KALTAP_Export_Weights(KALTAP_Export_Format::Json, path, reason)) {
        UIK_alertBox(KALTAP_Export_Error_Title, "Can't write " + path + ": " + reason);
        return;
    }
    UNIT_Write(UNIT_Standard_Output, "Design saved to " + path);
}

void export_weights() {
    require_design();
    const bool quantized = KALTAP_Export_Quantized();
    const std::vector<KALTAP_Export_Format_Info> offered = KALTAP_Export_Offered(quantized);
    std::vector<std::string> types;
    int chosen = 1;
    for (const auto& info : offered) {
        types.push_back(info.file_type);
        if (info.format == last_format) chosen = static_cast<int>(types.size());
    }
    const std::string name = UIK_getSaveFileName(KALTAP_Export_Dialog_Title, types, chosen);
    if (name.empty()) return;

    int format_number = 0;
    const std::string path = KALTAP_Export_Path(name, chosen, quantized, format_number);
    if (format_number == 0) {
        UIK_alertBox(KALTAP_Export_Error_Title,
                     "Can't write " + path + ": this format needs weights quantized to 2 to 48 bits");
        return;
    }
    const auto format = static_cast<KALTAP_Export_Format>(format_number);
    std::string reason;
    if (!KALTAP_Export_Weights(format, path, reason)) {
        UIK_alertBox(KALTAP_Export_Error_Title, "Can't write " + path + ": " + reason);
        return;
    }
    last_format = format;
    UNIT_Write(UNIT_Standard_Output, "Weights exported to " + path + " (" + KALTAP_Export_Info(format).file_type + ")");
}

}  // namespace

void KALTAP_Add_Export_Menu_Item() {
    UIK_addMenu(UNIT_Console, Menu_Name, KALTAP_Export_Menu_Item, KALTAP_Export_Weights_Action);
    UIK_addMenu(UNIT_Console, Menu_Name, KALTAP_Save_Design_Menu_Item, KALTAP_Save_Design_Action);
    item_added = true;
    KALTAP_Update_Export_Menu();
}

void KALTAP_Reset_Export_Menu_Item() { item_added = false; }

void KALTAP_Update_Export_Menu() {
    if (!item_added) return;
    KALTAP_Run_Program([] {
        const bool available = KALTAP_Export_Available();
        UIK_enableMenuItem(UNIT_Console, Menu_Name, KALTAP_Export_Menu_Item, available);
        UIK_enableMenuItem(UNIT_Console, Menu_Name, KALTAP_Save_Design_Menu_Item, available);
    });
}

std::string KALTAP_Export_Path(const std::string& name, int chosen_type, bool quantized, int& format_number) {
    format_number = 0;
    if (const KALTAP_Export_Format_Info* by_name = KALTAP_Export_Format_Of_Name(name)) {
        if (!by_name->needs_quantization || quantized) format_number = static_cast<int>(by_name->format);
        return name;
    }
    const std::vector<KALTAP_Export_Format_Info> offered = KALTAP_Export_Offered(quantized);
    const int k = chosen_type >= 1 && chosen_type <= static_cast<int>(offered.size()) ? chosen_type : 1;
    const KALTAP_Export_Format_Info& info = offered[static_cast<std::size_t>(k - 1)];
    format_number = static_cast<int>(info.format);
    return name + info.extension;
}

int KALTAP_Export_Weights_Action() {
    KALTAP_Run_Program(export_weights);
    return 0;
}

int KALTAP_Save_Design_Action() {
    KALTAP_Run_Program(save_design);
    return 0;
}
