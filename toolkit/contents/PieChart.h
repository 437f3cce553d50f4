// SPDX-License-Identifier: GPL-3.0-or-later
// A pie chart window: an item model holding one row per slice (its name and
// colour in column 0, its value in column 1) and PieView, the view that draws
// the slices with a legend of their names. Exports itself as an image.
#pragma once

#include <QAbstractItemView>
#include <QColor>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <QWidget>

#include "UIK_ContentController.h"

class QPainter;
class QStandardItemModel;

// Draws the rows of a model as the slices of a pie: column 0 gives a slice's
// name (display role) and colour (decoration role), column 1 its value. The
// slices run clockwise from twelve o'clock, each taking its share of the sum
// of the values; a value below zero counts as zero. Names are listed beside
// the pie in the text colour, the title above it, on the background colour.
// A slice or its name can be clicked to select it.
class PieView : public QAbstractItemView {
    Q_OBJECT
public:
    explicit PieView(QWidget* parent = nullptr);

    void setTitle(const QString& title);
    void setBackgroundColour(const QColor& colour);
    void setTextColour(const QColor& colour);
    QColor backgroundColour() const { return background_; }
    QColor textColour() const { return text_; }

    // Paints the chart into `area` of any device (screen, image, printer).
    void paintChart(QPainter& painter, const QRect& area) const;

    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& point) const override;

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override { return 0; }
    int verticalOffset() const override { return 0; }
    bool isIndexHidden(const QModelIndex&) const override { return false; }
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void paintEvent(QPaintEvent* event) override;

protected slots:
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QVector<int>& roles = QVector<int>()) override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;

private:
    // Where the parts of the chart go inside `area`.
    struct Layout {
        QRect title;
        QRect pie;
        QRect legend;
        int rowHeight = 0;
    };
    Layout layoutFor(const QRect& area) const;
    int sliceCount() const;
    double sliceValue(int row) const;  // never below zero
    double total() const;
    // The row of the slice under `point` of the viewport, or -1.
    int rowAt(const QPoint& point) const;

    QString title_;
    QColor background_{Qt::white};
    QColor text_{Qt::black};
};

class PieChart : public QWidget, public UIK_ContentController {
    Q_OBJECT
public:
    // The colours of the slices when the chart is given none; further slices
    // take them again from the start.
    static const QStringList Default_Colour_Names;

    // Builds the chart from the property map ("windowTitle",
    // "chartBackgroundColor", "textColor", "names", "colors"); one slice per
    // name, of value zero until values are written.
    PieChart(int unit, const QVariantMap& properties, QWidget* parent = nullptr);

    // Hands the values of a block of nrows x ncols values (row after row) to
    // the model, one slice each in order; slices named but not written get
    // zero.
    void writeValues(const void* data, const QString& dataType, int nrows, int ncols);

    // The colour of slice `slice`.
    QColor sliceColour(int slice) const;

    // The image exportImage writes for `fileName`: kept when it ends with
    // ".png" or ".bmp", otherwise with ".png" appended; an empty name gives
    // "piechart.png".
    static QString exportFileName(const QString& fileName);
    // Writes the chart as an image of the view's size; true when written,
    // else the reason in *failure.
    bool exportImage(const QString& fileName, QString* failure = nullptr);

    bool okToClose() override { return true; }
    void save(const QString& fileName) override { exportImage(fileName); }
    bool saveAs() override;
    void print() override;
    void setContentFont(const QFont& font) override { setFont(font); }
    QFont contentFont() const override { return font(); }
    bool saveContents(const QString& fileName, QString* failure) override { return exportImage(fileName, failure); }
    QString contentsFileName(const QString& fileName) const override { return exportFileName(fileName); }

    QStandardItemModel* model = nullptr;
    PieView* view = nullptr;
    QStringList names;           // of the slices, as given
    QList<QColor> givenColours;  // as given; empty: the default colours

private:
    void setSlices(const QVector<double>& values);
};
