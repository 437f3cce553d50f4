// SPDX-License-Identifier: GPL-3.0-or-later
// Zooming, panning and reading values on XY plots: what a user does to check
// a passband ripple. Mouse and wheel events go to the plot's canvas as the
// window system would send them; keys go through the plot's shortcuts.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <qwt_plot_canvas.h>
#include <qwt_scale_div.h>
#include <qwt_scale_map.h>

#include "Plot_Navigator.h"
#include "XYPlot.h"
#include "toolkit_test_support.h"

namespace {
constexpr int Plot_Unit = 1000000;

QVariantMap responsePlotMap() {
    return {{"windowTitle", "Frequency Response"},
            {"chartBackgroundColor", 0xFFE8E8E8u},
            {"xAxisName", "f/(sample rate)"},
            {"yAxisName", "Response, dB"},
            {"xScaleType", 0},
            {"xScaleLB", -1.0},
            {"xScaleUB", -1.0},
            {"xScaleStep", -1.0},
            {"yScaleType", 0},
            {"yScaleLB", -1.0},
            {"yScaleUB", -1.0},
            {"yScaleStep", -1.0},
            {"showHgridLines", 1},
            {"showVgridLines", 1}};
}

QVariantMap seriesMap(const QString& label, unsigned colour) {
    return {{"fittedCurve", 1},  {"curveLabel", label}, {"curveColor", colour}, {"dotColor", 0xDC143Cu},
            {"symbolStyle", -1}, {"curveLineWidth", 1}, {"dotSize", 6}};
}

// A low-pass response in dB over 0 … 0.5 at 1001 points: a small ripple in
// the passband, −51.63 dB beyond 0.25 with one sidelobe of −40 dB at 0.45
// (point 900); `offset` moves the whole curve in dB.
QVector<double> responseRows(int points, double offset) {
    QVector<double> rows;
    for (int i = 0; i < points; ++i) {
        const double f = 0.5 * i / (points - 1);
        double dB = f < 0.2 ? 0.05 * std::sin(60.0 * f) : (f < 0.25 ? -200.0 * (f - 0.2) : -51.63);
        if (i == 900) dB = -40.0;
        rows << f << dB + offset;
    }
    return rows;
}

QwtInterval interval(const XYPlot& plot, int axis) {
    const QwtScaleDiv& div = plot.axisScaleDiv(axis);
    return QwtInterval(div.lowerBound(), div.upperBound());
}

double valueAt(const XYPlot& plot, int axis, double pixel) { return plot.canvasMap(axis).invTransform(pixel); }
double pixelOf(const XYPlot& plot, int axis, double value) { return plot.canvasMap(axis).transform(value); }

// The size of one pixel on the axis, in its units.
double pixelSpan(const XYPlot& plot, int axis) {
    const QwtScaleMap map = plot.canvasMap(axis);
    return std::fabs(map.invTransform(1.0) - map.invTransform(0.0));
}

void mouse(QWidget* widget, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons, QPoint pos,
           Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), button, buttons, modifiers);
    QApplication::sendEvent(widget, &event);
}

void drag(QWidget* canvas, QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton,
          Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    mouse(canvas, QEvent::MouseButtonPress, button, button, from, modifiers);
    mouse(canvas, QEvent::MouseMove, Qt::NoButton, button, (from + to) / 2, modifiers);
    mouse(canvas, QEvent::MouseMove, Qt::NoButton, button, to, modifiers);
    mouse(canvas, QEvent::MouseButtonRelease, button, Qt::NoButton, to, modifiers);
}

void click(QWidget* canvas, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    mouse(canvas, QEvent::MouseButtonPress, button, button, at);
    mouse(canvas, QEvent::MouseButtonRelease, button, Qt::NoButton, at);
}

void wheel(QWidget* canvas, QPoint at, int notches) {
    QWheelEvent event(QPointF(at), QPointF(canvas->mapToGlobal(at)), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(canvas, &event);
}

// The numbers of a tracker or mark text, with the typographic minus read as one.
QList<double> numbersIn(QString text) {
    text.replace(QChar(0x2212), QLatin1Char('-'));
    QList<double> numbers;
    QRegularExpressionMatchIterator it =
        QRegularExpression(QStringLiteral("-?\\d+(\\.\\d+)?(e-?\\d+)?")).globalMatch(text);
    while (it.hasNext()) numbers << it.next().captured(0).toDouble();
    return numbers;
}

QByteArray fileBytes(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
}  // namespace

class TestPlotNavigation : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    std::unique_ptr<XYPlot> plot_;
    QVector<double> filter_, rounded_;

    QWidget* canvas() const { return plot_->canvas(); }

    // A shown response plot with the designed and the rounded curve, the
    // keyboard focus on its canvas.
    void newPlot() {
        plot_.reset(new XYPlot(Plot_Unit, responsePlotMap()));
        plot_->resize(768, 576);
        plot_->show();
        QVERIFY(QTest::qWaitForWindowExposed(plot_.get()));
        filter_ = responseRows(1001, 0.0);
        rounded_ = responseRows(1001, -3.0);
        plot_->writeCurve(filter_.constData(), "REAL*8", filter_.size() / 2, 2, seriesMap("FIR Filter", 0x228B22u));
        plot_->writeCurve(rounded_.constData(), "REAL*8", rounded_.size() / 2, 2,
                          seriesMap("Rounded to 16 Bits", 0x8B0000u));
    }

    // A key pressed with the plot's window active and the canvas focused, as
    // after clicking into the plot.
    void key(int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QApplication::setActiveWindow(plot_.get());
        canvas()->setFocus();
        QTest::keyClick(canvas(), Qt::Key(code), modifiers);
    }

    // Zooms into the passband with a drag; returns the dragged rectangle.
    QRect zoomIntoPassband() {
        const QPoint from(int(pixelOf(*plot_, QwtPlot::xBottom, 0.02)), int(pixelOf(*plot_, QwtPlot::yLeft, 2.0)));
        const QPoint to(int(pixelOf(*plot_, QwtPlot::xBottom, 0.18)), int(pixelOf(*plot_, QwtPlot::yLeft, -2.0)));
        const QRect rect(from, to);
        const double x1 = valueAt(*plot_, QwtPlot::xBottom, from.x()), x2 = valueAt(*plot_, QwtPlot::xBottom, to.x());
        const double y1 = valueAt(*plot_, QwtPlot::yLeft, to.y()), y2 = valueAt(*plot_, QwtPlot::yLeft, from.y());
        drag(canvas(), from, to);
        const QwtInterval x = interval(*plot_, QwtPlot::xBottom), y = interval(*plot_, QwtPlot::yLeft);
        if (std::fabs(x.minValue() - x1) > 1e-12 || std::fabs(x.maxValue() - x2) > 1e-12 ||
            std::fabs(y.minValue() - y1) > 1e-12 || std::fabs(y.maxValue() - y2) > 1e-12)
            qWarning("zoom rectangle %g..%g x %g..%g, asked %g..%g x %g..%g", x.minValue(), x.maxValue(), y.minValue(),
                     y.maxValue(), x1, x2, y1, y2);
        return rect;
    }

private slots:
    void initTestCase() { QVERIFY(QDir::setCurrent(dir_.path())); }
    void cleanup() { plot_.reset(); }

    // A drag narrows both axes to the rectangle; each way back restores the
    // scale of the step before, and the full view is the automatic scale the
    // plot had, not merely its rectangle.
    void zoomStack_data() {
        QTest::addColumn<QString>("back");
        QTest::addColumn<QString>("home");
        QTest::newRow("Backspace, Home key") << "Backspace"
                                             << "Home key";
        QTest::newRow("right click, context menu's Full View") << "right click"
                                                               << "menu";
    }
    void zoomStack() {
        QFETCH(QString, back);
        QFETCH(QString, home);
        newPlot();
        const QwtInterval fullX = interval(*plot_, QwtPlot::xBottom), fullY = interval(*plot_, QwtPlot::yLeft);
        QVERIFY(!plot_->navigator->isZoomed());

        zoomIntoPassband();
        const QwtInterval firstX = interval(*plot_, QwtPlot::xBottom), firstY = interval(*plot_, QwtPlot::yLeft);
        QVERIFY(std::fabs(firstX.minValue() - 0.02) < 2 * 0.5 / 600 &&
                std::fabs(firstX.maxValue() - 0.18) < 2 * 0.5 / 600);
        QVERIFY(firstY.width() < fullY.width() / 10);
        QVERIFY(plot_->navigator->isZoomed());

        // A second, smaller rectangle inside the first.
        const QPoint centre = canvas()->rect().center();
        drag(canvas(), centre - QPoint(100, 80), centre + QPoint(100, 80));
        QVERIFY(interval(*plot_, QwtPlot::xBottom).width() < firstX.width() / 2);

        if (back == "Backspace")
            key(Qt::Key_Backspace);
        else
            click(canvas(), centre, Qt::RightButton);
        QCOMPARE(interval(*plot_, QwtPlot::xBottom), firstX);
        QCOMPARE(interval(*plot_, QwtPlot::yLeft), firstY);

        if (home == "Home key")
            key(Qt::Key_Home);
        else
            plot_->findChild<QAction*>("fullViewAction")->trigger();
        QCOMPARE(interval(*plot_, QwtPlot::xBottom), fullX);
        QCOMPARE(interval(*plot_, QwtPlot::yLeft), fullY);
        QVERIFY(plot_->axisAutoScale(QwtPlot::xBottom) && plot_->axisAutoScale(QwtPlot::yLeft));
        QVERIFY(!plot_->navigator->isZoomed());

        // Forward again after going back.
        key(Qt::Key_Backspace, Qt::ShiftModifier);
        QCOMPARE(interval(*plot_, QwtPlot::xBottom), firstX);
    }

    // The wheel zooms about the cursor: the value under it stays where it
    // is; forward zooms in, backward out. Pans move the view by the drag.
    void wheelAndPan() {
        newPlot();
        const QPoint at(canvas()->width() / 3, canvas()->height() / 4);
        const double x = valueAt(*plot_, QwtPlot::xBottom, at.x()), y = valueAt(*plot_, QwtPlot::yLeft, at.y());
        const double width = interval(*plot_, QwtPlot::xBottom).width();
        wheel(canvas(), at, 1);
        QVERIFY(interval(*plot_, QwtPlot::xBottom).width() < width * 0.9);
        // Fixed to a hundredth of a pixel, although the new tick labels change the axes' widths.
        QVERIFY(std::fabs(valueAt(*plot_, QwtPlot::xBottom, at.x()) - x) < 0.01 * pixelSpan(*plot_, QwtPlot::xBottom));
        QVERIFY(std::fabs(valueAt(*plot_, QwtPlot::yLeft, at.y()) - y) < 0.01 * pixelSpan(*plot_, QwtPlot::yLeft));
        wheel(canvas(), at, -2);
        QVERIFY(interval(*plot_, QwtPlot::xBottom).width() > width);
        QVERIFY(std::fabs(valueAt(*plot_, QwtPlot::xBottom, at.x()) - x) < 0.01 * pixelSpan(*plot_, QwtPlot::xBottom));

        // Middle drag and Ctrl + left drag pan by what was dragged.
        for (const auto& [button, modifiers] :
             {std::make_pair(Qt::MiddleButton, Qt::KeyboardModifiers(Qt::NoModifier)),
              std::make_pair(Qt::LeftButton, Qt::KeyboardModifiers(Qt::ControlModifier))}) {
            const QwtInterval before = interval(*plot_, QwtPlot::xBottom);
            const double shift = 50 * pixelSpan(*plot_, QwtPlot::xBottom);
            drag(canvas(), at, at + QPoint(50, 0), button, modifiers);
            const QwtInterval after = interval(*plot_, QwtPlot::xBottom);
            QVERIFY2(std::fabs(after.minValue() - (before.minValue() - shift)) < 1e-9 &&
                         std::fabs(after.width() - before.width()) < 1e-9,
                     qPrintable(QString("%1..%2 after %3..%4")
                                    .arg(after.minValue())
                                    .arg(after.maxValue())
                                    .arg(before.minValue())
                                    .arg(before.maxValue())));
            key(Qt::Key_Backspace);  // each pan is one step back
            QCOMPARE(interval(*plot_, QwtPlot::xBottom), before);
        }
    }

    // The tracker reads the value under the cursor in the axes' own terms;
    // a click marks the nearest point of the nearest curve exactly.
    void readingValues() {
        newPlot();
        const int stop = 900;  // the sidelobe of the rounded curve
        const QPointF point(rounded_[2 * stop], rounded_[2 * stop + 1]);
        const QPoint at(qRound(pixelOf(*plot_, QwtPlot::xBottom, point.x())),
                        qRound(pixelOf(*plot_, QwtPlot::yLeft, point.y())));
        const QString tracked = plot_->navigator->trackerText(
            QPointF(valueAt(*plot_, QwtPlot::xBottom, at.x()), valueAt(*plot_, QwtPlot::yLeft, at.y())));
        QVERIFY2(
            QRegularExpression(QString::fromUtf8("^f = 0\\.\\d+  \u22124\\d\\.\\d+ dB$")).match(tracked).hasMatch(),
            qPrintable(tracked));
        const QList<double> values = numbersIn(tracked);
        QCOMPARE(values.size(), 2);
        QVERIFY(std::fabs(values[0] - point.x()) <= pixelSpan(*plot_, QwtPlot::xBottom));
        QVERIFY(std::fabs(values[1] - point.y()) <= pixelSpan(*plot_, QwtPlot::yLeft));

        click(canvas(), at + QPoint(1, 2));
        QCOMPARE(plot_->navigator->markText(), QString::fromUtf8("Rounded to 16 Bits: f = 0.45  \u221243 dB"));
        // In the passband, zoomed in, the ripple peak of the designed filter.
        zoomIntoPassband();
        const int peak = 53;  // 0.05 sin(60 f) peaks near f = 0.0262
        const QPoint atPeak(qRound(pixelOf(*plot_, QwtPlot::xBottom, filter_[2 * peak])),
                            qRound(pixelOf(*plot_, QwtPlot::yLeft, filter_[2 * peak + 1])));
        click(canvas(), atPeak);
        QCOMPARE(plot_->navigator->markText(),
                 QString("FIR Filter: f = %1  %2 dB")
                     .arg(QString::number(filter_[2 * peak], 'g', 6), QString::number(filter_[2 * peak + 1], 'g', 6)));
        key(Qt::Key_Delete);
        QVERIFY(plot_->navigator->markText().isEmpty());
    }

    // The design program's automatic save writes the full view whatever the
    // user did; Save As writes what the user sees.
    void savingTheViewAndTheFullView() {
        newPlot();
        QVERIFY(plot_->exportChart("automatic.png"));
        const QByteArray full = fileBytes("automatic.png");
        QVERIFY(!full.isEmpty());
        zoomIntoPassband();
        click(canvas(), canvas()->rect().center());  // a point mark, on screen only
        QVERIFY(!plot_->navigator->markText().isEmpty());
        const QwtInterval zoomed = interval(*plot_, QwtPlot::xBottom);
        QVERIFY(plot_->exportChart("automatic after zoom.png"));
        QCOMPARE(fileBytes("automatic after zoom.png"), full);
        QCOMPARE(interval(*plot_, QwtPlot::xBottom), zoomed);  // the user's view stays

        const auto saveAs = [this](const QString& name) {
            whenModalAppears([name](QWidget* modal) {
                if (QWidget* focus = QApplication::focusWidget()) focus->clearFocus();
                qobject_cast<QFileDialog*>(modal)->selectFile(QDir::current().filePath(name));
                static_cast<QDialog*>(modal)->accept();
            });
            plot_->findChild<QAction*>("saveViewAction")->trigger();
        };
        saveAs("view.png");
        QTRY_VERIFY(QFile::exists("view.png"));
        QVERIFY(fileBytes("view.png") != full);
        key(Qt::Key_Delete);
        key(Qt::Key_Home);
        saveAs("home.png");
        QTRY_VERIFY(QFile::exists("home.png"));
        QCOMPARE(fileBytes("home.png"), full);
    }

    // Every action is in the context menu with its key, and the value texts
    // follow the axes' titles.
    void contextMenuAndTexts() {
        newPlot();
        std::unique_ptr<QMenu> menu(plot_->navigator->contextMenu(plot_.get()));
        QStringList listed;
        for (QAction* action : menu->actions())
            if (!action->isSeparator()) listed << action->objectName();
        for (const char* name :
             {"zoomInAction", "zoomOutAction", "zoomBackAction", "zoomForwardAction", "fullViewAction", "panLeftAction",
              "panRightAction", "panUpAction", "panDownAction", "clearMarkAction", "saveViewAction", "printViewAction"})
            QVERIFY2(listed.contains(QLatin1String(name)), name);
        for (QAction* action : plot_->navigator->actions)
            QVERIFY2(!action->shortcut().isEmpty(), qPrintable(action->text()));

        QCOMPARE(Plot_Value_Text::xSymbol("f/(sample rate)"), QStringLiteral("f"));
        QCOMPARE(Plot_Value_Text::xSymbol("Freqency/(Sample Rate)"), QStringLiteral("f"));
        QCOMPARE(Plot_Value_Text::xSymbol("Time"), QStringLiteral("x"));
        QCOMPARE(Plot_Value_Text::yUnit("Response, dB"), QStringLiteral("dB"));
        QCOMPARE(Plot_Value_Text::yUnit("Gain (dB)"), QStringLiteral("dB"));
        QCOMPARE(Plot_Value_Text::yUnit("Linear Response"), QString());
        QCOMPARE(Plot_Value_Text::fixed(-51.634, 2), QString::fromUtf8("\u221251.63"));
        QCOMPARE(Plot_Value_Text::fixed(-0.0004, 3), QStringLiteral("0.000"));
        QCOMPARE(Plot_Value_Text::decimalsFor(0.5 / 650), 5);
        QCOMPARE(Plot_Value_Text::decimalsFor(120.0 / 420), 2);
    }
};

QTEST_MAIN(TestPlotNavigation)
#include "test_plot_navigation.moc"
