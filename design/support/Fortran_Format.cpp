#include "Fortran_Format.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

std::string stars(int width) { return std::string(width > 0 ? width : 0, '*'); }

std::string right_justify(const std::string& text, int width) {
    if (static_cast<int>(text.size()) > width) return stars(width);
    return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

}  // namespace

std::string FMT_Integer(long long value, int width) {
    return right_justify(std::to_string(value), width);
}

std::string FMT_Fixed(double value, int width, int decimals) {
    if (!std::isfinite(value)) return right_justify(std::isnan(value) ? "NaN" : (value > 0 ? "Infinity" : "-Infinity"), width);
    char buf[512];
    if (std::fabs(value) >= 1e300) return stars(width);
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    std::string text(buf);
    if (decimals == 0) text += '.';
    if (static_cast<int>(text.size()) > width) {
        // Fortran drops the optional leading zero before giving up.
        std::size_t p = text.find("0.");
        if (p != std::string::npos && (p == 0 || (p == 1 && text[0] == '-'))) text.erase(p, 1);
    }
    return right_justify(text, width);
}

std::string FMT_General_15(double value) {
    if (value == 0.0) return right_justify("0.0000000", 11) + "    ";
    if (!std::isfinite(value)) return right_justify(FMT_Fixed(value, 15, 0), 15);
    // Decimal exponent of the value rounded to 8 significant digits.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.7e", value);
    int exponent = std::atoi(std::string(buf).substr(std::string(buf).find('e') + 1).c_str());
    if (exponent >= -1 && exponent <= 7) {
        int decimals = 7 - exponent;
        return right_justify(FMT_Fixed(value, 11, decimals), 11) + "    ";
    }
    std::snprintf(buf, sizeof buf, "%.8E", value);
    std::string text(buf);
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
