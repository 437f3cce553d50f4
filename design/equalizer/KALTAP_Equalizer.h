// SPDX-License-Identifier: GPL-3.0-or-later
// The equalizer path: a filter whose magnitude follows a response table read
// from the user's CSV file, interpolated by a cubic spline.
//
// Input file: line 1 holds two column headings (free-format text items, each
// cut to 20 characters); every later read takes the next two numbers in free
// format (commas and/or blanks between them), frequency then response,
// starting on a new line; further items of that line are ignored. The first
// read that fails (end of file, or an item that is not a finite number) ends
// the data; overlong lines and rows with decimal commas are refused instead
// (see the refusals below). Frequencies are in cycles per sample (0..0.5) or
// in any unit whose last table frequency is half the sample rate; responses
// are linear amplitudes, sign kept.
#pragma once

#include <string>

#include "UIK_Call_Interface.h"

extern std::string Equalizer_File_Name;   // starts as "Equalizer.csv"; the dialog's default and choice
extern int Equalizer_Count;               // data points n of the table
extern double Equalizer_First_Frequency;  // first and last frequency after normalisation:
extern double Equalizer_Last_Frequency;   // the range where the spline gives the response

// Seconds the set-up waits after drawing the fitted response, so the user
// sees the plot before the next dialog; 1 in the program (tests set 0).
extern double Equalizer_Pause_Seconds;

// The module's own records of the file field and of the response plot.
extern UIK_FileField_Record Equalizer_File_Field;
extern UIK_XYPlot_Record Equalizer_Plot;
extern UIK_XYSeries_Record Equalizer_Series;

// File dialog, reading and checks, normalisation, spline, plot of the fitted
// response, parameters dialog, run log. Leaves Number_of_Bands 1,
// Type_of_Filter 4, Number_of_Weights, Search_Grid_Density, the spline and
// the response routine installed for the design engine.
//
// Every refusal ends in an orderly stop, with the input file closed and its
// unit handed back:
//   - Cancel in the file or parameters dialog: "Program terminated at user
//     request.";
//   - a file that cannot be opened (a blank name included) or whose first
//     line cannot be read: an alert, blank stop text;
//   - a line read that is longer than UNIT_File_Line_Limit (4096)
//     characters, line 1 included: refused as soon as it is met, with an
//     alert titled "###Error in Equalizer Data###" and the text "Line k: the
//     line is longer than 4096 characters." (k counts the file's lines, the
//     headings being line 1), blank stop text; the rest of the line is not
//     read;
//   - a data line written with decimal commas: its fields are separated by
//     blanks, tabs or semicolons, and one of its first two holds a comma
//     between digits and reads as a number with its commas as decimal
//     points ("1000\t0,5", "1000 0,5", "1000;0,5"): the same alert with the
//     text "Line k: "0,5" has a decimal comma; write the numbers with decimal
//     points." as soon as the line is read. Comma-separated rows with further
//     columns ("1000,0.5,note text") are read as before;
//   - fewer than 3 data points: the reader's message and "Data length" n on
//     the console, blank stop text;
//   - a negative first frequency, frequencies not strictly increasing, or
//     responses that are all zero (after the small-peak warning there is
//     nothing to normalise by): an alert titled "###Error in Equalizer
//     Data###", blank stop text;
//   - data points i and i+1 too close for the spline: a step of the scaled
//     table that is below 1e-9 of its frequency range (last minus first
//     frequency), zero (merged in the scaling) or below the smallest
//     normal number, or a spline whose slopes, second derivatives or values
//     are not finite (CSINTERP_Unusable_Interval): the same alert with the
//     text "Rows i and i+1: the frequencies are too close for the spline.",
//     the spline released, before the plot and any design.
// The previous design is invalidated (KALTAP_Filter_Weights_Valid false)
// before anything else, so a stop leaves no design behind.
// A peak response magnitude below 0.0001 but above 0 is warned about and
// normalised. The parameters are checked as the classical filter definition
// is (3..16385 weights, grid density 4..max(N/2+1, 32), integer reads of up
// to ten characters); faults are listed in one "Error in Filter Definition"
// message and the dialog comes again with its defaults. The filter is
// symmetric, so an even number of weights is zero at half the sample rate: it
// is refused in that message when the table reaches 0.5 (its last frequency
// within 0.00001 of it) with a normalised response there above 0.001 in
// magnitude. When the table does
// not reach from 0 to 0.5 a "***Warning" line in the run log says that the
// response outside it is not controlled by the design. When the spline
// through the normalised table swings beyond 10 times its peak between two
// rows (sampled 32 times per interval), a second "***Warning" line names the
// rows, the swing and its frequency: "***Warning: between rows i and i+1 the
// spline through the table swings to 4.80E+04 times the table's peak (at f =
// ...), and the design follows it; ...".
void KALTAP_Equalizer_Setup();

// Desired response and weight at grid frequency f (cycles per sample): the
// spline inside [first, last] frequency, 0 outside; weight 1. `index` unused.
void KALTAP_Equalizer_Response(double f, int index, double& desired, double& weight);
