// SPDX-License-Identifier: GPL-3.0-or-later
// Rounding a double to six significant decimal digits without text.
//
// Six_Significant_Digits(value, rounded) decides, for all but a few values,
// the double nearest to the decimal with the six leading digits of value
// rounded to nearest: the double its text form in the general format with six
// significant digits ("%.6g") reads back as. It returns false, and leaves
// `rounded` alone, where arithmetic cannot tell the digits for certain: zero,
// non-finite values, magnitudes beyond 10^+-22 of the digits' scale, and
// values within 1e-9 of a tie in the sixth digit. Callers take the text path
// there.
#pragma once

bool Six_Significant_Digits(double value, double& rounded);
