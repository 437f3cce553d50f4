// SPDX-License-Identifier: GPL-3.0-or-later
#include "Plot_Navigator.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeySequence>
#include <QMenu>
#include <QPen>
#include <QStack>
#include <QWheelEvent>
#include <cmath>
#include <limits>
#include <qwt_picker_machine.h>
#include <qwt_plot.h>
#include <qwt_plot_canvas.h>
#include <qwt_plot_curve.h>
#include <qwt_plot_marker.h>
#include <qwt_scale_div.h>
#include <qwt_scale_map.h>
#include <qwt_symbol.h>
#include <qwt_text.h>

namespace {
const QString Minus_Sign = QString(QChar(0x2212));
constexpr int Significant_Digits = 6;  // the precision plotted values keep
constexpr int Most_Decimals = 12;
constexpr double Key_Zoom_Factor = 0.5;    // + halves the view, - doubles it
constexpr double Wheel_Zoom_Factor = 0.8;  // one notch forward shows 80 % of the view
constexpr int Key_Pan_Fraction = 10;       // an arrow key pans a tenth of the canvas
constexpr int Most_Layout_Passes = 3;      // corrections of a wheel zoom for changed axis widths
constexpr double Pixel_Tolerance = 1e-6;   // pixels
constexpr int Mark_Size = 9;               // pixels
const QColor Tool_Colour(Qt::black);
const QColor Tracker_Background(255, 255, 255, 200);

int bottomAxis() { return QwtPlot::xBottom; }
int leftAxis() { return QwtPlot::yLeft; }

QString withMinus(const QString& text) {
    if (!text.startsWith(QLatin1Char('-'))) return text;
    // A value that rounds to zero has no sign.
    bool allZero = true;
    for (const QChar c : text.mid(1))
        if (c.isDigit() && c != QLatin1Char('0')) allZero = false;
    return allZero ? text.mid(1) : Minus_Sign + text.mid(1);
}
}  // namespace

namespace Plot_Value_Text {
QString xSymbol(const QString& title) {
    const QString t = title.trimmed();
    if (t.contains(QLatin1String("freq"), Qt::CaseInsensitive) || t == QLatin1String("f") ||
        t.startsWith(QLatin1String("f/")) || t.startsWith(QLatin1String("f ")))
        return QStringLiteral("f");
    return QStringLiteral("x");
}

QString yUnit(const QString& title) {
    const QString t = title.trimmed();
    const int open = t.lastIndexOf(QLatin1Char('('));
    const int close = t.lastIndexOf(QLatin1Char(')'));
    if (open >= 0 && close > open) return t.mid(open + 1, close - open - 1).trimmed();
    const int comma = t.lastIndexOf(QLatin1Char(','));
    if (comma >= 0) return t.mid(comma + 1).trimmed();
    return t == QLatin1String("dB") ? t : QString();
}

QString fixed(double value, int decimals) { return withMinus(QString::number(value, 'f', decimals)); }

QString significant(double value) { return withMinus(QString::number(value, 'g', Significant_Digits)); }

int decimalsFor(double unitsPerPixel) {
    if (!(unitsPerPixel > 0.0) || !std::isfinite(unitsPerPixel)) return Significant_Digits;
    // One digit beyond the pixel's own, so neighbouring pixels read differently.
    const int decimals = int(std::ceil(-std::log10(unitsPerPixel))) + 1;
    return std::max(0, std::min(Most_Decimals, decimals));
}
}  // namespace Plot_Value_Text

// ---- Plot_Zoomer ----

Plot_Zoomer::Plot_Zoomer(Plot_Navigator* navigator, QWidget* canvas)
    : QwtPlotZoomer(canvas, false), navigator_(navigator) {
    setTrackerMode(QwtPicker::AlwaysOn);
    setRubberBand(QwtPicker::RectRubberBand);
    setRubberBandPen(QPen(Tool_Colour, 1, Qt::DashLine));
    setTrackerPen(QPen(Tool_Colour));
    // Right click: back one step. Qwt's right click to the base and
    // Shift+middle forward give way to the keys and the context menu.
    setMousePattern(QwtEventPattern::MouseSelect2, Qt::NoButton);
    setMousePattern(QwtEventPattern::MouseSelect3, Qt::RightButton);
    setMousePattern(QwtEventPattern::MouseSelect6, Qt::NoButton);
    // The keys are the navigator's actions.
    setKeyPattern(QwtEventPattern::KeyUndo, Qt::Key_unknown);
    setKeyPattern(QwtEventPattern::KeyRedo, Qt::Key_unknown);
    setKeyPattern(QwtEventPattern::KeyHome, Qt::Key_unknown);
}

QwtText Plot_Zoomer::trackerTextF(const QPointF& value) const {
    QwtText text(navigator_->trackerText(value));
    text.setBackgroundBrush(Tracker_Background);
    return text;
}

void Plot_Zoomer::begin() {
    clicked_ = false;
    QwtPlotZoomer::begin();
}

bool Plot_Zoomer::accept(QPolygon& points) const {
    const QPolygon picked = points;
    const bool zooms = QwtPlotZoomer::accept(points);
    // Qwt takes a selection under 2 x 2 pixels for no zoom at all: a click.
    if (!zooms && !picked.isEmpty()) {
        const QRect rect = QRect(picked.first(), picked.last()).normalized();
        if (rect.width() <= 2 && rect.height() <= 2) {
            click_ = picked.last();
            clicked_ = true;
        }
    }
    return zooms;
}

bool Plot_Zoomer::end(bool ok) {
    const bool zoomed = QwtPlotZoomer::end(ok);
    if (!zoomed && ok && clicked_) emit clicked(click_);
    clicked_ = false;
    return zoomed;
}

// ---- Plot_Panner ----

Plot_Panner::Plot_Panner(Plot_Navigator* navigator, QWidget* canvas, Qt::MouseButton button,
                         Qt::KeyboardModifiers modifiers)
    : QwtPlotPanner(canvas), navigator_(navigator) {
    setMouseButton(button, modifiers);
}

void Plot_Panner::moveCanvas(int dx, int dy) { navigator_->panByPixels(dx, dy); }

// ---- Plot_Magnifier ----

Plot_Magnifier::Plot_Magnifier(Plot_Navigator* navigator, QWidget* canvas)
    : QwtPlotMagnifier(canvas), navigator_(navigator), wheelAt_(-1, -1) {
    // Qwt scales by the factor for a notch backwards; forward zooms in.
    setWheelFactor(1.0 / Wheel_Zoom_Factor);
    // Only the wheel: the right button goes back on the zoom stack, and the
    // + and - keys are the navigator's actions.
    setMouseButton(Qt::NoButton);
    setMouseFactor(1.0);
    setKeyFactor(1.0);
    setZoomInKey(Qt::Key_unknown, Qt::NoModifier);
    setZoomOutKey(Qt::Key_unknown, Qt::NoModifier);
}

void Plot_Magnifier::widgetWheelEvent(QWheelEvent* event) {
    wheelAt_ = event->position().toPoint();
    QwtPlotMagnifier::widgetWheelEvent(event);
    wheelAt_ = QPoint(-1, -1);
}

void Plot_Magnifier::rescale(double factor) {
    const QWidget* canvas = parentWidget();
    const QPoint at = wheelAt_.x() >= 0 ? wheelAt_ : canvas->rect().center();
    navigator_->zoomAbout(at, factor);
}

// ---- Plot_Navigator ----

Plot_Navigator::Plot_Navigator(QwtPlot* plot) : QObject(plot), plot_(plot) {
    QWidget* canvas = plot->canvas();
    canvas->setFocusPolicy(Qt::StrongFocus);
    plot->setFocusProxy(canvas);

    zoomer = new Plot_Zoomer(this, canvas);
    // The canvas owns the panners and the magnifier.
    new Plot_Panner(this, canvas, Qt::MiddleButton, Qt::NoModifier);
    new Plot_Panner(this, canvas, Qt::LeftButton, Qt::ControlModifier);
    new Plot_Magnifier(this, canvas);
    connect(zoomer, &QwtPlotZoomer::zoomed, this, &Plot_Navigator::onZoomed);
    connect(zoomer, &Plot_Zoomer::clicked, this, [this](const QPoint& pos) { markNearestPoint(pos); });

    mark_ = new QwtPlotMarker();
    mark_->setSymbol(new QwtSymbol(QwtSymbol::Ellipse, Qt::NoBrush, QPen(Tool_Colour, 2), QSize(Mark_Size, Mark_Size)));
    mark_->setVisible(false);
    mark_->setZ(1000.0);  // above the curves
    mark_->attach(plot);

    createActions();
    for (QObject* watched : {static_cast<QObject*>(canvas), static_cast<QObject*>(plot)})
        watched->installEventFilter(this);
    captureFullView();
    zoomer->setZoomBase(false);
    updateActions();
}

QAction* Plot_Navigator::addAction(const char* objectName, const QString& text, const QList<QKeySequence>& keys,
                                   const std::function<void()>& triggered) {
    auto* action = new QAction(text, plot_);
    action->setObjectName(QLatin1String(objectName));
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(action, &QAction::triggered, this, triggered);
    plot_->addAction(action);
    actions.append(action);
    return action;
}

void Plot_Navigator::createActions() {
    const auto centre = [this] { return plot_->canvas()->rect().center(); };
    addAction("zoomInAction", tr("Zoom In"), {QKeySequence(Qt::Key_Plus), QKeySequence(Qt::Key_Equal)},
              [this, centre] { zoomAbout(centre(), Key_Zoom_Factor); });
    addAction("zoomOutAction", tr("Zoom Out"), {QKeySequence(Qt::Key_Minus)},
              [this, centre] { zoomAbout(centre(), 1.0 / Key_Zoom_Factor); });
    backAction_ = addAction("zoomBackAction", tr("Zoom Back (right click)"), {QKeySequence(Qt::Key_Backspace)},
                            [this] { zoomer->zoom(-1); });
    forwardAction_ = addAction("zoomForwardAction", tr("Zoom Forward"), {QKeySequence(Qt::SHIFT + Qt::Key_Backspace)},
                               [this] { zoomer->zoom(+1); });
    fullViewAction_ = addAction("fullViewAction", tr("Full View"), {QKeySequence(Qt::Key_Home)},
                                [this] { zoomer->zoom(0); });
    const auto step = [this](bool across) {
        const QSize size = plot_->canvas()->size();
        return (across ? size.width() : size.height()) / Key_Pan_Fraction;
    };
    // A pan shows what lies in the arrow's direction, as dragging the
    // contents the other way does.
    addAction("panLeftAction", tr("Pan Left"), {QKeySequence(Qt::Key_Left)},
              [this, step] { panByPixels(step(true), 0); });
    addAction("panRightAction", tr("Pan Right"), {QKeySequence(Qt::Key_Right)},
              [this, step] { panByPixels(-step(true), 0); });
    addAction("panUpAction", tr("Pan Up"), {QKeySequence(Qt::Key_Up)}, [this, step] { panByPixels(0, step(false)); });
    addAction("panDownAction", tr("Pan Down"), {QKeySequence(Qt::Key_Down)},
              [this, step] { panByPixels(0, -step(false)); });
    clearMarkAction_ = addAction("clearMarkAction", tr("Clear Point Mark"), {QKeySequence(Qt::Key_Delete)},
                                 [this] { clearMark(); });
}

void Plot_Navigator::addContextAction(QAction* action) { contextActions_.append(action); }

QMenu* Plot_Navigator::contextMenu(QWidget* parent) const {
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("plotContextMenu"));
    for (QAction* action : actions) {
        menu->addAction(action);
        if (action == fullViewAction_ || action->objectName() == QLatin1String("panDownAction")) menu->addSeparator();
    }
    auto* hints = menu->addAction(tr("Drag: zoom · Middle or Ctrl+drag: pan · Wheel: zoom · Click: nearest point"));
    hints->setEnabled(false);
    if (!contextActions_.isEmpty()) menu->addSeparator();
    for (QAction* action : contextActions_)
        if (action != nullptr) menu->addAction(action);
    return menu;
}

bool Plot_Navigator::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ContextMenu) return QObject::eventFilter(watched, event);
    auto* request = static_cast<QContextMenuEvent*>(event);
    // On the canvas a right click goes back one step while there is one;
    // Shift+right click and the Menu key always open the menu.
    const bool goesBack = watched == plot_->canvas() && request->reason() == QContextMenuEvent::Mouse &&
                          !(request->modifiers() & Qt::ShiftModifier) && zoomer->zoomRectIndex() > 0;
    event->accept();
    if (goesBack) return true;
    QMenu* menu = contextMenu(plot_);
    menu->exec(request->globalPos());
    delete menu;
    return true;
}

void Plot_Navigator::captureFullView() {
    const auto capture = [this](int axis, Axis_State& state) {
        state.automatic = plot_->axisAutoScale(axis);
        const QwtScaleDiv& div = plot_->axisScaleDiv(axis);
        state.lower = div.lowerBound();
        state.upper = div.upperBound();
        state.step = plot_->axisStepSize(axis);
    };
    capture(bottomAxis(), fullX_);
    capture(leftAxis(), fullY_);
}

void Plot_Navigator::restoreFullView() {
    const auto restore = [this](int axis, const Axis_State& state) {
        if (state.automatic)
            plot_->setAxisAutoScale(axis, true);
        else
            plot_->setAxisScale(axis, state.lower, state.upper, state.step);
    };
    restore(bottomAxis(), fullX_);
    restore(leftAxis(), fullY_);
}

void Plot_Navigator::applyRect(const QRectF& rect) {
    plot_->setAxisScale(bottomAxis(), rect.left(), rect.right());
    plot_->setAxisScale(leftAxis(), rect.top(), rect.bottom());
}

void Plot_Navigator::showNewData() {
    clearMark();
    if (isZoomed()) {
        restoreFullView();
        plot_->replot();
    }
    captureFullView();
    zoomer->setZoomBase(false);
    updateActions();
}

bool Plot_Navigator::isZoomed() const { return zoomer->zoomRectIndex() > 0; }

bool Plot_Navigator::withFullView(const std::function<bool()>& render) {
    const bool zoomed = isZoomed();
    const bool marked = mark_->isVisible();
    if (marked) mark_->setVisible(false);
    if (zoomed) {
        restoreFullView();
        plot_->updateAxes();
    }
    const bool result = render();
    if (zoomed) {
        applyRect(zoomer->zoomRect());
        plot_->updateAxes();
    }
    if (marked) mark_->setVisible(true);
    return result;
}

QString Plot_Navigator::valueText(const QString& x, const QString& y) const {
    const QString yTitle = plot_->axisTitle(leftAxis()).text();
    const QString unit = Plot_Value_Text::yUnit(yTitle);
    // Without a left-axis title (a polar plot) nothing says which value is y.
    QString text = Plot_Value_Text::xSymbol(plot_->axisTitle(bottomAxis()).text()) + QStringLiteral(" = ") + x +
                   (yTitle.trimmed().isEmpty() ? QStringLiteral("  y = ") : QStringLiteral("  ")) + y;
    if (!unit.isEmpty()) text += QLatin1Char(' ') + unit;
    return text;
}

QString Plot_Navigator::trackerText(const QPointF& value) const {
    const QwtScaleMap xMap = plot_->canvasMap(bottomAxis());
    const QwtScaleMap yMap = plot_->canvasMap(leftAxis());
    const auto unitsPerPixel = [](const QwtScaleMap& map, double v) {
        const double p = map.transform(v);
        return std::fabs(map.invTransform(p + 1.0) - map.invTransform(p));
    };
    return valueText(Plot_Value_Text::fixed(value.x(), Plot_Value_Text::decimalsFor(unitsPerPixel(xMap, value.x()))),
                     Plot_Value_Text::fixed(value.y(), Plot_Value_Text::decimalsFor(unitsPerPixel(yMap, value.y()))));
}

QString Plot_Navigator::markNearestPoint(const QPoint& pos) {
    const QwtPlotItemList curves = plot_->itemList(QwtPlotItem::Rtti_PlotCurve);
    const QwtPlotCurve* nearest = nullptr;
    int nearestIndex = -1, nearestNumber = 0;
    double nearestDistance = std::numeric_limits<double>::infinity();
    for (int i = 0; i < curves.size(); ++i) {
        const auto* curve = static_cast<const QwtPlotCurve*>(curves[i]);
        if (!curve->isVisible()) continue;
        double distance = 0.0;
        const int index = curve->closestPoint(pos, &distance);
        if (index >= 0 && distance < nearestDistance) {
            nearest = curve;
            nearestIndex = index;
            nearestNumber = i + 1;
            nearestDistance = distance;
        }
    }
    if (nearest == nullptr) {
        clearMark();
        return QString();
    }
    const QPointF point = nearest->sample(nearestIndex);
    const QString name = nearest->title().text().trimmed().isEmpty() ? tr("Curve %1").arg(nearestNumber)
                                                                     : nearest->title().text().trimmed();
    markText_ = name + QStringLiteral(": ") +
                valueText(Plot_Value_Text::significant(point.x()), Plot_Value_Text::significant(point.y()));

    QwtText label(markText_);
    label.setBackgroundBrush(Tracker_Background);
    mark_->setLabel(label);
    // The label sits on the side of the point with more room.
    const bool rightHalf = pos.x() > plot_->canvas()->width() / 2;
    const bool lowerHalf = pos.y() > plot_->canvas()->height() / 2;
    mark_->setLabelAlignment((rightHalf ? Qt::AlignLeft : Qt::AlignRight) |
                             (lowerHalf ? Qt::AlignTop : Qt::AlignBottom));
    mark_->setValue(point);
    mark_->setVisible(true);
    plot_->replot();
    updateActions();
    return markText_;
}

QString Plot_Navigator::markText() const { return mark_->isVisible() ? markText_ : QString(); }

void Plot_Navigator::clearMark() {
    if (!mark_->isVisible()) return;
    mark_->setVisible(false);
    markText_.clear();
    plot_->replot();
    updateActions();
}

QRectF Plot_Navigator::viewAfter(const std::function<double(double, double)>& fx,
                                 const std::function<double(double, double)>& fy, const QPointF& centre) const {
    const auto mapped = [this](int axis, const std::function<double(double, double)>& f, double c, double& lower,
                               double& upper) {
        const QwtScaleMap map = plot_->canvasMap(axis);
        const QwtScaleDiv& div = plot_->axisScaleDiv(axis);
        lower = map.invTransform(f(map.transform(div.lowerBound()), c));
        upper = map.invTransform(f(map.transform(div.upperBound()), c));
    };
    double x1, x2, y1, y2;
    mapped(bottomAxis(), fx, centre.x(), x1, x2);
    mapped(leftAxis(), fy, centre.y(), y1, y2);
    if (!std::isfinite(x1) || !std::isfinite(x2) || !std::isfinite(y1) || !std::isfinite(y2) || x1 == x2 || y1 == y2)
        return QRectF();  // beyond what the scales can show
    return QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized();
}

bool Plot_Navigator::zoomToPixels(const std::function<double(double, double)>& fx,
                                  const std::function<double(double, double)>& fy, const QPointF& centre) {
    const QRectF view = viewAfter(fx, fy, centre);
    if (view.isNull()) return false;
    zoomer->zoom(view);
    return true;
}

void Plot_Navigator::zoomAbout(const QPoint& pos, double factor) {
    const double x = plot_->canvasMap(bottomAxis()).invTransform(pos.x());
    const double y = plot_->canvasMap(leftAxis()).invTransform(pos.y());
    const auto scale = [factor](double p, double c) { return c + (p - c) * factor; };
    if (!zoomToPixels(scale, scale, QPointF(pos))) return;
    // New tick labels can change the axes' widths and so the canvas; shift
    // the new view until (x, y) is back under `pos`.
    for (int pass = 0; pass < Most_Layout_Passes; ++pass) {
        const double dx = plot_->canvasMap(bottomAxis()).transform(x) - pos.x();
        const double dy = plot_->canvasMap(leftAxis()).transform(y) - pos.y();
        if (std::fabs(dx) < Pixel_Tolerance && std::fabs(dy) < Pixel_Tolerance) break;
        const QRectF shifted = viewAfter([dx](double p, double) { return p + dx; },
                                         [dy](double p, double) { return p + dy; }, QPointF());
        if (shifted.isNull()) break;
        QStack<QRectF> stack = zoomer->zoomStack();
        stack[int(zoomer->zoomRectIndex())] = shifted;
        zoomer->setZoomStack(stack, int(zoomer->zoomRectIndex()));
    }
}

void Plot_Navigator::panByPixels(int dx, int dy) {
    zoomToPixels([dx](double p, double) { return p - dx; }, [dy](double p, double) { return p - dy; }, QPointF());
}

void Plot_Navigator::onZoomed() {
    // The bottom of the stack is the full view as it was, automatic scales
    // and steps included, not only its rectangle.
    if (!isZoomed()) {
        restoreFullView();
        plot_->replot();
    }
    updateActions();
}

void Plot_Navigator::updateActions() {
    const int index = int(zoomer->zoomRectIndex());
    backAction_->setEnabled(index > 0);
    fullViewAction_->setEnabled(index > 0);
    forwardAction_->setEnabled(index + 1 < zoomer->zoomStack().count());
    clearMarkAction_->setEnabled(mark_->isVisible());
}
