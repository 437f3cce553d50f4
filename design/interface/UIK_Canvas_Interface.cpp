// SPDX-License-Identifier: GPL-3.0-or-later
#include "UIK_Canvas_Interface.h"

#include <charconv>
#include <system_error>
#include <utility>

namespace {

std::vector<std::string> point_texts(const std::vector<UIK_Canvas_Point>& points) {
    std::vector<std::string> list;
    list.reserve(points.size());
    for (const auto& p : points) list.push_back(UIK_Canvas_Point_Text(p));
    return list;
}

std::vector<std::string> rect_texts(const std::vector<UIK_Canvas_Rect>& rects) {
    std::vector<std::string> list;
    list.reserve(rects.size());
    for (const auto& r : rects) list.push_back(UIK_Canvas_Rect_Text(r));
    return list;
}

// A new shape on the canvas: the object id goes into the record and travels
// as the request's labelId, the canvas as its unit.
UIK_Request shape_request(int canvas_unit, int& id, const char* type) {
    id = UIK_Next_Unit_Number();
    UIK_Request r = UIK_Request_For(UIK_Op::createObjectOnCanvas, canvas_unit, id);
    UIK_Put(r, "type", std::string(type));
    return r;
}

void put_angles(UIK_Request& r, double start, double span) {
    UIK_Put(r, "startAngle", start);
    UIK_Put(r, "spanAngle", span);
}

// The pen keys that are given, in their order.
void put_pen(UIK_Request& r, const UIK_Canvas_Pen& pen) {
    if (pen.penWidth >= 0) UIK_Put(r, "penWidth", pen.penWidth);
    if (pen.penStyle >= 0) UIK_Put(r, "penStyle", pen.penStyle);
    if (pen.capStyle >= 0) UIK_Put(r, "capStyle", pen.capStyle);
    if (pen.joinStyle >= 0) UIK_Put(r, "joinStyle", pen.joinStyle);
    if (pen.penColor != UIK_Color_Not_Given) UIK_Put(r, "penColor", pen.penColor);
}

void put_brush(UIK_Request& r, unsigned brush_color) {
    if (brush_color != UIK_Color_Not_Given) UIK_Put(r, "brushColor", brush_color);
}

int carry_out(const UIK_Request& r) {
    UIK_Carry_Out(r);
    return 1;
}

}  // namespace

std::string UIK_Canvas_Point_Text(const UIK_Canvas_Point& point) {
    return UIK_Number_Text(point.x) + "," + UIK_Number_Text(point.y);
}

std::string UIK_Canvas_Rect_Text(const UIK_Canvas_Rect& rect) {
    return UIK_Number_Text(rect.x) + "," + UIK_Number_Text(rect.y) + "," + UIK_Number_Text(rect.width) + "," +
           UIK_Number_Text(rect.height);
}

int UIK_createCanvas(UIK_Canvas_Record& canvas) {
    canvas.unit = UIK_Next_Unit_Number();
    UIK_Request r = UIK_Request_For(UIK_Op::createCanvas, canvas.unit);
    UIK_Put(r, "windowTitle", canvas.windowTitle.trimmed());
    UIK_Put(r, "backgroundColor", canvas.backgroundColor);
    UIK_Put(r, "width", canvas.width);
    UIK_Put(r, "height", canvas.height);
    UIK_Put(r, "maxWindowWidth", canvas.maxWindowWidth);
    UIK_Put(r, "maxWindowHeight", canvas.maxWindowHeight);
    return carry_out(r);
}

int UIK_clearCanvas(UIK_Canvas_Record& canvas) { return carry_out(UIK_Request_For(UIK_Op::clearCanvas, canvas.unit)); }

int UIK_addCanvasObject(int canvas_unit, UIK_CanvasLine_Record& line) {
    UIK_Request r = shape_request(canvas_unit, line.id, "Line");
    UIK_Put(r, "pointList", point_texts(line.pointList));
    put_pen(r, line.pen);
    return carry_out(r);
}

int UIK_addCanvasObject(int canvas_unit, UIK_CanvasArc_Record& arc) {
    UIK_Request r = shape_request(canvas_unit, arc.id, "Arc");
    UIK_Put(r, "rect", UIK_Canvas_Rect_Text(arc.rect));
    put_angles(r, arc.startAngle, arc.spanAngle);
    put_pen(r, arc.pen);
    return carry_out(r);
}

int UIK_addCanvasObject(int canvas_unit, UIK_CanvasChord_Record& chord) {
    UIK_Request r = shape_request(canvas_unit, chord.id, "Chord");
    UIK_Put(r, "rect", UIK_Canvas_Rect_Text(chord.rect));
    put_angles(r, chord.startAngle, chord.spanAngle);
    put_pen(r, chord.pen);
    put_brush(r, chord.brushColor);
    return carry_out(r);
}

int UIK_addCanvasObject(int canvas_unit, UIK_CanvasEllipse_Record& ellipse) {
    UIK_Request r = shape_request(canvas_unit, ellipse.id, "Ellipse");
    UIK_Put(r, "rect", UIK_Canvas_Rect_Text(ellipse.rect));
    put_pen(r, ellipse.pen);
    put_brush(r, ellipse.brushColor);
    return carry_out(r);
}

int UIK_addCanvasObject(int canvas_unit, UIK_CanvasPie_Record& pie) {
    UIK_Request r = shape_request(canvas_unit, pie.id, "Pie");
    UIK_Put(r, "rect", UIK_Canvas_Rect_Text(pie.rect));
    put_angles(r, pie.startAngle, pie.spanAngle);
    put_pen(r, pie.pen);
    put_brush(r, pie.brushColor);
    return carry_out(r);
}

int UIK_addCanvasObject(int canvas_unit, UIK_CanvasPolygon_Record& polygon) {
    UIK_Request r = shape_request(canvas_unit, polygon.id, "Polygon");
    UIK_Put(r, "pointsList", point_texts(polygon.pointsList));
    put_pen(r, polygon.pen);
    put_brush(r, polygon.brushColor);
    return carry_out(r);
}

int UIK_addCanvasObject(int canvas_unit, UIK_CanvasRect_Record& rect) {
    UIK_Request r = shape_request(canvas_unit, rect.id, "Rect");
    UIK_Put(r, "rectList", rect_texts(rect.rectList));
    put_pen(r, rect.pen);
    put_brush(r, rect.brushColor);
    return carry_out(r);
}

int UIK_addCanvasObject(int canvas_unit, UIK_CanvasRoundedRect_Record& rounded) {
    UIK_Request r = shape_request(canvas_unit, rounded.id, "RoundedRect");
    UIK_Put(r, "rectList", rect_texts(rounded.rectList));
    UIK_Put(r, "xRadius", rounded.xRadius);
    UIK_Put(r, "yRadius", rounded.yRadius);
    put_pen(r, rounded.pen);
    put_brush(r, rounded.brushColor);
    return carry_out(r);
}

int UIK_addCanvasObject(int canvas_unit, UIK_CanvasText_Record& text) {
    UIK_Request r = shape_request(canvas_unit, text.id, "Text");
    UIK_Put(r, "rect", UIK_Canvas_Rect_Text(text.rect));
    UIK_Put(r, "text", text.text.trimmed());
    UIK_Put(r, "textFlags", text.textFlags);
    UIK_Put(r, "fontFamilyName", text.fontFamilyName.trimmed());
    UIK_Put(r, "fontPointSize", text.fontPointSize);
    UIK_Put(r, "fontWeight", text.fontWeight);
    UIK_Put(r, "fontItalic", text.fontItalic);
    UIK_Put(r, "textColor", text.textColor);
    return carry_out(r);
}

int UIK_addCanvasObject(int canvas_unit, UIK_CanvasPicture_Record& picture) {
    UIK_Request r = shape_request(canvas_unit, picture.id, "Picture");
    UIK_Put(r, "rect", UIK_Canvas_Rect_Text(picture.rect));
    UIK_Put(r, "fileName", picture.fileName.trimmed());
    return carry_out(r);
}

int UIK_createTimer(UIK_Timer_Record& timer, unsigned interval, int single_shot, UIK_Callback callback) {
    timer.id = UIK_Next_Unit_Number();
    UIK_Request r = UIK_Request_For(UIK_Op::createTimerWindow, timer.id);
    UIK_Put(r, "interval", interval);
    UIK_Put(r, "singleShot", single_shot != 0);
    r.callback = callback;
    return carry_out(r);
}

int UIK_destroyTimer(UIK_Timer_Record& timer) {
    return carry_out(UIK_Request_For(UIK_Op::destroyTimerWindow, timer.id));
}
