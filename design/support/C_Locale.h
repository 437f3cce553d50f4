// SPDX-License-Identifier: GPL-3.0-or-later
// Numbers in the "C" notation whatever locale the process runs in.
//
// A window layer applies the user's locale to the C library, and a locale
// such as de_DE makes the library's text conversions (strtod, the printf
// family) read and write a decimal comma. The design program reads and writes
// every number with a decimal point: its dialogs' defaults, its result files
// and its run logs read the same in every locale.
#pragma once

#include <locale.h>

// The "C" locale as a locale object, made once on first use and kept for the
// life of the process; for the *_l conversions (strtod_l), which take their
// locale as an argument and so depend on no thread's or process's setting.
locale_t KALTAP_C_Locale();

// While an object lives, the conversions of the thread that made it use the
// "C" locale; its end gives the thread back the locale it had before (its
// own, or the process's). Other threads, and threads started meanwhile, keep
// theirs. Nests.
class KALTAP_C_Numbers {
public:
    KALTAP_C_Numbers();
    ~KALTAP_C_Numbers();
    KALTAP_C_Numbers(const KALTAP_C_Numbers&) = delete;
    KALTAP_C_Numbers& operator=(const KALTAP_C_Numbers&) = delete;

private:
    locale_t previous_;
};
