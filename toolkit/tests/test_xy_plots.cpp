// SPDX-License-Identifier: GPL-3.0-or-later
// XY plot windows: axes and grid from the plot properties, curves from data
// blocks, clearing, image export, and saving a unit window's contents.
#include <sys/resource.h>

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QMdiArea>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QApplication>
#include <QtTest>
#include <memory>
#include <qwt_legend.h>
#include <qwt_legend_label.h>
#include <qwt_plot_curve.h>
#include <qwt_plot_grid.h>
#include <qwt_plot_layout.h>
#include <qwt_plot_renderer.h>
#include <qwt_scale_engine.h>
#include <qwt_symbol.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstring>
#include <optional>
#include <random>

#include "MainWindow.h"
#include "Picture_Compare.h"
#include "Plot_Data.h"
#include "SubWindow.h"
#include "Text_Windows.h"
#include "UIK_Call_Interface.h"
#include "Program_Session.h"
#include "WindowController.h"
#include "XYPlot.h"
#include "toolkit_test_support.h"

namespace {
constexpr int Plot_Unit = 1000000;
constexpr int Worker_Timeout_ms = 20000;

QVariantMap plotMap(const QVariantMap& changes = {}) {
    QVariantMap p{{"windowTitle", "Response"}, {"chartBackgroundColor", 0xFFFFFFu},
                  {"xAxisName", "Frequency"},  {"yAxisName", "dB"},
                  {"xScaleType", 0},           {"xScaleLB", -1.0},
                  {"xScaleUB", -1.0},          {"xScaleStep", -1.0},
                  {"yScaleType", 0},           {"yScaleLB", -1.0},
                  {"yScaleUB", -1.0},          {"yScaleStep", -1.0},
                  {"showHgridLines", 1},       {"showVgridLines", 1}};
    for (auto it = changes.begin(); it != changes.end(); ++it) p.insert(it.key(), it.value());
    return p;
}

QVariantMap seriesMap(const QString& label) {
    return {{"fittedCurve", 2},      {"curveLabel", label}, {"curveColor", 0xAB00FF00u},
            {"dotColor", 0x0000FFu}, {"symbolStyle", 1},    {"curveLineWidth", 3},
            {"dotSize", 7}};
}

// Lowers the process's file size limit to `bytes` while it lives: a write
// past it fails with EFBIG, the signal it would raise being ignored meanwhile.
class File_Size_Limit {
public:
    explicit File_Size_Limit(rlim_t bytes) {
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered{};
        if (getrlimit(RLIMIT_FSIZE, &saved_) != 0) return;
        lowered = saved_;
        lowered.rlim_cur = bytes;
        active = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~File_Size_Limit() {
        if (active) setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    File_Size_Limit(const File_Size_Limit&) = delete;
    File_Size_Limit& operator=(const File_Size_Limit&) = delete;

    bool active = false;

private:
    rlimit saved_{};
    void (*previous_)(int) = SIG_DFL;
};

// Every entry of a folder, hidden ones too: a temporary file left behind shows.
QStringList entriesOf(const QDir& folder) {
    return folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}
}  // namespace

class TestXYPlots : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void initTestCase() { QVERIFY(QDir::setCurrent(dir_.path())); }

    void plotProperties_data() {
        QTest::addColumn<int>("hGrid");
        QTest::addColumn<int>("vGrid");
        QTest::addColumn<int>("xType");
        QTest::addColumn<int>("yType");
        QTest::newRow("grid both, linear") << 1 << 1 << 0 << 0;
        QTest::newRow("horizontal grid, log x") << 1 << 0 << 1 << 0;
        QTest::newRow("vertical grid, log y") << 0 << 1 << 2 << 1;
    }
    void plotProperties() {
        QFETCH(int, hGrid);
        QFETCH(int, vGrid);
        QFETCH(int, xType);
        QFETCH(int, yType);
        Program_Session controller(nullptr, {});
        controller.create<XYPlot>(Plot_Unit, plotMap({{"showHgridLines", hGrid},
                                                      {"showVgridLines", vGrid},
                                                      {"xScaleType", xType},
                                                      {"yScaleType", yType},
                                                      {"chartBackgroundColor", 0xFF123456u}}));
        XYPlot* plot = controller.xyPlots.value(Plot_Unit);
        QVERIFY(plot);
        QCOMPARE(plot->QwtPlot::title().text(), QStringLiteral("Response"));
        QCOMPARE(plot->axisTitle(QwtPlot::xBottom).text(), QStringLiteral("Frequency"));
        QCOMPARE(plot->axisTitle(QwtPlot::yLeft).text(), QStringLiteral("dB"));
        QCOMPARE(plot->canvasBackground().color(), QColor(0x12, 0x34, 0x56));
        QCOMPARE(plot->plotLayout()->legendPosition(), QwtPlot::RightLegend);
        QCOMPARE(plot->grid->yEnabled(), hGrid != 0);  // horizontal lines
        QCOMPARE(plot->grid->xEnabled(), vGrid != 0);
        QCOMPARE(dynamic_cast<QwtLogScaleEngine*>(plot->axisScaleEngine(QwtPlot::xBottom)) != nullptr, xType == 1);
        QCOMPARE(dynamic_cast<QwtLogScaleEngine*>(plot->axisScaleEngine(QwtPlot::yLeft)) != nullptr, yType == 1);
    }

    void scaleBounds_data() {
        QTest::addColumn<QString>("axisKey");
        QTest::addColumn<double>("lower");
        QTest::addColumn<double>("upper");
        QTest::addColumn<double>("step");
        QTest::addColumn<bool>("fixed");
        QTest::addColumn<double>("expectedStep");
        QTest::newRow("x bounds and step") << "x" << 0.0 << 0.5 << 0.1 << true << 0.1;
        QTest::newRow("y bounds, automatic step") << "y" << -100.0 << 10.0 << -1.0 << true << 0.0;
        QTest::newRow("x lower bound not given") << "x" << -1.0 << 0.5 << 0.1 << false << 0.0;
        QTest::newRow("y upper bound not given") << "y" << -100.0 << -1.0 << 10.0 << false << 0.0;
    }
    void scaleBounds() {
        QFETCH(QString, axisKey);
        QFETCH(double, lower);
        QFETCH(double, upper);
        QFETCH(double, step);
        QFETCH(bool, fixed);
        QFETCH(double, expectedStep);
        Program_Session controller(nullptr, {});
        controller.create<XYPlot>(
            Plot_Unit,
            plotMap({{axisKey + "ScaleLB", lower}, {axisKey + "ScaleUB", upper}, {axisKey + "ScaleStep", step}}));
        XYPlot* plot = controller.xyPlots.value(Plot_Unit);
        const int axis = axisKey == "x" ? QwtPlot::xBottom : QwtPlot::yLeft;
        QCOMPARE(plot->axisAutoScale(axis), !fixed);
        QCOMPARE(plot->axisStepSize(axis), expectedStep);
        if (fixed) {
            QCOMPARE(plot->axisScaleDiv(axis).lowerBound(), lower);
            QCOMPARE(plot->axisScaleDiv(axis).upperBound(), upper);
        }
    }

    void seriesValues_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("nrows");
        QTest::addColumn<int>("ncols");
        QTest::addColumn<QVector<QPointF>>("points");
        QTest::newRow("REAL*8, six digits") << "REAL*8" << block<double>({0.123456789, 1234567.0, 2.5e-7, -3.14159265})
                                            << 2 << 2 << QVector<QPointF>{{0.123457, 1.23457e6}, {2.5e-7, -3.14159}};
        QTest::newRow("REAL*4") << "REAL*4" << block<float>({0.1f, 2.5f}) << 1 << 2 << QVector<QPointF>{{0.1, 2.5}};
        QTest::newRow("INTEGER*4") << "INTEGER*4" << block<qint32>({3, -7, 1000000, 2147483647}) << 2 << 2
                                   << QVector<QPointF>{{3, -7}, {1000000, 2147483647.0}};
        QTest::newRow("INTEGER*8") << "INTEGER*8" << block<qint64>({5000000000LL, 2}) << 1 << 2
                                   << QVector<QPointF>{{5e9, 2}};
        QTest::newRow("REAL*16") << "REAL*16" << block<long double>({1.0L / 3, 2}) << 1 << 2
                                 << QVector<QPointF>{{0.333333, 2}};
        QTest::newRow("third column ignored")
            << "REAL*8" << block<double>({1, 2, 99, 3, 4, 99}) << 2 << 3 << QVector<QPointF>{{1, 2}, {3, 4}};
        QTest::newRow("one column: no points") << "REAL*8" << block<double>({1, 2}) << 2 << 1 << QVector<QPointF>{};
        // Long enough to be read in parts: every row where it belongs.
        std::vector<double> rows;
        QVector<QPointF> expected;
        for (int i = 0; i < 100001; ++i) {
            rows.insert(rows.end(), {i / 7.0, -1.0 * i, 99.0});
            expected << QPointF(Plot_Six_Digits_Reference(i / 7.0), -1.0 * i);
        }
        QTest::newRow("long block") << "REAL*8" << block(rows) << 100001 << 3 << expected;
    }
    void seriesValues() {
        QFETCH(QString, type);
        QFETCH(QByteArray, data);
        QFETCH(int, nrows);
        QFETCH(int, ncols);
        QFETCH(QVector<QPointF>, points);
        Program_Session controller(nullptr, {});
        controller.create<XYPlot>(Plot_Unit, plotMap());
        int released = 0;
        controller.writeXYPlot(Plot_Unit, data.data(), type, nrows, ncols, seriesMap("FIR Filter"),
                               [&] { ++released; });
        QCOMPARE(released, 1);
        QwtPlotCurve* curve = controller.xyPlots.value(Plot_Unit)->curves.value(0);
        QVERIFY(curve);
        QCOMPARE(int(curve->dataSize()), points.size());
        for (int i = 0; i < points.size(); ++i) {
            QCOMPARE(curve->sample(i).x(), points[i].x());
            QCOMPARE(curve->sample(i).y(), points[i].y());
        }
    }

    // The six-digit reading without text gives the text path's double, bit
    // for bit (sign of zero included), for values a response plot carries
    // and for the awkward ones: exact decimals and their halves, powers of
    // ten and their neighbours, extremes.
    void sixDigitsWithoutTextMatchTheTextForm_data() {
        QTest::addColumn<QVector<double>>("values");
        std::mt19937_64 random(11);
        const auto logUniform = [&](double lowExponent, double highExponent, int count) {
            std::uniform_real_distribution<double> exponent(lowExponent, highExponent);
            std::bernoulli_distribution negative(0.5);
            QVector<double> values;
            for (int i = 0; i < count; ++i)
                values.append((negative(random) ? -1.0 : 1.0) * std::pow(10.0, exponent(random)));
            return values;
        };
        QTest::newRow("responses in dB and linear") << logUniform(-8.0, 2.5, 200000);
        QTest::newRow("every magnitude") << logUniform(-320.0, 308.0, 200000);
        QVector<double> decimals;
        for (int digits : {100000, 123456, 314159, 999999})
            for (int k = -25; k <= 25; ++k)
                for (double offset : {0.0, 0.5, 0.49999999999, 0.50000000001, -0.5}) {
                    const double decimal = (digits + offset) * std::pow(10.0, k);
                    decimals << decimal << std::nextafter(decimal, 0.0) << std::nextafter(decimal, 1e308) << -decimal;
                }
        QTest::newRow("decimals, halves and neighbours") << decimals;
        QVector<double> special = {
            0.0,          -0.0,     1e-5,     -100.0, 0.5, 1.5, 5e-324, 2.2250738585072014e-308, 1.7976931348623157e308,
            std::nan(""), INFINITY, -INFINITY};
        for (int k = -30; k <= 30; ++k) {
            const double power = std::pow(10.0, k);
            special << power << std::nextafter(power, 0.0) << std::nextafter(power, 1e308);
        }
        QTest::newRow("powers of ten, zeros, extremes") << special;
    }
    void sixDigitsWithoutTextMatchTheTextForm() {
        QFETCH(QVector<double>, values);
        int mismatches = 0;
        QString first;
        for (double value : values) {
            const double fast = Plot_Six_Digits(value), reference = Plot_Six_Digits_Reference(value);
            if (std::memcmp(&fast, &reference, sizeof fast) == 0) continue;
            if (mismatches++ == 0)
                first = QStringLiteral("%1: %2 instead of %3")
                            .arg(value, 0, 'g', 17)
                            .arg(fast, 0, 'g', 17)
                            .arg(reference, 0, 'g', 17);
        }
        QVERIFY2(mismatches == 0, qPrintable(QString::number(mismatches) + " mismatches, first " + first));
    }

    // A long response curve, drawn from a few points a pixel column, saves
    // in the full view and zoomed to the picture a plain Qwt curve with the
    // same look and points saves to, and not to that of a curve two pixels
    // off over a twentieth of its width.
    void longCurveSavesAsAPlainCurveDoes_data() {
        QTest::addColumn<QString>("shape");
        QTest::addColumn<int>("points");
        QTest::addColumn<bool>("zoomed");
        QTest::newRow("dB with deep nulls, full view") << "nulls" << 200001 << false;
        QTest::newRow("dB with deep nulls, zoomed") << "nulls" << 200001 << true;
        QTest::newRow("flat passband, full view") << "flat" << 120001 << false;
        QTest::newRow("short curve, full view") << "nulls" << 2001 << false;
    }
    void longCurveSavesAsAPlainCurveDoes() {
        QFETCH(QString, shape);
        QFETCH(int, points);
        QFETCH(bool, zoomed);
        QVector<double> rows;
        for (int i = 0; i < points; ++i) {
            const double f = 3.0 * i / (points - 1) - 1.5;
            const double A = shape == "nulls" ? std::sin(2 * M_PI * 40 * f) * std::exp(-f * f)
                                              : 1.0 + 1e-4 * std::sin(2 * M_PI * 7 * f);
            rows << f << (shape == "nulls" ? 20.0 * std::log10(std::max(std::fabs(A), 1e-5)) : A);
        }
        Program_Session controller(nullptr, {});
        controller.create<XYPlot>(Plot_Unit, plotMap());
        XYPlot* plot = controller.xyPlots.value(Plot_Unit);
        plot->show();
        // As the design program draws its responses.
        const QVariantMap response{{"fittedCurve", 1},      {"curveLabel", "FIR Filter"}, {"curveColor", 0x228b22u},
                                   {"dotColor", 0xdc143cu}, {"symbolStyle", -1},          {"curveLineWidth", 1},
                                   {"dotSize", 6}};
        controller.writeXYPlot(Plot_Unit, rows.data(), "REAL*8", points, 2, response);
        QwtPlotCurve* curve = plot->curves.value(0);
        QVERIFY(curve);
        const auto save = [&](const QString& name) {
            if (zoomed) {
                plot->setAxisScale(QwtPlot::xBottom, -0.2, 0.3);
                plot->setAxisScale(QwtPlot::yLeft, -30.0, 5.0);
                plot->replot();
                plot->save(name);  // the view shown
            } else {
                QVERIFY(plot->exportChart(name));
            }
        };
        save("curve.png");
        // The same look and points in a plain Qwt curve; the same with a
        // twentieth of it, in the middle, drawn two pixels to the left.
        const auto savePlain = [&](const QString& name, int moved) {
            auto* plain = new QwtPlotCurve(curve->title());
            plain->setPen(curve->pen());
            plain->setRenderHint(QwtPlotItem::RenderAntialiased, curve->testRenderHint(QwtPlotItem::RenderAntialiased));
            plain->setCurveAttribute(QwtPlotCurve::Inverted, curve->testCurveAttribute(QwtPlotCurve::Inverted));
            plain->setItemAttribute(QwtPlotItem::Legend, curve->testItemAttribute(QwtPlotItem::Legend));
            QVector<QPointF> samples;
            const int n = int(curve->dataSize());
            for (int i = 0; i < n; ++i) {
                const bool wrong = std::abs(i - n / 2) < n / 40;
                samples << QPointF(curve->sample(i).x(), curve->sample(wrong ? i + moved : i).y());
            }
            plain->setSamples(samples);
            curve->detach();
            plain->attach(plot);
            save(name);
            plain->detach();
            delete plain;
            curve->attach(plot);
        };
        savePlain("plain.png", 0);
        const QwtScaleMap x = plot->canvasMap(QwtPlot::xBottom);
        const double pointsPerPixel = std::fabs((x.s2() - x.s1()) / (x.p2() - x.p1())) /
                                      (curve->sample(1).x() - curve->sample(0).x());
        savePlain("moved.png", int(std::ceil(2.0 * pointsPerPixel)));
        QString why;
        QVERIFY2(Pictures_Alike("curve.png", "plain.png", &why), qPrintable(why));
        QVERIFY(!Pictures_Alike("curve.png", "moved.png"));
    }

    void seriesLookAndLegend_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<bool>("inLegend");
        QTest::newRow("label") << "FIR Filter" << true;
        QTest::newRow("all blanks") << "   " << false;
        QTest::newRow("empty") << "" << false;
    }
    void seriesLookAndLegend() {
        QFETCH(QString, label);
        QFETCH(bool, inLegend);
        Program_Session controller(nullptr, {});
        controller.create<XYPlot>(Plot_Unit, plotMap());
        const QByteArray data = block<double>({0, 1, 0.5, 2});
        controller.writeXYPlot(Plot_Unit, const_cast<char*>(data.data()), "REAL*8", 2, 2, seriesMap(label));
        XYPlot* plot = controller.xyPlots.value(Plot_Unit);
        QwtPlotCurve* curve = plot->curves.value(0);
        QVERIFY(curve);
        QCOMPARE(curve->pen(), QPen(QColor(Qt::green), 3, Qt::SolidLine));  // top byte of the colour ignored
        QVERIFY(curve->testRenderHint(QwtPlotItem::RenderAntialiased));
        QVERIFY(curve->testCurveAttribute(QwtPlotCurve::Fitted));
        QCOMPARE(curve->symbol()->style(), QwtSymbol::Rect);
        QCOMPARE(curve->symbol()->size(), QSize(7, 7));
        QCOMPARE(curve->symbol()->brush(), QBrush(Qt::blue));
        QCOMPARE(curve->symbol()->pen(), QPen(QBrush(Qt::blue), 2, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
        const QList<QWidget*> entries =
            qobject_cast<QwtLegend*>(plot->legend())->legendWidgets(plot->itemToInfo(curve));
        QCOMPARE(entries.size(), inLegend ? 1 : 0);
        if (inLegend) QCOMPARE(qobject_cast<QwtLegendLabel*>(entries[0])->text().text(), label);
    }

    // Tiling many plots never grows the main window; a plot too narrow for its
    // legend beside the axes drops the legend first, and gets it back, with
    // its curve, once it is wide again.
    void tilingManyPlotsKeepsTheMainWindowAndDropsLegendsFirst() {
        Program_Session controller(nullptr, {});
        QCoreApplication::processEvents();
        const QSize mainSize = controller.mainWindow->size();
        const QByteArray data = block<double>({0, 1, 0.5, 2});
        constexpr int Plots = 13;
        for (int i = 0; i < Plots; ++i) {
            controller.create<XYPlot>(Plot_Unit + i, plotMap());
            controller.writeXYPlot(Plot_Unit + i, const_cast<char*>(data.data()), "REAL*8", 2, 2,
                                   seriesMap("FIR Filter"));
        }
        controller.mdiArea->tileSubWindows();
        QCoreApplication::processEvents();
        QCOMPARE(controller.mainWindow->size(), mainSize);
        int withoutLegend = 0;
        for (int key : controller.xyPlots.keys()) {
            XYPlot* plot = controller.xyPlots.value(key);
            QVERIFY(plot->width() >= plot->minimumSizeHint().width());
            if (plot->legend() == nullptr)
                ++withoutLegend;
            else
                QVERIFY(plot->width() >= plot->minimumSizeHint().width() + plot->legend()->sizeHint().width());
        }
        QVERIFY(withoutLegend > 0);

        XYPlot* first = controller.xyPlots.value(Plot_Unit);
        controller.subWindowForUnit(Plot_Unit)->showMaximized();
        QTRY_VERIFY(first->legend() != nullptr);
        QCOMPARE(
            qobject_cast<QwtLegend*>(first->legend())->legendWidgets(first->itemToInfo(first->curves.value(0))).size(),
            1);
    }

    void clearThenWrite() {
        Program_Session controller(nullptr, {});
        controller.create<XYPlot>(Plot_Unit, plotMap());
        QByteArray data = block<double>({0, 1, 0.5, 2});
        int released = 0;
        const auto release = [&] { ++released; };
        controller.writeXYPlot(Plot_Unit, data.data(), "REAL*8", 2, 2, seriesMap("old"), release);
        controller.writeXYPlot(Plot_Unit, data.data(), "REAL*8", 2, 2, seriesMap("older"), release);
        controller.clearXYPlot(Plot_Unit);
        controller.writeXYPlot(Plot_Unit, data.data(), "REAL*8", 1, 2, seriesMap("new"), release);
        QCOMPARE(released, 3);  // clearing does not release the design program
        XYPlot* plot = controller.xyPlots.value(Plot_Unit);
        QCOMPARE(plot->curves.size(), 1);
        const QwtPlotItemList drawn = plot->itemList(QwtPlotItem::Rtti_PlotCurve);
        QCOMPARE(drawn.size(), 1);
        QCOMPARE(drawn[0]->title().text(), QStringLiteral("new"));
        QCOMPARE(qobject_cast<QwtLegend*>(plot->legend())->legendWidgets(plot->itemToInfo(drawn[0])).size(), 1);
    }

    void exportNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("magic");
        QTest::newRow("no extension") << "plot"
                                      << "plot.png" << QByteArray("\x89PNG");
        QTest::newRow("upper-case PDF") << "plot.PDF"
                                        << "plot.PDF.png" << QByteArray("\x89PNG");
        QTest::newRow("bmp") << "plot.bmp"
                             << "plot.bmp" << QByteArray("BM");
        QTest::newRow("pdf") << "plot.pdf"
                             << "plot.pdf" << QByteArray("%PDF");
    }
    void exportNames() {
        QFETCH(QString, name);
        QFETCH(QString, written);
        QFETCH(QByteArray, magic);
        Program_Session controller(nullptr, {});
        controller.create<XYPlot>(Plot_Unit, plotMap());
        QVERIFY(controller.saveWindowContentsForUnit(Plot_Unit, {{"saveFileName", name}}));
        QFile file(written);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(written));
        QCOMPARE(file.read(magic.size()), magic);
        if (name != written) QVERIFY(!QFile::exists(name));
        if (written.endsWith(".png")) {
            const QImage image(written);  // 300 mm x 200 mm at 85 dpi
            QVERIFY(qAbs(image.width() - 1004) <= 1 && qAbs(image.height() - 669) <= 1);
            QVERIFY(qAbs(image.dotsPerMeterX() - qRound(85 / 0.0254)) <= 1);
        }
    }

    // A saved image is, byte for byte, the document Qwt's renderer writes
    // for the same plot (the plot is drawn, then encoded aside).
    void savedImagesAreTheRenderersDocuments_data() {
        QTest::addColumn<QString>("suffix");
        QTest::newRow("PNG") << "png";
        QTest::newRow("BMP") << "bmp";
    }
    void savedImagesAreTheRenderersDocuments() {
        QFETCH(QString, suffix);
        Program_Session controller(nullptr, {});
        controller.create<XYPlot>(Plot_Unit, plotMap());
        QVector<double> rows;
        for (int i = 0; i <= 4000; ++i) rows << i / 8000.0 << std::cos(0.01 * i) * std::exp(-0.001 * i);
        controller.writeXYPlot(Plot_Unit, rows.data(), "REAL*8", 4001, 2, seriesMap("FIR Filter"));
        XYPlot* plot = controller.xyPlots.value(Plot_Unit);
        QVERIFY(plot->exportChart("saved." + suffix));
        QwtPlotRenderer().renderDocument(plot, "rendered." + suffix, QSizeF(300.0, 200.0), 85);
        // The same picture at the same resolution; the encoding is the program's own.
        const QImage saved("saved." + suffix), rendered("rendered." + suffix);
        QVERIFY(!saved.isNull());
        QCOMPARE(saved.dotsPerMeterX(), rendered.dotsPerMeterX());
        QString why;
        QVERIFY2(Pictures_Alike("saved." + suffix, "rendered." + suffix, &why), qPrintable(why));
    }

    void unwritableFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("read-only file") << "read-only";
        QTest::newRow("directory in the way") << "directory";
        QTest::newRow("missing directory") << "missing";
    }
    void unwritableFile() {
        QFETCH(QString, kind);
        QString name = "blocked.png";
        if (kind == "read-only") {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("old");
            file.close();
            QVERIFY(file.setPermissions(QFileDevice::ReadOwner));
            if (QFileInfo(name).isWritable()) {
                QFile::remove(name);
                QSKIP("this user may write read-only files");
            }
        } else if (kind == "directory") {
            QVERIFY(QDir().mkdir(name));
        } else {
            name = "no_such_directory/blocked.png";
        }
        Program_Session controller(nullptr, {});
        controller.create<XYPlot>(Plot_Unit, plotMap());
        bool saved = true;
        const QString text = errorBoxText([&] {
            saved = controller.saveWindowContentsForUnit(Plot_Unit, {{"saveFileName", name}});
        });
        QCOMPARE(text, "Unable to write " + name);
        QVERIFY(!saved);
        if (kind == "read-only") QCOMPARE(QFileInfo(name).size(), 3);  // the old file is kept
        QFile(name).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QFile::remove(name);
        QDir().rmdir(name);
    }

    // A save cut short, by a file size limit in the middle of the image or by
    // a full device, reaches the design program as a failed save with the
    // system's reason. No partial file is left, and an earlier file of that
    // name stays as it was (a device stays the device).
    void savesCutShortAreReported_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("reason");
        QTest::newRow("file size limit") << "limit" << QString::fromLocal8Bit(std::strerror(EFBIG));
        QTest::newRow("full device") << "device" << QString::fromLocal8Bit(std::strerror(ENOSPC));
    }
    void savesCutShortAreReported() {
        QFETCH(QString, target);
        QFETCH(QString, reason);
        const QDir folder(dir_.filePath("cut_short_" + target));
        QVERIFY(QDir().mkpath(folder.path()));
        const QString name = folder.filePath("response.png");
        const QString complete = dir_.filePath("complete_" + target + ".png");
        const QByteArray earlier("an earlier image of the same name");
        if (target == "device") {
            QVERIFY(QFile::link("/dev/full", name));
        } else {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(earlier) == earlier.size());
        }
        const QStringList before = entriesOf(folder);

        QVector<double> rows;
        for (int i = 0; i <= 4000; ++i) rows << i / 8000.0 << std::cos(0.01 * i) * std::exp(-0.001 * i);
        std::atomic<bool> done{false}, limited{true};
        int completeStatus = -1, status = -1;
        std::string failure;
        Program_Session controller(nullptr, [&] {
            UIK_XYPlot_Record plot;
            plot.windowTitle.set("Response");
            plot.showHgridLines = plot.showVgridLines = 1;
            UIK_createXYPlot(plot);
            UIK_XYSeries_Record series;
            series.curveLabel.set("FIR Filter");
            UIK_writeXYPlot(plot.unit, rows.constData(), "REAL*8", rows.size() / 2, 2, series);
            completeStatus = UIK_saveWindowContents(plot, complete.toStdString());
            {
                // The limit falls in the middle of the image.
                std::optional<File_Size_Limit> limit;
                if (target == "limit") limited = limit.emplace(rlim_t(QFileInfo(complete).size() / 2)).active;
                status = UIK_saveWindowContents(plot, name.toStdString());
            }
            failure = UIK_Save_Failure_Reason();
            done = true;
        });
        auto box = std::make_shared<QString>();
        whenModalTitled(QStringLiteral("Error"), [box](QWidget* shown) {
            *box = qobject_cast<QMessageBox*>(shown)->text();
            pressOk(shown);
        });
        QTRY_VERIFY_WITH_TIMEOUT(done.load(), Worker_Timeout_ms);
        QVERIFY(limited.load());
        QCOMPARE(completeStatus, 0);
        QVERIFY(QFileInfo(complete).size() > earlier.size());

        QCOMPARE(status, UIK_Save_Failed);
        QCOMPARE(QString::fromStdString(failure), reason);
        QCOMPARE(*box, "Unable to write " + name);
        QCOMPARE(entriesOf(folder), before);
        if (target == "device") {
            QCOMPARE(QFileInfo(name).symLinkTarget(), QStringLiteral("/dev/full"));
            QVERIFY(QFileInfo::exists("/dev/full") && !QFileInfo("/dev/full").isFile());
        } else {
            QFile file(name);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), earlier);
        }
    }

    void unknownUnits_data() {
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("releases");
        QTest::newRow("write") << "write"
                               << "XY Plot for unit number 77 does not exist" << 1;
        QTest::newRow("clear (does not wait)") << "clear"
                                               << "XY Plot for unit number 77 does not exist" << 0;
        QTest::newRow("save") << "save"
                              << "Window for unit number 77 does not exist" << 0;
    }
    void unknownUnits() {
        QFETCH(QString, request);
        QFETCH(QString, message);
        QFETCH(int, releases);
        Program_Session controller(nullptr, {});
        int released = 0;
        bool saved = false;
        const QByteArray data = block<double>({0, 1});
        const QString text = errorBoxText([&] {
            if (request == "write")
                controller.writeXYPlot(77, const_cast<char*>(data.data()), "REAL*8", 1, 2, seriesMap("x"),
                                       [&] { ++released; });
            else if (request == "clear")
                controller.clearXYPlot(77);
            else
                saved = controller.saveWindowContentsForUnit(77, {{"saveFileName", "unknown.png"}});
        });
        QCOMPARE(text, message);
        QCOMPARE(released, releases);
        QVERIFY(!saved);
        QVERIFY(!QFile::exists("unknown.png"));
    }

    void saveTextWindow() {
        Program_Session controller(nullptr, {});
        QCOMPARE(controller.texts->write(-3, "first line\nsecond line\n"), 1);
        QVERIFY(controller.saveWindowContentsForUnit(-4, {{"saveFileName", "console.txt"}}));
        QFile file("console.txt");
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        QVERIFY(QString::fromUtf8(file.readAll()).contains("first line\nsecond line"));
    }

    void printDialog() {
        Program_Session controller(nullptr, {});
        controller.create<XYPlot>(Plot_Unit, plotMap());
        QString title;
        whenModalAppears([&title](QWidget* dialog) {
            title = dialog->windowTitle();
            pressCancel(dialog);
        });
        controller.xyPlots.value(Plot_Unit)->print();
        QCOMPARE(title, QStringLiteral("Print Document"));
    }

    void plotWindowAndInteractiveExport() {
        Program_Session controller(nullptr, {});
        controller.create<XYPlot>(Plot_Unit, plotMap());
        XYPlot* plot = controller.xyPlots.value(Plot_Unit);
        SubWindow* window = controller.subWindowForUnit(Plot_Unit);
        QVERIFY(window);
        QCOMPARE(window->widget(), plot);
        QCOMPARE(window->windowTitle(), QStringLiteral("Response"));
        QCOMPARE(controller.mainWindow->currentContent(), plot);
        QVERIFY(controller.mainWindow->findChild<QAction*>("actionSave")->isEnabled());
        window->showNormal();  // plot windows open at 75 % of the default 1024 x 768
        QCOMPARE(window->size(), QSize(768, 576));
        QString caption, preselected, filter;
        whenModalAppears([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            caption = dialog->windowTitle();
            preselected = QFileInfo(dialog->selectedFiles().value(0)).completeBaseName();
            filter = dialog->nameFilters().value(0);
            // A file name edit with the focus keeps what it shows.
            if (QWidget* focus = QApplication::focusWidget()) focus->clearFocus();
            dialog->selectFile(QDir::current().filePath("chosen"));
            static_cast<QDialog*>(dialog)->accept();  // the dialog's own accept checks the name
        });
        QVERIFY(plot->saveAs());
        QCOMPARE(caption, QStringLiteral("Save Response As"));
        QCOMPARE(preselected, QStringLiteral("Response"));
        QCOMPARE(filter, QStringLiteral("Image File (*.png *.bmp *.pdf)"));
        QVERIFY(QFile::exists("chosen.png"));
    }
};

QTEST_MAIN(TestXYPlots)
#include "test_xy_plots.moc"
