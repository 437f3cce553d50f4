// SPDX-License-Identifier: GPL-3.0-or-later
// Results output: the weight, response and hexadecimal CSV files, and the
// design reports. The amplitude response they evaluate is the engine's
// (KALTAP_Amplitude_Response.h).
#pragma once

#include <string>

#include "KALTAP_Arrays.h"

// ---- Result files (working directory, names prefixed with the design's stem) ----
//
// Each writer opens KALTAP_File_Stamp() + <base name> on a unit from
// DYNLUN_Allocate(40), writes its records under a temporary name beside it,
// and closes and releases the unit; only that close gives the file its name
// (replacing a file of that name, which the stem makes one of the same
// design). A file that cannot be created gives "###Error in <routine>, cannot
// create file <name>" on the console and an orderly stop. Every check below is
// made before the file is created, so a refused call never leaves a file
// behind. Every write and the close are checked: a failure (a full disk, a
// file size limit, the file removed while open) removes the temporary file,
// closes and releases the unit and stops the run with "###Error in <routine>,
// writing <name> failed: <reason>" on the console and in the run log
// (RUN_LOG_Write_Failure); no partial file is left, and an earlier file of
// the name stays as it was.
// Taps (and for the hex file the scale factor and rounded weights) must be
// finite: "###Error in <routine>, Filter_Weights(<i>) is not finite: <value>"
// (or the array's own name) on the console and a stop, with no file written.

// "<stamp>Filter_Weights.csv": header "i,Weight", then records "i,h(i)" for
// the taps 1..N of the full impulse response (reals to full precision); the
// second half mirrors the first with the sign of the case, so for odd
// antisymmetric filters record (N+1)/2 is the zero centre tap. The taps are
// written as designed; nothing here changes the design state.
// Stops: invalid weights (stop text "###Error in KALTAP_Write_CSV, called with
// KALTAP_Filter_Weights_Valid==.FALSE."); PMC_DCT_Type outside 1..4 (run-log
// line "###Error in KALTAAP_Write_CSV, PMC_DCT_Type: <value>", then a stop).
void KALTAP_Write_CSV();
// "<stamp>Frequency_Response.csv": header "Frequency,Response (dB)", then
// P+1 records "f,dB" with P = N*Search_Grid_Density, f = (i-1)/(2P) from 0 to
// 0.5, dB = 20*log10(max(|A(f)|, KALTAP_Response_Floor())).
// Invalid weights: console line "###Error in KALTAP_Frequency_Response_CSV,
// called with KALTAP_Filter_Weights_Valid==.FALSE." and a stop. Taps whose
// magnitudes sum beyond half the largest double could give an infinite
// response: "###Error in KALTAP_Frequency_Response_CSV, Filter_Weights too
// large for a finite response: sum <value>" and a stop, before the file.
void KALTAP_Frequency_Response_CSV();
// "<stamp>Hex_Weights.csv": header "Order, Number of Bits, Scale Factor,
// Scale Factor (HEX)"; one record N (I6), bits (I6), scale factor (F23.15),
// ' and 16 hex digits of the nearest 64-bit integer; header "N, Weight,
// Rounded Weight, Scaled Weight, Scaled Weight (HEX)"; then for n = 1..N the
// tap h(n), its rounded value (both F23.15), its scaled integer (I15) and
// ' with its 16 hex digits (two's complement), mirrored with the sign of the
// case. A non-zero real that F23.15 would show as zero is written in
// exponent form in the same 23 columns.
// These widths hold while the values fit. A field that would overflow widens
// instead to the columns its value needs, and that field of every tap record
// widens with it, so the records still line up (the weight and rounded-weight
// columns share one width): a scale factor from 10^7 (most designs from 24
// bits on), a 48-bit integer of 15 digits and a minus sign, N from 10^6 in
// the order and N fields.
// Only a scale factor of 2^63 or more, which no 64-bit integer holds, shows
// asterisks, in its hex digits.
// Needs KALTAP_Quantizer to have run on the current design: invalid weights
// or no matching quantization give an "###Error in KALTAP_Write_Hex_CSV"
// console line and a stop, and so do a non-finite Scale_Factor and a scaled
// integer equal to the most negative 64-bit integer, which has no negative
// for the mirrored half.
void KALTAP_Write_Hex_CSV();

// The floor of the response file and of the response plots, in dB: -100 dB,
// or 40 dB below the design's deepest band deviation
// (KALTAP_Deepest_Deviation_dB) when that lies deeper, but never below
// -300 dB. A design whose bands all stay above -60 dB keeps -100 dB.
double KALTAP_Response_Floor_dB();
// The same as a magnitude (1e-5 for -100 dB).
double KALTAP_Response_Floor();

// The prefix of the current design's result files: its stem and "_"
// ("CCYYMMDD_hhmm_", or "CCYYMMDD_hhmm_<k>_" when an earlier design of that
// minute took the plain stem; see Result_Set.h). Begins a new set of names
// when no design's set is current.
std::string KALTAP_File_Stamp();

// ---- Design reports ----
//
// Fixed-column listings: title, filter type, length, impulse response in the
// 15-column general format, band table in groups of four bands, and (classical
// form only) the deviations and the extremal frequencies. Fields widen rather
// than show asterisks: tap numbers beyond 2 (mirror numbers beyond 3) digits
// take the digits of the largest, and a band-table value beyond F14.8 (a
// weighting or desired value from 10^5) widens every value field of the table
// to the widest, its "Band k" headings still ending with their fields; a
// report whose values fit keeps the fixed columns. On a file unit (the
// run log) every line and the final flush are checked; a failure goes to
// RUN_LOG_Write_Failure under the routine's name. Invalid weights give
// "###Error in KALTAP_Classical_Output, called with
// KALTAP_Filter_Weights_Valid==.FALSE." on the console and a stop (both
// forms); a Type_of_Filter outside 1..4 gives "####Error in
// KALTAP_Classical_Output, Type_of_Filter out of bounds: <value>" on `unit`
// and a stop.

// The classical listing of a finished design on `unit`. The band table's
// deviations are the design's stated figures (KALTAP_Band_Deviation): when
// they are measured from the taps, the KALTAP_Figures_Warning line stands
// directly above the table; the KALTAP_Exchange_Note line of an exchange that
// converged past its iteration limit, or was started again from a shorter
// design's extremal set, stands above the table and that warning.
// Weights are listed as they are; the listing changes nothing.
void KALTAP_Classical_Output(int unit);
// The listing of the quantized weights (Rounded_Weights) for `bits` bits. Its
// band table gives, per band, the rounded taps' own deviation measured from
// them ("Deviation", and "Deviation, dB" for band-pass filters) and the
// design's ("Unrounded Dev.", "Unrounded, dB"); a two-band low-pass or
// high-pass design adds the passband ripple and stopband attenuation in dB
// of the rounded and the unrounded taps. Without a quantization of the
// current design: "###Error in KALTAP_Quantized_Output, called with
// Weights_Quantized==.FALSE." on the console and a stop.
void KALTAP_Quantized_Output(int unit, int bits);
