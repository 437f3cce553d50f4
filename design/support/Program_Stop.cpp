#include "Program_Stop.h"

#include "Unit_IO.h"

void KALTAP_Stop(const std::string& text) {
    std::string line = text;
    while (!line.empty() && line.back() == ' ') line.pop_back();
    UNIT_Write(UNIT_Console, line);
    throw KALTAP_Stop_Signal{line};
}

bool KALTAP_Run_Program(const std::function<void()>& program, std::string* stop_text) {
    try {
        program();
    } catch (const KALTAP_Stop_Signal& stop) {
        if (stop_text) *stop_text = stop.text;
        return true;
    }
    if (stop_text) stop_text->clear();
    return false;
}
