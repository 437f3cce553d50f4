// SPDX-License-Identifier: GPL-3.0-or-later
#include "KALTAP_Weight_Quantization.h"

#include <cmath>
#include <limits>
#include <vector>

#include "Fortran_Format.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Figures.h"
#include "KALTAP_Output.h"
#include "Program_Stop.h"
#include "Run_Logging.h"
#include "Unit_IO.h"

double Scale_Factor = 0.0;
Array1<long long> Scaled_Weights;
Array1<double> Rounded_Weights;
Array1<double> Scaled_Weights_Real;
Array1<double> Rounded_Band_Deviation;
bool Weights_Quantized = false;

// A new design (or any release of the design arrays) drops the quantization
// of the previous one.
static const bool Released_With_Design = (KALTAP_Add_Release_Routine(KALTAP_Release_Quantization_Arrays), true);

namespace {

// Stop on weights that cannot be quantized: the reason on the console, no
// quantization kept.
[[noreturn]] void refuse(const std::string& reason) {
    Weights_Quantized = false;
    UNIT_Write(UNIT_Standard_Output, "###Error in KALTAP_Quantizer, " + reason);
    KALTAP_Stop();
}

}  // namespace

void KALTAP_Quantizer() {
    if (!KALTAP_Filter_Weights_Valid) {
        UNIT_Write(UNIT_Standard_Output,
                   "###Error in KALTAP_Quantizer, called with KALTAP_Filter_Weights_Valid==.FALSE.");
        KALTAP_Stop();
    }
    const int B = KALTAP_Bits;
    if (B < KALTAP_Minimum_Bits) KALTAP_Stop("####Error in KALTAP_Quantizer, called with KALTAP_Bits = " + FMT_Free(B));
    UNIT_Write(UNIT_Standard_Output, "Weight quantization:");
    if (B > KALTAP_Maximum_Bits) KALTAP_Stop("Bad KALTAP_Bits");

    const int M = (Number_of_Weights + 1) / 2;

    // A weight that is not a number has no nearest integer: stop before any
    // arithmetic on it (and before the all-zero test, which a NaN would pass).
    for (int i = 1; i <= M; ++i)
        if (!std::isfinite(Filter_Weights(i)))
            refuse("Filter_Weights(" + FMT_Free(i) + ") is not finite: " + FMT_Free(Filter_Weights(i)));

    // Largest weight magnitude: it is mapped onto the largest positive B-bit integer.
    double largest = -std::numeric_limits<double>::infinity();
    for (int i = 1; i <= M; ++i) largest = std::fmax(largest, std::fabs(Filter_Weights(i)));
    if (!(largest > 0.0)) {
        // An all-zero filter would give an infinite scale factor and undefined
        // integers; scale as for a largest weight of 1 so that every Q(i) is 0.
        UNIT_Write(UNIT_Standard_Output,
                   "###Warning in KALTAP_Quantizer, all filter weights are zero; scale factor set for a "
                   "largest weight of 1");
        largest = 1.0;
    }
    const double largest_integer = std::ldexp(1.0, B - 1) - 1.0;
    // A largest weight so small (subnormal) that the quotient overflows leaves
    // no scale to round with.
    const double scale = largest_integer / largest;
    if (!std::isfinite(scale))
        refuse("Scale_Factor is not finite: " + FMT_Free(scale) + ", largest weight " + FMT_Free(largest));
    Scale_Factor = scale;
    Weights_Quantized = true;

    Scaled_Weights.allocate(M);
    Rounded_Weights.allocate(M);
    Scaled_Weights_Real.allocate(M);

    // Nearest integer, halves away from zero. With finite weights and a finite
    // scale factor |x| <= 2^47 - 1, so it fits in 64 bits.
    for (int i = 1; i <= M; ++i) {
        const double x = Scale_Factor * Filter_Weights(i);
        const double q = std::round(x);
        Scaled_Weights(i) = static_cast<long long>(q);
        Scaled_Weights_Real(i) = q;
    }
    // The weight each integer really stands for.
    for (int i = 1; i <= M; ++i) Rounded_Weights(i) = Scaled_Weights_Real(i) / Scale_Factor;
    // What the rounded taps achieve, band by band, for both reports.
    std::vector<double> deviation;
    KALTAP_Measure_Band_Deviations(Rounded_Weights, deviation);
    Rounded_Band_Deviation.allocate(Number_of_Bands);
    for (int k = 1; k <= Number_of_Bands; ++k) Rounded_Band_Deviation(k) = deviation[static_cast<std::size_t>(k - 1)];

    KALTAP_Quantized_Output(UNIT_Standard_Output, B);
    if (Run_Log_Unit != 0) KALTAP_Quantized_Output(Run_Log_Unit, B);
}

void KALTAP_Release_Quantization_Arrays() {
    Scaled_Weights.release();
    Rounded_Weights.release();
    Scaled_Weights_Real.release();
    Rounded_Band_Deviation.release();
    Weights_Quantized = false;
}
