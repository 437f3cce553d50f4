#include "UIK_Canvas_Interface.h"

#include <charconv>
#include <system_error>
#include <utility>

namespace {

UIK_Request request_for(const char* signal, int unit, int label_id = 0) {
    UIK_Request r;
    r.signal = signal;
    r.unit = unit;
    r.labelId = label_id;
    return r;
}

void put(UIK_Request& r, const char* key, UIK_Value value) { r.properties.emplace_back(key, std::move(value)); }

// The shortest text that reads back as the same number, independent of the
// process's locale (the window layer sets one that may write decimal commas).
std::string number_text(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (result.ec != std::errc()) return "0";
    return std::string(buffer, result.ptr);
}

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
    UIK_Request r = request_for("createObjectOnCanvas", canvas_unit, id);
    put(r, "type", std::string(type));
    return r;
}

void put_angles(UIK_Request& r, double start, double span) {
    put(r, "startAngle", start);
    put(r, "spanAngle", span);
}

// The pen keys that are given, in their order.
void put_pen(UIK_Request& r, const UIK_Canvas_Pen& pen) {
    if (pen.penWidth >= 0) put(r, "penWidth", pen.penWidth);
    if (pen.penStyle >= 0) put(r, "penStyle", pen.penStyle);
    if (pen.capStyle >= 0) put(r, "capStyle", pen.capStyle);
    if (pen.joinStyle >= 0) put(r, "joinStyle", pen.joinStyle);
    if (pen.penColor != UIK_Color_Not_Given) put(r, "penColor", pen.penColor);
}

void put_brush(UIK_Request& r, unsigned brush_color) {
    if (brush_color != UIK_Color_Not_Given) put(r, "brushColor", brush_color);
}

int carry_out(const UIK_Request& r) {
    UIK_Carry_Out(r);
    return 1;
}

}  // namespace

std::string UIK_Canvas_Point_Text(const UIK_Canvas_Point& point) {
    return number_text(point.x) + "," + number_text(point.y);
}

std::string UIK_Canvas_Rect_Text(const UIK_Canvas_Rect& rect) {
    return number_text(rect.x) + "," + number_text(rect.y) + "," + number_text(rect.width) + "," +
           number_text(rect.height);
}

int UIK_createCanvas(UIK_Canvas_Record& canvas) {
    canvas.unit = UIK_Next_Unit_Number();
    UIK_Request r = request_for("createCanvas", canvas.unit);
    put(r, "windowTitle", canvas.windowTitle.trimmed());
    put(r, "backgroundColor", canvas.backgroundColor);
    put(r, "width", canvas.width);
    put(r, "height", canvas.height);
    put(r, "maxWindowWidth", canvas.maxWindowWidth);
    put(r, "maxWindowHeight", canvas.maxWindowHeight);
    return carry_out(r);
}

int UIK_clearCanvas(UIK_Canvas_Record& canvas) { return carry_out(request_for("clearCanvas", canvas.unit)); }

int UIK_addCanvasObject(int canvas_unit, UIK_CanvasLine_Record& line) {
    UIK_Request r = shape_request(canvas_unit, line.id, "Line");
    put(r, "pointList", point_texts(line.pointList));
    put_pen(r, line.pen);
    return carry_out(r);
}

int UIK_addCanvasObject(int canvas_unit, UIK_CanvasArc_Record& arc) {
    UIK_Request r = shape_request(canvas_unit, arc.id, "Arc");
    put(r, "rect", UIK_Canvas_Rect_Text(arc.rect));
    put_angles(r, arc.startAngle, arc.spanAngle);
    put_pen(r, arc.pen);
    return carry_out(r);
}

int UIK_addCanvasObject(int canvas_unit, UIK_CanvasChord_Record& chord) {
    UIK_Request r = shape_request(canvas_unit, chord.id, "Chord");
    put(r, "rect", UIK_Canvas_Rect_Text(chord.rect));
    put_angles(r, chord.startAngle, chord.spanAngle);
    put_pen(r, chord.pen);
    put_brush(r, chord.brushColor);
    return carry_out(r);
}

int UIK_addCanvasObject(int canvas_unit, UIK_CanvasEllipse_Record& ellipse) {
    UIK_Request r = shape_request(canvas_unit, ellipse.id, "Ellipse");
    put(r, "rect", UIK_Canvas_Rect_Text(ellipse.rect));
    put_pen(r, ellipse.pen);
    put_brush(r, ellipse.brushColor);
    return carry_out(r);
}

int UIK_addCanvasObject(int canvas_unit, UIK_CanvasPie_Record& pie) {
    UIK_Request r = shape_request(canvas_unit, pie.id, "Pie");
    put(r, "rect", UIK_Canvas_Rect_Text(pie.rect));
    put_angles(r, pie.startAngle, pie.spanAngle);
    put_pen(r, pie.pen);
    put_brush(r, pie.brushColor);
    return carry_out(r);
}

int UIK_addCanvasObject(int canvas_unit, UIK_CanvasPolygon_Record& polygon) {
    UIK_Request r = shape_request(canvas_unit, polygon.id, "Polygon");
    put(r, "pointsList", point_texts(polygon.pointsList));
    put_pen(r, polygon.pen);
    put_brush(r, polygon.brushColor);
    return carry_out(r);
}

int UIK_addCanvasObject(int canvas_unit, UIK_CanvasRect_Record& rect) {
    UIK_Request r = shape_request(canvas_unit, rect.id, "Rect");
    put(r, "rectList", rect_texts(rect.rectList));
    put_pen(r, rect.pen);
    put_brush(r, rect.brushColor);
    return carry_out(r);
}

int UIK_addCanvasObject(int canvas_unit, UIK_CanvasRoundedRect_Record& rounded) {
    UIK_Request r = shape_request(canvas_unit, rounded.id, "RoundedRect");
    put(r, "rectList", rect_texts(rounded.rectList));
    put(r, "xRadius", rounded.xRadius);
    put(r, "yRadius", rounded.yRadius);
    put_pen(r, rounded.pen);
    put_brush(r, rounded.brushColor);
    return carry_out(r);
}

int UIK_addCanvasObject(int canvas_unit, UIK_CanvasText_Record& text) {
    UIK_Request r = shape_request(canvas_unit, text.id, "Text");
    put(r, "rect", UIK_Canvas_Rect_Text(text.rect));
    put(r, "text", text.text.trimmed());
    put(r, "textFlags", text.textFlags);
    put(r, "fontFamilyName", text.fontFamilyName.trimmed());
    put(r, "fontPointSize", text.fontPointSize);
    put(r, "fontWeight", text.fontWeight);
    put(r, "fontItalic", text.fontItalic);
    put(r, "textColor", text.textColor);
    return carry_out(r);
}

int UIK_addCanvasObject(int canvas_unit, UIK_CanvasPicture_Record& picture) {
    UIK_Request r = shape_request(canvas_unit, picture.id, "Picture");
    put(r, "rect", UIK_Canvas_Rect_Text(picture.rect));
    put(r, "fileName", picture.fileName.trimmed());
    return carry_out(r);
}

int UIK_createTimer(UIK_Timer_Record& timer, unsigned interval, int single_shot, UIK_Callback callback) {
    timer.id = UIK_Next_Unit_Number();
    UIK_Request r = request_for("createTimerWindow", timer.id);
    put(r, "interval", interval);
    put(r, "singleShot", single_shot != 0);
    r.callback = callback;
    return carry_out(r);
}

int UIK_destroyTimer(UIK_Timer_Record& timer) { return carry_out(request_for("destroyTimerWindow", timer.id)); }
