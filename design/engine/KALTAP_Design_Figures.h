// SPDX-License-Identifier: GPL-3.0-or-later
// The figures a design states, as its taps have them.
//
// After every full design the engine measures the weighted error of the final
// taps on a grid four times as dense as the design grid: the design grid's
// points (band edges included) and three equally spaced points between every
// two neighbours of one band. The figure of band k is the peak over the band
// of weight(f)*|A(f) - D(f)| divided by Band_Weighting(k), in the terms of the
// filter requirements (before the case conversion): for band-pass filters and
// Hilbert transformers the peak error itself, for the differentiator the peak
// error relative to f where the band's weight is divided by f.
//
// The levelled deviation Remez_Deviation / Band_Weighting(k) is the design's
// figure only when the exchange converged, the taps' weighted error at the
// grid points stays within 0.1 % of the levelled deviation, and between grid
// points within 5 % of it (every band at least two grid steps wide). The
// design has converged when the exchange did, or ended on machine rounding
// with the taps' error at the grid points within 0.1 % of a levelled
// deviation above the arithmetic's rounding (the level bounds the best
// deviation from below, the taps' error from above), and the error at the
// grid points stays within 5 % of the levelled deviation.
// Otherwise every figure the program states (report, records, plots' floor)
// is the measured one, and the report says so above its band table.
#pragma once

#include <string>
#include <vector>

#include "KALTAP_Arrays.h"
#include "KALTAP_Remez_Engine.h"

// ---- Set by every full design (KALTAP_Design without Deviations_Only) ----

// The exchange ended converged (or on machine rounding with the taps at its
// level, see above) and the final taps' error at the grid points stays at the
// levelled deviation.
bool KALTAP_Design_Converged();
// The design's stated figures are measured from the taps: not converged, or
// the grid does not cover the taps' error between its points.
bool KALTAP_Figures_Measured();

// Deviation of band k (1..Number_of_Bands) as the program states it:
// Remez_Deviation / Band_Weighting(k), or the measured peak when
// KALTAP_Figures_Measured(). A levelled deviation below the arithmetic's
// rounding (64 units in the last place of the largest desired response) is
// raised to the measured peak, with no warning: the taps' rounding is their
// figure there.
double KALTAP_Band_Deviation(int k);
// The measured peak of band k (see above), whatever the outcome.
double KALTAP_Measured_Band_Deviation(int k);
// A deviation of band k in dB as the report states it (band-pass filters):
// 20*log10(d) for a stopband (desired value exactly 0), otherwise the
// peak-to-peak ripple 20*log10((D+d)/(D-d)); +infinity when d >= D (the
// passband's error reaches its gain), which the report shows as asterisks.
double KALTAP_Band_Deviation_dB(int k, double deviation);

// The deepest deviation of any band in dB, 20*log10(min_k deviation), from
// the stated figures; -infinity for an exact design, +infinity when no full
// design has been measured (weights set by hand).
double KALTAP_Deepest_Deviation_dB();

// The plain-words line written directly above the report's band table and
// shown in the "Next action?" dialog when the figures are measured; empty
// otherwise. Begins with "***Warning".
std::string KALTAP_Figures_Warning();
// The line that says the exchange went past its iteration limit and converged
// there ("***Note: the exchange converged after <n> iterations; it went past
// its limit of 25 because its deviation still rose."), written above the
// report's band table ahead of any figures warning; empty for an exchange that
// ended within the limit or did not converge (the figures warning then names
// the iterations). For a design whose exchange was started again from a
// shorter design's extremal set (KALTAP_Restart_Weights) the line says that
// instead: "***Note: the exchange lost itself on machine rounding from its
// first extremal set and converged after <n> iterations from a reference
// scaled from <m> weights." (a restart that did not converge: "... and
// started again from a reference scaled from <m> weights."). For a design of
// the rescue (KALTAP_Last_Rescue) the line names the precise exchange's
// arithmetic and iterations, and for a padded design the length designed, its
// levelled deviation and the zeros added.
std::string KALTAP_Exchange_Note();

// Measures `taps` (the first (N+1)/2 taps, as Filter_Weights or
// Rounded_Weights hold them) against the current design's requirements on the
// measuring grid above; deviation[k-1] is the figure of band k. Needs the
// grid of the current full design (KALTAP_Filter_Weights_Valid).
void KALTAP_Measure_Band_Deviations(const Array1<double>& taps, std::vector<double>& deviation);

// ---- Steps of the design engine ----

// The weighted error of the final taps at the design grid's points (misses
// within the arithmetic's rounding of the largest desired value ignored):
// its largest value and where, and whether it exceeds the levelled deviation
// by more than 0.1 % (the taps are then not equiripple).
// Taps that add up to more than a million times the largest response asked
// for are `collapsed`: nothing else is measured, and the design has failed.
struct KALTAP_Grid_Error {
    double largest = 0.0;
    double frequency = 0.0;
    bool exceeded = false;
    double tap_gain = 0.0;  // sum of |h(n)| over the full impulse response
    bool collapsed = false;
};
// After a full design whose taps are finite: builds the measuring grid,
// measures Filter_Weights on it, decides whether the figures are measured,
// and holds the run-log warnings that say why ("***Warning: the taps are not
// equiripple ...", and for each band the grid does not cover, a warning
// naming the band and its measured peak) for KALTAP_Write_Design_Figures_Lines
// (a later assessment replaces them). A design of the rescue
// (KALTAP_Last_Rescue) has converged; its note names the rescue, and its
// figures are measured (its taps are rounded from a longer arithmetic).
KALTAP_Grid_Error KALTAP_Assess_Design_Figures();
// Writes the held warnings of the last assessment to the run log.
void KALTAP_Write_Design_Figures_Lines();
// Forgets the figures of the previous design (start of every design).
void KALTAP_Reset_Design_Figures();
