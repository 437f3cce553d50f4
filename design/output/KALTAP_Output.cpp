// SPDX-License-Identifier: GPL-3.0-or-later
#include "KALTAP_Output.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <vector>

#include "Dynamic_LUN.h"
#include "Fortran_Format.h"
#include "KALTAP_Amplitude_Response.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "KALTAP_Design_Figures.h"
#include "KALTAP_Weight_Quantization.h"
#include "Program_Stop.h"
#include "Result_Set.h"
#include "Run_Logging.h"
#include "Unit_IO.h"

// ======================================================================
// Result files
// ======================================================================

namespace {

constexpr int Output_First_Unit = 40;  // allocator start for result files

const char* const Weights_File_Base = "Filter_Weights.csv";
const char* const Response_File_Base = "Frequency_Response.csv";
const char* const Hex_File_Base = "Hex_Weights.csv";

// Columns of the tap and mirror numbers in the report's tap lines, as long as
// the numbers fit.
constexpr int Tap_Number_Width = 2;
constexpr int Mirror_Number_Width = 3;

// Decimal digits of a positive number.
int decimal_digits(int n) {
    int digits = 1;
    while (n >= 10) {
        n /= 10;
        ++digits;
    }
    return digits;
}

// Response floor: magnitudes below 1e-5 are written as -100 dB, unless the
// design goes deeper: then the floor lies 40 dB below its deepest band
// deviation, down to -300 dB.
constexpr double Response_Floor = 1.0e-5;
constexpr double Response_Floor_dB = -100.0;
constexpr double Deepest_Floor_dB = -300.0;
constexpr double Floor_Below_Deepest_dB = 40.0;
constexpr double Log10_of_e = 0.4342944819032518;

// Frequencies evaluated per call of the parallel response routine; bounds the
// scratch memory of very long files.
constexpr int Response_Block = 65536;

// Field widths of the hex file while the values fit; a column whose values
// need more widens to its widest value.
constexpr int Hex_Integer_Width = 6;
constexpr int Hex_Real_Width = 23;
constexpr int Hex_Real_Decimals = 15;
constexpr int Hex_Scaled_Width = 15;
constexpr int Hex_Digits = 16;

// Magnitude from which a real no longer fits a signed 64-bit integer.
constexpr double Two_To_63 = 9223372036854775808.0;

// A negative zero prints as "-0..."; the files show every zero unsigned.
double unsigned_zero(double x) { return x + 0.0; }

// Stop with `message` on the console (the standard output unit).
[[noreturn]] void console_error_stop(const std::string& message) {
    UNIT_Write(UNIT_Standard_Output, message);
    KALTAP_Stop();
}

// A result file being written, under a temporary name until it is finished:
// every line, and the close, is checked; a failure removes the temporary
// file, releases the unit and stops the run with
// "###Error in <routine>, writing <name> failed: <reason>". A writer left by a
// stop before it finished keeps nothing either.
class Result_File {
public:
    // Open <stamp><base> on a newly allocated unit. A file that cannot be
    // created releases the unit and stops the run.
    Result_File(const std::string& routine, const std::string& base)
        : routine_(routine), name_(FMT_Trim(KALTAP_File_Stamp()) + base), unit_(DYNLUN_Allocate(Output_First_Unit)) {
        if (UNIT_Open(unit_, name_, UNIT_Mode::Replace) != UNIT_OK) {
            DYNLUN_Release(unit_);
            unit_ = 0;
            console_error_stop("###Error in " + routine_ + ", cannot create file " + name_);
        }
    }
    Result_File(const Result_File&) = delete;
    Result_File& operator=(const Result_File&) = delete;
    ~Result_File() {
        if (unit_ == 0 || UNIT_File_Name(unit_) != name_) return;
        UNIT_Discard(unit_);
        if (DYNLUN_Find(unit_) == 1) DYNLUN_Release(unit_);
    }

    void write(const std::string& line) {
        if (UNIT_Write(unit_, line) != UNIT_OK) fail();
    }
    // Flush, close, release and give the file its name: only now are the
    // lines known to be kept.
    void finish() {
        if (DYNLUN_close(unit_) != UNIT_OK) fail();
        unit_ = 0;
    }

private:
    [[noreturn]] void fail() {
        const int unit = unit_;
        unit_ = 0;
        RUN_LOG_Write_Failure(routine_, unit, name_);
    }

    std::string routine_;
    std::string name_;
    int unit_;
};

// Every value the writers compute with must be finite: a NaN has no nearest
// integer and no decibel value, and an infinity none either. Checked before
// a file is created; a non-finite value stops the run with
// "###Error in <routine>, <array>(<i>) is not finite: <value>".
void require_finite(const std::string& routine, const char* array, const Array1<double>& values, int count) {
    for (int i = 1; i <= count; ++i)
        if (!std::isfinite(values(i)))
            console_error_stop("###Error in " + routine + ", " + array + "(" + FMT_Free(i) +
                               ") is not finite: " + FMT_Free(values(i)));
}

// Free-format record "first,second".
std::string csv_record(int first, double second) { return FMT_Free(first) + "," + FMT_Free(unsigned_zero(second)); }
std::string csv_record(double first, double second) {
    return FMT_Free(unsigned_zero(first)) + "," + FMT_Free(unsigned_zero(second));
}

// 16 hex digits of the 64-bit integer nearest to x (halves away from zero);
// a value outside the 64-bit range fills the field with asterisks.
std::string hex_of_nearest(double x) {
    const double q = std::round(x);
    if (!(std::fabs(q) < Two_To_63)) return std::string(Hex_Digits, '*');
    return FMT_Hex64(static_cast<long long>(q));
}

// F(width).15, or for a non-zero value that field would show as zero the
// same columns in exponent form, so that no tap that is not zero reads as zero.
std::string hex_real(double x, int width) {
    const std::string fixed = FMT_Fixed(unsigned_zero(x), width, Hex_Real_Decimals);
    if (x == 0.0 || fixed.find_first_of("123456789") != std::string::npos) return fixed;
    return FMT_Scientific(x, width, Hex_Real_Decimals);
}

// The columns hex_real needs for x: 23, or more from eight integer places on
// (the exponent form always fits 23).
int hex_real_width(double x) { return FMT_Fixed_Width(unsigned_zero(x), Hex_Real_Width, Hex_Real_Decimals); }

// One tap record of the hex file, with the sign of its half.
struct Hex_Record {
    double weight, rounded;
    long long scaled;
};

}  // namespace

double KALTAP_Response_Floor_dB() {
    const double below = KALTAP_Deepest_Deviation_dB() - Floor_Below_Deepest_dB;
    if (!(below < Response_Floor_dB)) return Response_Floor_dB;
    return std::max(below, Deepest_Floor_dB);
}

double KALTAP_Response_Floor() {
    const double dB = KALTAP_Response_Floor_dB();
    return dB == Response_Floor_dB ? Response_Floor : std::pow(10.0, dB / 20.0);
}

std::string KALTAP_File_Stamp() { return RESULT_SET_Stem() + "_"; }

void KALTAP_Write_CSV() {
    // Both checks come before the file is created, so a refused call neither
    // replaces an earlier file of the same name nor leaves a partial one.
    if (!KALTAP_Filter_Weights_Valid)
        KALTAP_Stop("###Error in KALTAP_Write_CSV, called with KALTAP_Filter_Weights_Valid==.FALSE.");
    if (PMC_DCT_Type < 1 || PMC_DCT_Type > 4) {
        RUN_LOG_write("###Error in KALTAAP_Write_CSV, PMC_DCT_Type: " + FMT_Free(PMC_DCT_Type));
        KALTAP_Stop();
    }
    const int N = Number_of_Weights;
    const int M = (N + 1) / 2;
    const Array1<double>& H = Filter_Weights;
    require_finite("KALTAP_Write_CSV", "Filter_Weights", H, M);

    Result_File file("KALTAP_Write_CSV", Weights_File_Base);
    file.write("i,Weight");
    // First half as stored, second half mirrored: the taps as designed.
    for (int i = 1; i <= M; ++i) file.write(csv_record(i, H(i)));
    // Second half: mirror image, negated for the antisymmetric cases 3 and 4.
    const double sign = PMC_DCT_Type <= 2 ? 1.0 : -1.0;
    for (int i = M + 1; i <= N; ++i) file.write(csv_record(i, sign * H(N + 1 - i)));
    file.finish();
}

void KALTAP_Frequency_Response_CSV() {
    if (!KALTAP_Filter_Weights_Valid)
        console_error_stop(
            "###Error in KALTAP_Frequency_Response_CSV, called with KALTAP_Filter_Weights_Valid==.FALSE.");
    const int N = Number_of_Weights;
    const int M = (N + 1) / 2;
    const bool symmetric = PMC_DCT_Type == 1 || PMC_DCT_Type == 2;
    const std::string routine = "KALTAP_Frequency_Response_CSV";
    require_finite(routine, "Filter_Weights", Filter_Weights, M);
    // |A(f)| <= 2 * sum |h(i)| over the stored taps (the centre tap counts
    // half), so a finite bound keeps every response value finite and the
    // floor below never sees a NaN.
    double bound = 0.0;
    for (int i = 1; i <= M; ++i) bound += std::fabs(Filter_Weights(i));
    if (!std::isfinite(2.0 * bound))
        console_error_stop("###Error in " + routine + ", Filter_Weights too large for a finite response: sum " +
                           FMT_Free(bound));

    const double floor = KALTAP_Response_Floor();
    Result_File file(routine, Response_File_Base);
    file.write("Frequency,Response (dB)");

    // P+1 points from 0 to 0.5 inclusive, step 1/(2P), evaluated block by block.
    const long long P = static_cast<long long>(N) * Search_Grid_Density;
    const long long points = P + 1;
    std::vector<double> f, A;
    for (long long first = 1; first <= points; first += Response_Block) {
        KALTAP_Check_Stop();
        const int count = static_cast<int>(std::min<long long>(Response_Block, points - first + 1));
        f.resize(static_cast<std::size_t>(count));
        A.resize(static_cast<std::size_t>(count));
        for (int k = 0; k < count; ++k) {
            const long long i = first + k;
            f[k] = static_cast<double>(i - 1) / (2.0 * static_cast<double>(P));
        }
        KALTAP_Amplitude_Response_Many(f.data(), count, Filter_Weights, N, symmetric, A.data());
        for (int k = 0; k < count; ++k) {
            // The floor is taken only of a number: a magnitude that is not one
            // (which the bound above rules out) is no null of the response.
            const double magnitude = std::fabs(A[k]);
            if (!(magnitude <= std::numeric_limits<double>::max())) {
                // The file being written is discarded as the stop leaves it.
                console_error_stop("###Error in " + routine + ", response at f = " + FMT_Free(f[k]) +
                                   " is not finite: " + FMT_Free(A[k]));
            }
            const double dB = 20.0 * Log10_of_e * std::log(std::max(magnitude, floor));
            file.write(csv_record(f[k], dB));
        }
    }
    file.finish();
}

void KALTAP_Write_Hex_CSV() {
    if (!KALTAP_Filter_Weights_Valid)
        console_error_stop("###Error in KALTAP_Write_Hex_CSV, called with KALTAP_Filter_Weights_Valid==.FALSE.");
    const int N = Number_of_Weights;
    const int M = (N + 1) / 2;
    // The quantization must belong to this design (same number of unique taps).
    if (!Weights_Quantized || Scaled_Weights.extent() != M || Rounded_Weights.extent() != M)
        console_error_stop("###Error in KALTAP_Write_Hex_CSV, called with Weights_Quantized==.FALSE.");
    const std::string routine = "KALTAP_Write_Hex_CSV";
    if (!std::isfinite(Scale_Factor))
        console_error_stop("###Error in " + routine + ", Scale_Factor is not finite: " + FMT_Free(Scale_Factor));
    require_finite(routine, "Filter_Weights", Filter_Weights, M);
    require_finite(routine, "Rounded_Weights", Rounded_Weights, M);
    // The mirrored half of an antisymmetric filter negates the integers; the
    // most negative 64-bit integer has no negative.
    for (int k = 1; k <= M; ++k)
        if (Scaled_Weights(k) == std::numeric_limits<long long>::min())
            console_error_stop("###Error in " + routine + ", Scaled_Weights(" + FMT_Free(k) +
                               ") out of range: " + FMT_Free(Scaled_Weights(k)));

    // First half as stored, second half mirrored with the sign of the case.
    std::vector<Hex_Record> records(static_cast<std::size_t>(N));
    const int antisymmetric_sign = PMC_DCT_Type <= 2 ? 1 : -1;
    for (int n = 1; n <= N; ++n) {
        const int k = n <= N / 2 ? n : N + 1 - n;
        const int sign = n <= N / 2 ? 1 : antisymmetric_sign;
        records[n - 1] = {sign * Filter_Weights(k), sign * Rounded_Weights(k), sign * Scaled_Weights(k)};
    }
    // A field widens to the columns its value needs rather than show asterisks
    // (a 48-bit integer with its sign; the scale factor from 10^7, as from 24
    // bits on), a tap column to its widest value, so the records still line
    // up. The weights and the rounded weights share one width.
    const int number_width = FMT_Integer_Width(N, Hex_Integer_Width);
    int real_width = Hex_Real_Width, scaled_width = Hex_Scaled_Width;
    for (const Hex_Record& r : records) {
        real_width = std::max({real_width, hex_real_width(r.weight), hex_real_width(r.rounded)});
        scaled_width = std::max(scaled_width, FMT_Integer_Width(r.scaled, Hex_Scaled_Width));
    }

    Result_File file(routine, Hex_File_Base);
    file.write("Order, Number of Bits, Scale Factor, Scale Factor (HEX)");
    file.write(FMT_Integer(N, number_width) + "," + FMT_Integer(KALTAP_Bits, Hex_Integer_Width) + "," +
               hex_real(Scale_Factor, hex_real_width(Scale_Factor)) + ",'" + hex_of_nearest(Scale_Factor));
    file.write("N, Weight, Rounded Weight, Scaled Weight, Scaled Weight (HEX)");
    for (int n = 1; n <= N; ++n) {
        const Hex_Record& r = records[n - 1];
        file.write(FMT_Integer(n, number_width) + "," + hex_real(r.weight, real_width) + "," +
                   hex_real(r.rounded, real_width) + "," + FMT_Integer(r.scaled, scaled_width) + ",'" +
                   FMT_Hex64(r.scaled));
    }
    file.finish();
}

// ======================================================================
// Design reports
// ======================================================================

namespace {

const std::string Asterisk_Rule(70, '*');

constexpr int Bands_Per_Group = 4;
constexpr int Band_Label_Width = 17;
constexpr int Band_Heading_Width = 7;  // "Band" and the band number in 3 columns
constexpr int Band_Value_Width = 14;
constexpr int Band_Value_Decimals = 8;
constexpr int Extremal_Per_Line = 5;
constexpr int Extremal_Width = 12;
constexpr int Extremal_Decimals = 7;

std::string blanks(int count) { return std::string(static_cast<std::size_t>(count), ' '); }

enum class Report_Form { Classical, Quantized };

// The unit a report goes to. On a file (the run log) every line and the
// final flush are checked; a failure is reported under the report's routine
// name and stops the run. Console and window units take every line.
struct Report_Unit {
    int unit;
    const char* routine;

    void write(const std::string& line) const {
        if (UNIT_Write(unit, line) == UNIT_Write_Error) fail();
    }
    void flush() const {
        if (UNIT_Flush(unit) == UNIT_Write_Error) fail();
    }
    [[noreturn]] void fail() const { RUN_LOG_Write_Failure(routine, unit, UNIT_File_Name(unit)); }
};

// One row of the band table: its label (Band_Label_Width columns) and its
// value for band k.
struct Band_Row {
    const char* label;
    std::function<double(int)> value;
};

// The band table's rows, in order. The quantized form lists per band the
// rounded taps' measured deviation (and dB for band-pass filters), then the
// design's own as the design report states it.
std::vector<Band_Row> band_rows(Report_Form form) {
    std::vector<Band_Row> rows{{"  Lower Band Edge", [](int k) { return Band_Edges(2 * k - 1); }},
                               {"  Upper Band Edge", [](int k) { return Band_Edges(2 * k); }}};
    auto desired = [](int k) { return Band_Desired_Value(k); };
    if (Type_of_Filter == 1) rows.push_back({"  Desired value  ", desired});
    if (Type_of_Filter == 2 || Type_of_Filter == 3) rows.push_back({"  Desired Slope  ", desired});
    if (Type_of_Filter == 4) return rows;
    const bool bandpass = Type_of_Filter == 1;
    auto stated = [](int k) { return KALTAP_Band_Deviation(k); };
    auto stated_dB = [](int k) { return KALTAP_Band_Deviation_dB(k, KALTAP_Band_Deviation(k)); };
    if (form == Report_Form::Quantized) {
        rows.push_back({"  Deviation      ", [](int k) { return Rounded_Band_Deviation(k); }});
        if (bandpass)
            rows.push_back(
                {"  Deviation, dB  ", [](int k) { return KALTAP_Band_Deviation_dB(k, Rounded_Band_Deviation(k)); }});
        rows.push_back({"  Unrounded Dev. ", stated});
        if (bandpass) rows.push_back({"  Unrounded, dB  ", stated_dB});
        return rows;
    }
    rows.push_back({"  Weighting      ", [](int k) { return Band_Weighting(k); }});
    rows.push_back({"  Deviation      ", stated});
    if (bandpass) rows.push_back({"  Deviation, dB  ", stated_dB});
    return rows;
}

void write_band_table(const Report_Unit& out, Report_Form form) {
    const std::vector<Band_Row> rows = band_rows(form);
    // F14.8 values while they all fit; a larger one (a weighting or desired
    // value from 10^5 on) widens every value field of the table to the
    // widest, and the headings move with the fields.
    int width = Band_Value_Width;
    for (const Band_Row& row : rows)
        for (int k = 1; k <= Number_of_Bands; ++k)
            width = std::max(width, FMT_Fixed_Width(row.value(k), Band_Value_Width, Band_Value_Decimals));
    for (int first = 1; first <= Number_of_Bands; first += Bands_Per_Group) {
        const int last = std::min(first + Bands_Per_Group - 1, Number_of_Bands);
        // Each heading ends in the last column of its value field.
        out.write("");
        std::string heading = blanks(Band_Label_Width);
        for (int k = first; k <= last; ++k) heading += blanks(width - Band_Heading_Width) + "Band" + FMT_Integer(k, 3);
        out.write(heading);
        for (const Band_Row& row : rows) {
            std::string line = row.label;
            for (int k = first; k <= last; ++k) line += FMT_Fixed(row.value(k), width, Band_Value_Decimals);
            out.write(line);
        }
    }
}

// A two-band low-pass or high-pass design: one passband and one stopband.
bool two_band_design(int& passband, int& stopband) {
    if (KALTAP_BandType == 2 || Type_of_Filter != 1 || Number_of_Bands != 2) return false;
    if ((Band_Desired_Value(1) == 0.0) == (Band_Desired_Value(2) == 0.0)) return false;
    passband = Band_Desired_Value(1) != 0.0 ? 1 : 2;
    stopband = 3 - passband;
    return true;
}

// The rounded taps' passband ripple and stopband attenuation beside the
// design's, for two-band designs.
void write_two_band_figures(const Report_Unit& out) {
    int passband = 0, stopband = 0;
    if (!two_band_design(passband, stopband)) return;
    auto value = [](double x) { return FMT_Fixed(x, Band_Value_Width, Band_Value_Decimals); };
    out.write("");
    out.write(blanks(17) + blanks(Band_Value_Width - 7) + "Rounded" + blanks(Band_Value_Width - 9) + "Unrounded");
    out.write("  Ripple, dB     " + value(KALTAP_Band_Deviation_dB(passband, Rounded_Band_Deviation(passband))) +
              value(KALTAP_Band_Deviation_dB(passband, KALTAP_Band_Deviation(passband))));
    out.write("  Attenuation, dB" + value(-20.0 * std::log10(Rounded_Band_Deviation(stopband))) +
              value(-20.0 * std::log10(KALTAP_Band_Deviation(stopband))));
}

void write_extremal_frequencies(const Report_Unit& out) {
    out.write("");
    out.write("  Extremal Frequencies--Maxima of the Error Curve");
    const int count = KALTAP_Extremal_Count();
    std::string line;
    for (int j = 1; j <= count; ++j) {
        if (line.empty()) line = blanks(2);
        line += FMT_Fixed(Grid_Frequency(Extremal_Index(j)), Extremal_Width, Extremal_Decimals);
        if (j % Extremal_Per_Line == 0 || j == count) {
            out.write(line);
            line.clear();
        }
    }
}

void write_report(int unit, Report_Form form, int bits) {
    const bool quantized = form == Report_Form::Quantized;
    const Report_Unit out{unit, quantized ? "KALTAP_Quantized_Output" : "KALTAP_Classical_Output"};
    if (!KALTAP_Filter_Weights_Valid)
        console_error_stop("###Error in KALTAP_Classical_Output, called with KALTAP_Filter_Weights_Valid==.FALSE.");
    if (quantized && (!Weights_Quantized || Rounded_Weights.extent() < Half_Length ||
                      Rounded_Band_Deviation.extent() != Number_of_Bands))
        console_error_stop("###Error in KALTAP_Quantized_Output, called with Weights_Quantized==.FALSE.");
    const int N = Number_of_Weights;

    // Title.
    out.write(Asterisk_Rule);
    out.write("");
    out.write(blanks(15) + "Finite Impulse Response (FIR)");
    if (quantized) {
        out.write(blanks(16) + "Linear Phase Digital Filter");
    } else {
        out.write(blanks(13) + "Linear Phase Digital Filter Design");
        out.write(blanks(17) + "Remez Exchange Algorithm");
    }
    out.write("");

    // Filter type.
    switch (Type_of_Filter) {
        case 1: out.write(blanks(22) + "Bandpass Filter"); break;
        case 2: out.write(blanks(22) + "Differentiator"); break;
        case 3: out.write(blanks(20) + "Hilbert Transformer"); break;
        case 4: out.write(blanks(25) + "Equalizer"); break;
        default:
            out.write("####Error in KALTAP_Classical_Output, Type_of_Filter out of bounds: " +
                      FMT_Free(Type_of_Filter));
            out.flush();
            KALTAP_Stop();
    }
    out.write("");
    if (quantized) {
        out.write(blanks(12) + "Coefficients Quantized to" + FMT_Integer(bits, 3) + " Bits");
        out.write("");
    }

    // Length and impulse response (first half; the rest by symmetry).
    out.write(blanks(20) + "Filter Length = " + FMT_Free(N));
    out.write("");
    out.write(blanks(15) + "***** Impulse Response *****");
    const Array1<double>& listed = quantized ? Rounded_Weights : Filter_Weights;
    const std::string mirror = (Type_of_Filter == 1 || Type_of_Filter == 4) ? " = h(" : " = -h(";
    // Tap numbers in 2 columns and mirror numbers in 3, widened to the digits
    // of the largest number listed when that does not fit, so that every line
    // still names its taps.
    const int last_tap = PMC_DCT_Type == 3 ? Half_Length + 1 : Half_Length;
    const int tap_width = std::max(Tap_Number_Width, decimal_digits(last_tap));
    const int mirror_width = std::max(Mirror_Number_Width, decimal_digits(N));
    for (int j = 1; j <= Half_Length; ++j) {
        out.write(blanks(13) + "h(" + FMT_Integer(j, tap_width) + ") = " + FMT_General_15(listed(j)) + mirror +
                  FMT_Integer(N + 1 - j, mirror_width) + ")");
    }
    if (PMC_DCT_Type == 3) out.write(blanks(13) + "h(" + FMT_Integer(Half_Length + 1, tap_width) + ") =  0.0");

    // How the exchange got past its limit, where it did; the figures below
    // are the taps' own: say so where they are measured.
    const std::string exchange_note = KALTAP_Exchange_Note();
    const std::string figures_warning = KALTAP_Figures_Warning();
    if (!exchange_note.empty() || !figures_warning.empty()) out.write("");
    if (!exchange_note.empty()) out.write(exchange_note);
    if (!figures_warning.empty()) out.write(figures_warning);
    write_band_table(out, form);
    if (quantized) write_two_band_figures(out);
    if (!quantized) write_extremal_frequencies(out);

    out.write("");
    out.write(Asterisk_Rule);
    out.write("");
    out.flush();
}

}  // namespace

void KALTAP_Classical_Output(int unit) { write_report(unit, Report_Form::Classical, 0); }

void KALTAP_Quantized_Output(int unit, int bits) { write_report(unit, Report_Form::Quantized, bits); }
