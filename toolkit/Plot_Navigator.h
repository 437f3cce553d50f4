// SPDX-License-Identifier: GPL-3.0-or-later
// Zooming, panning and reading values on a QwtPlot's bottom and left axes,
// with Qwt's own tools:
//
//   left-button drag         rubber-band zoom (Plot_Zoomer), pushed on the zoom stack
//   right click, Backspace   back one step on the stack; Shift+Backspace forward
//   Home                     the full view (the scales the plot had before any zoom)
//   middle drag, Ctrl+drag   pan (one stack step per drag)
//   wheel                    zoom about the point under the cursor (one step per notch)
//   +, -                     zoom in and out about the centre of the canvas
//   arrow keys               pan by a tenth of the canvas
//   left click               marks the nearest point of the nearest curve, with its
//                            curve's name and its x and y; Delete clears the mark
//
// A tracker beside the cursor shows the x and y value under it in the axes'
// own terms ("f = 0.20012  −51.63 dB"). Every action is a QAction with its
// shortcut, listed in the context menu (Shift+right click, the Menu key, or a
// right click anywhere when there is nothing to go back to).
//
// The full view is the state of the two axes when the navigator was made or
// new data was shown: automatic or fixed, with its bounds and step. Going back
// to the bottom of the stack restores exactly that state, so a plot drawn
// after a zoom and Home is the same as one never zoomed, and exports made in
// the full view (withFullView) do not depend on what the user did on screen.
#pragma once

#include <QList>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QString>
#include <functional>
#include <qwt_plot_magnifier.h>
#include <qwt_plot_panner.h>
#include <qwt_plot_zoomer.h>

class QAction;
class QEvent;
class QKeySequence;
class QMenu;
class QwtPlot;
class QwtPlotMarker;
class Plot_Navigator;

// The way values are written by the tracker and the point mark.
namespace Plot_Value_Text {
// The symbol for the x value of a bottom axis titled `title`: "f" for a
// frequency axis ("f/(sample rate)", "Frequency", …), else "x".
QString xSymbol(const QString& title);
// The unit of a left axis titled `title`, or an empty text: the words after
// the last comma ("Response, dB" → "dB") or inside the last parentheses
// ("Gain (dB)" → "dB"), or the title itself when it is "dB".
QString yUnit(const QString& title);
// `value` with `decimals` places after the point; a negative value gets the
// typographic minus sign (U+2212), and a value that rounds to zero none.
QString fixed(double value, int decimals);
// `value` with six significant digits (the precision plotted data keep),
// with the same minus sign.
QString significant(double value);
// The decimals that tell apart two values one pixel apart, where one pixel
// spans `unitsPerPixel` (at least 0, at most 12).
int decimalsFor(double unitsPerPixel);
}  // namespace Plot_Value_Text

// The rubber-band zoomer with the navigator's tracker text. A left click
// (press and release without a drag) is reported by `clicked` instead of
// being ignored.
class Plot_Zoomer : public QwtPlotZoomer {
    Q_OBJECT
public:
    Plot_Zoomer(Plot_Navigator* navigator, QWidget* canvas);

signals:
    void clicked(const QPoint& pos);

protected:
    QwtText trackerTextF(const QPointF& value) const override;
    void begin() override;
    bool accept(QPolygon& points) const override;
    bool end(bool ok = true) override;

private:
    Plot_Navigator* navigator_;
    mutable QPoint click_;  // the position of a selection too small to zoom
    mutable bool clicked_ = false;
};

// A panner whose drag becomes one step on the zoom stack.
class Plot_Panner : public QwtPlotPanner {
    Q_OBJECT
public:
    Plot_Panner(Plot_Navigator* navigator, QWidget* canvas, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
public slots:
    void moveCanvas(int dx, int dy) override;

private:
    Plot_Navigator* navigator_;
};

// A wheel magnifier that keeps the point under the cursor in place; each
// notch is one step on the zoom stack.
class Plot_Magnifier : public QwtPlotMagnifier {
    Q_OBJECT
public:
    Plot_Magnifier(Plot_Navigator* navigator, QWidget* canvas);

protected:
    void widgetWheelEvent(QWheelEvent* event) override;
    void rescale(double factor) override;

private:
    Plot_Navigator* navigator_;
    QPoint wheelAt_;
};

class Plot_Navigator : public QObject {
    Q_OBJECT
public:
    // Attaches the tools to `plot`'s canvas and takes the plot's present
    // scales as the full view. The plot owns the navigator.
    explicit Plot_Navigator(QwtPlot* plot);

    // After the plot's data changed and it was redrawn: the full view is
    // taken again (zoom stack cleared, point mark removed).
    void showNewData();

    // True while the view differs from the full view.
    bool isZoomed() const;
    // Runs `render` with the plot's axes in the full view and without the
    // point mark, then puts the user's view back; nothing is redrawn on screen.
    bool withFullView(const std::function<bool()>& render);

    // The tracker's text for the plot coordinates `value`.
    QString trackerText(const QPointF& value) const;
    // Marks the point of all curves nearest to the canvas position `pos`
    // (pixels) and returns the mark's text ("<curve>: f = 0.200122  −51.6312 dB");
    // empty, and no mark, when the plot has no points.
    QString markNearestPoint(const QPoint& pos);
    // The text of the point mark, empty when there is none.
    QString markText() const;

    // Zoom by `factor` (below 1 zooms in) about the canvas position `pos`.
    void zoomAbout(const QPoint& pos, double factor);
    // Shift the view as a drag of the contents by (dx, dy) pixels does.
    void panByPixels(int dx, int dy);

    // Actions offered in the context menu after the navigation ones (Save,
    // Print of the view, hiding a curve), in the order added; an action
    // deleted later drops out of the menu.
    void addContextAction(QAction* action);
    // The context menu, made anew (the caller deletes it).
    QMenu* contextMenu(QWidget* parent) const;

    Plot_Zoomer* zoomer = nullptr;
    QList<QAction*> actions;  // navigation actions, in menu order

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Axis_State {
        bool automatic = true;
        double lower = 0.0, upper = 1.0, step = 0.0;
    };
    QAction* addAction(const char* objectName, const QString& text, const QList<QKeySequence>& keys,
                       const std::function<void()>& triggered);
    void createActions();
    void captureFullView();
    void restoreFullView();
    // Sets the bottom and left axes to `rect` (plot coordinates).
    void applyRect(const QRectF& rect);
    // The view after mapping each pixel p of the present view to f(p, c)
    // (c the centre's coordinate on that axis); null when the scales cannot
    // show it.
    QRectF viewAfter(const std::function<double(double p, double centre)>& fx,
                     const std::function<double(double p, double centre)>& fy, const QPointF& centre) const;
    // Pushes that view on the zoom stack; false when there is none.
    bool zoomToPixels(const std::function<double(double p, double centre)>& fx,
                      const std::function<double(double p, double centre)>& fy, const QPointF& centre);
    void onZoomed();
    // "f = <x>  <y> dB": the two values as written, in the axes' terms;
    // "x = <x>  y = <y>" where the left axis has no title.
    QString valueText(const QString& x, const QString& y) const;
    void updateActions();
    void clearMark();

    QwtPlot* plot_;
    QwtPlotMarker* mark_ = nullptr;
    QString markText_;
    Axis_State fullX_, fullY_;
    QList<QPointer<QAction>> contextActions_;  // an action deleted meanwhile is left out
    QAction* backAction_ = nullptr;
    QAction* forwardAction_ = nullptr;
    QAction* fullViewAction_ = nullptr;
    QAction* clearMarkAction_ = nullptr;
};
