// SPDX-License-Identifier: GPL-3.0-or-later
// Canvases and timers of the call interface as the window layer receives
// them: units and object ids, the key order of each shape's map, pen keys
// only when given, points and rectangles as texts that read back exactly,
// and the timer requests.
#include <cstdlib>

#include "UIK_Call_Interface.h"
#include "UIK_Canvas_Interface.h"
#include "UIK_Script.h"
#include "test_support.h"

namespace {

using Strings = std::vector<std::string>;

int routine() { return 0; }

class CanvasInterface : public Call_Interface_Test {
protected:
    UIK_Script script;
};

TEST_F(CanvasInterface, CanvasGetsAUnitAndShapesGetIdsOnIt) {
    UIK_Canvas_Record canvas;
    canvas.windowTitle.set("Sketch");
    canvas.backgroundColor = 0x102030;
    canvas.width = 640;
    canvas.height = 480;
    canvas.maxWindowWidth = 320;
    canvas.maxWindowHeight = 200;
    UIK_createCanvas(canvas);
    UIK_CanvasRect_Record rect;
    UIK_CanvasText_Record text;
    UIK_addCanvasObject(canvas.unit, rect);
    UIK_addCanvasObject(canvas.unit, text);
    UIK_clearCanvas(canvas);

    EXPECT_EQ(canvas.unit, 1000000);
    EXPECT_EQ(rect.id, 1000001);
    EXPECT_EQ(text.id, 1000002);
    ASSERT_EQ(script.requests.size(), 4u);
    const UIK_Request& create = script.requests[0];
    EXPECT_EQ(create.signal, "createCanvas");
    EXPECT_EQ(create.unit, canvas.unit);
    EXPECT_EQ(Property_Keys(create.properties),
              (Strings{"windowTitle", "backgroundColor", "width", "height", "maxWindowWidth", "maxWindowHeight"}));
    EXPECT_EQ(Property<std::string>(create.properties, "windowTitle"), "Sketch");
    EXPECT_EQ(Property<unsigned>(create.properties, "backgroundColor"), 0x102030u);
    EXPECT_EQ(Property<int>(create.properties, "width"), 640);
    EXPECT_EQ(Property<int>(create.properties, "maxWindowHeight"), 200);
    for (int i : {1, 2}) {
        EXPECT_EQ(script.requests[i].signal, "createObjectOnCanvas");
        EXPECT_EQ(script.requests[i].unit, canvas.unit);
    }
    EXPECT_EQ(script.requests[1].labelId, rect.id);
    EXPECT_EQ(script.requests[2].labelId, text.id);
    EXPECT_EQ(script.requests[3].signal, "clearCanvas");
    EXPECT_EQ(script.requests[3].unit, canvas.unit);
    EXPECT_TRUE(script.requests[3].properties.empty());
}

TEST_F(CanvasInterface, EachShapeSendsItsKeysInOrderAndThePenOnlyWhenGiven) {
    const int unit = 42;
    const UIK_Canvas_Pen full{3, 2, 0x20, 0x80, 0x0000FF};
    const Strings pen{"penWidth", "penStyle", "capStyle", "joinStyle", "penColor"};
    auto with = [](Strings a, const Strings& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };

    UIK_CanvasLine_Record line;
    line.pen = full;
    UIK_CanvasArc_Record arc;
    arc.pen = full;
    UIK_CanvasChord_Record chord;
    chord.pen = full;
    chord.brushColor = 0xFF0000;
    UIK_CanvasEllipse_Record ellipse;
    ellipse.brushColor = 0x00FF00;
    UIK_CanvasPie_Record pie;
    pie.pen.penColor = 0x123456;
    UIK_CanvasPolygon_Record polygon;
    polygon.pen.penWidth = 0;
    UIK_CanvasRect_Record rect;
    rect.pen = full;
    rect.brushColor = 0;
    UIK_CanvasRoundedRect_Record rounded;
    UIK_CanvasText_Record text;
    UIK_CanvasPicture_Record picture;
    UIK_addCanvasObject(unit, line);
    UIK_addCanvasObject(unit, arc);
    UIK_addCanvasObject(unit, chord);
    UIK_addCanvasObject(unit, ellipse);
    UIK_addCanvasObject(unit, pie);
    UIK_addCanvasObject(unit, polygon);
    UIK_addCanvasObject(unit, rect);
    UIK_addCanvasObject(unit, rounded);
    UIK_addCanvasObject(unit, text);
    UIK_addCanvasObject(unit, picture);

    const std::vector<std::pair<std::string, Strings>> expected = {
        {"Line", with({"type", "pointList"}, pen)},
        {"Arc", with({"type", "rect", "startAngle", "spanAngle"}, pen)},
        {"Chord", with(with({"type", "rect", "startAngle", "spanAngle"}, pen), {"brushColor"})},
        {"Ellipse", {"type", "rect", "brushColor"}},
        {"Pie", {"type", "rect", "startAngle", "spanAngle", "penColor"}},
        {"Polygon", {"type", "pointsList", "penWidth"}},
        {"Rect", with(with({"type", "rectList"}, pen), {"brushColor"})},
        {"RoundedRect", {"type", "rectList", "xRadius", "yRadius"}},
        {"Text",
         {"type", "rect", "text", "textFlags", "fontFamilyName", "fontPointSize", "fontWeight", "fontItalic",
          "textColor"}},
        {"Picture", {"type", "rect", "fileName"}},
    };
    ASSERT_EQ(script.requests.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].first);
        const UIK_Property_Map& map = script.requests[i].properties;
        EXPECT_EQ(Property<std::string>(map, "type"), expected[i].first);
        EXPECT_EQ(Property_Keys(map), expected[i].second);
    }
    // Given values arrive as given; black (0) is a colour like any other.
    const UIK_Property_Map& r = script.requests[6].properties;
    EXPECT_EQ(Property<int>(r, "penWidth"), 3);
    EXPECT_EQ(Property<int>(r, "capStyle"), 0x20);
    EXPECT_EQ(Property<int>(r, "joinStyle"), 0x80);
    EXPECT_EQ(Property<unsigned>(r, "penColor"), 0x0000FFu);
    EXPECT_EQ(Property<unsigned>(r, "brushColor"), 0u);
}

TEST_F(CanvasInterface, GeometryTravelsAsTextsThatReadBackExactly) {
    UIK_CanvasPolygon_Record polygon;
    polygon.pointsList = {{10, 20}, {0.1, -2.5}, {1e-7, 123456789.125}};
    UIK_CanvasRect_Record rect;
    rect.rectList = {{1, 2, 3, 4}, {0.5, 0.25, 100, 1.0 / 3.0}};
    UIK_CanvasPie_Record pie;
    pie.rect = {5, 6, 70, 80};
    pie.startAngle = 30;
    pie.spanAngle = -45.5;
    UIK_addCanvasObject(7, polygon);
    UIK_addCanvasObject(7, rect);
    UIK_addCanvasObject(7, pie);

    const Strings points = Property<Strings>(script.requests[0].properties, "pointsList");
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[0], "10,20");
    EXPECT_EQ(points[1], "0.1,-2.5");
    const std::string& third = points[2];
    const std::size_t comma = third.find(',');
    ASSERT_NE(comma, std::string::npos);
    EXPECT_EQ(std::strtod(third.substr(0, comma).c_str(), nullptr), 1e-7);
    EXPECT_EQ(std::strtod(third.substr(comma + 1).c_str(), nullptr), 123456789.125);

    const Strings rects = Property<Strings>(script.requests[1].properties, "rectList");
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0], "1,2,3,4");
    const std::string last = rects[1].substr(rects[1].rfind(',') + 1);
    EXPECT_EQ(std::strtod(last.c_str(), nullptr), 1.0 / 3.0);

    EXPECT_EQ(Property<std::string>(script.requests[2].properties, "rect"), "5,6,70,80");
    EXPECT_EQ(Property<double>(script.requests[2].properties, "spanAngle"), -45.5);
}

TEST_F(CanvasInterface, TimersAreCreatedAndDestroyedByTheirId) {
    UIK_Timer_Record once, repeating;
    UIK_createTimer(once, 250, 1, routine);
    UIK_createTimer(repeating, 1000, 0, routine);
    UIK_destroyTimer(repeating);

    EXPECT_EQ(once.id, 1000000);
    EXPECT_EQ(repeating.id, 1000001);
    ASSERT_EQ(script.requests.size(), 3u);
    const UIK_Request& first = script.requests[0];
    EXPECT_EQ(first.signal, "createTimerWindow");
    EXPECT_EQ(first.unit, once.id);
    EXPECT_EQ(first.callback, &routine);
    EXPECT_EQ(Property_Keys(first.properties), (Strings{"interval", "singleShot"}));
    EXPECT_EQ(Property<unsigned>(first.properties, "interval"), 250u);
    EXPECT_TRUE(Property<bool>(first.properties, "singleShot"));
    EXPECT_FALSE(Property<bool>(script.requests[1].properties, "singleShot"));
    EXPECT_EQ(script.requests[2].signal, "destroyTimerWindow");
    EXPECT_EQ(script.requests[2].unit, repeating.id);
}

}  // namespace
