// SPDX-License-Identifier: GPL-3.0-or-later
#include "KALTAP_Tools.h"

#include <cmath>
#include <string>

#include "Fortran_Format.h"
#include "KALTAP_Configuration_Parameters.h"
#include "Unit_IO.h"

using namespace Order_Estimate_Coefficients;

double Stopband_Weight_Ratio = 0.0;

namespace {

constexpr double Log10_e = 0.4342944819032518;  // log10 x = ln x * Log10_e
constexpr double Passband_Target_Floor = 1e-6;  // |desired| above this is a passband

double log10_of(double x) { return std::log(x) * Log10_e; }

}  // namespace

// a = 10^(R/20); dp = (a - 1) / (a + 1)
double KALTAP_Ripple_to_Deviation(double ripple_dB) {
    const double a = std::pow(10.0, ripple_dB / 20.0);
    return (a - 1.0) / (a + 1.0);
}

// ds = 10^(-|A|/20)
double KALTAP_Attenuation_to_Deviation(double atten_dB) { return std::pow(10.0, -std::fabs(atten_dB) / 20.0); }

// 20 log10((1 + dp) / (1 - dp))
double KALTAP_Deviation_to_Ripple(double dp) { return 20.0 * log10_of((1.0 + dp) / (1.0 - dp)); }

// -20 log10(ds)
double KALTAP_Deviation_to_Attenuation(double ds) { return -20.0 * log10_of(ds); }

namespace {

// The two terms of the order estimate, with g = log10 dp and h = log10 ds:
//   D = (a1 g^2 + a2 g + a3) h + (a4 g^2 + a5 g + a6)
//   f = b1 + b2 (g - h)
// Also leaves Stopband_Weight_Ratio = dp / ds.
void order_terms(double R, double A, double& D, double& f) {
    const double dp = KALTAP_Ripple_to_Deviation(R);
    const double ds = KALTAP_Attenuation_to_Deviation(A);
    const double g = log10_of(dp);
    const double h = log10_of(ds);
    D = (a1 * g * g + a2 * g + a3) * h + (a4 * g * g + a5 * g + a6);
    f = b1 + b2 * (g - h);
    Stopband_Weight_Ratio = dp / ds;
}

}  // namespace

// N = D / dF - f dF + 1
double KALTAP_Estimate_Number_of_Weights(double R, double A, double dF) {
    double D, f;
    order_terms(R, A, D, f);
    return D / dF - f * dF + 1.0;
}

// N - 1 = D/dF - f dF is quadratic in g for known h:
//   P = a1 h + a4
//   Q = (a2 h + a5 - b2 dF^2) / P
//   C = (a3 h + a6 - dF^2 (b1 - b2 h) - (N - 1) dF) / P
//   g = -Q/2 + sqrt(Q^2/4 - C)
double KALTAP_Estimate_Ripple(double A, double dF, int N) {
    const double ds = KALTAP_Attenuation_to_Deviation(A);
    const double h = log10_of(ds);
    const double dF2 = dF * dF;
    const double P = a1 * h + a4;
    const double Q = (a2 * h + a5 - b2 * dF2) / P;
    const double C = (a3 * h + a6 - dF2 * (b1 - b2 * h) - (N - 1) * dF) / P;
    const double discriminant = Q * Q / 4.0 - C;
    // No real root: the relation cannot give so few weights at any ripple.
    const double g = discriminant >= 0.0 ? -Q / 2.0 + std::sqrt(discriminant) : std::nan("");
    const double dp = std::pow(10.0, g);
    Stopband_Weight_Ratio = dp / ds;
    return KALTAP_Deviation_to_Ripple(dp);
}

// Linear in h for known g:
//   h = [(b2 g + b1) dF^2 + (N - 1) dF - (a4 g^2 + a5 g + a6)] / (a1 g^2 + a2 g + a3 + b2 dF^2)
double KALTAP_Estimate_Attenuation(double R, double dF, int N) {
    const double dp = KALTAP_Ripple_to_Deviation(R);
    const double g = log10_of(dp);
    const double dF2 = dF * dF;
    const double h = ((b2 * g + b1) * dF2 + (N - 1) * dF - (a4 * g * g + a5 * g + a6)) /
                     (a1 * g * g + a2 * g + a3 + b2 * dF2);
    Stopband_Weight_Ratio = std::pow(10.0, g - h);
    return -20.0 * h;
}

// f dF^2 + (N - 1) dF - D = 0, positive root:
//   dF = (N - 1) / (2 f) (sqrt(1 + 4 f D / (N - 1)^2) - 1)
double KALTAP_Estimate_Transition(double R, double A, int N) {
    double D, f;
    order_terms(R, A, D, f);
    const double Nm1 = N - 1;
    const double radicand = 1.0 + 4.0 * f * D / (Nm1 * Nm1);
    if (!(radicand >= 0.0)) return std::nan("");
    return Nm1 / (2.0 * f) * (std::sqrt(radicand) - 1.0);
}

double KALTAP_Weight_Ratio(double R, double A) {
    Stopband_Weight_Ratio = KALTAP_Ripple_to_Deviation(R) / KALTAP_Attenuation_to_Deviation(A);
    return Stopband_Weight_Ratio;
}

// t = desired value, d = Remez_Deviation / weight.
// Passband: 20 log10((t + d) / (t - d)); stopband: -20 log10(d).
double KALTAP_Band_Deviation_dB_Quiet(int i) {
    const double t = Band_Desired_Value(i);
    const double d = Remez_Deviation / Band_Weighting(i);
    if (std::fabs(t) > Passband_Target_Floor) return 20.0 * log10_of((t + d) / (t - d));
    return -20.0 * log10_of(d);
}

double KALTAP_Band_Deviation_dB(int i) {
    const double value = KALTAP_Band_Deviation_dB_Quiet(i);
    if (std::fabs(Band_Desired_Value(i)) > Passband_Target_Floor)
        UNIT_Write(UNIT_Standard_Output, "Deviation: " + FMT_Free(Remez_Deviation) + " , Band " + FMT_Free(i) +
                                             "  is a Passband, deviation in dB: " + FMT_Free(value));
    return value;
}
