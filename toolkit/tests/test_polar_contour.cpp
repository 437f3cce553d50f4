// SPDX-License-Identifier: GPL-3.0-or-later
// Polar and contour plot windows as the user sees them: where polar points
// land and that the circles stay round, legends and clearing, the contour
// routine sampled inside its ranges (and only during the write), colours
// from the colour lists on screen, the display flags, exported files, the
// error boxes of unknown units, and both kinds driven by the design program
// through its call interface on its own thread.
#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QPixmap>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <atomic>
#include <cmath>
#include <functional>
#include <memory>
#include <mutex>
#include <qwt_color_map.h>
#include <qwt_legend.h>
#include <qwt_legend_label.h>
#include <qwt_plot_curve.h>
#include <qwt_plot_grid.h>
#include <qwt_plot_spectrogram.h>
#include <qwt_scale_div.h>
#include <qwt_scale_map.h>
#include <qwt_scale_widget.h>
#include <qwt_symbol.h>
#include <vector>

#include "ContourPlot.h"
#include "MainWindow.h"
#include "PolarPlot.h"
#include "SubWindow.h"
#include "UIK_Plot_Kinds_Interface.h"
#include "Program_Session.h"
#include "WindowController.h"
#include "toolkit_test_support.h"

namespace {
constexpr int Unit = 1000000;
constexpr int Worker_Timeout_ms = 30000;

QVariantMap polarMap() { return {{"windowTitle", "Antenna"}, {"chartBackgroundColor", 0xFFFFFFu}}; }

QVariantMap seriesMap(const QString& label, unsigned colour = 0xAB00FF00u, unsigned dot = 0x0000FFu, int style = 1,
                      int size = 7) {
    return {{"curveLabel", label},  {"curveColor", colour}, {"dotColor", dot},
            {"symbolStyle", style}, {"curveLineWidth", 3},  {"dotSize", size}};
}

QVariantMap contourMap(int hGrid = 0, int vGrid = 0, int image = 1, int lines = 0) {
    return {{"windowTitle", "Surface"},
            {"showHgridLines", hGrid},
            {"showVgridLines", vGrid},
            {"showImageBlend", image},
            {"showContourLines", lines}};
}

QVariantMap contourData(double xmin, double xmax, double ymin, double ymax, double zmin, double zmax,
                        const QStringList& colours = {}, const QStringList& thresholds = {},
                        const QStringList& levels = {}) {
    return {{"rightAxisName", "Level"},
            {"xmin", xmin},
            {"xmax", xmax},
            {"ymin", ymin},
            {"ymax", ymax},
            {"zmin", zmin},
            {"zmax", zmax},
            {"colorList", colours},
            {"threshList", thresholds},
            {"contourList", levels}};
}

// The data routine of the contour tests: records every point it is asked
// for (and on which thread) and returns `surface` there.
std::mutex recordedLock;
std::vector<QPointF> recordedPoints;
std::vector<QThread*> recordedThreads;
std::function<double(double, double)> surface = [](double x, double) { return x; };

double recordingSurface(double& x, double& y) {
    std::lock_guard<std::mutex> lock(recordedLock);
    recordedPoints.emplace_back(x, y);
    recordedThreads.push_back(QThread::currentThread());
    return surface(x, y);
}

void forgetRecordedCalls() {
    std::lock_guard<std::mutex> lock(recordedLock);
    recordedPoints.clear();
    recordedThreads.clear();
}

std::size_t recordedCalls() {
    std::lock_guard<std::mutex> lock(recordedLock);
    return recordedPoints.size();
}

bool near(const QColor& a, const QColor& b, int tolerance) {
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
           qAbs(a.blue() - b.blue()) <= tolerance;
}

QColor mix(const QColor& a, const QColor& b, double t) {
    return QColor(qRound(a.red() + t * (b.red() - a.red())), qRound(a.green() + t * (b.green() - a.green())),
                  qRound(a.blue() + t * (b.blue() - a.blue())));
}

// The centre of the pixels of `image` that are `colour` (within a margin
// for antialiasing); (-1, -1) when there are none.
QPointF centreOf(const QImage& image, const QColor& colour) {
    double sx = 0, sy = 0;
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (near(image.pixelColor(x, y), colour, 40)) {
                sx += x;
                sy += y;
                ++n;
            }
    return n == 0 ? QPointF(-1, -1) : QPointF(sx / n, sy / n);
}

// The colour on screen at the plot point (x, y).
QColor canvasColourAt(QwtPlot* plot, double x, double y) {
    const QImage image = plot->canvas()->grab().toImage();
    const int px = qRound(plot->canvasMap(QwtPlot::xBottom).transform(x));
    const int py = qRound(plot->canvasMap(QwtPlot::yLeft).transform(y));
    return image.pixelColor(px, py);
}

bool isExportedPlotImage(const QString& name) {
    const QImage image(name);  // 300 mm x 200 mm at 85 dpi
    return !image.isNull() && qAbs(image.width() - 1004) <= 1 && qAbs(image.height() - 669) <= 1;
}

int legendEntries(QwtPlot* plot, QwtPlotItem* item) {
    return qobject_cast<QwtLegend*>(plot->legend())->legendWidgets(plot->itemToInfo(item)).size();
}
}  // namespace

class TestPolarContour : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void initTestCase() { QVERIFY(QDir::setCurrent(dir_.path())); }
    void init() { forgetRecordedCalls(); }

    // ---- Polar plots ----

    void polarPoints_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("nrows");
        QTest::addColumn<int>("ncols");
        QTest::addColumn<QVector<QPointF>>("points");
        QTest::newRow("REAL*8, a quarter turn is straight up") << "REAL*8" << block<double>({90, 2, 0, 1.5, 180, 1})
                                                               << 3 << 2 << QVector<QPointF>{{0, 2}, {1.5, 0}, {-1, 0}};
        QTest::newRow("REAL*4, negative azimuth turns clockwise")
            << "REAL*4" << block<float>({-90, 3, 45, 2}) << 2 << 2 << QVector<QPointF>{{0, -3}, {M_SQRT2, M_SQRT2}};
        QTest::newRow("INTEGER*4, beyond a full turn")
            << "INTEGER*4" << block<qint32>({450, 2, 270, 1}) << 2 << 2 << QVector<QPointF>{{0, 2}, {0, -1}};
        QTest::newRow("INTEGER*8") << "INTEGER*8" << block<qint64>({180, 4}) << 1 << 2 << QVector<QPointF>{{-4, 0}};
        QTest::newRow("REAL*16") << "REAL*16" << block<long double>({60, 2}) << 1 << 2
                                 << QVector<QPointF>{{1, std::sqrt(3.0)}};
        QTest::newRow("third column ignored")
            << "REAL*8" << block<double>({0, 1, 99, 90, 1, 99}) << 2 << 3 << QVector<QPointF>{{1, 0}, {0, 1}};
        QTest::newRow("one column: no points") << "REAL*8" << block<double>({1, 2}) << 2 << 1 << QVector<QPointF>{};
        QTest::newRow("unknown type: no points")
            << "COMPLEX*8" << block<double>({1, 2}) << 1 << 2 << QVector<QPointF>{};
    }
    void polarPoints() {
        QFETCH(QString, type);
        QFETCH(QByteArray, data);
        QFETCH(int, nrows);
        QFETCH(int, ncols);
        QFETCH(QVector<QPointF>, points);
        Program_Session controller(nullptr, {});
        controller.create<PolarPlot>(Unit, polarMap());
        controller.writePolarPlotForUnit(Unit, data.data(), type, nrows, ncols, seriesMap("Gain"));
        QwtPlotCurve* curve = controller.polarPlots.value(Unit)->curves.value(0);
        QVERIFY(curve);
        QCOMPARE(int(curve->dataSize()), points.size());
        for (int i = 0; i < points.size(); ++i) {
            QVERIFY2(
                qAbs(curve->sample(i).x() - points[i].x()) < 1e-6 && qAbs(curve->sample(i).y() - points[i].y()) < 1e-6,
                qPrintable(QString("point %1 at (%2, %3)").arg(i).arg(curve->sample(i).x()).arg(curve->sample(i).y())));
        }
    }

    void polarLookAndLegend_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<bool>("inLegend");
        QTest::newRow("label") << "Gain" << true;
        QTest::newRow("all blanks") << "   " << false;
        QTest::newRow("empty") << "" << false;
    }
    void polarLookAndLegend() {
        QFETCH(QString, label);
        QFETCH(bool, inLegend);
        Program_Session controller(nullptr, {});
        controller.create<PolarPlot>(Unit, {{"windowTitle", "Antenna"}, {"chartBackgroundColor", 0xFF102030u}});
        QByteArray data = block<double>({0, 1, 90, 2});
        controller.writePolarPlotForUnit(Unit, data.data(), "REAL*8", 2, 2, seriesMap(label));
        PolarPlot* plot = controller.polarPlots.value(Unit);
        QCOMPARE(plot->QwtPlot::title().text(), QStringLiteral("Antenna"));
        QCOMPARE(plot->canvasBackground().color(), QColor(0x10, 0x20, 0x30));
        QwtPlotCurve* curve = plot->curves.value(0);
        QVERIFY(curve);
        QCOMPARE(curve->pen(), QPen(QColor(Qt::green), 3, Qt::SolidLine));  // top byte of the colour ignored
        QCOMPARE(curve->symbol()->style(), QwtSymbol::Rect);
        QCOMPARE(curve->symbol()->size(), QSize(7, 7));
        QCOMPARE(curve->symbol()->brush(), QBrush(Qt::blue));
        QCOMPARE(legendEntries(plot, curve), inLegend ? 1 : 0);
        if (inLegend) {
            const QList<QWidget*> entries =
                qobject_cast<QwtLegend*>(plot->legend())->legendWidgets(plot->itemToInfo(curve));
            QCOMPARE(qobject_cast<QwtLegendLabel*>(entries[0])->text().text(), label);
        }
        QCOMPARE(legendEntries(plot, plot->grid), 0);  // the rings are no curve
    }

    // The rings always hold the farthest point, and clearing starts over.
    void polarRingsAndClear() {
        Program_Session controller(nullptr, {});
        controller.create<PolarPlot>(Unit, polarMap());
        PolarPlot* plot = controller.polarPlots.value(Unit);
        QByteArray inner = block<double>({0, 0.4, 120, 0.8});
        QByteArray outer = block<double>({30, 2.3, 200, -7.2});  // a negative radius points the other way
        controller.writePolarPlotForUnit(Unit, inner.data(), "REAL*8", 2, 2, seriesMap("near"));
        QVERIFY(plot->grid->outerRadius() >= 0.8 && plot->grid->outerRadius() < 1.6);
        controller.writePolarPlotForUnit(Unit, outer.data(), "REAL*8", 2, 2, seriesMap("far"));
        const QList<double> rings = plot->grid->rings();
        QVERIFY(plot->grid->outerRadius() >= 7.2 && plot->grid->outerRadius() < 14.4);
        QVERIFY(rings.size() >= 2);
        QVERIFY(std::is_sorted(rings.begin(), rings.end()));

        controller.clearPolarPlotForUnit(Unit);
        QVERIFY(plot->curves.isEmpty());
        QVERIFY(plot->itemList(QwtPlotItem::Rtti_PlotCurve).isEmpty());
        QCOMPARE(plot->grid->outerRadius(), 1.0);
        controller.writePolarPlotForUnit(Unit, inner.data(), "REAL*8", 1, 2, seriesMap("after"));
        const QwtPlotItemList drawn = plot->itemList(QwtPlotItem::Rtti_PlotCurve);
        QCOMPARE(drawn.size(), 1);
        QCOMPARE(drawn[0]->title().text(), QStringLiteral("after"));
        QCOMPARE(legendEntries(plot, drawn[0]), 1);
    }

    // On screen and in the wide exported image alike: 90 degrees is straight
    // above the centre, 0 degrees to its right, both as far from it.
    void polarDrawnRound_data() {
        QTest::addColumn<bool>("exported");
        QTest::newRow("on screen") << false;
        QTest::newRow("exported") << true;
    }
    void polarDrawnRound() {
        QFETCH(bool, exported);
        Program_Session controller(nullptr, {});
        controller.create<PolarPlot>(Unit, polarMap());
        PolarPlot* plot = controller.polarPlots.value(Unit);
        struct Dot {
            double azimuth, radius;
            unsigned colour;
        };
        for (const Dot& dot : {Dot{90, 2, 0xFF0000u}, Dot{0, 2, 0x0000FFu}, Dot{0, 0, 0x00C000u}}) {
            QByteArray data = block<double>({dot.azimuth, dot.radius});
            controller.writePolarPlotForUnit(Unit, data.data(), "REAL*8", 1, 2,
                                             seriesMap("", dot.colour, dot.colour, int(QwtSymbol::Ellipse), 16));
        }
        QImage image;
        if (exported) {
            QVERIFY(plot->exportChart("round.png"));
            image = QImage("round.png");
        } else {
            image = plot->canvas()->grab().toImage();
        }
        QVERIFY(image.width() != image.height());
        const QPointF up = centreOf(image, QColor(0xFF0000));
        const QPointF right = centreOf(image, QColor(0x0000FF));
        const QPointF centre = centreOf(image, QColor(0x00C000));
        QVERIFY(up.x() >= 0 && right.x() >= 0 && centre.x() >= 0);
        QVERIFY2(qAbs(up.x() - centre.x()) < 2 && up.y() < centre.y() - 20,
                 qPrintable(
                     QString("up (%1, %2), centre (%3, %4)").arg(up.x()).arg(up.y()).arg(centre.x()).arg(centre.y())));
        QVERIFY(qAbs(right.y() - centre.y()) < 2 && right.x() > centre.x() + 20);
        const double upwards = centre.y() - up.y();
        const double rightwards = right.x() - centre.x();
        QVERIFY2(qAbs(upwards - rightwards) < 2.5, qPrintable(QString("%1 up, %2 right").arg(upwards).arg(rightwards)));
    }

    // ---- Contour plots ----

    // The routine is asked only inside the ranges, over all of them, and
    // only while the write lasts: redraws and exports use what it gave.
    void contourRoutineSampledOnceInsideRanges() {
        surface = [](double x, double y) { return 2 * x - 3 * y + 1; };
        Program_Session controller(nullptr, {});
        controller.create<ContourPlot>(Unit, contourMap());
        ContourPlot* plot = controller.contourPlots.value(Unit);
        controller.writeContourPlotForUnit(Unit, contourData(-1, 3, 2, 5, -20, 20), &recordingSurface);

        QVERIFY(recordedCalls() >= 400);  // a raster, not a handful of points
        double lowX = 1e9, highX = -1e9, lowY = 1e9, highY = -1e9;
        for (const QPointF& p : recordedPoints) {
            QVERIFY2(p.x() >= -1 && p.x() <= 3 && p.y() >= 2 && p.y() <= 5,
                     qPrintable(QString("asked for (%1, %2)").arg(p.x()).arg(p.y())));
            lowX = qMin(lowX, p.x());
            highX = qMax(highX, p.x());
            lowY = qMin(lowY, p.y());
            highY = qMax(highY, p.y());
        }
        QCOMPARE(lowX, -1.0);
        QCOMPARE(highX, 3.0);
        QCOMPARE(lowY, 2.0);
        QCOMPARE(highY, 5.0);
        for (QThread* thread : recordedThreads) QCOMPARE(thread, QThread::currentThread());

        // What is drawn follows the routine between its samples too.
        const SpectrogramData* data = plot->data();
        for (const QPointF& p : {QPointF(-1, 2), QPointF(3, 5), QPointF(0.123, 4.567), QPointF(2.999, 2.001)})
            QVERIFY(qAbs(data->value(p.x(), p.y()) - surface(p.x(), p.y())) < 1e-9);
        QVERIFY(std::isnan(data->value(3.5, 3)));  // outside the ranges nothing is drawn

        forgetRecordedCalls();
        plot->replot();
        plot->canvas()->grab();
        plot->resize(plot->size() + QSize(40, 30));
        QVERIFY(plot->exportChart("later.pdf"));
        QVERIFY(plot->exportChart("later.png"));
        QCOMPARE(recordedCalls(), std::size_t(0));
    }

    // Colours from "colorList" at the z values of "threshList" reach the
    // screen and the colour bar. Here z = x from 0 to 10.
    void contourColours_data() {
        QTest::addColumn<QStringList>("colours");
        QTest::addColumn<QStringList>("thresholds");
        QTest::addColumn<double>("x");
        QTest::addColumn<QColor>("expected");
        const QString blue = QString::number(0x0000FF), green = QString::number(0x00FF00),
                      red = QString::number(0xFF0000);
        QTest::newRow("two colours, low end")
            << QStringList{blue, red} << QStringList{"0", "10"} << 1.0 << mix(Qt::blue, Qt::red, 0.1);
        QTest::newRow("two colours, high end")
            << QStringList{blue, red} << QStringList{"0", "10"} << 8.0 << mix(Qt::blue, Qt::red, 0.8);
        QTest::newRow("green at its threshold")
            << QStringList{blue, green, red} << QStringList{"0", "2", "10"} << 2.0 << QColor(Qt::green);
        QTest::newRow("between green and red")
            << QStringList{blue, green, red} << QStringList{"0", "2", "10"} << 6.0 << mix(Qt::green, Qt::red, 0.5);
        QTest::newRow("end colour holds below the lowest threshold")
            << QStringList{blue, red} << QStringList{"4", "10"} << 2.0 << QColor(Qt::blue);
        QTest::newRow("colours given in hex")
            << QStringList{"0x00FF00", "#FF0000"} << QStringList{"0", "10"} << 5.0 << mix(Qt::green, Qt::red, 0.5);
        QTest::newRow("lists of different lengths: spread evenly")
            << QStringList{blue, green, red} << QStringList{"9"} << 5.0 << QColor(Qt::green);
        QTest::newRow("no colours: blue at the bottom") << QStringList{} << QStringList{} << 0.1 << QColor(Qt::blue);
        QTest::newRow("no colours: red at the top") << QStringList{} << QStringList{} << 9.9 << QColor(Qt::red);
    }
    void contourColours() {
        QFETCH(QStringList, colours);
        QFETCH(QStringList, thresholds);
        QFETCH(double, x);
        QFETCH(QColor, expected);
        surface = [](double x, double) { return x; };
        Program_Session controller(nullptr, {});
        controller.create<ContourPlot>(Unit, contourMap());
        controller.writeContourPlotForUnit(Unit, contourData(0, 10, 0, 5, 0, 10, colours, thresholds),
                                           &recordingSurface);
        ContourPlot* plot = controller.contourPlots.value(Unit);
        const QColor shown = canvasColourAt(plot, x, 2.5);
        QVERIFY2(near(shown, expected, 14),
                 qPrintable(QString("shown %1, expected %2").arg(shown.name(), expected.name())));
        // The colour bar uses the same scale.
        const QwtScaleWidget* bar = plot->axisWidget(QwtPlot::yRight);
        QVERIFY(plot->axisEnabled(QwtPlot::yRight));
        QVERIFY(bar->isColorBarEnabled());
        QCOMPARE(bar->colorBarInterval().minValue(), 0.0);
        QCOMPARE(bar->colorBarInterval().maxValue(), 10.0);
        QVERIFY(near(QColor(bar->colorMap()->rgb(bar->colorBarInterval(), x)), expected, 14));
    }

    void contourFlags_data() {
        QTest::addColumn<int>("hGrid");
        QTest::addColumn<int>("vGrid");
        QTest::addColumn<int>("image");
        QTest::addColumn<int>("lines");
        QTest::newRow("image only") << 0 << 0 << 1 << 0;
        QTest::newRow("contour lines and horizontal grid") << 1 << 0 << 0 << 1;
        QTest::newRow("both, vertical grid") << 0 << 1 << 1 << 1;
    }
    void contourFlags() {
        QFETCH(int, hGrid);
        QFETCH(int, vGrid);
        QFETCH(int, image);
        QFETCH(int, lines);
        surface = [](double x, double y) { return x * y; };
        Program_Session controller(nullptr, {});
        controller.create<ContourPlot>(Unit, contourMap(hGrid, vGrid, image, lines));
        ContourPlot* plot = controller.contourPlots.value(Unit);
        QCOMPARE(plot->QwtPlot::title().text(), QStringLiteral("Surface"));
        QCOMPARE(plot->grid->yEnabled(), hGrid != 0);  // horizontal lines
        QCOMPARE(plot->grid->xEnabled(), vGrid != 0);
        QCOMPARE(plot->spectrogram->testDisplayMode(QwtPlotSpectrogram::ImageMode), image != 0);
        QCOMPARE(plot->spectrogram->testDisplayMode(QwtPlotSpectrogram::ContourMode), lines != 0);

        // An empty z range: the colours span the values (0 to 6).
        controller.writeContourPlotForUnit(
            Unit, contourData(0, 2, 0, 3, 1, 1, {"255", "16711680"}, {}, {"4.5", "1.5", "3", "not a number"}),
            &recordingSurface);
        QCOMPARE(plot->spectrogram->contourLevels(), (QList<double>{1.5, 3, 4.5}));
        QCOMPARE(plot->axisTitle(QwtPlot::yRight).text(), QStringLiteral("Level"));
        QCOMPARE(plot->axisScaleDiv(QwtPlot::yRight).lowerBound(), 0.0);
        QCOMPARE(plot->axisScaleDiv(QwtPlot::yRight).upperBound(), 6.0);
        QCOMPARE(plot->axisScaleDiv(QwtPlot::xBottom).upperBound(), 2.0);
        QCOMPARE(plot->axisScaleDiv(QwtPlot::yLeft).upperBound(), 3.0);
        // Away from the lines, the image shows or the background does.
        const QColor shown = canvasColourAt(plot, 1.9, 0.1);  // z = 0.19
        QCOMPARE(near(shown, Qt::white, 8), image == 0);
    }

    // Clearing drops the data and the colour bar; the routine is not asked
    // again, and a new write draws anew.
    void contourClear() {
        surface = [](double x, double) { return x; };
        Program_Session controller(nullptr, {});
        controller.create<ContourPlot>(Unit, contourMap());
        ContourPlot* plot = controller.contourPlots.value(Unit);
        controller.writeContourPlotForUnit(Unit, contourData(0, 10, 0, 5, 0, 10, {"255", "16711680"}),
                                           &recordingSurface);
        QVERIFY(!near(canvasColourAt(plot, 5, 2.5), Qt::white, 8));
        forgetRecordedCalls();
        controller.clearContourPlotForUnit(Unit);
        QVERIFY(plot->data()->isEmpty());
        QVERIFY(!plot->axisEnabled(QwtPlot::yRight));
        QVERIFY(near(canvasColourAt(plot, 5, 2.5), Qt::white, 8));
        QCOMPARE(recordedCalls(), std::size_t(0));

        controller.writeContourPlotForUnit(Unit, contourData(0, 10, 0, 5, 0, 10, {"255", "16711680"}),
                                           &recordingSurface);
        QVERIFY(recordedCalls() > 0);
        QVERIFY(near(canvasColourAt(plot, 5, 2.5), mix(Qt::blue, Qt::red, 0.5), 14));
    }

    // An empty range, reversed bounds and a missing routine draw what can
    // be drawn without asking for points outside the rectangle.
    void contourOddRanges() {
        surface = [](double x, double) { return x; };
        Program_Session controller(nullptr, {});
        controller.create<ContourPlot>(Unit, contourMap());
        ContourPlot* plot = controller.contourPlots.value(Unit);
        controller.writeContourPlotForUnit(Unit, contourData(4, 4, 0, 1, 0, 1), &recordingSurface);
        QCOMPARE(recordedCalls(), std::size_t(0));
        QVERIFY(plot->data()->isEmpty());
        controller.writeContourPlotForUnit(Unit, contourData(5, -5, 1, 0, 0, 1), nullptr);
        QVERIFY(plot->data()->isEmpty());
        controller.writeContourPlotForUnit(Unit, contourData(5, -5, 1, 0, 0, 1), &recordingSurface);
        QVERIFY(recordedCalls() > 0);
        for (const QPointF& p : recordedPoints) QVERIFY(p.x() >= -5 && p.x() <= 5 && p.y() >= 0 && p.y() <= 1);
        QCOMPARE(plot->axisScaleDiv(QwtPlot::xBottom).lowerBound(), -5.0);
        plot->canvas()->grab();  // draws without trouble
    }

    // ---- Both kinds ----

    // Saving through the design program's request: the file name it gets,
    // the format, the image size, and the error box when it cannot be written.
    void exports_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("magic");  // empty: the file cannot be written
        QTest::newRow("polar, no name") << "polar"
                                        << ""
                                        << "polarplot.png" << QByteArray("\x89PNG");
        QTest::newRow("polar, no extension") << "polar"
                                             << "pattern"
                                             << "pattern.png" << QByteArray("\x89PNG");
        QTest::newRow("polar, upper-case PDF") << "polar"
                                               << "pattern.PDF"
                                               << "pattern.PDF.png" << QByteArray("\x89PNG");
        QTest::newRow("polar, pdf") << "polar"
                                    << "pattern.pdf"
                                    << "pattern.pdf" << QByteArray("%PDF");
        QTest::newRow("polar, directory in the way") << "polar"
                                                     << "blocked"
                                                     << "blocked.png" << QByteArray();
        QTest::newRow("contour, no name") << "contour"
                                          << ""
                                          << "contourplot.png" << QByteArray("\x89PNG");
        QTest::newRow("contour, no extension") << "contour"
                                               << "map"
                                               << "map.png" << QByteArray("\x89PNG");
        QTest::newRow("contour, bmp") << "contour"
                                      << "map.bmp"
                                      << "map.bmp" << QByteArray("BM");
        QTest::newRow("contour, directory in the way") << "contour"
                                                       << "blocked.png"
                                                       << "blocked.png" << QByteArray();
    }
    void exports() {
        QFETCH(QString, kind);
        QFETCH(QString, name);
        QFETCH(QString, written);
        QFETCH(QByteArray, magic);
        surface = [](double x, double y) { return x - y; };
        Program_Session controller(nullptr, {});
        QByteArray points = block<double>({0, 1, 90, 2, 180, 1});
        if (kind == "polar") {
            controller.create<PolarPlot>(Unit, polarMap());
            controller.writePolarPlotForUnit(Unit, points.data(), "REAL*8", 3, 2, seriesMap("Gain"));
        } else {
            controller.create<ContourPlot>(Unit, contourMap(1, 1, 1, 1));
            controller.writeContourPlotForUnit(Unit, contourData(0, 1, 0, 1, -1, 1, {}, {}, {"0"}), &recordingSurface);
        }
        if (magic.isEmpty()) QVERIFY(QDir().mkpath(written));
        bool saved = false;
        const QString error = errorBoxText([&] {
            saved = controller.saveWindowContentsForUnit(Unit, {{"saveFileName", name}});
        });
        QCOMPARE(saved, !magic.isEmpty());
        if (magic.isEmpty()) {
            QCOMPARE(error, "Unable to write " + written);
            QVERIFY(QDir().rmdir(written));
            return;
        }
        QCOMPARE(error, QStringLiteral("(no error box)"));
        QFile file(written);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(written));
        QCOMPARE(file.read(magic.size()), magic);
        if (written.endsWith(".png")) QVERIFY(isExportedPlotImage(written));
        file.close();
        QFile::remove(written);
    }

    void unknownUnits_data() {
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("message");
        QTest::newRow("polar write") << "polar write"
                                     << "Polar Plot for unit number 77 does not exist";
        QTest::newRow("polar clear") << "polar clear"
                                     << "Polar Plot for unit number 77 does not exist";
        QTest::newRow("contour write") << "contour write"
                                       << "Contour Plot for unit number 77 does not exist";
        QTest::newRow("contour clear") << "contour clear"
                                       << "Contour Plot for unit number 77 does not exist";
        QTest::newRow("polar write to a contour plot") << "polar write to contour"
                                                       << "Polar Plot for unit number 77 does not exist";
    }
    void unknownUnits() {
        QFETCH(QString, request);
        QFETCH(QString, message);
        Program_Session controller(nullptr, {});
        if (request.endsWith("to contour")) controller.create<ContourPlot>(77, contourMap());
        QByteArray data = block<double>({0, 1});
        const QString text = errorBoxText([&] {
            if (request.startsWith("polar write"))
                controller.writePolarPlotForUnit(77, data.data(), "REAL*8", 1, 2, seriesMap("x"));
            else if (request == "polar clear")
                controller.clearPolarPlotForUnit(77);
            else if (request == "contour write")
                controller.writeContourPlotForUnit(77, contourData(0, 1, 0, 1, 0, 1), &recordingSurface);
            else
                controller.clearContourPlotForUnit(77);
        });
        QCOMPARE(text, message);
        QCOMPARE(recordedCalls(), std::size_t(0));
    }

    // ---- Through the call interface, on the design program's thread ----

    void theDesignProgramDrawsBothKinds() {
        surface = [](double x, double y) { return x + y; };
        UIK_PolarPlot_Record polar;
        polar.windowTitle.set("Antenna Pattern");
        UIK_PolarSeries_Record before, after;
        before.curveLabel.set("Before");
        after.curveLabel.set("After");
        after.curveColor = 0xFF0000;
        after.dotColor = 0x0000FF;
        after.dotSize = 5;
        after.symbolStyle = 0;
        UIK_ContourPlot_Record contour;
        contour.windowTitle.set("Level Map");
        contour.showContourLines = 1;
        UIK_ContourData_Record levels;
        levels.rightAxisName.set("Height");
        levels.xmin = 0;
        levels.xmax = 4;
        levels.ymin = -1;
        levels.ymax = 1;
        levels.zmin = -1;
        levels.zmax = 5;
        levels.colorList = {0x0000FF, 0x00FF00, 0xFF0000};
        levels.threshList = {-1, 0.1, 5};
        levels.contourList = {0.5, 2.5};
        std::atomic<bool> done{false};
        std::atomic<int> waitingCalls{-1};

        Watchdog watchdog;
        auto errors = std::make_shared<QStringList>();
        auto answer = std::make_shared<std::function<void(QWidget*)>>();
        *answer = [errors, answer](QWidget* box) {
            *errors << qobject_cast<QMessageBox*>(box)->text();
            pressOk(box);
            if (errors->size() < 4) whenModalTitled(QStringLiteral("Error"), *answer);
        };
        whenModalTitled(QStringLiteral("Error"), *answer);

        Program_Session controller(nullptr, [&] {
            const double first[] = {0, 1, 45, 1};
            const double second[] = {90, 2, 180, 0.5};
            UIK_createPolarPlot(polar);
            UIK_writePolarPlot(polar.unit, first, "REAL*8", 2, 2, before);
            UIK_saveWindowContents(polar, "polar_from_program");
            UIK_clearPolarPlot(polar);
            UIK_writePolarPlot(polar.unit, second, "REAL*8  ", 2, 2, after);

            UIK_createContourPlot(contour);
            UIK_writeContourPlot(contour.unit, levels, &recordingSurface);
            waitingCalls = int(recordedCalls());  // every call came while the write waited
            UIK_saveWindowContents(contour, "contour_from_program.png");

            UIK_PolarPlot_Record missingPolar;
            missingPolar.unit = 77;
            UIK_ContourPlot_Record missingContour;
            missingContour.unit = 78;
            UIK_writePolarPlot(77, second, "REAL*8", 2, 2, after);
            UIK_clearPolarPlot(missingPolar);
            UIK_writeContourPlot(78, levels, &recordingSurface);
            UIK_clearContourPlot(missingContour);
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(done.load(), Worker_Timeout_ms);
        QTRY_COMPARE_WITH_TIMEOUT(errors->size(), 4, Worker_Timeout_ms);
        // The newest window is what File > Save and Print act on.
        QCOMPARE(dynamic_cast<QWidget*>(controller.mainWindow->currentContent()),
                 static_cast<QWidget*>(controller.contourPlots.value(contour.unit)));

        // Polar: only the curve written after the clear, its points turned.
        PolarPlot* polarPlot = controller.polarPlots.value(polar.unit);
        QVERIFY(polarPlot);
        SubWindow* polarWindow = controller.subWindowForUnit(polar.unit);
        QCOMPARE(polarWindow->windowTitle(), QStringLiteral("Antenna Pattern"));
        QCOMPARE(polarWindow->widget(), polarPlot);
        polarWindow->showNormal();  // plot windows open at 75 % of the default 1024 x 768
        QCOMPARE(polarWindow->size(), QSize(768, 576));
        QCOMPARE(polarPlot->curves.size(), 1);
        QwtPlotCurve* curve = polarPlot->curves[0];
        QCOMPARE(curve->title().text(), QStringLiteral("After"));
        QCOMPARE(legendEntries(polarPlot, curve), 1);
        QVERIFY(qAbs(curve->sample(0).x()) < 1e-12 && curve->sample(0).y() == 2.0);
        QVERIFY(qAbs(curve->sample(1).x() + 0.5) < 1e-12 && qAbs(curve->sample(1).y()) < 1e-12);
        QCOMPARE(curve->pen().color(), QColor(Qt::red));
        QCOMPARE(curve->symbol()->style(), QwtSymbol::Ellipse);
        QVERIFY(isExportedPlotImage("polar_from_program.png"));

        // Contour: sampled on the GUI thread while the program waited.
        ContourPlot* contourPlot = controller.contourPlots.value(contour.unit);
        QVERIFY(contourPlot);
        QCOMPARE(controller.subWindowForUnit(contour.unit)->windowTitle(), QStringLiteral("Level Map"));
        QVERIFY(waitingCalls.load() > 0);
        QCOMPARE(int(recordedCalls()), waitingCalls.load());  // the unknown unit's write asked nothing
        for (QThread* thread : recordedThreads) QCOMPARE(thread, qApp->thread());
        for (const QPointF& p : recordedPoints) QVERIFY(p.x() >= 0 && p.x() <= 4 && p.y() >= -1 && p.y() <= 1);
        QVERIFY(qAbs(contourPlot->data()->value(1.5, 0.25) - 1.75) < 1e-9);
        QCOMPARE(contourPlot->spectrogram->contourLevels(), (QList<double>{0.5, 2.5}));
        QCOMPARE(contourPlot->axisTitle(QwtPlot::yRight).text(), QStringLiteral("Height"));
        const QwtInterval z(-1, 5);
        QCOMPARE(QColor(contourPlot->spectrogram->colorMap()->rgb(z, -1)), QColor(Qt::blue));
        QCOMPARE(QColor(contourPlot->spectrogram->colorMap()->rgb(z, 0.1)), QColor(Qt::green));
        QCOMPARE(QColor(contourPlot->spectrogram->colorMap()->rgb(z, 5)), QColor(Qt::red));
        QVERIFY(isExportedPlotImage("contour_from_program.png"));

        // Unknown units: each reported, the program released every time.
        errors->sort();
        QCOMPARE(*errors,
                 (QStringList{
                     "Contour Plot for unit number 78 does not exist", "Contour Plot for unit number 78 does not exist",
                     "Polar Plot for unit number 77 does not exist", "Polar Plot for unit number 77 does not exist"}));
    }
};

QTEST_MAIN(TestPolarContour)
#include "test_polar_contour.moc"
