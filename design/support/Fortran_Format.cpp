// SPDX-License-Identifier: GPL-3.0-or-later
#include "Fortran_Format.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

// Every real is converted with std::to_chars, which writes the "C" notation
// (a decimal point) whatever the process's locale, and rounds as the printf
// family does there.

namespace {

std::string stars(int width) { return std::string(width > 0 ? width : 0, '*'); }

std::string right_justify(const std::string& text, int width) {
    if (static_cast<int>(text.size()) > width) return stars(width);
    return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

std::string non_finite_text(double value) { return std::isnan(value) ? "NaN" : (value > 0 ? "Infinity" : "-Infinity"); }

// `value` (finite) in `format` with `decimals` decimals. Room for the 309
// integer digits of the largest double, a sign, the point and the decimals,
// or for a sign, one digit, the point, the decimals and a four-digit exponent.
std::string chars_of(double value, std::chars_format format, int decimals) {
    std::string text(static_cast<std::size_t>(std::numeric_limits<double>::max_exponent10 + 8 + decimals), '\0');
    const auto result = std::to_chars(&text[0], &text[0] + text.size(), value, format, decimals);
    text.resize(static_cast<std::size_t>(result.ptr - text.data()));
    return text;
}

// Fixed notation as written before any field is applied: a whole number
// keeps its point, as Fortran writes it.
std::string fixed_text(double value, int decimals) {
    if (!std::isfinite(value)) return non_finite_text(value);
    decimals = decimals > 0 ? decimals : 0;
    std::string text = chars_of(value, std::chars_format::fixed, decimals);
    if (decimals == 0) text += '.';
    return text;
}

// Position of the optional leading zero ("0.", "-0.") that Fortran drops
// before giving up on a field; npos when there is none.
std::size_t optional_zero(const std::string& text) {
    const std::size_t p = text.find("0.");
    return p == 0 || (p == 1 && text[0] == '-') ? p : std::string::npos;
}

// d.ddd...E+xx: one digit before the point, `decimals` after it, an upper-case
// E and a signed exponent of at least two digits.
std::string scientific_text(double value, int decimals) {
    if (!std::isfinite(value)) return non_finite_text(value);
    std::string text = chars_of(value, std::chars_format::scientific, decimals > 0 ? decimals : 0);
    const std::size_t e = text.find('e');
    if (e != std::string::npos) text[e] = 'E';
    return text;
}

// The decimal exponent of scientific_text's form.
int exponent_of(const std::string& scientific) {
    const std::size_t e = scientific.find('E');
    int exponent = 0;
    for (std::size_t i = e + 2; i < scientific.size(); ++i) exponent = 10 * exponent + (scientific[i] - '0');
    return scientific[e + 1] == '-' ? -exponent : exponent;
}

}  // namespace

std::string FMT_Integer(long long value, int width) { return right_justify(std::to_string(value), width); }

int FMT_Integer_Width(long long value, int width) {
    const int columns = static_cast<int>(std::to_string(value).size());
    return columns > width ? columns : width;
}

std::string FMT_Fixed(double value, int width, int decimals) {
    std::string text = fixed_text(value, decimals);
    if (static_cast<int>(text.size()) > width) {
        const std::size_t zero = optional_zero(text);
        if (zero != std::string::npos) text.erase(zero, 1);
    }
    return right_justify(text, width);
}

int FMT_Fixed_Width(double value, int width, int decimals) {
    const std::string text = fixed_text(value, decimals);
    const int least = static_cast<int>(text.size()) - (optional_zero(text) != std::string::npos ? 1 : 0);
    return least > width ? least : width;
}

std::string FMT_Scientific(double value, int width, int decimals) {
    return right_justify(scientific_text(value, decimals), width);
}

std::string FMT_General_15(double value) {
    if (value == 0.0) return right_justify("0.0000000", 11) + "    ";
    if (!std::isfinite(value)) return right_justify(FMT_Fixed(value, 15, 0), 15);
    // Decimal exponent of the value rounded to 8 significant digits.
    const int exponent = exponent_of(scientific_text(value, 7));
    if (exponent >= -1 && exponent <= 7) {
        int decimals = 7 - exponent;
        return right_justify(FMT_Fixed(value, 11, decimals), 11) + "    ";
    }
    std::string text = scientific_text(value, 8);
    // Fortran writes a two-digit exponent as E+dd; a three-digit one drops the E.
    std::size_t e = text.find('E');
    std::string mantissa = text.substr(0, e);
    char sign = text[e + 1];
    std::string digits = text.substr(e + 2);
    while (digits.size() > 2 && digits[0] == '0') digits.erase(0, 1);
    std::string exp_text = digits.size() <= 2 ? std::string("E") + sign + digits : std::string(1, sign) + digits;
    return right_justify(mantissa + exp_text, 15);
}

std::string FMT_Free(long long value) { return std::to_string(value); }

std::string FMT_Free(double value) {
    char buf[64];
    auto result = std::to_chars(buf, buf + sizeof buf, value);
    std::string text(buf, result.ptr);
    // A whole number still reads as a real.
    if (std::isfinite(value) && text.find_first_of(".eE") == std::string::npos) text += ".0";
    return text;
}

std::string FMT_Hex64(long long value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%016llX", static_cast<unsigned long long>(value));
    return buf;
}

std::string FMT_Trim_Right(const std::string& text) {
    std::size_t e = text.size();
    while (e > 0 && (text[e - 1] == ' ' || text[e - 1] == '\0')) --e;
    return text.substr(0, e);
}

std::string FMT_Trim(const std::string& text) {
    std::string r = FMT_Trim_Right(text);
    std::size_t b = 0;
    while (b < r.size() && r[b] == ' ') ++b;
    return r.substr(b);
}
