// SPDX-License-Identifier: GPL-3.0-or-later
// Bar and pie charts as the design program and the user meet them: created,
// written and saved through the design program's own calls on its thread,
// the colours of bars and slices, the values shown, image export, and writes
// to units that have no chart.
#include <QFileDialog>
#include <QImage>
#include <QMessageBox>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <memory>
#include <qwt_column_symbol.h>
#include <qwt_legend.h>
#include <qwt_legend_label.h>
#include <qwt_plot_multi_barchart.h>

#include "BarChart.h"
#include "MainWindow.h"
#include "PieChart.h"
#include "SubWindow.h"
#include "UIK_Chart_Interface.h"
#include "Program_Session.h"
#include "WindowController.h"
#include "toolkit_test_support.h"

namespace {
constexpr int First_Unit = 1000000;
constexpr int Worker_Timeout_ms = 20000;

QColor barColour(BarChart* chart, int bar) {
    const QwtPlotMultiBarChart* bars = chart->bars;
    const QwtColumnSymbol* symbol = bars->symbol(bar);
    return symbol ? symbol->palette().color(QPalette::Window) : QColor();
}

// The heights of group `group` as drawn.
QVector<double> groupHeights(BarChart* chart, int group) { return chart->bars->sample(group).set; }

QStringList legendTexts(BarChart* chart) {
    QStringList texts;
    for (QWidget* w : qobject_cast<QwtLegend*>(chart->legend())->legendWidgets(chart->itemToInfo(chart->bars)))
        texts << qobject_cast<QwtLegendLabel*>(w)->text().text();
    return texts;
}

QVariant slice(PieChart* chart, int row, int column, int role = Qt::DisplayRole) {
    return chart->model->data(chart->model->index(row, column), role);
}

// Counts the error boxes raised while it lives (answering each with OK) and
// keeps the text of the first.
struct ErrorBoxes {
    std::shared_ptr<int> count = std::make_shared<int>(0);
    std::shared_ptr<QString> first = std::make_shared<QString>();
    std::shared_ptr<bool> live = std::make_shared<bool>(true);
    explicit ErrorBoxes(int expected) {
        for (int i = 0; i < expected + 1; ++i) {
            auto count_ = count;
            auto first_ = first;
            auto live_ = live;
            whenModalTitled(QStringLiteral("Error"), [count_, first_, live_](QWidget* box) {
                if (!*live_) return;
                if (++*count_ == 1) *first_ = qobject_cast<QMessageBox*>(box)->text();
                pressOk(box);
            });
        }
    }
    ~ErrorBoxes() { *live = false; }
};
}  // namespace

class TestCharts : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void initTestCase() { QVERIFY(QDir::setCurrent(dir_.path())); }
    void init() { UIK_Reset_Call_Interface(); }

    void barChartThroughTheCallInterface() {
        std::atomic<bool> done{false};
        Program_Session controller(nullptr, [&done] {
            UIK_Barchart_Record chart;
            chart.windowTitle.set("Sales");
            chart.xAxisName.set("Quarter");
            chart.yAxisName.set("Units");
            chart.chartBackgroundColor = 0xFF102030;
            chart.legendNames = {UIK_Text("North"), UIK_Text("South")};
            UIK_createBarchart(chart);
            const double heights[] = {0.123456789, 2.0, 3.5, 1234567.8};
            UIK_writeBarchart(chart.unit, heights, "REAL*8  ", 2, 2);
            UIK_saveWindowContents(chart, "sales");
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(done.load(), Worker_Timeout_ms);
        BarChart* chart = controller.barCharts.value(First_Unit);
        QVERIFY(chart);
        QCOMPARE(controller.subWindowForUnit(First_Unit)->windowTitle(), QStringLiteral("Sales"));
        QCOMPARE(controller.mainWindow->currentContent(), chart);
        QCOMPARE(chart->axisTitle(QwtPlot::xBottom).text(), QStringLiteral("Quarter"));
        QCOMPARE(chart->axisTitle(QwtPlot::yLeft).text(), QStringLiteral("Units"));
        QCOMPARE(chart->canvasBackground().color(), QColor(0x10, 0x20, 0x30));
        QCOMPARE(legendTexts(chart), QStringList({"North", "South"}));
        QCOMPARE(barColour(chart, 0), QColor("crimson"));
        QCOMPARE(barColour(chart, 1), QColor("steelblue"));
        QCOMPARE(chart->bars->dataSize(), size_t(2));
        QCOMPARE(groupHeights(chart, 0), QVector<double>({0.123457, 2.0}));
        QCOMPARE(groupHeights(chart, 1), QVector<double>({3.5, 1.23457e6}));
        const QImage image("sales.png");  // 300 mm x 200 mm at 85 dpi
        QVERIFY(!image.isNull());
        QVERIFY(qAbs(image.width() - 1004) <= 1 && qAbs(image.height() - 669) <= 1);
    }

    void legendColours_data() {
        QTest::addColumn<QVariantList>("given");  // colours of the record
        QTest::addColumn<QList<QColor>>("bars");  // of bars 1, 2, 3
        QTest::newRow("none: the defaults")
            << QVariantList{} << QList<QColor>{QColor("crimson"), QColor("steelblue"), QColor("limegreen")};
        QTest::newRow("two given, top byte ignored")
            << QVariantList{0xFF102030u, 0x405060u}
            << QList<QColor>{QColor(0x10, 0x20, 0x30), QColor(0x40, 0x50, 0x60), QColor("limegreen")};
        QTest::newRow("six given") << QVariantList{1u, 2u, 3u, 4u, 5u, 6u}
                                   << QList<QColor>{QColor(0, 0, 1), QColor(0, 0, 2), QColor(0, 0, 3)};
    }
    void legendColours() {
        QFETCH(QVariantList, given);
        QFETCH(QList<QColor>, bars);
        std::atomic<bool> done{false};
        Program_Session controller(nullptr, [&done, given] {
            UIK_Barchart_Record chart;
            for (const QVariant& colour : given) chart.legendColors.push_back(colour.toUInt());
            UIK_createBarchart(chart);
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(done.load(), Worker_Timeout_ms);
        QTRY_VERIFY(controller.barCharts.contains(First_Unit));
        BarChart* chart = controller.barCharts.value(First_Unit);
        for (int bar = 0; bar < bars.size(); ++bar) QCOMPARE(barColour(chart, bar), bars[bar]);
        // The defaults give five bars their colours; given colours may give more.
        QCOMPARE(barColour(chart, 5).isValid(), given.size() > 5);
    }

    void barHeights_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("nrows");
        QTest::addColumn<int>("ncols");
        QTest::addColumn<QVector<QVector<double>>>("groups");
        QTest::newRow("INTEGER*4, three groups of one") << "INTEGER*4" << block<qint32>({3, -7, 2147483647}) << 3 << 1
                                                        << QVector<QVector<double>>{{3}, {-7}, {2147483647.0}};
        QTest::newRow("INTEGER*8") << "INTEGER*8" << block<qint64>({5000000000LL, 2}) << 1 << 2
                                   << QVector<QVector<double>>{{5e9, 2}};
        QTest::newRow("REAL*4") << "REAL*4" << block<float>({0.1f, 2.5f, 7.0f}) << 1 << 3
                                << QVector<QVector<double>>{{0.1, 2.5, 7}};
        QTest::newRow("REAL*16") << "REAL*16" << block<long double>({1.0L / 3, 2}) << 2 << 1
                                 << QVector<QVector<double>>{{0.333333}, {2}};
        QTest::newRow("unknown type: no groups")
            << "COMPLEX*8" << block<double>({1, 2}) << 1 << 2 << QVector<QVector<double>>{};
        QTest::newRow("no columns: no groups")
            << "REAL*8" << block<double>({1, 2}) << 2 << 0 << QVector<QVector<double>>{};
    }
    void barHeights() {
        QFETCH(QString, type);
        QFETCH(QByteArray, data);
        QFETCH(int, nrows);
        QFETCH(int, ncols);
        QFETCH(QVector<QVector<double>>, groups);
        Program_Session controller(nullptr, {});
        controller.create<BarChart>(First_Unit, {{"windowTitle", "Bars"}});
        QByteArray earlier = block<double>({9, 9, 9, 9});
        controller.writeBarchartForUnit(First_Unit, earlier.data(), "REAL*8", 2, 2);
        controller.writeBarchartForUnit(First_Unit, data.data(), type, nrows, ncols);  // replaces the earlier groups
        BarChart* chart = controller.barCharts.value(First_Unit);
        QCOMPARE(int(chart->bars->dataSize()), groups.size());
        for (int g = 0; g < groups.size(); ++g) QCOMPARE(groupHeights(chart, g), groups[g]);
    }

    void pieChartThroughTheCallInterface() {
        std::atomic<bool> done{false};
        Program_Session controller(nullptr, [&done] {
            UIK_PieChart_Record chart;
            chart.windowTitle.set("Budget");
            chart.chartBackgroundColor = 0x202020;
            chart.textColor = 0xFFFF00;
            chart.names = {UIK_Text("Rent"), UIK_Text("Food"), UIK_Text("Travel")};
            UIK_createPieChart(chart);
            const double values[] = {1.5, 2.25, 0.1234567};
            UIK_writePieChart(chart.unit, values, "REAL*8", 3, 1);
            UIK_saveWindowContents(chart, "budget");
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(done.load(), Worker_Timeout_ms);
        PieChart* chart = controller.pieCharts.value(First_Unit);
        QVERIFY(chart);
        QCOMPARE(controller.subWindowForUnit(First_Unit)->windowTitle(), QStringLiteral("Budget"));
        QCOMPARE(chart->view->backgroundColour(), QColor(0x20, 0x20, 0x20));
        QCOMPARE(chart->view->textColour(), QColor(Qt::yellow));
        QCOMPARE(chart->model->rowCount(), 3);
        const QStringList names{"Rent", "Food", "Travel"};
        const QList<QColor> colours{QColor("tomato"), QColor("steelblue"), QColor("limegreen")};
        const QList<double> values{1.5, 2.25, 0.123457};
        for (int row = 0; row < 3; ++row) {
            QCOMPARE(slice(chart, row, 0).toString(), names[row]);
            QCOMPARE(slice(chart, row, 0, Qt::DecorationRole).value<QColor>(), colours[row]);
            QCOMPARE(slice(chart, row, 1).toDouble(), values[row]);
        }
        const QImage image("budget.png");
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), chart->view->viewport()->size());
    }

    void pieColoursAndSlices() {
        Program_Session controller(nullptr, {});
        controller.create<PieChart>(
            First_Unit, {{"names", QStringList{"only named"}}, {"colors", QStringList{"#ff0000", "not a colour"}}});
        PieChart* chart = controller.pieCharts.value(First_Unit);
        QCOMPARE(chart->model->rowCount(), 1);  // one slice per name before any write
        QByteArray values = block<qint32>({5, 0, 7, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1});
        controller.writePieChartForUnit(First_Unit, values.data(), "INTEGER*4", 1, 17);
        QCOMPARE(chart->model->rowCount(), 17);
        QCOMPARE(slice(chart, 1, 0).toString(), QString());  // more values than names
        QCOMPARE(slice(chart, 2, 1).toDouble(), 7.0);
        QCOMPARE(slice(chart, 0, 0, Qt::DecorationRole).value<QColor>(), QColor(Qt::red));
        QCOMPARE(slice(chart, 1, 0, Qt::DecorationRole).value<QColor>(), QColor("steelblue"));  // unreadable colour
        // The fifteen defaults are all colours of their own; the sixteenth slice starts them again.
        QSet<QRgb> distinct;
        for (int i = 0; i < PieChart::Default_Colour_Names.size(); ++i) {
            QVERIFY2(chart->sliceColour(i).isValid(), qPrintable(PieChart::Default_Colour_Names[i]));
            distinct.insert(chart->sliceColour(i).rgb());
        }
        QCOMPARE(distinct.size(), 15);
        QCOMPARE(chart->sliceColour(15), QColor("tomato"));
    }

    void pieSlicesUnderTheMouse() {
        Program_Session controller(nullptr, {});
        controller.create<PieChart>(First_Unit, {});
        PieChart* chart = controller.pieCharts.value(First_Unit);
        QByteArray values = block<double>({1, 1, 1, 1});
        controller.writePieChartForUnit(First_Unit, values.data(), "REAL*8", 4, 1);
        chart->view->resize(600, 400);
        // The pie lies on the left, centred in height: its diameter is the
        // first run of slices along the middle line.
        const QSize area = chart->view->viewport()->size();
        const int y = area.height() / 2;
        int left = 0;
        while (left < area.width() && !chart->view->indexAt(QPoint(left, y)).isValid()) ++left;
        int right = left;
        while (right + 1 < area.width() && chart->view->indexAt(QPoint(right + 1, y)).isValid()) ++right;
        QVERIFY(right - left > 100);
        // Slices run clockwise from twelve o'clock.
        const QPoint middle((left + right) / 2, y);
        const int d = (right - left) / 4;
        QCOMPARE(chart->view->indexAt(middle + QPoint(d, -d)).row(), 0);
        QCOMPARE(chart->view->indexAt(middle + QPoint(d, d)).row(), 1);
        QCOMPARE(chart->view->indexAt(middle + QPoint(-d, d)).row(), 2);
        QCOMPARE(chart->view->indexAt(middle + QPoint(-d, -d)).row(), 3);
        // The slices are painted in their colours.
        QImage image(area, QImage::Format_ARGB32);
        QPainter painter(&image);
        chart->view->paintChart(painter, image.rect());
        painter.end();
        QCOMPARE(QColor(image.pixel(middle + QPoint(d, -d))), QColor("tomato"));
        QCOMPARE(QColor(image.pixel(middle + QPoint(-d, -d))), QColor("gold"));
    }

    void exportNames_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("magic");
        QTest::newRow("bar, no extension") << "bar"
                                           << "chart"
                                           << "chart.png" << QByteArray("\x89PNG");
        QTest::newRow("bar, bmp") << "bar"
                                  << "chart.bmp"
                                  << "chart.bmp" << QByteArray("BM");
        QTest::newRow("bar, pdf") << "bar"
                                  << "chart.pdf"
                                  << "chart.pdf" << QByteArray("%PDF");
        QTest::newRow("bar, upper-case PNG") << "bar"
                                             << "chart.PNG"
                                             << "chart.PNG.png" << QByteArray("\x89PNG");
        QTest::newRow("pie, no extension") << "pie"
                                           << "pie"
                                           << "pie.png" << QByteArray("\x89PNG");
        QTest::newRow("pie, bmp") << "pie"
                                  << "pie.bmp"
                                  << "pie.bmp" << QByteArray("BM");
        QTest::newRow("pie, pdf is no image") << "pie"
                                              << "pie.pdf"
                                              << "pie.pdf.png" << QByteArray("\x89PNG");
    }
    void exportNames() {
        QFETCH(QString, kind);
        QFETCH(QString, name);
        QFETCH(QString, written);
        QFETCH(QByteArray, magic);
        Program_Session controller(nullptr, {});
        if (kind == "bar")
            controller.create<BarChart>(First_Unit, {{"windowTitle", "Bars"}});
        else
            controller.create<PieChart>(First_Unit, {{"windowTitle", "Pie"}});
        QVERIFY(controller.saveWindowContentsForUnit(First_Unit, {{"saveFileName", name}}));
        QFile file(written);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(written));
        QCOMPARE(file.read(magic.size()), magic);
        if (name != written) QVERIFY(!QFile::exists(name));
    }

    void pieImageThatCannotBeWritten() {
        QVERIFY(QDir().mkdir("blocked.png"));
        Program_Session controller(nullptr, {});
        controller.create<PieChart>(First_Unit, {{"windowTitle", "Pie"}});
        ErrorBoxes boxes(1);
        controller.saveWindowContentsForUnit(First_Unit, {{"saveFileName", "blocked"}});
        QCOMPARE(*boxes.count, 1);
        QCOMPARE(*boxes.first, QStringLiteral("Unable to write blocked.png"));
        QDir().rmdir("blocked.png");
    }

    void interactiveExport_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("filter");
        QTest::newRow("bar chart") << "bar"
                                   << "Image File (*.png *.bmp *.pdf)";
        QTest::newRow("pie chart") << "pie"
                                   << "Image File (*.png *.bmp)";
    }
    void interactiveExport() {
        QFETCH(QString, kind);
        QFETCH(QString, filter);
        Program_Session controller(nullptr, {});
        UIK_ContentController* content;
        if (kind == "bar") {
            controller.create<BarChart>(First_Unit, {{"windowTitle", "Shares"}});
            content = controller.barCharts.value(First_Unit);
        } else {
            controller.create<PieChart>(First_Unit, {{"windowTitle", "Shares"}});
            content = controller.pieCharts.value(First_Unit);
        }
        QString caption, shownFilter;
        whenModalAppears([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            caption = dialog->windowTitle();
            shownFilter = dialog->nameFilters().value(0);
            // A file name edit with the focus keeps what it shows.
            if (QWidget* focus = QApplication::focusWidget()) focus->clearFocus();
            dialog->selectFile(QDir::current().filePath("picked_" + kind));
            static_cast<QDialog*>(dialog)->accept();
        });
        QVERIFY(content->saveAs());
        QCOMPARE(caption, QStringLiteral("Save Shares As"));
        QCOMPARE(shownFilter, filter);
        QVERIFY(!QImage("picked_" + kind + ".png").isNull());
    }

    void writesToUnknownUnitsReleaseTheProgram() {
        std::atomic<bool> done{false};
        ErrorBoxes boxes(1);
        Program_Session controller(nullptr, [&done] {
            const double values[] = {1, 2};
            UIK_writeBarchart(77, values, "REAL*8", 1, 2);
            UIK_writePieChart(78, values, "REAL*8", 1, 2);  // a pie chart has no error box
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(done.load(), Worker_Timeout_ms);
        QCOMPARE(*boxes.count, 1);
        QCOMPARE(*boxes.first, QStringLiteral("Bar Chart for unit number 77 does not exist"));
    }
};

QTEST_MAIN(TestCharts)
#include "test_charts.moc"
