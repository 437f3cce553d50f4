// SPDX-License-Identifier: GPL-3.0-or-later
// Weight export: the current design as a coefficient file for the tools that
// consume FIR taps (C/C++, MATLAB/Octave, Python/NumPy, Xilinx coefficient
// files, Verilog/VHDL memory initialisation) and as a JSON design record.
//
// The export reads the design state and never changes it. It works in two
// steps: `KALTAP_Export_Snapshot` copies what the formats need into a plain
// record (`KALTAP_Export_Design`), and one small function per format turns
// that record into the file's text; `KALTAP_Export_Weights` does both and
// writes the file. All vectors of the record are zero-based: element n-1
// holds tap n.
//
// Full-precision values are printed with 17 significant digits (the C "%.17g"
// form, independent of the process's locale), so every tap reads back as the
// same double. Quantized formats use the current design's rounded integers
// (Scaled_Weights) and bit count (KALTAP_Bits), mirrored over the whole
// impulse response with the sign of the linear-phase case.
#pragma once

#include <string>
#include <vector>

#include "Design_Inputs.h"

enum class KALTAP_Export_Format { C_Header = 1, Matlab = 2, Python = 3, Xilinx_Coe = 4, Memory_Init = 5, Json = 6 };

// One entry of the format table: the file type shown in the save dialog
// ("C/C++ header (*.h)"), the file name extension with its dot (".h"), and
// whether the format needs quantized weights.
struct KALTAP_Export_Format_Info {
    KALTAP_Export_Format format;
    const char* file_type;
    const char* extension;
    bool needs_quantization;
};

// The six formats, in the order the save dialog lists them.
constexpr int KALTAP_Export_Format_Count = 6;
extern const KALTAP_Export_Format_Info KALTAP_Export_Formats[KALTAP_Export_Format_Count];

const KALTAP_Export_Format_Info& KALTAP_Export_Info(KALTAP_Export_Format format);
// The formats on offer: all six when `quantized`, otherwise those that need no
// quantization (header, MATLAB/Octave, Python, JSON), in table order.
std::vector<KALTAP_Export_Format_Info> KALTAP_Export_Offered(bool quantized);
// The format whose extension `path` ends with (compared without regard to
// case), or nullptr when it ends with none of them.
const KALTAP_Export_Format_Info* KALTAP_Export_Format_Of_Name(const std::string& path);

// True when there is a current design to export: KALTAP_Filter_Weights_Valid,
// and every array the snapshot reads allocated to the design's size (band
// tables for Number_of_Bands, (N+1)/2 weights, Half_Length+1 extremal indices
// that all point into Grid_Frequency); the flag alone is not trusted, as
// released arrays would be read through it. Otherwise false, with `reason`
// (when given) set to "the current design has no valid weights" or "the
// current design's arrays are not allocated to its size"; "" when true.
bool KALTAP_Export_Available(std::string* reason = nullptr);

// True when the current design has a quantization of its own: an available
// design (KALTAP_Export_Available),
// Weights_Quantized, KALTAP_Bits in 2..48 (every engine call resets the bits
// to -1, so a quantization left from an earlier design does not count) and
// (N+1)/2 scaled integers.
bool KALTAP_Export_Quantized();

// One band of the design: edges in cycles per sample, desired value (gain, or
// slope for the differentiator), weight, the deviation the design states
// (KALTAP_Band_Deviation: Remez_Deviation/weight, or measured from the taps)
// and the deviation in dB. `has_desired` is false for the equalizer (no desired
// value, weight or deviation); `has_db` is true for bandpass filters only:
// 20*log10(deviation) for a stopband (desired exactly 0), otherwise the
// peak-to-peak ripple 20*log10((D+d)/(D-d)).
struct KALTAP_Export_Band {
    double lower_edge = 0.0, upper_edge = 0.0;
    bool has_desired = true;
    double desired = 0.0, weight = 0.0, deviation = 0.0;
    bool has_db = false;
    double deviation_db = 0.0;
};

// Everything a format writes, copied from the design state.
struct KALTAP_Export_Design {
    std::string program_version;  // the program's version ("0.92~rc3")
    std::string date;             // local date and time, "CCYY-MM-DD hh:mm:ss"
    int filter_type = 1;          // Type_of_Filter: 1 bandpass, 2 differentiator, 3 Hilbert, 4 equalizer
    int number_of_weights = 0;    // N
    int grid_density = 0;         // Search_Grid_Density
    int linear_phase_case = 1;    // PMC_DCT_Type 1..4
    bool antisymmetric = false;
    std::vector<KALTAP_Export_Band> bands;
    double deviation = 0.0;                    // Remez_Deviation (weighted)
    std::vector<double> taps;                  // h(1..N), the full impulse response
    std::vector<double> extremal_frequencies;  // Half_Length+1 frequencies, cycles per sample
    int iterations = 0;                        // exchange iterations of the design
    bool converged = true;                     // KALTAP_Design_Converged()
    bool deviations_measured = false;          // band deviations measured from the taps
    bool quantized = false;                    // the fields below hold a quantization
    int bits = 0;                              // 2..48
    double scale_factor = 0.0;                 // taps ~ integers / scale_factor
    std::vector<long long> integers;           // Q for taps 1..N, |Q| <= 2^(bits-1)-1
    std::vector<double> rounded_taps;          // Q / scale_factor for taps 1..N
    std::vector<std::string> warnings;         // the design's warning lines (Design_Warnings.h), in order
    KALTAP_Design_Inputs inputs;               // what the design's dialogs were given (Design_Inputs.h)
};

// The record of the current design. Precondition: KALTAP_Export_Available()
// (the caller checks). The date comes from the program's clock (Timers_Now),
// the quantization fields are filled when KALTAP_Export_Quantized(), the
// warnings are DESIGN_WARNINGS_List(), the inputs KALTAP_Current_Inputs (with
// the bits of the quantization, or 0, when no bits were chosen).
KALTAP_Export_Design KALTAP_Export_Snapshot();

// The C type of a `bits`-bit integer array: "int16_t" up to 16 bits,
// "int32_t" up to 32, "int64_t" above.
const char* KALTAP_Export_C_Integer_Type(int bits);

// ---- The formats: the whole text of the file, lines ending in "\n" ----
//
// Every format with comments (header, MATLAB/Octave, Python, .coe) opens
// with the design summary; when the design has warnings, the summary ends
// with a line "Warnings:" and one line per warning, indented by two blanks.
// Full-precision values (taps, scale factor) always carry a decimal point or
// an exponent ("0.0", "1.0", "1e-05"), so no reader takes them for integers.

// C/C++ header. `identifier` is the C name the file's symbols start with
// (made from the file's base name: see KALTAP_Export_Identifier). Writes an
// include guard <IDENTIFIER>_H, a comment block with the design summary,
// "#define <IDENTIFIER>_LENGTH N" and "static const double <identifier>_taps[N]";
// for a quantized design also <stdint.h>, "#define <IDENTIFIER>_BITS b",
// "static const double <identifier>_scale_factor" and
// "static const <int type> <identifier>_taps_int[N]" with the narrowest
// type of KALTAP_Export_C_Integer_Type.
std::string KALTAP_Export_C_Header(const KALTAP_Export_Design& design, const std::string& identifier);
// MATLAB/Octave script: the summary as "%" comments, then "h = [ ... ];", a
// row vector of the N taps, one per line; quantized: "bits = b;",
// "scale_factor = s;" and "h_int = [ ... ];".
std::string KALTAP_Export_Matlab(const KALTAP_Export_Design& design);
// Python module: the summary as "#" comments, "import numpy as np", then
// "h = np.array([...])" of the N taps (every one written as a real, so the
// array is float64); quantized: "bits = b",
// "scale_factor = s" and "h_int = np.array([...], dtype=np.int64)".
std::string KALTAP_Export_Python(const KALTAP_Export_Design& design);
// Xilinx coefficient file (quantized designs only): the summary as ";"
// comments, "radix=10;", "coefdata=", then the N integers one per line
// separated by "," and ended by ";".
std::string KALTAP_Export_Coe(const KALTAP_Export_Design& design);
// Memory initialisation for Verilog $readmemh and VHDL text I/O (quantized
// designs only): N lines of one word each, the integer in two's complement
// over `bits` bits as ceil(bits/4) upper-case hexadecimal digits. No
// comments, so that plain line readers take every line as a word.
std::string KALTAP_Export_Mem(const KALTAP_Export_Design& design);
// JSON design record, written with nlohmann::json, indented by 2 (schema in
// the README): "format" "kaltap-design", "format_version" 2, "program",
// "program_version", "date", "input" (KALTAP_Record_Input), "requirements" (filter type, N, grid density,
// linear-phase case, symmetry, bands with edges, desired value and weight)
// and "results" (taps, deviation, per-band deviation and dB, extremal
// frequencies, iterations, and "quantization": bits, scale factor, integers
// and rounded taps, or null; "warnings", the design's warning lines, [] when
// none). Values a band does not have are null; taps, rounded taps and the
// scale factor are always written as reals ("0.0", not "0").
std::string KALTAP_Export_Json(const KALTAP_Export_Design& design);

// The text of `format` for `design` (`identifier` is used by the header only).
std::string KALTAP_Export_Text(KALTAP_Export_Format format, const KALTAP_Export_Design& design,
                               const std::string& identifier);

// A C identifier made from the base name of `path` (no folder, no
// extension): letters and digits kept (lower case), every other character
// "_"; "fir_" in front when it would start with a digit or be empty.
std::string KALTAP_Export_Identifier(const std::string& path);

// Writes the current design as `format` to `path` (replacing an existing
// file). Returns true on success. On failure returns false with `reason` set
// to the system's error text (for instance "No such file or directory",
// "No space left on device") or to why the design cannot be written in this
// format (no valid weights or arrays not allocated to the design's size, as
// KALTAP_Export_Available; no quantization; taps not finite). The file is
// written under a temporary name beside `path` and renamed over it only when
// complete (Atomic_File.h): a failed export leaves no partial file, and an
// earlier file at `path` stays byte for byte as it was. The design state is
// not changed either way.
bool KALTAP_Export_Weights(KALTAP_Export_Format format, const std::string& path, std::string& reason);
