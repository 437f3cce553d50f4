// SPDX-License-Identifier: GPL-3.0-or-later
// Closed-form relations of a two-band linear-phase FIR filter between the
// number of weights N, the peak-to-peak passband ripple R (dB), the stopband
// attenuation A (dB) and the transition width dF (cycles per sample), and the
// measurement of a band's achieved deviation after a design.
//
// The order estimate is that of Herrmann, Rabiner and Chan for equiripple
// low-pass filters; the three inversions solve the same relation for R, A or
// dF. Every estimate routine (and KALTAP_Weight_Ratio) also stores the ratio
// dp/ds of the passband and stopband deviations that goes with its figures in
// Stopband_Weight_Ratio: the stopband weight that makes an equiripple design
// trade ripple against attenuation in that proportion.
//
// Where the relation has no real solution (or a figure is out of its domain,
// such as a ripple of 0 dB) the result is NaN or an infinity and so may be the
// stored ratio: the callers check both before they use them.
#pragma once

// The ratio dp/ds of the most recent estimate routine call. Initially 0.
extern double Stopband_Weight_Ratio;

// Constants of the order estimate.
namespace Order_Estimate_Coefficients {
constexpr double a1 = 0.005309;
constexpr double a2 = 0.07114;
constexpr double a3 = -0.4761;
constexpr double a4 = -0.00266;
constexpr double a5 = -0.5941;
constexpr double a6 = -0.4278;
constexpr double b1 = 11.01217;
constexpr double b2 = 0.51244;
}  // namespace Order_Estimate_Coefficients

// Conversions between decibel figures and deviations.
double KALTAP_Ripple_to_Deviation(double ripple_dB);      // dp from a p-p ripple
double KALTAP_Attenuation_to_Deviation(double atten_dB);  // ds from an attenuation (sign ignored)
double KALTAP_Deviation_to_Ripple(double dp);             // p-p ripple in dB
double KALTAP_Deviation_to_Attenuation(double ds);        // attenuation in dB

// Estimated number of weights (not rounded) for ripple R, attenuation A and
// transition dF.
double KALTAP_Estimate_Number_of_Weights(double R, double A, double dF);
// Estimated p-p ripple in dB for attenuation A, transition dF and N weights
// (the + root of the quadratic in log10 dp; NaN when it has no real root).
double KALTAP_Estimate_Ripple(double A, double dF, int N);
// Estimated attenuation in dB for ripple R, transition dF and N weights.
double KALTAP_Estimate_Attenuation(double R, double dF, int N);
// Estimated transition width for ripple R, attenuation A and N weights (the
// positive root; NaN when the quadratic has no real root).
double KALTAP_Estimate_Transition(double R, double A, int N);
// dp/ds for ripple R and attenuation A; stored in Stopband_Weight_Ratio too.
double KALTAP_Weight_Ratio(double R, double A);

// Achieved deviation of band i of the last design, in dB, from
// Remez_Deviation / Band_Weighting(i). A passband (|desired| > 1e-6) gives
// its p-p ripple and writes one console line "Deviation: ... , Band i  is a
// Passband, deviation in dB: ..."; a stopband gives its attenuation and
// writes nothing. Leaves Stopband_Weight_Ratio alone.
double KALTAP_Band_Deviation_dB(int i);

// The same figure without the console line (for the searches' own reports).
double KALTAP_Band_Deviation_dB_Quiet(int i);
