// SPDX-License-Identifier: GPL-3.0-or-later
#include "KALTAP_Weight_Export.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <nlohmann/json.hpp>

#include "KALTAP_Design_Record.h"

#include "Atomic_File.h"
#include "Design_Warnings.h"
#include "KALTAP_Design_Figures.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "KALTAP_Remez_Engine.h"
#include "KALTAP_Version.h"
#include "KALTAP_Weight_Quantization.h"
#include "Timers.h"

const KALTAP_Export_Format_Info KALTAP_Export_Formats[KALTAP_Export_Format_Count] = {
    {KALTAP_Export_Format::C_Header, "C/C++ header (*.h)", ".h", false},
    {KALTAP_Export_Format::Matlab, "MATLAB/Octave script (*.m)", ".m", false},
    {KALTAP_Export_Format::Python, "Python/NumPy module (*.py)", ".py", false},
    {KALTAP_Export_Format::Xilinx_Coe, "Xilinx coefficient file (*.coe)", ".coe", true},
    {KALTAP_Export_Format::Memory_Init, "Verilog/VHDL memory initialisation (*.mem)", ".mem", true},
    {KALTAP_Export_Format::Json, "JSON design record (*.json)", ".json", false},
};

namespace {

// Significant digits that make every double read back to itself ("%.17g").
constexpr int Full_Precision = 17;
// Digits of the numbers in the readable summary.
constexpr int Summary_Precision = 10;
constexpr int JSON_Indent = 2;
constexpr int Bits_Per_Hex_Digit = 4;

// `value` in the "%.*g" form with a decimal point whatever the locale.
std::string number(double value, int precision = Full_Precision) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
    if (result.ec != std::errc()) return "0";
    return std::string(buffer, result.ptr);
}

const char* filter_type_name(int type) {
    switch (type) {
        case 2: return "Differentiator";
        case 3: return "Hilbert Transformer";
        case 4: return "Equalizer";
        default: return "Bandpass Filter";
    }
}

const char* json_filter_type(int type) {
    switch (type) {
        case 2: return "differentiator";
        case 3: return "hilbert_transformer";
        case 4: return "equalizer";
        default: return "bandpass";
    }
}

// The design summary, one line per element, without comment marks.
std::vector<std::string> summary(const KALTAP_Export_Design& d) {
    std::vector<std::string> lines;
    lines.push_back("kaltap " + d.program_version + " FIR filter design, exported " + d.date);
    lines.push_back(std::string(filter_type_name(d.filter_type)) + ", " + std::to_string(d.number_of_weights) +
                    " taps, linear-phase case " + std::to_string(d.linear_phase_case) + " (" +
                    (d.antisymmetric ? "antisymmetric" : "symmetric") + " impulse response)");
    lines.push_back("Grid density " + std::to_string(d.grid_density) +
                    "; frequencies in cycles per sample (fractions of the sample rate)");
    const char* desired = d.filter_type == 2 || d.filter_type == 3 ? "desired slope " : "desired value ";
    for (std::size_t k = 0; k < d.bands.size(); ++k) {
        const KALTAP_Export_Band& b = d.bands[k];
        std::string line = "Band " + std::to_string(k + 1) + ": " + number(b.lower_edge, Summary_Precision) + " to " +
                           number(b.upper_edge, Summary_Precision);
        if (b.has_desired) {
            line += ", " + std::string(desired) + number(b.desired, Summary_Precision) + ", weight " +
                    number(b.weight, Summary_Precision) + ", deviation " + number(b.deviation, Summary_Precision);
            if (b.has_db)
                line += b.desired == 0.0
                            ? " (" + number(b.deviation_db, Summary_Precision) + " dB)"
                            : " (ripple " + number(b.deviation_db, Summary_Precision) + " dB peak-to-peak)";
        }
        lines.push_back(line);
    }
    lines.push_back("Weighted deviation " + number(d.deviation, Summary_Precision) + " after " +
                    std::to_string(d.iterations) + " exchange iterations" +
                    (d.converged ? "" : "; the design did not converge"));
    if (d.deviations_measured) lines.push_back("Band deviations measured from the taps");
    if (d.quantized)
        lines.push_back("Quantized to " + std::to_string(d.bits) + " bits, scale factor " + number(d.scale_factor) +
                        ": tap = integer / scale factor");
    if (!d.warnings.empty()) {
        lines.push_back("Warnings:");
        for (const std::string& warning : d.warnings) lines.push_back("  " + warning);
    }
    return lines;
}

// The summary as comment lines, each begun with `mark`. A line break inside
// a line would end the comment, and so would `close` (the closing mark of a
// block comment, "" for line comments): both are spaced apart.
std::string commented(const KALTAP_Export_Design& d, const std::string& mark, const std::string& close = "") {
    std::string text;
    for (std::string line : summary(d)) {
        for (char& c : line)
            if (c == '\n' || c == '\r') c = ' ';
        if (!close.empty())
            for (auto at = line.find(close); at != std::string::npos; at = line.find(close, at))
                line.insert(at + 1, " ");
        text += mark + line + "\n";
    }
    return text;
}

// One value per line: indent, the value, then `separator`, or
// `last_separator` after the last value.
template <class T, class Format>
std::string value_lines(const std::vector<T>& values, const std::string& indent, const std::string& separator,
                        const std::string& last_separator, Format format) {
    std::string text;
    for (std::size_t i = 0; i < values.size(); ++i)
        text += indent + format(values[i]) + (i + 1 < values.size() ? separator : last_separator) + "\n";
    return text;
}

// A full-precision value that every reader takes for a real, never for an
// integer: "0.0", "1.0", "-2.5", "1e-05".
std::string real(double v) {
    std::string text = number(v);
    if (text.find_first_of(".eEn") == std::string::npos) text += ".0";  // "n": inf, nan
    return text;
}
std::string integer(long long v) { return std::to_string(v); }

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool all_finite(const std::vector<double>& values) {
    for (double v : values)
        if (!std::isfinite(v)) return false;
    return true;
}

}  // namespace

const KALTAP_Export_Format_Info& KALTAP_Export_Info(KALTAP_Export_Format format) {
    for (const auto& info : KALTAP_Export_Formats)
        if (info.format == format) return info;
    return KALTAP_Export_Formats[0];
}

std::vector<KALTAP_Export_Format_Info> KALTAP_Export_Offered(bool quantized) {
    std::vector<KALTAP_Export_Format_Info> offered;
    for (const auto& info : KALTAP_Export_Formats)
        if (quantized || !info.needs_quantization) offered.push_back(info);
    return offered;
}

const KALTAP_Export_Format_Info* KALTAP_Export_Format_Of_Name(const std::string& path) {
    const std::string name = lower(path);
    for (const auto& info : KALTAP_Export_Formats) {
        const std::string extension = info.extension;
        if (name.size() > extension.size() &&
            name.compare(name.size() - extension.size(), extension.size(), extension) == 0)
            return &info;
    }
    return nullptr;
}

bool KALTAP_Export_Available(std::string* reason) {
    std::string why;
    if (!KALTAP_Filter_Weights_Valid) {
        why = "the current design has no valid weights";
    } else {
        // What the snapshot reads: the band tables, the first half of the
        // taps, the extremal set and the grid frequencies it points at.
        const int N = Number_of_Weights, bands = Number_of_Bands;
        bool sized = N >= 1 && bands >= 1 && Band_Edges.extent() >= 2 * bands && Band_Desired_Value.extent() >= bands &&
                     Band_Weighting.extent() >= bands && Filter_Weights.extent() >= (N + 1) / 2 && Half_Length >= 0 &&
                     Extremal_Index.extent() >= Half_Length + 1;
        for (int j = 1; sized && j <= Half_Length + 1; ++j)
            sized = Extremal_Index(j) >= 1 && Extremal_Index(j) <= Grid_Frequency.extent();
        if (!sized) why = "the current design's arrays are not allocated to its size";
    }
    if (reason != nullptr) *reason = why;
    return why.empty();
}

bool KALTAP_Export_Quantized() {
    return KALTAP_Export_Available() && Weights_Quantized && KALTAP_Bits >= KALTAP_Minimum_Bits &&
           KALTAP_Bits <= KALTAP_Maximum_Bits && Scaled_Weights.extent() == (Number_of_Weights + 1) / 2 &&
           Rounded_Weights.extent() == Scaled_Weights.extent();
}

KALTAP_Export_Design KALTAP_Export_Snapshot() {
    KALTAP_Export_Design d;
    d.program_version = KALTAP_VERSION_STRING;
    const Clock_Reading now = Timers_Now();
    char date[32];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d %02d:%02d:%02d", now.year, now.month, now.day, now.hour,
                  now.minute, now.second);
    d.date = date;
    d.filter_type = Type_of_Filter;
    const int N = Number_of_Weights;
    d.number_of_weights = N;
    d.grid_density = Search_Grid_Density;
    d.linear_phase_case = PMC_DCT_Type;
    d.antisymmetric = Antisymmetric != 0;

    for (int k = 1; k <= Number_of_Bands; ++k) {
        KALTAP_Export_Band b;
        b.lower_edge = Band_Edges(2 * k - 1);
        b.upper_edge = Band_Edges(2 * k);
        b.has_desired = Type_of_Filter != 4;
        if (b.has_desired) {
            b.desired = Band_Desired_Value(k);
            b.weight = Band_Weighting(k);
            b.deviation = KALTAP_Band_Deviation(k);
            b.has_db = Type_of_Filter == 1;
            if (b.has_db) b.deviation_db = KALTAP_Band_Deviation_dB(k, b.deviation);
        }
        d.bands.push_back(b);
    }
    d.deviation = Remez_Deviation;
    d.iterations = KALTAP_Remez_Iterations();
    d.converged = KALTAP_Design_Converged();
    d.deviations_measured = KALTAP_Figures_Measured();
    d.warnings = DESIGN_WARNINGS_List();
    d.inputs = KALTAP_Current_Inputs;

    // Full impulse response: h(n) = H(n) for n <= N/2, mirrored with the
    // sign of the case; the centre tap of odd N is H((N+1)/2) (0 in case 3).
    const int M = (N + 1) / 2;
    const double sign = d.antisymmetric ? -1.0 : 1.0;
    d.taps.assign(static_cast<std::size_t>(N), 0.0);
    for (int n = 1; n <= N / 2; ++n) {
        d.taps[n - 1] = Filter_Weights(n);
        d.taps[N - n] = sign * Filter_Weights(n);
    }
    if (N % 2 == 1) d.taps[M - 1] = d.antisymmetric ? 0.0 : Filter_Weights(M);

    for (int j = 1; j <= KALTAP_Extremal_Count(); ++j)
        d.extremal_frequencies.push_back(Grid_Frequency(Extremal_Index(j)));

    d.quantized = KALTAP_Export_Quantized();
    // A design exported before its bits were chosen keeps the rounding it has.
    if (d.inputs.bits < 0) d.inputs.bits = d.quantized ? KALTAP_Bits : 0;
    if (d.quantized) {
        d.bits = KALTAP_Bits;
        d.scale_factor = Scale_Factor;
        d.integers.assign(static_cast<std::size_t>(N), 0);
        d.rounded_taps.assign(static_cast<std::size_t>(N), 0.0);
        const long long integer_sign = d.antisymmetric ? -1 : 1;
        for (int n = 1; n <= N; ++n) {
            const bool first_half = n <= N / 2 || (N % 2 == 1 && n == M);
            const int k = first_half ? n : N + 1 - n;
            const long long s = first_half ? 1 : integer_sign;
            d.integers[n - 1] = s * Scaled_Weights(k);
            d.rounded_taps[n - 1] = static_cast<double>(s) * Rounded_Weights(k);
        }
    }
    return d;
}

const char* KALTAP_Export_C_Integer_Type(int bits) {
    if (bits <= 16) return "int16_t";
    if (bits <= 32) return "int32_t";
    return "int64_t";
}

std::string KALTAP_Export_C_Header(const KALTAP_Export_Design& d, const std::string& identifier) {
    const std::string id = identifier;
    const std::string ID = upper(identifier);
    std::string text = "/*\n" + commented(d, " * ", "*/") + " */\n";
    text += "#ifndef " + ID + "_H\n#define " + ID + "_H\n\n";
    if (d.quantized) text += "#include <stdint.h>\n\n";
    text += "#define " + ID + "_LENGTH " + std::to_string(d.number_of_weights) + "\n\n";
    text += "static const double " + id + "_taps[" + ID + "_LENGTH] = {\n";
    text += value_lines(d.taps, "    ", ",", "", real) + "};\n";
    if (d.quantized) {
        text += "\n#define " + ID + "_BITS " + std::to_string(d.bits) + "\n";
        text += "/* tap = " + id + "_taps_int[n] / " + id + "_scale_factor */\n";
        text += "static const double " + id + "_scale_factor = " + real(d.scale_factor) + ";\n";
        text += "static const " + std::string(KALTAP_Export_C_Integer_Type(d.bits)) + " " + id + "_taps_int[" + ID +
                "_LENGTH] = {\n";
        text += value_lines(d.integers, "    ", ",", "", integer) + "};\n";
    }
    text += "\n#endif /* " + ID + "_H */\n";
    return text;
}

std::string KALTAP_Export_Matlab(const KALTAP_Export_Design& d) {
    std::string text = commented(d, "% ");
    text += "h = [ ...\n" + value_lines(d.taps, "  ", ", ...", " ...", real) + "];\n";
    if (d.quantized) {
        text += "bits = " + std::to_string(d.bits) + ";\n";
        text += "scale_factor = " + real(d.scale_factor) + ";\n";
        text += "h_int = [ ...\n" + value_lines(d.integers, "  ", ", ...", " ...", integer) + "];\n";
    }
    return text;
}

std::string KALTAP_Export_Python(const KALTAP_Export_Design& d) {
    std::string text = commented(d, "# ");
    text += "import numpy as np\n\n";
    text += "h = np.array([\n" + value_lines(d.taps, "    ", ",", ",", real) + "])\n";
    if (d.quantized) {
        text += "bits = " + std::to_string(d.bits) + "\n";
        text += "scale_factor = " + real(d.scale_factor) + "\n";
        text += "h_int = np.array([\n" + value_lines(d.integers, "    ", ",", ",", integer) + "], dtype=np.int64)\n";
    }
    return text;
}

std::string KALTAP_Export_Coe(const KALTAP_Export_Design& d) {
    std::string text = commented(d, "; ");
    text += "radix=10;\ncoefdata=\n";
    text += value_lines(d.integers, "", ",", ";", integer);
    return text;
}

std::string KALTAP_Export_Mem(const KALTAP_Export_Design& d) {
    // Two's complement over `bits` bits: the low bits of the 64-bit pattern.
    const int digits = (d.bits + Bits_Per_Hex_Digit - 1) / Bits_Per_Hex_Digit;
    const unsigned long long mask = d.bits >= 64 ? ~0ULL : (1ULL << d.bits) - 1ULL;
    std::string text;
    char word[32];
    for (long long q : d.integers) {
        std::snprintf(word, sizeof word, "%0*llX\n", digits, static_cast<unsigned long long>(q) & mask);
        text += word;
    }
    return text;
}

std::string KALTAP_Export_Json(const KALTAP_Export_Design& d) {
    using json = nlohmann::ordered_json;
    json requirement_bands = json::array();
    json result_bands = json::array();
    for (const KALTAP_Export_Band& b : d.bands) {
        json sb;
        sb["lower_edge"] = b.lower_edge;
        sb["upper_edge"] = b.upper_edge;
        sb["desired"] = b.has_desired ? json(b.desired) : json(nullptr);
        sb["weight"] = b.has_desired ? json(b.weight) : json(nullptr);
        requirement_bands.push_back(sb);
        json rb;
        rb["deviation"] = b.has_desired ? json(b.deviation) : json(nullptr);
        rb["deviation_db"] = b.has_db ? json(b.deviation_db) : json(nullptr);
        result_bands.push_back(rb);
    }
    json record;
    record["format"] = KALTAP_Record_Format;
    record["format_version"] = KALTAP_Record_Version;
    record["program"] = "kaltap";
    record["program_version"] = d.program_version;
    record["date"] = d.date;
    record["input"] = KALTAP_Record_Input(d.inputs);
    json& requirements = record["requirements"];
    requirements["filter_type"] = json_filter_type(d.filter_type);
    requirements["number_of_weights"] = d.number_of_weights;
    requirements["grid_density"] = d.grid_density;
    requirements["linear_phase_case"] = d.linear_phase_case;
    requirements["symmetry"] = d.antisymmetric ? "antisymmetric" : "symmetric";
    requirements["bands"] = requirement_bands;
    json& results = record["results"];
    results["taps"] = d.taps;
    results["deviation"] = d.deviation;
    results["converged"] = d.converged;
    results["deviations_measured"] = d.deviations_measured;
    results["bands"] = result_bands;
    results["extremal_frequencies"] = d.extremal_frequencies;
    results["iterations"] = d.iterations;
    if (d.quantized) {
        json& q = results["quantization"];
        q["bits"] = d.bits;
        q["scale_factor"] = d.scale_factor;
        q["integers"] = d.integers;
        q["rounded_taps"] = d.rounded_taps;
    } else {
        results["quantization"] = nullptr;
    }
    results["warnings"] = d.warnings;
    return record.dump(JSON_Indent) + "\n";
}

std::string KALTAP_Export_Text(KALTAP_Export_Format format, const KALTAP_Export_Design& design,
                               const std::string& identifier) {
    switch (format) {
        case KALTAP_Export_Format::C_Header: return KALTAP_Export_C_Header(design, identifier);
        case KALTAP_Export_Format::Matlab: return KALTAP_Export_Matlab(design);
        case KALTAP_Export_Format::Python: return KALTAP_Export_Python(design);
        case KALTAP_Export_Format::Xilinx_Coe: return KALTAP_Export_Coe(design);
        case KALTAP_Export_Format::Memory_Init: return KALTAP_Export_Mem(design);
        case KALTAP_Export_Format::Json: return KALTAP_Export_Json(design);
    }
    return std::string();
}

std::string KALTAP_Export_Identifier(const std::string& path) {
    std::string base = std::filesystem::path(path).stem().string();
    std::string id;
    for (char c : base)
        id += std::isalnum(static_cast<unsigned char>(c)) && static_cast<unsigned char>(c) < 0x80
                  ? static_cast<char>(std::tolower(static_cast<unsigned char>(c)))
                  : '_';
    if (id.empty() || std::isdigit(static_cast<unsigned char>(id[0]))) id = "fir_" + id;
    return id;
}

bool KALTAP_Export_Weights(KALTAP_Export_Format format, const std::string& path, std::string& reason) {
    if (!KALTAP_Export_Available(&reason)) return false;
    const bool quantized = KALTAP_Export_Quantized();
    if (KALTAP_Export_Info(format).needs_quantization && !quantized) {
        reason = "this format needs weights quantized to 2 to 48 bits";
        return false;
    }
    const KALTAP_Export_Design design = KALTAP_Export_Snapshot();
    if (!all_finite(design.taps) || (quantized && !std::isfinite(design.scale_factor))) {
        reason = "the taps are not all finite";
        return false;
    }
    // The whole text first: nothing is created unless it can be written.
    const std::string text = KALTAP_Export_Text(format, design, KALTAP_Export_Identifier(path));

    // Written under a temporary name and renamed over `path` only when
    // complete: a failure leaves no partial file and an earlier file of that
    // name as it was.
    return ATOMIC_Write_File(path, text, reason);
}
