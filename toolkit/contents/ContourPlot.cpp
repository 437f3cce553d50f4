// SPDX-License-Identifier: GPL-3.0-or-later
#include "ContourPlot.h"

#include "Plot_Export.h"
#include "Plot_Navigator.h"

#include <QDir>
#include <QFileInfo>
#include <QPalette>
#include <QPen>
#include <QSizeF>
#include <algorithm>
#include <cmath>
#include <limits>
#include <qwt_plot_grid.h>
#include <qwt_plot_layout.h>
#include <qwt_plot_spectrogram.h>
#include <qwt_scale_widget.h>

namespace {
const char* const Default_Export_Name = "contourplot.png";
constexpr double Not_A_Number = std::numeric_limits<double>::quiet_NaN();

// A list of numbers as the call interface sends it (decimal texts); a
// list of numbers proper is taken too. Items that are not numbers are
// left out.
QList<double> numbers(const QVariant& value) {
    QList<double> list;
    const QVariantList items = value.toList();
    for (const QVariant& item : items) {
        bool ok = false;
        const double number = item.toString().trimmed().toDouble(&ok);
        if (ok && std::isfinite(number)) list.append(number);
    }
    return list;
}

// Colours as 0xRRGGBB integers in decimal (the call interface's form), or
// written "0xRRGGBB" or "#RRGGBB"; the top byte carries nothing.
QList<QColor> colours(const QVariant& value) {
    QList<QColor> list;
    const QVariantList items = value.toList();
    for (const QVariant& item : items) {
        QString text = item.toString().trimmed();
        bool ok = false;
        qulonglong rgb = text.toULongLong(&ok, 10);
        if (!ok && (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) || text.startsWith('#')))
            rgb = text.mid(text.startsWith('#') ? 1 : 2).toULongLong(&ok, 16);
        if (ok) list.append(QColor(QRgb(rgb & 0xFFFFFFu)));
    }
    return list;
}

// The range from key `low` to key `high`, lower bound first; a bound that
// is missing or not finite counts as 0.
QwtInterval range(const QVariantMap& properties, const char* low, const char* high) {
    auto bound = [&properties](const char* key) {
        const double value = properties.value(key).toDouble();
        return std::isfinite(value) ? value : 0.0;
    };
    return QwtInterval(bound(low), bound(high)).normalized();
}

// Fixes the axis to the range; an empty range leaves the axis automatic.
void setAxisRange(QwtPlot* plot, int axis, const QwtInterval& range) {
    if (range.width() > 0.0)
        plot->setAxisScale(axis, range.minValue(), range.maxValue());
    else
        plot->setAxisAutoScale(axis, true);
}

// The position of `z` in the range as a fraction from 0 to 1.
double fraction(double z, const QwtInterval& range) {
    if (range.width() <= 0.0) return 0.0;
    return qBound(0.0, (z - range.minValue()) / range.width(), 1.0);
}
}  // namespace

// ---- ColorMap ----

ColorMap::ColorMap(const QList<QColor>& colours, const QList<double>& thresholds, const QwtInterval& z)
    : QwtLinearColorMap(QColor(Qt::blue), QColor(Qt::red)) {
    if (colours.isEmpty()) {
        addColorStop(0.25, Qt::cyan);
        addColorStop(0.5, Qt::green);
        addColorStop(0.75, Qt::yellow);
        return;
    }
    // The stops as (position, colour), lowest first.
    QList<QPair<double, QColor>> stops;
    for (int i = 0; i < colours.size(); ++i) {
        const double position = thresholds.size() == colours.size()
                                    ? fraction(thresholds[i], z)
                                    : (colours.size() == 1 ? 0.0 : double(i) / (colours.size() - 1));
        stops.append(qMakePair(position, colours[i]));
    }
    std::stable_sort(stops.begin(), stops.end(),
                     [](const QPair<double, QColor>& a, const QPair<double, QColor>& b) { return a.first < b.first; });
    setColorInterval(stops.first().second, stops.last().second);
    for (const auto& stop : stops) addColorStop(stop.first, stop.second);
}

// ---- SpectrogramData ----

void SpectrogramData::sample(UIK_Contour_Callback callback, const QwtInterval& x, const QwtInterval& y, int columns,
                             int rows) {
    values_.clear();
    columns_ = rows_ = 0;
    setInterval(Qt::XAxis, x);
    setInterval(Qt::YAxis, y);
    if (callback == nullptr || columns < 2 || rows < 2 || !(x.width() > 0.0) || !(y.width() > 0.0)) return;

    columns_ = columns;
    rows_ = rows;
    values_.reserve(columns * rows);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            // The routine may change its arguments: it gets copies.
            double px = column == columns - 1 ? x.maxValue() : x.minValue() + x.width() * column / (columns - 1);
            double py = row == rows - 1 ? y.maxValue() : y.minValue() + y.width() * row / (rows - 1);
            values_.append(callback(px, py));
        }
    }
}

QwtInterval SpectrogramData::valueRange() const {
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (double v : values_) {
        if (!std::isfinite(v)) continue;
        low = std::min(low, v);
        high = std::max(high, v);
    }
    return low <= high ? QwtInterval(low, high) : QwtInterval();
}

double SpectrogramData::value(double x, double y) const {
    if (values_.isEmpty()) return Not_A_Number;
    const QwtInterval& xRange = interval(Qt::XAxis);
    const QwtInterval& yRange = interval(Qt::YAxis);
    if (!xRange.contains(x) || !yRange.contains(y)) return Not_A_Number;

    const double fx = (x - xRange.minValue()) / xRange.width() * (columns_ - 1);
    const double fy = (y - yRange.minValue()) / yRange.width() * (rows_ - 1);
    const int c = qBound(0, int(fx), columns_ - 2);
    const int r = qBound(0, int(fy), rows_ - 2);
    const double tx = fx - c;
    const double ty = fy - r;
    const double lower = at(c, r) * (1.0 - tx) + at(c + 1, r) * tx;
    const double upper = at(c, r + 1) * (1.0 - tx) + at(c + 1, r + 1) * tx;
    return lower * (1.0 - ty) + upper * ty;
}

// ---- ContourPlot ----

ContourPlot::ContourPlot(int unit, const QVariantMap& properties, QWidget* parent)
    : Plot_Content(unit, properties, Default_Export_Name, parent) {
    setCanvasBackground(QColor(Qt::white));
    plotLayout()->setAlignCanvasToScales(true);
    setTitle(properties.value("windowTitle").toString());

    spectrogram = new QwtPlotSpectrogram();
    spectrogram->setData(new SpectrogramData());
    spectrogram->setColorMap(new ColorMap({}, {}, QwtInterval(0.0, 1.0)));
    const bool image = properties.value("showImageBlend").toInt() != 0;
    spectrogram->setDisplayMode(QwtPlotSpectrogram::ImageMode, image);
    spectrogram->setDisplayMode(QwtPlotSpectrogram::ContourMode, properties.value("showContourLines").toInt() != 0);
    // Over the image the lines are black; alone they take the colour of their level.
    spectrogram->setDefaultContourPen(image ? QPen(Qt::black, 0) : QPen(Qt::NoPen));
    spectrogram->attach(this);

    grid = new QwtPlotGrid();
    grid->setMajorPen(QColor(Qt::gray), 0, Qt::DotLine);
    grid->enableY(properties.value("showHgridLines").toInt() != 0);  // horizontal lines at the left-axis ticks
    grid->enableX(properties.value("showVgridLines").toInt() != 0);  // vertical lines at the bottom-axis ticks
    grid->attach(this);

    axisWidget(QwtPlot::yRight)->setColorBarEnabled(true);
    enableAxis(QwtPlot::yRight, false);  // until there is data
    replot();
    navigator = new Plot_Navigator(this);
}

void ContourPlot::writeData(const QVariantMap& properties, UIK_Contour_Callback callback) {
    const QwtInterval x = range(properties, "xmin", "xmax");
    const QwtInterval y = range(properties, "ymin", "ymax");
    auto* data = new SpectrogramData();
    data->sample(callback, x, y);

    // The colour range as given, or else that of the values.
    QwtInterval z = range(properties, "zmin", "zmax");
    if (!(z.width() > 0.0)) {
        const QwtInterval values = data->valueRange();
        if (values.isValid()) z = values;
        if (!(z.width() > 0.0)) z = QwtInterval(z.minValue() - 0.5, z.minValue() + 0.5);
    }
    data->setInterval(Qt::ZAxis, z);

    const QList<QColor> colourList = colours(properties.value("colorList"));
    const QList<double> thresholds = numbers(properties.value("threshList"));
    QList<double> levels = numbers(properties.value("contourList"));
    std::sort(levels.begin(), levels.end());

    spectrogram->setData(data);
    spectrogram->setColorMap(new ColorMap(colourList, thresholds, z));
    spectrogram->setContourLevels(levels);

    setAxisRange(this, QwtPlot::xBottom, x);
    setAxisRange(this, QwtPlot::yLeft, y);
    enableAxis(QwtPlot::yRight, true);
    axisWidget(QwtPlot::yRight)->setColorMap(z, new ColorMap(colourList, thresholds, z));
    setAxisScale(QwtPlot::yRight, z.minValue(), z.maxValue());
    setAxisTitle(QwtPlot::yRight, properties.value("rightAxisName").toString());
    replot();
    navigator->showNewData();
}

void ContourPlot::clearData() {
    spectrogram->setData(new SpectrogramData());
    spectrogram->setContourLevels({});
    enableAxis(QwtPlot::yRight, false);
    replot();
    navigator->showNewData();
}

const SpectrogramData* ContourPlot::data() const { return static_cast<const SpectrogramData*>(spectrogram->data()); }

bool ContourPlot::exportChart(const QString& fileName, QString* failure) {
    return navigator->withFullView([this, &fileName, failure] { return exportView(fileName, failure); });
}
