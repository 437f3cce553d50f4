// SPDX-License-Identifier: GPL-3.0-or-later
#include "Program_Stop.h"

#include <atomic>

#include "C_Locale.h"
#include "Unit_IO.h"

namespace {
std::atomic<bool> stop_requested{false};
std::atomic<bool> design_stop_requested{false};
}  // namespace

void KALTAP_Request_Stop() { stop_requested.store(true, std::memory_order_release); }

void KALTAP_Check_Stop() {
    // The window layer is going away: nothing is written, the stop only unwinds.
    if (stop_requested.load(std::memory_order_acquire)) throw KALTAP_Stop_Signal{std::string()};
    if (design_stop_requested.load(std::memory_order_acquire) &&
        design_stop_requested.exchange(false, std::memory_order_acq_rel))
        throw KALTAP_Design_Stop_Signal{};
}

void KALTAP_Clear_Stop_Request() { stop_requested.store(false, std::memory_order_release); }

void KALTAP_Request_Design_Stop() { design_stop_requested.store(true, std::memory_order_release); }

void KALTAP_Clear_Design_Stop_Request() { design_stop_requested.store(false, std::memory_order_release); }

void KALTAP_Stop(const std::string& text) {
    std::string line = text;
    while (!line.empty() && line.back() == ' ') line.pop_back();
    UNIT_Write(UNIT_Console, line);
    throw KALTAP_Stop_Signal{line};
}

bool KALTAP_Run_Program(const std::function<void()>& program, std::string* stop_text) {
    // The run reads and writes its numbers with a decimal point, whatever
    // locale the window layer gave the process.
    const KALTAP_C_Numbers c_numbers;
    try {
        program();
    } catch (const KALTAP_Stop_Signal& stop) {
        if (stop_text) *stop_text = stop.text;
        return true;
    } catch (const KALTAP_Design_Stop_Signal&) {
        if (stop_text) stop_text->clear();
        return true;
    }
    if (stop_text) stop_text->clear();
    return false;
}
