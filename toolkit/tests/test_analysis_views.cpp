// SPDX-License-Identifier: GPL-3.0-or-later
// The View menu's analysis windows of a design, each read back and checked
// against the taps the program wrote.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QTextStream>
#include <QtTest>
#include <cmath>
#include <complex>
#include <qwt_plot_curve.h>
#include <qwt_scale_map.h>

#include "KALTAP_Analysis_Views.h"
#include "KALTAP_Main.h"
#include "KALTAP_Weight_Export.h"
#include "MainWindow.h"
#include "Plot_Navigator.h"
#include "PolarPlot.h"
#include "Program_Menus.h"
#include "Program_Robot.h"
#include "Program_Session.h"
#include "WindowController.h"
#include "XYPlot.h"
#include "toolkit_test_support.h"

namespace {

constexpr int Program_Timeout_ms = 120000;
constexpr double Pi = 3.14159265358979323846;

// h(1..N) as the program wrote them to <stem>Filter_Weights.csv.
QVector<double> written_taps() {
    const QStringList files = QDir::current().entryList({"*Filter_Weights.csv"}, QDir::Files);
    if (files.size() != 1) return {};
    QFile file(files.first());
    if (!file.open(QIODevice::ReadOnly)) return {};
    QTextStream in(&file);
    in.readLine();  // i,Weight
    QVector<double> taps;
    while (!in.atEnd()) {
        const QStringList fields = in.readLine().split(',');
        if (fields.size() == 2) taps << fields[1].toDouble();
    }
    return taps;
}

QVector<QPointF> points(const QwtPlotCurve* curve) {
    QVector<QPointF> p;
    for (size_t i = 0; i < curve->dataSize(); ++i) p << curve->sample(int(i));
    return p;
}

// The plots show six significant digits.
bool six_digits(double shown, double value, double scale) { return std::fabs(shown - value) <= 1e-5 * scale; }

std::complex<double> response_at(const QVector<double>& h, std::complex<double> z, double& size) {
    std::complex<double> sum = 0.0, power = 1.0;
    size = 0.0;
    for (double tap : h) {  // sum h(n) z^-(n-1), by powers of 1/z
        sum += tap * power;
        size += std::fabs(tap) * std::abs(power);
        power /= z;
    }
    return sum;
}

}  // namespace

class TestAnalysisViews : public QObject {
    Q_OBJECT

    // Triggers the View item and returns the unit key of the window it opened.
    int open_view(Program_Session& controller, KALTAP_Analysis_View view) {
        const QString item = KALTAP_Analysis_View_Items[int(view)];
        auto* action = controller.mainWindow->findChild<QAction*>(QStringLiteral("programAction_View_") + item);
        if (action == nullptr || !action->isEnabled()) return 0;
        const QList<int> before = controller.contents.keys();
        action->trigger();
        if (!QTest::qWaitFor([&] { return !controller.menus->callbackRunning; }, Program_Timeout_ms)) return 0;
        for (int key : controller.contents.keys())
            if (!before.contains(key)) return key;
        return 0;
    }

private slots:
    void init() {
        for (const QString& name : QDir::current().entryList(QDir::Files)) QFile::remove(name);
        forgetDialogEntries();
    }
    void cleanupTestCase() { init(); }

    // The three-band default rounded to 16 bits: each view of the designed
    // and of the rounded taps agrees with the written taps.
    void everyViewAgreesWithTheWrittenTaps() {
        Program_Session controller(nullptr, KALTAP_Run_Design_Program);
        Program_Robot robot(controller);
        robot.accept("User Agreement and Selection", agreement())
            .classical()
            .accept("Next action?")
            .accept("Select Number of Bits for Rounding");
        waitUntilIdle(controller, robot, Program_Timeout_ms);
        const QVector<double> h = written_taps();
        const int N = h.size();
        QVERIFY(N > 2);
        double largest = 0.0, gain = 0.0;
        for (double tap : h) {
            largest = std::max(largest, std::fabs(tap));
            gain += tap;
        }

        // Stems at n = 0..N-1: the taps; the rounded ones within half a step of 16 bits.
        XYPlot* impulse = controller.xyPlots.value(open_view(controller, KALTAP_Analysis_View::Impulse));
        QVERIFY(impulse != nullptr);
        QCOMPARE(impulse->curves.size(), 2);
        QCOMPARE(impulse->curves[0]->style(), QwtPlotCurve::Sticks);
        QCOMPARE(impulse->curves[1]->title().text(), QString("Rounded to 16 Bits"));
        const QVector<QPointF> stems = points(impulse->curves[0]), rounded = points(impulse->curves[1]);
        QCOMPARE(stems.size(), N);
        // The rounded taps exactly, as the hex file's integers over the scale factor.
        const KALTAP_Export_Design written = KALTAP_Export_Snapshot();
        QCOMPARE(int(written.rounded_taps.size()), N);
        const QVector<double> r(written.rounded_taps.begin(), written.rounded_taps.end());
        for (int n = 0; n < N; ++n) {
            QCOMPARE(stems[n].x(), double(n));
            QVERIFY2(six_digits(stems[n].y(), h[n], largest), qPrintable(QString::number(n)));
            QVERIFY(std::fabs(rounded[n].y() - h[n]) <= 0.5 * largest / 32767.0 + 1e-5 * largest);
        }

        // The step response ends at the gain at f = 0, the sum of the taps.
        XYPlot* step = controller.xyPlots.value(open_view(controller, KALTAP_Analysis_View::Step));
        QVERIFY(step != nullptr);
        QCOMPARE(step->curves.size(), 2);
        QCOMPARE(int(step->curves[0]->dataSize()), N);
        QVERIFY(six_digits(step->curves[0]->sample(N - 1).y(), gain, std::fabs(gain) + largest));

        // Linear phase: the delay is (N-1)/2 samples at every frequency, for
        // both sets of taps, and the phase falls by pi (N-1) per unit of f.
        XYPlot* delay = controller.xyPlots.value(open_view(controller, KALTAP_Analysis_View::Group_Delay));
        QVERIFY(delay != nullptr);
        for (const QwtPlotCurve* curve : delay->curves) {
            QVERIFY(curve->dataSize() > KALTAP_Analysis_Points / 2);
            for (const QPointF& p : points(curve))
                QVERIFY2(six_digits(p.y(), (N - 1) / 2.0, N), qPrintable(curve->title().text()));
        }
        XYPlot* radians = controller.xyPlots.value(open_view(controller, KALTAP_Analysis_View::Phase_Radians));
        XYPlot* degrees = controller.xyPlots.value(open_view(controller, KALTAP_Analysis_View::Phase_Degrees));
        QVERIFY(radians != nullptr && degrees != nullptr);
        const QVector<QPointF> phase = points(radians->curves[0]), phase_deg = points(degrees->curves[0]);
        QCOMPARE(phase.size(), phase_deg.size());
        QPointF first, last;
        for (int i = 0; i < phase.size(); ++i) {
            QVERIFY(six_digits(phase_deg[i].y(), phase[i].y() * 180.0 / Pi, std::fabs(phase_deg[i].y())));
            if (phase[i].x() >= 0.22 && phase[i].x() <= 0.33) (first.isNull() ? first : last) = phase[i];
        }
        const double slope = (last.y() - first.y()) / (last.x() - first.x());  // across the passband: no jumps
        QVERIFY2(std::fabs(slope + Pi * (N - 1)) <= 1e-4 * Pi * N, qPrintable(QString::number(slope)));

        // The zeros: N-1 of each set, roots of the taps' polynomial, in
        // reciprocal pairs; the polar view zooms square from the keyboard.
        PolarPlot* zeros = controller.polarPlots.value(open_view(controller, KALTAP_Analysis_View::Zeros));
        QVERIFY(zeros != nullptr);
        QCOMPARE(zeros->curves.size(), 3);  // unit circle, designed, rounded
        const QVector<double>* taps_of[] = {&h, &r};
        for (int k = 1; k <= 2; ++k) {
            const QVector<QPointF> found = points(zeros->curves[k]);
            QCOMPARE(found.size(), N - 1);
            for (const QPointF& p : found) {
                const std::complex<double> z(p.x(), p.y());
                double size = 0.0;
                const double residual = std::abs(response_at(*taps_of[k - 1], z, size));
                QVERIFY2(residual <= 1e-8 * size,
                         qPrintable(QString("set %1: %2 of %3").arg(k).arg(residual).arg(size)));
                const std::complex<double> mirror = 1.0 / std::conj(z);
                double nearest = 1e300;
                for (const QPointF& q : found)
                    nearest = std::min(nearest, std::abs(std::complex<double>(q.x(), q.y()) - mirror));
                QVERIFY(nearest <= 1e-6 * std::max(1.0, std::abs(mirror)));
            }
        }
        zoomInFromTheKeyboard(zeros);
    }

private:
    void zoomInFromTheKeyboard(PolarPlot* plot) {
        plot->resize(500, 400);
        plot->canvas()->setFocus();
        QWidget* focus = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : plot->canvas();
        const auto perUnit = [plot](int axis) {
            const QwtScaleMap map = plot->canvasMap(axis);
            return std::fabs(map.transform(1.0) - map.transform(0.0));
        };
        const double full = perUnit(QwtPlot::xBottom);
        QTest::keyClick(focus, Qt::Key_Plus);
        QVERIFY(plot->navigator->isZoomed());
        QVERIFY(perUnit(QwtPlot::xBottom) > 1.2 * full);
        QCOMPARE(perUnit(QwtPlot::xBottom), perUnit(QwtPlot::yLeft));  // circles stay round
        QTest::keyClick(focus, Qt::Key_Home);
        QVERIFY(!plot->navigator->isZoomed());
        QCOMPARE(perUnit(QwtPlot::xBottom), full);
    }
};

QTEST_MAIN(TestAnalysisViews)
#include "test_analysis_views.moc"
