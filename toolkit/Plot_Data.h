// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the design program's data blocks and series settings, shared by the
// plot and chart kinds.
#pragma once

#include <QColor>
#include <QPointF>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <QVector>

class QwtPlotCurve;

// How values of a block are taken: exactly, or through their text form as the
// charts show them (integers in decimal, reals in the general format with six
// significant digits).
enum class Plot_Precision { Exact, Six_Digits };

// A real as the plots show it: its text form with six significant digits
// ('g' format) read back. Plot_Six_Digits gives the same double without the
// text for all but a few values (near ties, zero, extreme exponents), which
// it hands to the reference.
double Plot_Six_Digits(double value);
double Plot_Six_Digits_Reference(double value);

// A colour 0xRRGGBB; the top byte carries nothing.
QColor Plot_Colour(const QVariant& value);

// The first `count` values of a block of "INTEGER*4", "INTEGER*8", "REAL*4",
// "REAL*8" or "REAL*16". Empty for an unknown type, no data or no count.
QVector<double> Plot_Values(const void* data, const QString& dataType, qint64 count, Plot_Precision precision);

// Row r of an nrows x ncols block is the point (first value, second value);
// further columns are ignored. A block without two columns, or of an unknown
// type, has no points (reading it would run past its end or misread it).
QVector<QPointF> Plot_Points(const void* data, const QString& dataType, int nrows, int ncols, Plot_Precision precision);

// A curve from a series map: pen "curveColor" / "curveLineWidth" (solid,
// antialiased), the curve attribute "fittedCurve" when non-zero, the style
// "curveStyle" (-1 symbols only, 0 lines, the default, 1 sticks, 2 steps;
// other values give lines), beneath the other curves when "hideItem" is not
// blank, a legend entry titled "curveLabel" only when the label has a
// non-blank character, and the symbol "symbolStyle" of "dotSize" filled and
// outlined in "dotColor".
// Drawn into a raster, a curve of more than four points a pixel column draws
// of each column only its first, lowest, highest and last point, reduced
// anew from all points on every draw.
QwtPlotCurve* Plot_New_Curve(const QVariantMap& series);
