// SPDX-License-Identifier: GPL-3.0-or-later
// The call interface of the polar and contour plot windows.
//
// Polar plots draw one curve per write: each row of the data block is one
// point, its first value the azimuth in degrees (0 along the positive x axis,
// counter-clockwise) and its second the radius. Contour plots draw the values
// z(x, y) of a routine of the design program over a rectangle, as a colour
// image and/or as contour lines, with a colour bar on the right.
//
// The property variant of the call interface has no list of numbers, so the
// number lists of a contour plot ("colorList", "threshList", "contourList")
// travel as lists of decimal texts: colours as unsigned integers (0xRRGGBB,
// e.g. "16711680" for red), thresholds and contour levels as reals in the
// shortest decimal form that reads back as the same double ("0.25", "-1e-06").
#pragma once

#include <vector>

#include "UIK_Call_Interface.h"

// ---- Records (fields in the order the window layer expects) ----

struct UIK_PolarPlot_Record {
    int unit = 0;
    UIK_Text windowTitle;
    unsigned chartBackgroundColor = 0xFFFFFF;
};

// As an XY series, without the fitted-curve attribute and the hide item.
struct UIK_PolarSeries_Record {
    UIK_Text curveLabel;
    unsigned curveColor = 0;
    int curveLineWidth = 1;
    unsigned dotColor = 0;
    int dotSize = 0;
    int symbolStyle = -1;
    int curveStyle = UIK_Curve_Lines;
};

struct UIK_ContourPlot_Record {
    int unit = 0;
    UIK_Text windowTitle;
    int showHgridLines = 0;  // flags: non-zero means shown
    int showVgridLines = 0;
    int showImageBlend = 1;    // the colour image of z
    int showContourLines = 0;  // lines at the contour levels
};

// The data of one contour plot write. The routine is asked for z over
// xmin..xmax by ymin..ymax; zmin..zmax is the range of the colour map and
// the colour bar (a range with zmax <= zmin is taken from the values).
// colorList[i] is the colour at the z value threshList[i]; when the two
// lists differ in length the colours are spread evenly from zmin to zmax.
// Contour lines are drawn at the z values of contourList.
struct UIK_ContourData_Record {
    UIK_Text rightAxisName;
    double xmin = 0.0;
    double xmax = 1.0;
    double ymin = 0.0;
    double ymax = 1.0;
    double zmin = 0.0;
    double zmax = 1.0;
    std::vector<unsigned> colorList;
    std::vector<double> threshList;
    std::vector<double> contourList;
};

// ---- Operations (result 1) ----

// Polar plots: the create call takes a new unit.
int UIK_createPolarPlot(UIK_PolarPlot_Record& plot);
// One curve of nrows points; data holds nrows rows of ncols values of
// `data_type` (azimuth in degrees first, radius second). Waits until the
// window layer has read the data.
int UIK_writePolarPlot(int plot_unit, const void* data, const std::string& data_type, int nrows, int ncols,
                       const UIK_PolarSeries_Record& series);
// Removes every curve.
int UIK_clearPolarPlot(UIK_PolarPlot_Record& plot);

// Contour plots: the create call takes a new unit.
int UIK_createContourPlot(UIK_ContourPlot_Record& plot);
// Draws z = callback(x, y) with the ranges, colours and levels of `data`.
// The window layer calls `callback` (on its own thread) only while this
// operation waits; it samples the routine once and draws from those values.
int UIK_writeContourPlot(int plot_unit, const UIK_ContourData_Record& data, UIK_Contour_Callback callback);
// Removes the drawn data.
int UIK_clearContourPlot(UIK_ContourPlot_Record& plot);
