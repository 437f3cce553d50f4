// SPDX-License-Identifier: GPL-3.0-or-later
#include "Canvas.h"

#include "Content_Files.h"

#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QPrinter>
#include <QStringList>
#include <QWidget>

#include "UIK_Preferences.h"

namespace {
const char* const Default_Export_Name = "canvas.png";
const char* const Unreadable_Picture_Text = "Could not display";
constexpr int Sixteenths_Per_Degree = 16;  // Qt's unit of arc angles

// The canvas size when the map gives none: that of a plot window.
QSize defaultCanvasSize() { return QSize(UIK_Pref_Window_Width() * 3 / 4, UIK_Pref_Window_Height() * 3 / 4); }

int positiveOr(const QVariantMap& properties, const char* key, int fallback) {
    bool ok = false;
    const int value = properties.value(QLatin1String(key)).toInt(&ok);
    return ok && value > 0 ? value : fallback;
}

bool isPenStyle(int value) { return value >= Qt::NoPen && value <= Qt::DashDotDotLine; }
bool isCapStyle(int value) { return value == Qt::FlatCap || value == Qt::SquareCap || value == Qt::RoundCap; }
bool isJoinStyle(int value) {
    return value == Qt::MiterJoin || value == Qt::BevelJoin || value == Qt::RoundJoin || value == Qt::SvgMiterJoin;
}

// Numbers separated by commas ("x,y" or "x,y,w,h"); empty when the text does
// not hold exactly `count` numbers.
QVector<qreal> numbersOf(const QString& text, int count) {
    const QStringList parts = text.split(QLatin1Char(','));
    QVector<qreal> numbers;
    if (parts.size() != count) return numbers;
    for (const QString& part : parts) {
        bool ok = false;
        const qreal value = part.trimmed().toDouble(&ok);  // the C locale's form, whatever the process's
        if (!ok) return {};
        numbers.append(value);
    }
    return numbers;
}

// The drawing surface inside the canvas's scroll area: a widget of the
// canvas's size that paints the canvas.
class CanvasSurface : public QWidget {
public:
    explicit CanvasSurface(const Canvas* canvas, QWidget* parent = nullptr) : QWidget(parent), canvas_(canvas) {
        setObjectName(QStringLiteral("canvasSurface"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        painter.setClipRect(event->rect());
        canvas_->paintCanvas(painter);
    }

private:
    const Canvas* canvas_;
};
}  // namespace

// ---- CanvasObject ----

std::unique_ptr<CanvasObject> CanvasObject::create(int id, const QVariantMap& properties) {
    const QString type = properties.value(QStringLiteral("type")).toString();
    if (type == QLatin1String("Line")) return std::make_unique<LineCanvasObject>(id, properties);
    if (type == QLatin1String("Arc")) return std::make_unique<ArcCanvasObject>(id, properties);
    if (type == QLatin1String("Chord")) return std::make_unique<ChordCanvasObject>(id, properties);
    if (type == QLatin1String("Ellipse")) return std::make_unique<EllipseCanvasObject>(id, properties);
    if (type == QLatin1String("Pie")) return std::make_unique<PieCanvasObject>(id, properties);
    if (type == QLatin1String("Polygon")) return std::make_unique<PolygonCanvasObject>(id, properties);
    if (type == QLatin1String("Picture")) return std::make_unique<PictureCanvasObject>(id, properties);
    if (type == QLatin1String("Rect") || type == QLatin1String("RoundedRect") || type == QLatin1String("Text"))
        return std::make_unique<CanvasObject>(id, properties);
    return nullptr;
}

CanvasObject::CanvasObject(int objectId, const QVariantMap& properties)
    : id(objectId),
      type(properties.value(QStringLiteral("type")).toString()),
      pen(QBrush(Qt::black), 1.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin),
      brush(Qt::NoBrush),
      textColor(Qt::black) {
    // The pen: each key only when given, and only a value Qt knows.
    if (properties.contains(QStringLiteral("penWidth"))) {
        const int width = properties.value(QStringLiteral("penWidth")).toInt();
        if (width >= 0) pen.setWidth(width);
    }
    if (properties.contains(QStringLiteral("penStyle"))) {
        const int style = properties.value(QStringLiteral("penStyle")).toInt();
        if (isPenStyle(style)) pen.setStyle(static_cast<Qt::PenStyle>(style));
    }
    if (properties.contains(QStringLiteral("capStyle"))) {
        const int cap = properties.value(QStringLiteral("capStyle")).toInt();
        if (isCapStyle(cap)) pen.setCapStyle(static_cast<Qt::PenCapStyle>(cap));
    }
    if (properties.contains(QStringLiteral("joinStyle"))) {
        const int join = properties.value(QStringLiteral("joinStyle")).toInt();
        if (isJoinStyle(join)) pen.setJoinStyle(static_cast<Qt::PenJoinStyle>(join));
    }
    if (properties.contains(QStringLiteral("penColor")))
        pen.setColor(colorOf(properties.value(QStringLiteral("penColor"))));
    if (properties.contains(QStringLiteral("brushColor")))
        brush = QBrush(colorOf(properties.value(QStringLiteral("brushColor"))));

    for (const QString& item : properties.value(QStringLiteral("rectList")).toStringList()) {
        const QRectF r = rectOf(item);
        if (!r.isNull()) rects.append(r);
    }
    xRadius = properties.value(QStringLiteral("xRadius")).toDouble();
    yRadius = properties.value(QStringLiteral("yRadius")).toDouble();
    // A single rectangle travels as one text (a one-item list reads the same).
    rect = rectOf(properties.value(QStringLiteral("rect")).toStringList().value(0));

    text = properties.value(QStringLiteral("text")).toString();
    textFlags = properties.value(QStringLiteral("textFlags")).toInt();
    // Only what is given is set; the rest comes from the canvas's font when drawn.
    const QString family = properties.value(QStringLiteral("fontFamilyName")).toString();
    if (!family.isEmpty()) font.setFamily(family);
    const int pointSize = properties.value(QStringLiteral("fontPointSize")).toInt();
    if (pointSize > 0) font.setPointSize(pointSize);
    bool weightGiven = false;
    const int weight = properties.value(QStringLiteral("fontWeight")).toInt(&weightGiven);
    if (weightGiven && weight >= 0 && weight <= 99) font.setWeight(weight);
    if (properties.value(QStringLiteral("fontItalic")).toInt() != 0) font.setItalic(true);
    if (properties.contains(QStringLiteral("textColor")))
        textColor = colorOf(properties.value(QStringLiteral("textColor")));
}

void CanvasObject::paint(QPainter& painter) const {
    painter.save();
    painter.setPen(pen);
    painter.setBrush(brush);
    draw(painter);
    painter.restore();
}

void CanvasObject::draw(QPainter& painter) const {
    if (type == QLatin1String("Rect")) {
        painter.drawRects(rects);
    } else if (type == QLatin1String("RoundedRect")) {
        for (const QRectF& r : rects) painter.drawRoundedRect(r, xRadius, yRadius);
    } else if (type == QLatin1String("Text")) {
        painter.setPen(textColor);
        painter.setFont(font.resolve(painter.font()));
        // A text without a box is written from its corner, unclipped.
        const int flags = rect.isEmpty() ? (textFlags | Qt::TextDontClip) : textFlags;
        painter.drawText(rect, flags, text);
    }
}

QColor CanvasObject::colorOf(const QVariant& value) { return QColor(QRgb(value.toUInt() & 0xFFFFFFu)); }

QPointF CanvasObject::pointOf(const QString& text) {
    const QVector<qreal> n = numbersOf(text, 2);
    return n.isEmpty() ? QPointF() : QPointF(n[0], n[1]);
}

QRectF CanvasObject::rectOf(const QString& text) {
    const QVector<qreal> n = numbersOf(text, 4);
    return n.isEmpty() ? QRectF() : QRectF(n[0], n[1], n[2], n[3]);
}

QPolygonF CanvasObject::pointsOf(const QVariant& list) {
    QPolygonF points;
    for (const QString& item : list.toStringList())
        if (!numbersOf(item, 2).isEmpty()) points.append(pointOf(item));
    return points;
}

// ---- The shape kinds ----

LineCanvasObject::LineCanvasObject(int id, const QVariantMap& properties)
    : CanvasObject(id, properties), points(pointsOf(properties.value(QStringLiteral("pointList")))) {}

void LineCanvasObject::draw(QPainter& painter) const {
    if (points.size() == 1)
        painter.drawPoint(points.first());
    else
        painter.drawPolyline(points);
}

ArcCanvasObject::ArcCanvasObject(int id, const QVariantMap& properties)
    : CanvasObject(id, properties),
      startAngle(properties.value(QStringLiteral("startAngle")).toDouble()),
      spanAngle(properties.value(QStringLiteral("spanAngle")).toDouble()) {}

int ArcCanvasObject::startSixteenths() const { return qRound(startAngle * Sixteenths_Per_Degree); }
int ArcCanvasObject::spanSixteenths() const { return qRound(spanAngle * Sixteenths_Per_Degree); }

void ArcCanvasObject::draw(QPainter& painter) const { painter.drawArc(rect, startSixteenths(), spanSixteenths()); }

void ChordCanvasObject::draw(QPainter& painter) const { painter.drawChord(rect, startSixteenths(), spanSixteenths()); }

void PieCanvasObject::draw(QPainter& painter) const { painter.drawPie(rect, startSixteenths(), spanSixteenths()); }

void EllipseCanvasObject::draw(QPainter& painter) const { painter.drawEllipse(rect); }

PolygonCanvasObject::PolygonCanvasObject(int id, const QVariantMap& properties)
    : CanvasObject(id, properties), points(pointsOf(properties.value(QStringLiteral("pointsList")))) {}

void PolygonCanvasObject::draw(QPainter& painter) const { painter.drawPolygon(points); }

PictureCanvasObject::PictureCanvasObject(int id, const QVariantMap& properties)
    : CanvasObject(id, properties), fileName(properties.value(QStringLiteral("fileName")).toString()) {
    if (!fileName.isEmpty()) image.load(fileName);
}

void PictureCanvasObject::draw(QPainter& painter) const {
    if (loaded()) {
        const QRectF target = rect.isEmpty() ? QRectF(rect.topLeft(), QSizeF(image.size())) : rect;
        painter.drawImage(target, image);
        return;
    }
    // The place of the picture says why it is empty.
    const QString message = QString::fromLatin1(Unreadable_Picture_Text);
    painter.setPen(Qt::black);
    if (rect.isEmpty()) {
        const QFontMetricsF metrics(painter.font());
        painter.drawText(QRectF(rect.topLeft(), QSizeF(metrics.horizontalAdvance(message), metrics.height())),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, message);
    } else {
        painter.drawText(rect, Qt::AlignCenter | Qt::TextWordWrap, message);
    }
}

// ---- Canvas ----

Canvas::Canvas(int unit, const QVariantMap& properties, QWidget* parent)
    : QScrollArea(parent),
      UIK_ContentController(unit, properties.value(QStringLiteral("windowTitle")).toString()),
      background_(CanvasObject::colorOf(properties.value(QStringLiteral("backgroundColor")))) {
    setObjectName(QStringLiteral("canvas_%1").arg(unit));
    const QSize fallback = defaultCanvasSize();
    size_ = QSize(positiveOr(properties, "width", fallback.width()),
                  positiveOr(properties, "height", fallback.height()));
    // A maximum that is not given (not positive) leaves that side free.
    maxWindow_ = QSize(positiveOr(properties, "maxWindowWidth", -1), positiveOr(properties, "maxWindowHeight", -1));

    surface_ = new CanvasSurface(this);
    surface_->setFixedSize(size_);
    setBackgroundRole(QPalette::Dark);
    setWidgetResizable(false);
    setWidget(surface_);
}

Canvas::~Canvas() = default;

bool Canvas::addObject(int id, const QVariantMap& properties) {
    std::unique_ptr<CanvasObject> object = CanvasObject::create(id, properties);
    if (!object) return false;
    bool replaced = false;
    for (auto& existing : objects_)
        if (existing->id == id) {
            existing = std::move(object);
            replaced = true;
            break;
        }
    if (!replaced) objects_.push_back(std::move(object));
    redraw();
    return true;
}

void Canvas::clear() {
    objects_.clear();
    redraw();
}

QSize Canvas::sizeHint() const {
    const int frame = 2 * frameWidth();
    return size_ + QSize(frame, frame);
}

void Canvas::paintCanvas(QPainter& painter) const {
    painter.fillRect(QRect(QPoint(0, 0), size_), background_);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.setFont(font());
    for (const auto& object : objects_) object->paint(painter);
}

QImage Canvas::renderImage() const {
    QImage image(size_, QImage::Format_RGB32);
    QPainter painter(&image);
    paintCanvas(painter);
    return image;
}

QString Canvas::exportFileName(const QString& fileName) {
    return Content_File_Name(fileName, Default_Export_Name, {QStringLiteral(".png"), QStringLiteral(".bmp")});
}

bool Canvas::exportImage(const QString& fileName, QString* failure) {
    return Content_Write_Image(renderImage(), exportFileName(fileName), failure);
}

bool Canvas::exportImage() {
    const QString name = UIK_ContentController::title;
    const QString chosen = Content_Save_Name(this, name, name, tr("Image File (*.png *.bmp)"),
                                             QStringLiteral("exportImageDialog"), QStringLiteral("png"));
    return !chosen.isEmpty() && exportImage(chosen);
}

void Canvas::save(const QString& fileName) { exportImage(fileName); }

bool Canvas::saveAs() { return exportImage(); }

bool Canvas::saveContents(const QString& fileName, QString* failure) { return exportImage(fileName, failure); }

QString Canvas::contentsFileName(const QString& fileName) const { return exportFileName(fileName); }

void Canvas::print() {
    QPrinter& printer = Content_Printer();
    if (!Content_Print_Dialog(this, printer)) return;
    // The whole canvas, as large as the page allows without distortion.
    const QImage image = renderImage();
    QPainter painter(&printer);
    const QRect page = painter.viewport();
    const QSize fitted = image.size().scaled(page.size(), Qt::KeepAspectRatio);
    painter.drawImage(QRect(page.topLeft(), fitted), image);
}

void Canvas::setContentFont(const QFont& font) {
    setFont(font);
    redraw();
}

QFont Canvas::contentFont() const { return font(); }

void Canvas::redraw() {
    if (surface_ != nullptr) surface_->update();
}
