// SPDX-License-Identifier: GPL-3.0-or-later
// Spreadsheets: tables of the window layer that the design program fills from
// a block of values, labels, and reads back after the user has edited them.
//
// A spreadsheet is opened through unit I/O like a text window, with the
// window type "spreadsheet" in the access string (a width and a height may
// follow, as for text windows):
//
//     int unit = UNIT_Automatic;
//     UNIT_Open_Window(unit, "Coefficients", "ACCESS=spreadsheet");
//     UIK_writeSpreadsheet(unit, block, "REAL*8", nrows, ncols);
//     ...
//     UIK_readSpreadsheet(unit, block, "REAL*8", nrows, ncols);
//
// It is closed with UNIT_Close and saved as CSV text with
// UIK_saveWindowContents_Unit.
//
// Data blocks hold nrows rows of ncols values, row after row; the table gets
// nrows rows and ncols columns. A two-dimensional array of the design program
// (stored column by column) is passed with nrows = its second extent and
// ncols = its first. The data-type names and their elements:
//
//   "INTEGER*4"   32-bit signed integer
//   "INTEGER*8"   64-bit signed integer
//   "REAL*4"      float
//   "REAL*8"      double
//   "REAL*16"     long double
//   "COMPLEX*8"   two floats, real part first (std::complex<float>)
//   "COMPLEX*4"   the same as "COMPLEX*8": there is no complex type of two
//                 16-bit reals, so the name is taken as complex of REAL*4
//   "COMPLEX*16"  two doubles, real part first (std::complex<double>)
//   "CHARACTER*n" a blank-padded text of n characters (n from 1 to 65535;
//                 the name carries the length); "CHARACTER*" alone means the
//                 128-character text fields of the design program's records
//
// Cells show integers in decimal, reals in the shortest general form (at
// least six significant digits) that reads back as the same value, complex
// values as "(re,im)", texts without their trailing blanks. Reading parses
// every cell back into the block: a complex cell may also be "re,im" or a
// single real; a text cell is cut or blank-padded to n characters. A cell
// that does not hold a value of the type (empty number cells included) keeps
// the block's old value, so a stray edit never turns into a zero.
//
// Everything here runs on the design program's thread; nothing is locked.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "UIK_Call_Interface.h"

// The kind of one element of a spreadsheet block.
enum class UIK_Cell_Kind { None, Integer4, Integer8, Real4, Real8, Real16, Complex8, Complex16, Character };

struct UIK_Cell_Type {
    UIK_Cell_Kind kind = UIK_Cell_Kind::None;
    std::size_t size = 0;  // bytes of one element
    bool valid() const { return kind != UIK_Cell_Kind::None; }
};

// The element of a data-type name (surrounding blanks ignored); kind None and
// size 0 for a name that is none of the above. The window layer reads the
// blocks by the same rule.
UIK_Cell_Type UIK_Spreadsheet_Cell_Type(const std::string& data_type);

// Fills the spreadsheet of `unit` with the block. The window layer keeps a
// copy, so the block may change as soon as the call returns. Result 1; 0
// (nothing raised) for an unknown data type, a missing block of non-zero
// size, or a block too large to hand over. Counts below 0 count as 0.
int UIK_writeSpreadsheet(int unit, const void* data, const std::string& data_type, int nrows, int ncols);

// Waits until the window layer has copied the cells of the spreadsheet of
// `unit` back into the block (see above for cells that do not parse; cells
// outside the table keep their values too). Result 1; 0 (nothing raised) for
// an unknown data type or a missing block of non-zero size.
int UIK_readSpreadsheet(int unit, void* data, const std::string& data_type, int nrows, int ncols);

// Column and row headers: `count` fixed-length labels of `label_length`
// characters each, one after the other; trailing blanks are removed. Labels
// name the first columns (rows) and stay with the table when a later write
// resizes it; columns without a label show their number.
int UIK_setHorizontalLabels(int unit, const char* labels, int label_length, int count);
int UIK_setVerticalLabels(int unit, const char* labels, int label_length, int count);
// The same for labels held in 128-character text fields.
int UIK_setHorizontalLabels(int unit, const std::vector<UIK_Text>& labels);
int UIK_setVerticalLabels(int unit, const std::vector<UIK_Text>& labels);
