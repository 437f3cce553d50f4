// SPDX-License-Identifier: GPL-3.0-or-later
// Canvas windows as the user sees them: every kind of shape drawn where the
// design program put it, with its pen and brush, over the earlier ones; a
// picture that cannot be read says so; clearing leaves the bare background;
// the saved image is the whole canvas at its own size; and the design
// program's timers, which come alive only once it has stopped.
#include <QDir>
#include <QFileDialog>
#include <QFontMetricsF>
#include <QImage>
#include <QImageReader>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPointer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <functional>

#include "Canvas.h"
#include "MainWindow.h"
#include "Program_Menus.h"
#include "SubWindow.h"
#include "UIK_Call_Interface.h"
#include "UIK_Canvas_Interface.h"
#include "UIK_Timer.h"
#include "Program_Session.h"
#include "WindowController.h"
#include "toolkit_test_support.h"

namespace {
constexpr int Worker_Timeout_ms = 20000;

constexpr QRgb White = 0xFFFFFF, Black = 0x000000, Red = 0xFF0000, Green = 0x00C000, Blue = 0x0000FF, Yellow = 0xFFFF00,
               Magenta = 0xFF00FF, Maroon = 0x800000, Cyan = 0x00FFFF, Orange = 0xFF8000, Teal = 0x008080,
               Navy = 0x000080, SceneBackground = 0xF0F0F0;

QRgb rgbAt(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFFu; }

// The smallest rectangle of `region` holding every pixel that is not `background`.
QRect inkIn(const QImage& image, const QRect& region, QRgb background) {
    QRect ink;
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x)
            if (rgbAt(image, x, y) != background) ink |= QRect(x, y, 1, 1);
    return ink;
}

QImage loaded(const QString& path) { return QImage(path).convertToFormat(QImage::Format_RGB32); }

UIK_Canvas_Rect box(double x, double y, double w, double h) { return {x, y, w, h}; }

QVariantMap rectShape(const QString& rect, unsigned brush) {
    return {{"type", "Rect"}, {"rectList", QStringList{rect}}, {"brushColor", brush}};
}

// Runs `program` on the design program's thread of a new controller and
// waits until it has returned; the controller stays for the checks.
struct ProgramRun {
    explicit ProgramRun(std::function<void()> program)
        : controller(nullptr, [this, program] {
              program();
              done = true;
          }) {}
    bool finished() {
        return QTest::qWaitFor([this] { return done.load(); }, Worker_Timeout_ms);
    }
    std::atomic<bool> done{false};
    Program_Session controller;
};

// What the timer routines saw; reset by each test.
std::atomic<int> onceCalls{0}, destroyedCalls{0}, repeatingCalls{0};
UIK_Timer_Record repeatingTimer;
constexpr int Repeating_Calls_Before_Destroy = 3;

int countOnce() { return ++onceCalls; }
int countDestroyed() { return ++destroyedCalls; }
// A routine that, like a design program's, ends its own timer after a while.
int countThenDestroy() {
    if (++repeatingCalls == Repeating_Calls_Before_Destroy) UIK_destroyTimer(repeatingTimer);
    return 0;
}
}  // namespace

class TestCanvas : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir;
    QString picturePath;
    // The scene every shape kind is drawn on, as saved by the design program.
    QImage scene;
    bool goodPictureLoaded = false;
    bool missingPictureLoaded = true;

    QString path(const QString& name) const { return dir.filePath(name); }

    // The design program draws one of every shape on a canvas larger than
    // its window and saves it.
    void drawScene() {
        UIK_Canvas_Record canvas;
        canvas.windowTitle.set("Shapes");
        canvas.backgroundColor = SceneBackground;
        canvas.width = 400;
        canvas.height = 300;
        canvas.maxWindowWidth = 300;
        canvas.maxWindowHeight = 200;
        const std::string missing = path("no-such-picture.png").toStdString();
        const std::string picture = picturePath.toStdString();
        const std::string saveAs = path("scene").toStdString();

        ProgramRun run([&] {
            UIK_createCanvas(canvas);
            const int unit = canvas.unit;
            UIK_CanvasRect_Record rects;
            rects.rectList = {box(10, 10, 60, 40), box(80, 10, 20, 20)};
            rects.brushColor = Red;
            UIK_addCanvasObject(unit, rects);
            UIK_CanvasLine_Record line;
            line.pointList = {{120, 20}, {200, 20}, {200, 60}};
            line.pen.penWidth = 5;
            line.pen.penColor = Blue;
            line.pen.capStyle = Qt::FlatCap;
            UIK_addCanvasObject(unit, line);
            UIK_CanvasEllipse_Record ellipse;
            ellipse.rect = box(220, 10, 80, 60);
            ellipse.brushColor = Green;
            UIK_addCanvasObject(unit, ellipse);
            UIK_CanvasPie_Record pie;
            pie.rect = box(10, 80, 80, 80);
            pie.startAngle = 0;
            pie.spanAngle = 90;
            pie.brushColor = Yellow;
            UIK_addCanvasObject(unit, pie);
            UIK_CanvasChord_Record chord;
            chord.rect = box(100, 80, 80, 80);
            chord.spanAngle = 180;
            chord.brushColor = Magenta;
            UIK_addCanvasObject(unit, chord);
            UIK_CanvasArc_Record arc;
            arc.rect = box(200, 80, 80, 80);
            arc.spanAngle = 180;
            arc.pen.penWidth = 5;
            arc.pen.penColor = Maroon;
            UIK_addCanvasObject(unit, arc);
            UIK_CanvasPolygon_Record polygon;
            polygon.pointsList = {{300, 90}, {390, 90}, {345, 170}};
            polygon.brushColor = Cyan;
            UIK_addCanvasObject(unit, polygon);
            UIK_CanvasRoundedRect_Record rounded;
            rounded.rectList = {box(10, 180, 80, 50)};
            rounded.xRadius = rounded.yRadius = 20;
            rounded.brushColor = Orange;
            UIK_addCanvasObject(unit, rounded);
            UIK_CanvasText_Record text;
            text.rect = box(100, 180, 150, 40);
            text.text.set("Hello");
            text.textFlags = Qt::AlignCenter;
            text.fontPointSize = 20;
            text.fontWeight = 75;
            text.textColor = Navy;
            UIK_addCanvasObject(unit, text);
            UIK_CanvasPicture_Record good;
            good.rect = box(260, 180, 60, 40);
            good.fileName.set(picture);
            UIK_addCanvasObject(unit, good);
            UIK_CanvasPicture_Record bad;
            bad.rect = box(200, 240, 190, 50);
            bad.fileName.set(missing);
            UIK_addCanvasObject(unit, bad);
            // Drawn last, so over the red rectangle.
            UIK_CanvasRect_Record over;
            over.rectList = {box(20, 15, 10, 10)};
            over.brushColor = Black;
            UIK_addCanvasObject(unit, over);
            UIK_saveWindowContents(canvas, saveAs);
        });
        QVERIFY(run.finished());
        scene = loaded(path("scene.png"));
        // The whole canvas, though its window shows only part of it.
        QCOMPARE(scene.size(), QSize(400, 300));

        Canvas* shown = run.controller.canvases.value(canvas.unit);
        QVERIFY(shown != nullptr);
        QCOMPARE(static_cast<int>(shown->objects().size()), 12);
        for (const auto& object : shown->objects())
            if (auto* p = dynamic_cast<PictureCanvasObject*>(object.get())) {
                if (p->fileName == picturePath)
                    goodPictureLoaded = p->loaded();
                else
                    missingPictureLoaded = p->loaded();
            }
    }

private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        picturePath = path("teal.png");
        QImage teal(10, 10, QImage::Format_RGB32);
        teal.fill(QColor(QRgb(Teal)));
        QVERIFY(teal.save(picturePath));
        drawScene();
    }

    void everyShapeIsDrawnWhereTheProgramPutIt_data() {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<uint>("colour");
        QTest::newRow("rectangle") << QPoint(50, 40) << uint(Red);
        QTest::newRow("second rectangle of the list") << QPoint(90, 20) << uint(Red);
        QTest::newRow("later shape over earlier one") << QPoint(25, 20) << uint(Black);
        QTest::newRow("line") << QPoint(160, 20) << uint(Blue);
        QTest::newRow("line's second segment") << QPoint(200, 45) << uint(Blue);
        QTest::newRow("line's flat end") << QPoint(117, 20) << uint(SceneBackground);
        QTest::newRow("ellipse") << QPoint(260, 40) << uint(Green);
        QTest::newRow("outside the ellipse's curve") << QPoint(223, 13) << uint(SceneBackground);
        QTest::newRow("pie's quarter") << QPoint(70, 100) << uint(Yellow);
        QTest::newRow("beside the pie") << QPoint(30, 140) << uint(SceneBackground);
        QTest::newRow("chord's half") << QPoint(140, 100) << uint(Magenta);
        QTest::newRow("below the chord") << QPoint(140, 150) << uint(SceneBackground);
        QTest::newRow("arc's top") << QPoint(240, 80) << uint(Maroon);
        QTest::newRow("inside the arc, not filled") << QPoint(240, 110) << uint(SceneBackground);
        QTest::newRow("no radius to the arc's centre") << QPoint(260, 120) << uint(SceneBackground);
        QTest::newRow("below the arc's span") << QPoint(240, 159) << uint(SceneBackground);
        QTest::newRow("polygon") << QPoint(345, 110) << uint(Cyan);
        QTest::newRow("rounded rectangle") << QPoint(50, 205) << uint(Orange);
        QTest::newRow("rounded-off corner") << QPoint(12, 182) << uint(SceneBackground);
        QTest::newRow("picture scaled into its place") << QPoint(290, 200) << uint(Teal);
    }

    void everyShapeIsDrawnWhereTheProgramPutIt() {
        QFETCH(QPoint, at);
        QFETCH(uint, colour);
        QCOMPARE(QString::number(rgbAt(scene, at.x(), at.y()), 16), QString::number(colour, 16));
    }

    void textsAreWrittenInTheirColour() {
        const QRect ink = inkIn(scene, QRect(100, 180, 150, 40), SceneBackground);
        QVERIFY(!ink.isEmpty());
        // Centred in its box, and some of it in the text's own colour.
        QVERIFY(ink.left() > 110 && ink.right() < 240);
        bool navy = false;
        for (int y = ink.top(); y <= ink.bottom() && !navy; ++y)
            for (int x = ink.left(); x <= ink.right() && !navy; ++x) navy = rgbAt(scene, x, y) == Navy;
        QVERIFY(navy);
    }

    void aPictureThatCannotBeReadSaysSo() {
        QVERIFY(goodPictureLoaded);
        QVERIFY(!missingPictureLoaded);
        // "Could not display" in its place: ink about as wide as that text.
        const QRect place(200, 240, 190, 50);
        const QRect ink = inkIn(scene, place, SceneBackground);
        QVERIFY(!ink.isEmpty());
        QFont font;  // the canvas's font is the application's
        const qreal width = QFontMetricsF(font, &scene).horizontalAdvance(QStringLiteral("Could not display"));
        QVERIFY2(ink.width() > 0.8 * width && ink.width() < 1.1 * width,
                 qPrintable(QStringLiteral("ink %1 px, text %2 px").arg(ink.width()).arg(width)));
        QVERIFY(qAbs(ink.center().x() - place.center().x()) <= 3);
    }

    void clearingLeavesTheBareBackground() {
        UIK_Canvas_Record canvas;
        canvas.backgroundColor = 0x3366CC;
        canvas.width = 50;
        canvas.height = 40;
        const std::string cleared = path("cleared.png").toStdString();
        const std::string redrawn = path("redrawn.bmp").toStdString();
        ProgramRun run([&] {
            UIK_createCanvas(canvas);
            UIK_CanvasRect_Record rect;
            rect.rectList = {box(5, 5, 30, 20)};
            rect.brushColor = Red;
            UIK_addCanvasObject(canvas.unit, rect);
            UIK_CanvasLine_Record line;
            line.pointList = {{0, 0}, {50, 40}};
            line.pen.penWidth = 3;
            UIK_addCanvasObject(canvas.unit, line);
            UIK_clearCanvas(canvas);
            UIK_saveWindowContents(canvas, cleared);
            UIK_CanvasEllipse_Record ellipse;
            ellipse.rect = box(10, 10, 30, 20);
            ellipse.brushColor = Red;
            UIK_addCanvasObject(canvas.unit, ellipse);
            UIK_saveWindowContents(canvas, redrawn);
        });
        QVERIFY(run.finished());

        const QImage empty = loaded(path("cleared.png"));
        QCOMPARE(empty.size(), QSize(50, 40));
        QVERIFY(inkIn(empty, empty.rect(), 0x3366CC).isEmpty());
        // The canvas goes on taking shapes after a clear.
        const QImage again = loaded(path("redrawn.bmp"));
        QCOMPARE(rgbAt(again, 25, 20), Red);
        QCOMPARE(rgbAt(again, 2, 2), QRgb(0x3366CC));
        QCOMPARE(static_cast<int>(run.controller.canvases.value(canvas.unit)->objects().size()), 1);
    }

    void theFileNameGetsAnImageExtension_data() {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("no extension") << "plain"
                                      << "plain.png" << QByteArray("png");
        QTest::newRow("png") << "shot.png"
                             << "shot.png" << QByteArray("png");
        QTest::newRow("bmp") << "shot.bmp"
                             << "shot.bmp" << QByteArray("bmp");
        QTest::newRow("upper-case extension") << "shot.PNG"
                                              << "shot.PNG.png" << QByteArray("png");
        QTest::newRow("pdf is no image here") << "shot.pdf"
                                              << "shot.pdf.png" << QByteArray("png");
    }

    void theFileNameGetsAnImageExtension() {
        QFETCH(QString, given);
        QFETCH(QString, written);
        QFETCH(QByteArray, format);
        Program_Session controller(nullptr, {});
        controller.createCanvasForUnit(1000, {{"width", 30}, {"height", 20}, {"backgroundColor", 0xFFFFFFu}});
        controller.createObjectOnCanvasForUnit(1, 1000, rectShape("0,0,15,20", Red));
        QVERIFY(controller.saveWindowContentsForUnit(1000, {{"saveFileName", path(given)}}));
        QImageReader reader(path(written));
        QCOMPARE(reader.format(), format);
        const QImage image = reader.read().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(image.size(), QSize(30, 20));
        QCOMPARE(rgbAt(image, 5, 10), Red);
        QCOMPARE(rgbAt(image, 25, 10), White);
    }

    void aFileThatCannotBeWrittenIsReported() {
        Program_Session controller(nullptr, {});
        controller.createCanvasForUnit(1000, {{"width", 30}, {"height", 20}});
        const QString taken = path("taken.png");
        QVERIFY(QDir().mkpath(taken));
        Watchdog watchdog;
        QString message;
        whenModalTitled("Error", [&](QWidget* box) {
            message = qobject_cast<QMessageBox*>(box)->text();
            pressOk(box);
        });
        QVERIFY(!controller.saveWindowContentsForUnit(1000, {{"saveFileName", path("taken")}}));
        QCOMPARE(message, QStringLiteral("Unable to write ") + taken);
    }

    void thePenAndBrushFollowTheGivenKeys_data() {
        QTest::addColumn<QVariantMap>("shape");
        QTest::addColumn<QPoint>("first");
        QTest::addColumn<uint>("firstColour");
        QTest::addColumn<QPoint>("second");
        QTest::addColumn<uint>("secondColour");
        // A square from (20,20) to (40,40); its left edge at x = 20.
        const QVariantMap square = rectShape("20,20,20,20", Green);
        auto with = [](QVariantMap map, const QVariantMap& more) {
            for (auto it = more.begin(); it != more.end(); ++it) map.insert(it.key(), it.value());
            return map;
        };
        QTest::newRow("width only: black")
            << with(square, {{"penWidth", 4}}) << QPoint(20, 30) << uint(Black) << QPoint(30, 30) << uint(Green);
        QTest::newRow("colour only: thin")
            << with(square, {{"penColor", Blue}}) << QPoint(18, 30) << uint(White) << QPoint(30, 30) << uint(Green);
        QTest::newRow("wide coloured pen") << with(square, {{"penWidth", 6}, {"penColor", Blue}}) << QPoint(18, 30)
                                           << uint(Blue) << QPoint(22, 30) << uint(Blue);
        QTest::newRow("no pen") << with(square, {{"penStyle", 0}, {"penWidth", 6}, {"penColor", Blue}})
                                << QPoint(18, 30) << uint(White) << QPoint(21, 30) << uint(Green);
        QTest::newRow("unknown style stays solid")
            << with(square, {{"penStyle", 99}, {"penWidth", 6}, {"penColor", Blue}}) << QPoint(18, 30) << uint(Blue)
            << QPoint(22, 30) << uint(Blue);
        QTest::newRow("no brush: not filled") << QVariantMap{{"type", "Rect"}, {"rectList", QStringList{"20,20,20,20"}}}
                                              << QPoint(30, 30) << uint(White) << QPoint(25, 35) << uint(White);
        const QVariantMap line{
            {"type", "Line"}, {"pointList", QStringList{"15,50", "45,50"}}, {"penWidth", 8}, {"penColor", Blue}};
        QTest::newRow("flat cap") << with(line, {{"capStyle", 0x00}}) << QPoint(12, 50) << uint(White) << QPoint(30, 50)
                                  << uint(Blue);
        QTest::newRow("round cap") << with(line, {{"capStyle", 0x20}}) << QPoint(12, 50) << uint(Blue) << QPoint(13, 52)
                                   << uint(Blue);
        QTest::newRow("dashed line has gaps")
            << with(line,
                    {{"penStyle", 2}, {"capStyle", 0x00}, {"penWidth", 2}, {"pointList", QStringList{"0,50", "60,50"}}})
            << QPoint(3, 50) << uint(Blue) << QPoint(9, 50) << uint(White);
    }

    void thePenAndBrushFollowTheGivenKeys() {
        QFETCH(QVariantMap, shape);
        QFETCH(QPoint, first);
        QFETCH(uint, firstColour);
        QFETCH(QPoint, second);
        QFETCH(uint, secondColour);
        Program_Session controller(nullptr, {});
        controller.createCanvasForUnit(1000, {{"width", 60}, {"height", 60}, {"backgroundColor", White}});
        controller.createObjectOnCanvasForUnit(1, 1000, shape);
        const QImage image = controller.canvases.value(1000)->renderImage();
        QCOMPARE(QString::number(rgbAt(image, first.x(), first.y()), 16), QString::number(firstColour, 16));
        QCOMPARE(QString::number(rgbAt(image, second.x(), second.y()), 16), QString::number(secondColour, 16));
    }

    void theCanvasWindowShowsTheCanvasAtItsSize() {
        Program_Session controller(nullptr, {});
        controller.createCanvasForUnit(1000, {{"windowTitle", "Big"},
                                              {"width", 2000},
                                              {"height", 1500},
                                              {"maxWindowWidth", 300},
                                              {"maxWindowHeight", 200}});
        controller.createCanvasForUnit(1001, {{"windowTitle", "Unsized"}});
        Canvas* big = controller.canvases.value(1000);
        QVERIFY(big != nullptr);
        QCOMPARE(big->objectName(), QStringLiteral("canvas_1000"));
        QCOMPARE(big->widget()->size(), QSize(2000, 1500));
        SubWindow* window = controller.subWindowForUnit(1000);
        QVERIFY(window != nullptr);
        QCOMPARE(window->widget(), static_cast<QWidget*>(big));
        QCOMPARE(window->windowTitle(), QStringLiteral("Big"));
        // Larger than any window it gets, so it scrolls.
        QTRY_VERIFY(big->horizontalScrollBar()->maximum() > 0 && big->verticalScrollBar()->maximum() > 0);
        // Without a size, a canvas is as large as a plot window.
        QCOMPARE(controller.canvases.value(1001)->renderImage().size(), QSize(768, 576));
        QCOMPARE(controller.mainWindow->currentContent(),
                 static_cast<UIK_ContentController*>(controller.canvases.value(1001)));
    }

    void requestsForOtherUnitsAndUnknownShapesAreIgnored() {
        Program_Session controller(nullptr, {});
        controller.createCanvasForUnit(1000, {{"width", 20}, {"height", 20}});
        // Runs inside an error box's own event loop if one is shown, else
        // once the calls below have returned.
        bool robotRan = false, boxShown = false;
        QTimer::singleShot(0, [&] {
            robotRan = true;
            if (QWidget* modal = QApplication::activeModalWidget()) {
                boxShown = true;
                pressOk(modal);
            }
        });
        controller.createObjectOnCanvasForUnit(1, 4242, rectShape("0,0,5,5", Red));
        controller.clearCanvasForUnit(4242, {});
        controller.createObjectOnCanvasForUnit(2, 1000, {{"type", "Star"}, {"rect", "0,0,5,5"}});
        QVERIFY(!controller.canvases.contains(4242));
        QVERIFY(controller.canvases.value(1000)->objects().empty());
        QTRY_VERIFY(robotRan);
        QVERIFY(!boxShown);
    }

    void saveAsOffersImageFiles() {
        Program_Session controller(nullptr, {});
        controller.createCanvasForUnit(1000, {{"windowTitle", "Sketch"}, {"width", 40}, {"height", 30}});
        Watchdog watchdog;
        QString caption;
        QStringList filters;
        whenModalAppears([&](QWidget* shown) {
            auto* dialog = qobject_cast<QFileDialog*>(shown);
            if (dialog == nullptr) return;
            caption = dialog->windowTitle();
            filters = dialog->nameFilters();
            if (auto* name = dialog->findChild<QLineEdit*>("fileNameEdit")) name->setText(path("picked.bmp"));
            static_cast<QDialog*>(dialog)->accept();
        });
        QVERIFY(controller.canvases.value(1000)->saveAs());
        QCOMPARE(caption, QStringLiteral("Save Sketch As"));
        QCOMPARE(filters, QStringList{"Image File (*.png *.bmp)"});
        QImageReader reader(path("picked.bmp"));
        QCOMPARE(reader.format(), QByteArray("bmp"));
        QCOMPARE(reader.size(), QSize(40, 30));
    }

    // ---- Timers, through the design program's calls ----

    void aSingleShotTimerFiresOnceAfterTheProgramStops() {
        onceCalls = 0;
        UIK_Timer_Record once;
        ProgramRun run([&] { UIK_createTimer(once, 5, 1, countOnce); });
        QVERIFY(run.finished());
        WindowController& controller = run.controller;
        QTRY_VERIFY(controller.menus->timers.contains(once.id));
        QPointer<UIK_Timer> timer = controller.menus->timers.value(once.id);
        // Still running the design program: the timer waits.
        QVERIFY(!timer->isActive());
        QCOMPARE(onceCalls.load(), 0);

        controller.menus->runIdle();
        QTRY_COMPARE(onceCalls.load(), 1);
        QVERIFY(!controller.menus->timers.contains(once.id));
        QTRY_VERIFY(timer.isNull());
        QCOMPARE(onceCalls.load(), 1);
    }

    void destroyingATimerStopsIt() {
        destroyedCalls = 0;
        repeatingCalls = 0;
        UIK_Timer_Record destroyedAtOnce;
        ProgramRun run([&] {
            UIK_createTimer(destroyedAtOnce, 5, 0, countDestroyed);
            UIK_destroyTimer(destroyedAtOnce);
            UIK_createTimer(repeatingTimer, 5, 0, countThenDestroy);
        });
        QVERIFY(run.finished());
        WindowController& controller = run.controller;
        // Requests are carried out in order: once the last timer is there,
        // the first one has come and gone.
        QTRY_VERIFY(controller.menus->timers.contains(repeatingTimer.id));
        QVERIFY(!controller.menus->timers.contains(destroyedAtOnce.id));
        QPointer<UIK_Timer> timer = controller.menus->timers.value(repeatingTimer.id);

        controller.menus->runIdle();
        // The repeating timer runs until its own routine destroys it.
        QTRY_COMPARE(repeatingCalls.load(), Repeating_Calls_Before_Destroy);
        QVERIFY(!controller.menus->timers.contains(repeatingTimer.id));
        QTRY_VERIFY(timer.isNull());
        QCOMPARE(repeatingCalls.load(), Repeating_Calls_Before_Destroy);
        QCOMPARE(destroyedCalls.load(), 0);
    }
};

QTEST_MAIN(TestCanvas)
#include "test_canvas.moc"
