// SPDX-License-Identifier: GPL-3.0-or-later
// Number formatting of the design program's text output.
//
// Fixed fields follow the Fortran edit descriptors the reports are laid out
// in: a number too wide for its field is shown as a row of asterisks of the
// field's width. Free-format numbers carry full double precision. Every
// number is written with a decimal point, whatever the process's locale.
#pragma once

#include <string>

// Iw: integer right-justified in `width` columns.
std::string FMT_Integer(long long value, int width);

// Fw.d: fixed notation with `decimals` decimals, right-justified in `width`
// columns ("0." is shortened to "." only when that makes it fit).
std::string FMT_Fixed(double value, int width, int decimals);

// Fields that widen rather than overflow: `width` while the value fits Iw
// (Fw.d), otherwise the fewest columns that show it whole, so that
// FMT_Integer (FMT_Fixed) with the returned width shows no asterisks. A column
// takes the largest width of its values, so its numbers still line up.
int FMT_Integer_Width(long long value, int width);
int FMT_Fixed_Width(double value, int width, int decimals);

// ESw.d: one digit before the point, `decimals` after it, an upper-case E and
// a signed exponent of at least two digits (as C's "%E"), right-justified in
// `width` columns.
std::string FMT_Scientific(double value, int width, int decimals);

// The 15-column general format of the reports: 0.1 <= |x| < 1e8 in fixed
// notation with 8 significant digits in 11 columns plus 4 blanks; other
// non-zero values as d.ddddddddE+xx right-justified in 15 columns; zero as
// "0.0000000" in 11 columns plus 4 blanks.
std::string FMT_General_15(double value);

// Free format: an integer without padding.
std::string FMT_Free(long long value);
inline std::string FMT_Free(int value) { return FMT_Free(static_cast<long long>(value)); }
// Free format: the shortest decimal text that reads back as the same double.
std::string FMT_Free(double value);

// Zero-padded upper-case hexadecimal digits of the 64-bit two's complement.
std::string FMT_Hex64(long long value);

// Remove leading and trailing blanks / trailing blanks only.
std::string FMT_Trim(const std::string& text);
std::string FMT_Trim_Right(const std::string& text);
