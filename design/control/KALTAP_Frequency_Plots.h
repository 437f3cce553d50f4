// SPDX-License-Identifier: GPL-3.0-or-later
// Frequency-response plots of the accepted design: six XY plot windows, each
// saved as a PNG file in the working directory. Each file is named
// KALTAP_File_Stamp() + the view's name ("20261209_0117_plot_1X.png"), so the
// images share the stem of their design's CSV files and run log.
//
// Every plot routine opens one new plot window ("f/(sample rate)" on the x
// axis, light grey background, automatic linear scales, grid lines), computes
// the amplitude response of Filter_Weights at P+1 equally spaced frequencies
// f_0 < ... < f_P (P a multiple of N*Search_Grid_Density), writes it as one
// curve of "REAL*8" rows (f, response) and saves the window's image.
// Decibel views store 20*log10(max(|A|, 1e-5)), so never below -100 dB;
// linear views store A with its sign (sine terms for cases 3 and 4).
//
// Precondition: a finished design (KALTAP_Filter_Weights_Valid, Filter_Weights
// holding the (N+1)/2 unique taps). Otherwise an "###Error in <routine>" line
// on the console and an orderly stop, before any window is opened.
#pragma once

#include <string>
#include <vector>

#include "KALTAP_Arrays.h"
#include "UIK_Call_Interface.h"

// Both true and never changed: the centred and the three-times views are drawn.
extern bool Plot_Centred_Views;
extern bool Plot_Triple_Views;

// Main decibel plot, "Frequency Response", P = N*d, f_i = i/(2P) from 0 to 0.5
// (the points of the response file), curve "FIR Filter" in forest green:
// "plot_1X.png". When Weights_Quantized holds the quantization of the current
// design (Rounded_Weights of extent (N+1)/2, KALTAP_Bits 2..48 and the scale
// factor those bits give for the current weights), a second, dark red curve
// "Rounded to <bits> Bits" of Rounded_Weights follows; both curves are
// computed before either is written and the image is saved after both. A
// stale quantization gets a "***Warning" console line and no second curve.
//
// Once the image is saved, the window also shows the design its main plot
// showed before this one in the run (told apart by the taps), as a thin grey
// curve beneath, labelled "Previous: <N> taps, bands <f1>-<f2>, ..." (or
// "Previous: <N> taps, <k> bands" when the edges make it long), which the
// plot's context-menu item KALTAP_Hide_Previous_Item hides.
void KALTAP_Plot_Frequency_Response();
// The main decibel plot of the design just made, before it is accepted: the
// same window and "FIR Filter" curve as KALTAP_Plot_Frequency_Response, with
// the previous design's curve, never a rounded curve, and no image saved.
// Returns the window's unit, for the caller to close once the design is
// accepted or given up.
int KALTAP_Plot_Preview();
// "Hide Previous Design".
extern const char* const KALTAP_Hide_Previous_Item;
// Forgets the designs shown so far: the next main plot has no previous design.
void KALTAP_Forget_Shown_Designs();
// KALTAP_Plot_Triple_dB ("plot_3X.png"), then KALTAP_Plot_Centred_dB ("plot_2X.png").
void KALTAP_Plot_dB_Views();
// KALTAP_Plot_Triple_Linear ("plot_3XL.png"), KALTAP_Plot_Centred_Linear
// ("plot_2XL.png"), then KALTAP_Plot_Linear_Half ("plot_1XL.png").
void KALTAP_Plot_Linear_Views();
// The five other views, one unlabelled forest-green curve each:
// "Frequency Response Centered at Zero Frequency", dB, P = 2Nd, f_i = i/P - 0.5.
void KALTAP_Plot_Centred_dB();
// "Frequency Response over Three Times Sample Rate", dB, P = 3Nd, f_i = 3i/P - 1.5.
void KALTAP_Plot_Triple_dB();
// "Frequency Response", linear, P = 2Nd, f_i = 0.5*i/P from 0 to 0.5.
void KALTAP_Plot_Linear_Half();
// "Frequency Response Centered at Zero Frequency", linear, P = 2Nd, f_i = i/P - 0.5.
void KALTAP_Plot_Centred_Linear();
// "Frequency Response over Three Times Sample Rate", linear, P = 3Nd, f_i = 3i/P - 1.5.
void KALTAP_Plot_Triple_Linear();

// ---- The curves' values ----
//
// The values come from one discrete Fourier transform of the taps
// (KALTAP_Uniform_Response), within a few units in the last place of the
// direct sum's (KALTAP_Amplitude_Response); the direct sum is taken only
// for taps or values the transform refuses (not finite).
enum class KALTAP_Plot_View { Main_dB, Centred_dB, Triple_dB, Linear_Half, Centred_Linear, Triple_Linear };

// Rows (f_i, value), i = 0..P, of `view` for the unique taps w(1..(N+1)/2)
// with N = Number_of_Weights, the density Search_Grid_Density and the case
// PMC_DCT_Type of the design state; P must be below the largest int.
std::vector<double> KALTAP_Plot_Curve_Rows(KALTAP_Plot_View view, const Array1<double>& w);

// ---- The look of the program's plots, for its other plot windows ----

// The record of a plot titled `title` with the axes named: light grey
// background, automatic linear scales, grid lines (for UIK_createXYPlot).
UIK_XYPlot_Record KALTAP_Plot_Record(const std::string& title, const std::string& x_axis, const std::string& y_axis);
// A curve of one-pixel lines without point symbols, labelled `label` (blank:
// no legend entry), in `colour`: the designed taps' colour or the rounded ones'.
UIK_XYSeries_Record KALTAP_Plot_Series(const std::string& label, unsigned colour);
extern const unsigned KALTAP_Filter_Curve_Colour;     // forest green
extern const unsigned KALTAP_Quantized_Curve_Colour;  // dark red
// The rounded taps' curve label, "Rounded to <bits> Bits".
std::string KALTAP_Rounded_Label(int bits);
