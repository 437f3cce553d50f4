// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing canvases and timers of the call interface.
//
// A canvas is a window of a fixed drawing size and background colour on
// which the design program places retained shapes, one request per shape:
// lines, arcs, chords, ellipses, pies, polygons, rectangles, rounded
// rectangles, texts and pictures. Each shape gets an identifier from the
// automatic counter. A timer calls a routine of the design program every
// interval, or once; it starts when the design program has stopped.
//
// How the records reach the window layer:
// - Points travel as texts "x,y" and rectangles as texts "x,y,w,h" (numbers
//   in the shortest form that reads back exactly): a point list or a
//   rectangle list is a list of such texts, a single rectangle one text.
// - Angles are in degrees, counter-clockwise, 0 at three o'clock.
// - Colours are 0xRRGGBB (the top byte is ignored). The pen keys are sent
//   only when given: a negative width or style number, or the colour
//   UIK_Color_Not_Given, leaves the window layer's default (a solid black
//   pen one pixel wide). A closed shape whose brush colour is not given is
//   not filled.
// - Pen, cap and join styles are Qt's numbers: pen 0 none, 1 solid, 2 dash,
//   3 dot, 4 dash-dot, 5 dash-dot-dot; cap 0x00 flat, 0x10 square, 0x20
//   round; join 0x00 miter, 0x40 bevel, 0x80 round.
#pragma once

#include <string>
#include <vector>

#include "UIK_Call_Interface.h"

// A colour field that says "not given": every bit set. No colour needs this
// value, since the top byte of a colour is ignored (white is 0xFFFFFF).
constexpr unsigned UIK_Color_Not_Given = 0xFFFFFFFFu;

// ---- Records ----

// width x height is the drawing size; the window shows at most
// maxWindowWidth x maxWindowHeight of it and scrolls (a non-positive maximum
// leaves the window's size to the window layer).
struct UIK_Canvas_Record {
    int unit = 0;
    UIK_Text windowTitle;
    unsigned backgroundColor = 0xFFFFFF;
    int width = 0;
    int height = 0;
    int maxWindowWidth = 0;
    int maxWindowHeight = 0;
};

struct UIK_Canvas_Point {
    double x = 0.0;
    double y = 0.0;
};

struct UIK_Canvas_Rect {
    double x = 0.0;
    double y = 0.0;
    double width = 0.0;
    double height = 0.0;
};

// The pen of a shape's outline; each field only when given.
struct UIK_Canvas_Pen {
    int penWidth = -1;   // pixels; 0 is the thinnest line the device draws
    int penStyle = -1;   // Qt::PenStyle
    int capStyle = -1;   // Qt::PenCapStyle
    int joinStyle = -1;  // Qt::PenJoinStyle
    unsigned penColor = UIK_Color_Not_Given;
};

// A line through the points, in order.
struct UIK_CanvasLine_Record {
    int id = 0;
    std::vector<UIK_Canvas_Point> pointList;
    UIK_Canvas_Pen pen;
};

// Arc: the outline of the ellipse in `rect` from startAngle over spanAngle.
struct UIK_CanvasArc_Record {
    int id = 0;
    UIK_Canvas_Rect rect;
    double startAngle = 0.0;
    double spanAngle = 0.0;
    UIK_Canvas_Pen pen;
};

// Chord: the arc closed by its straight line, filled.
struct UIK_CanvasChord_Record {
    int id = 0;
    UIK_Canvas_Rect rect;
    double startAngle = 0.0;
    double spanAngle = 0.0;
    UIK_Canvas_Pen pen;
    unsigned brushColor = UIK_Color_Not_Given;
};

struct UIK_CanvasEllipse_Record {
    int id = 0;
    UIK_Canvas_Rect rect;
    UIK_Canvas_Pen pen;
    unsigned brushColor = UIK_Color_Not_Given;
};

// Pie: the arc closed through the ellipse's centre, filled.
struct UIK_CanvasPie_Record {
    int id = 0;
    UIK_Canvas_Rect rect;
    double startAngle = 0.0;
    double spanAngle = 0.0;
    UIK_Canvas_Pen pen;
    unsigned brushColor = UIK_Color_Not_Given;
};

// A closed polygon through the points.
struct UIK_CanvasPolygon_Record {
    int id = 0;
    std::vector<UIK_Canvas_Point> pointsList;
    UIK_Canvas_Pen pen;
    unsigned brushColor = UIK_Color_Not_Given;
};

// Any number of rectangles drawn alike.
struct UIK_CanvasRect_Record {
    int id = 0;
    std::vector<UIK_Canvas_Rect> rectList;
    UIK_Canvas_Pen pen;
    unsigned brushColor = UIK_Color_Not_Given;
};

struct UIK_CanvasRoundedRect_Record {
    int id = 0;
    std::vector<UIK_Canvas_Rect> rectList;
    double xRadius = 0.0;
    double yRadius = 0.0;
    UIK_Canvas_Pen pen;
    unsigned brushColor = UIK_Color_Not_Given;
};

// A text placed in `rect` by textFlags (Qt::AlignmentFlag and Qt::TextFlag
// values or-ed together). A non-positive point size or a negative weight
// (QFont::Weight, 0 to 99) keeps the window layer's default.
struct UIK_CanvasText_Record {
    int id = 0;
    UIK_Canvas_Rect rect;
    UIK_Text text;
    int textFlags = 0;
    UIK_Text fontFamilyName;
    int fontPointSize = 0;
    int fontWeight = -1;
    int fontItalic = 0;  // flag
    unsigned textColor = 0x000000;
};

// The image file fileName scaled into `rect` (an empty rect shows it at its
// own size). A file that cannot be read shows "Could not display".
struct UIK_CanvasPicture_Record {
    int id = 0;
    UIK_Canvas_Rect rect;
    UIK_Text fileName;
};

// A timer: its identifier comes from the automatic counter.
struct UIK_Timer_Record {
    int id = 0;
};

// ---- Operations (result 1) ----

// The create call takes a new unit.
int UIK_createCanvas(UIK_Canvas_Record& canvas);
// Removes every shape.
int UIK_clearCanvas(UIK_Canvas_Record& canvas);
// One shape on the canvas of `canvas_unit`; the shape's id comes from the
// counter.
int UIK_addCanvasObject(int canvas_unit, UIK_CanvasLine_Record& line);
int UIK_addCanvasObject(int canvas_unit, UIK_CanvasArc_Record& arc);
int UIK_addCanvasObject(int canvas_unit, UIK_CanvasChord_Record& chord);
int UIK_addCanvasObject(int canvas_unit, UIK_CanvasEllipse_Record& ellipse);
int UIK_addCanvasObject(int canvas_unit, UIK_CanvasPie_Record& pie);
int UIK_addCanvasObject(int canvas_unit, UIK_CanvasPolygon_Record& polygon);
int UIK_addCanvasObject(int canvas_unit, UIK_CanvasRect_Record& rect);
int UIK_addCanvasObject(int canvas_unit, UIK_CanvasRoundedRect_Record& rounded);
int UIK_addCanvasObject(int canvas_unit, UIK_CanvasText_Record& text);
int UIK_addCanvasObject(int canvas_unit, UIK_CanvasPicture_Record& picture);

// A timer calling `callback` every `interval` milliseconds, or once when
// single_shot is non-zero; it starts when the design program has stopped
// (at once if it already has). A single-shot timer is gone after its call.
int UIK_createTimer(UIK_Timer_Record& timer, unsigned interval, int single_shot, UIK_Callback callback);
// Stops the timer for good.
int UIK_destroyTimer(UIK_Timer_Record& timer);

// The texts a point and a rectangle travel as ("x,y", "x,y,w,h").
std::string UIK_Canvas_Point_Text(const UIK_Canvas_Point& point);
std::string UIK_Canvas_Rect_Text(const UIK_Canvas_Rect& rect);
