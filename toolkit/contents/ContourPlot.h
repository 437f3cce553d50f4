// SPDX-License-Identifier: GPL-3.0-or-later
// A contour plot window on QwtPlot: the values z(x, y) of a routine of the
// design program over a rectangle, drawn by a spectrogram as a colour image
// and/or as contour lines, with a colour bar on the right axis, optional
// grid lines, zoom and pan (Plot_Navigator), and export of the plot to an
// image or PDF file.
//
// The routine is called only while the design program waits in its write
// request: the write samples it once on a fine raster (SpectrogramData) and
// every later repaint, resize or export draws from those values. The design
// program runs on again as soon as the write is answered, so a repaint that
// called the routine then would touch its data from two threads at once.
#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QVariantMap>
#include <QVector>
#include <qwt_color_map.h>
#include <qwt_interval.h>
#include <qwt_raster_data.h>

#include "UIK_Call_Interface.h"
#include "Plot_Content.h"

class QwtPlotGrid;
class QwtPlotSpectrogram;
class Plot_Navigator;

// The colour scale of a contour plot: colour i sits at the z value
// thresholds[i] (between them the colours are interpolated, below the lowest
// and above the highest threshold the end colours hold). When the two lists
// differ in length the colours are spread evenly over the z range; with no
// colours at all the scale runs from blue through cyan, green and yellow to
// red.
class ColorMap : public QwtLinearColorMap {
public:
    ColorMap(const QList<QColor>& colours, const QList<double>& thresholds, const QwtInterval& z);
};

// z(x, y) as sampled from the design program's routine: `sample` asks the
// routine for z at columns x rows points spread evenly over the x and y
// ranges (both ends included); `value` interpolates those samples
// bilinearly and never calls the routine. Empty (every value NaN) until
// sampled.
class SpectrogramData : public QwtRasterData {
public:
    static constexpr int Raster_Points = 201;  // samples along each axis

    SpectrogramData() = default;

    void sample(UIK_Contour_Callback callback, const QwtInterval& x, const QwtInterval& y, int columns = Raster_Points,
                int rows = Raster_Points);
    bool isEmpty() const { return values_.isEmpty(); }
    int columns() const { return columns_; }
    int rows() const { return rows_; }
    // The smallest and largest finite sample (an invalid interval when none).
    QwtInterval valueRange() const;

    double value(double x, double y) const override;

private:
    double at(int column, int row) const { return values_[row * columns_ + column]; }

    int columns_ = 0;
    int rows_ = 0;
    QVector<double> values_;  // row after row, the first row at the lower y bound
};

class ContourPlot : public Plot_Content {
    Q_OBJECT
public:
    // Builds the plot from "windowTitle" (plot and window title) and the
    // flags "showHgridLines", "showVgridLines", "showImageBlend" (colour
    // image) and "showContourLines".
    ContourPlot(int unit, const QVariantMap& properties, QWidget* parent = nullptr);

    // Draws z = callback(x, y) over "xmin".."xmax" by "ymin".."ymax", coloured
    // over "zmin".."zmax" (taken from the sampled values when zmax <= zmin)
    // by "colorList" and "threshList", with contour lines at the levels of
    // "contourList", and the colour bar titled "rightAxisName". The lists
    // are lists of decimal texts (colours as 0xRRGGBB integers). Calls the
    // routine here and never again. Replaces earlier data; redraws once.
    void writeData(const QVariantMap& properties, UIK_Contour_Callback callback);
    // Drops the data and the colour bar; redraws.
    void clearData();

    // The sampled data now drawn (empty before the first write and after a
    // clear).
    const SpectrogramData* data() const;

    QwtPlotSpectrogram* spectrogram = nullptr;
    QwtPlotGrid* grid = nullptr;
    Plot_Navigator* navigator = nullptr;  // zoom, pan and value reading on the x and y axes

    using Plot_Content::exportChart;  // the interactive one

public slots:
    // Writes the plot in its full view, as the data were drawn before any
    // zoom (see Plot_Content::exportChart).
    bool exportChart(const QString& fileName, QString* failure = nullptr) override;
};
