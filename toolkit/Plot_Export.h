// SPDX-License-Identifier: GPL-3.0-or-later
// Saving and printing of the Qwt-based content kinds (XY, bar, polar and
// contour plots), which all export the same way: a document of 300 mm x 200 mm
// at 85 dpi whose format follows the file name's extension.
#pragma once

#include <QString>

class QwtPlot;

// `fileName` as written: kept when it ends with ".png", ".bmp" or ".pdf"
// (case-sensitive), else with ".png" appended; empty gives `defaultName`.
QString Plot_Export_File_Name(const QString& fileName, const char* defaultName);

// Renders `plot` to Plot_Export_File_Name(fileName, defaultName), whole or
// not at all (Content_Write_File). False when the file was not written; then
// *failure (when given) holds the reason.
bool Plot_Export(QwtPlot* plot, const QString& fileName, const char* defaultName, QString* failure = nullptr);

// Asks for the file name ("Save <title> As", filter "Image File (*.png *.bmp
// *.pdf)", the title preselected), then exports. False when cancelled.
bool Plot_Export_Interactive(QwtPlot* plot, const QString& title, const char* defaultName);

// The print dialog "Print Document"; when accepted, renders the plot onto the
// printer (screen resolution, colour).
void Plot_Print(QwtPlot* plot);
