// SPDX-License-Identifier: GPL-3.0-or-later
#include "C_Locale.h"

locale_t KALTAP_C_Locale() {
    // The C library hands out its built-in "C" locale here, without
    // allocating, so the call does not fail.
    static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return c_locale;
}

KALTAP_C_Numbers::KALTAP_C_Numbers() : previous_(uselocale(KALTAP_C_Locale())) {}

KALTAP_C_Numbers::~KALTAP_C_Numbers() { uselocale(previous_); }
