// SPDX-License-Identifier: GPL-3.0-or-later
// A drawing canvas: a surface of a fixed size and background colour holding
// retained shapes that are drawn in the order they were added, shown in a
// scroll area so that a canvas larger than its window can be scrolled, and
// exported as an image of the whole canvas.
//
// Property maps (as the call interface builds them):
// - canvas: "windowTitle", "backgroundColor" (0xRRGGBB), "width", "height",
//   "maxWindowWidth", "maxWindowHeight";
// - shape: "type" and the keys of its kind (see CanvasObject::create); points
//   are texts "x,y" and rectangles texts "x,y,w,h"; the pen keys
//   "penWidth", "penStyle", "capStyle", "joinStyle" (Qt's numbers) and
//   "penColor" each only when given, "brushColor" for closed shapes.
#pragma once

#include <QBrush>
#include <QFont>
#include <QImage>
#include <QPen>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QScrollArea>
#include <QSize>
#include <QString>
#include <QVariantMap>
#include <QVector>
#include <memory>
#include <vector>

#include "UIK_ContentController.h"

class QPainter;

// ---- Shapes ----

// The common object: what every shape has (id, kind, pen, brush) and the
// shapes that need nothing more than rectangles or a text — "Rect",
// "RoundedRect" and "Text". The other kinds derive from it.
class CanvasObject {
public:
    // The object of the map's "type", or nullptr for a type that is not
    // known.
    static std::unique_ptr<CanvasObject> create(int id, const QVariantMap& properties);

    CanvasObject(int id, const QVariantMap& properties);
    virtual ~CanvasObject() = default;
    CanvasObject(const CanvasObject&) = delete;
    CanvasObject& operator=(const CanvasObject&) = delete;

    // Draws the object; the painter's state is restored afterwards.
    void paint(QPainter& painter) const;

    int id;
    QString type;
    QPen pen;      // solid black, one pixel wide, unless the pen keys say otherwise
    QBrush brush;  // none, unless "brushColor" is given (closed shapes)

    // "Rect" and "RoundedRect".
    QVector<QRectF> rects;
    qreal xRadius = 0;
    qreal yRadius = 0;
    // "Text" (also the place of the shapes that have one rectangle).
    QRectF rect;
    QString text;
    int textFlags = 0;
    QFont font;
    QColor textColor;

    // Readers of the transported values: a colour 0xRRGGBB, a point "x,y", a
    // rectangle "x,y,w,h" (nothing readable gives the null point or rect).
    static QColor colorOf(const QVariant& value);
    static QPointF pointOf(const QString& text);
    static QRectF rectOf(const QString& text);
    static QPolygonF pointsOf(const QVariant& list);

protected:
    virtual void draw(QPainter& painter) const;
};

// A line through the points of "pointList".
class LineCanvasObject : public CanvasObject {
public:
    LineCanvasObject(int id, const QVariantMap& properties);
    QPolygonF points;

protected:
    void draw(QPainter& painter) const override;
};

// Arcs, chords and pies: part of the ellipse in "rect", from "startAngle"
// over "spanAngle" (degrees, counter-clockwise from three o'clock).
class ArcCanvasObject : public CanvasObject {
public:
    ArcCanvasObject(int id, const QVariantMap& properties);
    qreal startAngle = 0;
    qreal spanAngle = 0;

protected:
    void draw(QPainter& painter) const override;
    // Qt's angles are in sixteenths of a degree.
    int startSixteenths() const;
    int spanSixteenths() const;
};

class ChordCanvasObject : public ArcCanvasObject {
public:
    using ArcCanvasObject::ArcCanvasObject;

protected:
    void draw(QPainter& painter) const override;
};

class PieCanvasObject : public ArcCanvasObject {
public:
    using ArcCanvasObject::ArcCanvasObject;

protected:
    void draw(QPainter& painter) const override;
};

class EllipseCanvasObject : public CanvasObject {
public:
    using CanvasObject::CanvasObject;

protected:
    void draw(QPainter& painter) const override;
};

// A closed polygon through the points of "pointsList".
class PolygonCanvasObject : public CanvasObject {
public:
    PolygonCanvasObject(int id, const QVariantMap& properties);
    QPolygonF points;

protected:
    void draw(QPainter& painter) const override;
};

// The image of "fileName", read once when the object is made, scaled into
// "rect" (an empty rect shows it at its own size from the rect's corner).
// An image that cannot be read shows "Could not display" instead.
class PictureCanvasObject : public CanvasObject {
public:
    PictureCanvasObject(int id, const QVariantMap& properties);
    QString fileName;
    QImage image;
    bool loaded() const { return !image.isNull(); }

protected:
    void draw(QPainter& painter) const override;
};

// ---- The canvas ----

class Canvas : public QScrollArea, public UIK_ContentController {
    Q_OBJECT
public:
    Canvas(int unit, const QVariantMap& properties, QWidget* parent = nullptr);
    ~Canvas() override;

    // Adds the shape of the map (drawn over the earlier ones); an object with
    // the id of an earlier one replaces it in its place. False, and nothing
    // added, for a type that is not known.
    bool addObject(int id, const QVariantMap& properties);
    // Removes every shape.
    void clear();
    const std::vector<std::unique_ptr<CanvasObject>>& objects() const { return objects_; }

    QSize canvasSize() const { return size_; }
    QColor backgroundColor() const { return background_; }
    // The largest window the canvas asks for (an invalid size: no limit).
    QSize maxWindowSize() const { return maxWindow_; }
    // The size that shows the whole canvas with its frame.
    QSize sizeHint() const override;

    // Draws the background and every shape in order.
    void paintCanvas(QPainter& painter) const;
    // The whole canvas at its own size.
    QImage renderImage() const;

    // The name exportImage writes for `fileName`: kept when it ends with
    // ".png" or ".bmp", otherwise with ".png" appended; "canvas.png" for an
    // empty name.
    static QString exportFileName(const QString& fileName);
    // Writes the canvas image (format from the extension); true when
    // written, else the reason in *failure.
    bool exportImage(const QString& fileName, QString* failure = nullptr);
    // Asks for the file name first; false when cancelled or not written.
    bool exportImage();

    bool okToClose() override { return true; }
    void save(const QString& fileName) override;
    bool saveAs() override;
    void print() override;
    void setContentFont(const QFont& font) override;
    QFont contentFont() const override;
    bool saveContents(const QString& fileName, QString* failure) override;
    QString contentsFileName(const QString& fileName) const override;

private:
    void redraw();

    QSize size_;
    QColor background_;
    QSize maxWindow_;
    QWidget* surface_ = nullptr;
    std::vector<std::unique_ptr<CanvasObject>> objects_;
};
