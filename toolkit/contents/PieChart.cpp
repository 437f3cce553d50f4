// SPDX-License-Identifier: GPL-3.0-or-later
#include "PieChart.h"

#include "Content_Files.h"

#include "Plot_Data.h"

#include <QImage>
#include <QItemSelection>
#include <QPainter>
#include <QPrinter>
#include <QStandardItemModel>
#include <QVBoxLayout>
#include <QtMath>
#include <cmath>

#include "BarChart.h"

namespace {
constexpr int Margin = 12;                 // pixels around the chart and between its parts
constexpr int Angle_Units = 16;            // QPainter measures angles in sixteenths of a degree
constexpr double Twelve_O_Clock = 90.0;    // degrees, counter-clockwise from three o'clock
constexpr double Most_Legend_Share = 0.4;  // of the width, for the names
const QSize Hidden_Chart_Size(768, 576);   // image size of a chart not on screen
const char* const Default_Export_Name = "piechart.png";

constexpr int Name_Column = 0;
constexpr int Value_Column = 1;
}  // namespace

// ---- PieView ----

PieView::PieView(QWidget* parent) : QAbstractItemView(parent) {
    setObjectName(QStringLiteral("pieView"));
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void PieView::setTitle(const QString& title) {
    title_ = title;
    viewport()->update();
}

void PieView::setBackgroundColour(const QColor& colour) {
    background_ = colour;
    viewport()->update();
}

void PieView::setTextColour(const QColor& colour) {
    text_ = colour;
    viewport()->update();
}

int PieView::sliceCount() const { return model() ? model()->rowCount(rootIndex()) : 0; }

double PieView::sliceValue(int row) const {
    const double value = model()->data(model()->index(row, Value_Column, rootIndex())).toDouble();
    return value > 0.0 ? value : 0.0;
}

double PieView::total() const {
    double sum = 0.0;
    for (int row = 0; row < sliceCount(); ++row) sum += sliceValue(row);
    return sum;
}

PieView::Layout PieView::layoutFor(const QRect& area) const {
    Layout layout;
    const QFontMetrics metrics(font());
    QRect body = area.adjusted(Margin, Margin, -Margin, -Margin);
    if (!title_.isEmpty()) {
        layout.title = QRect(body.left(), body.top(), body.width(), metrics.height() * 3 / 2);
        body.setTop(layout.title.bottom() + Margin);
    }

    layout.rowHeight = metrics.height() + 4;
    int nameWidth = 0;
    for (int row = 0; row < sliceCount(); ++row) {
        const QString name = model()->data(model()->index(row, Name_Column, rootIndex())).toString();
        nameWidth = qMax(nameWidth, metrics.horizontalAdvance(name));
    }
    int legendWidth = 0;
    if (sliceCount() > 0)
        legendWidth = qMin(layout.rowHeight + Margin / 2 + nameWidth, int(body.width() * Most_Legend_Share));

    // The pie and its names side by side, centred in the body.
    const int gap = legendWidth > 0 ? Margin : 0;
    const int side = qMax(0, qMin(body.width() - legendWidth - gap, body.height()));
    const int left = body.left() + (body.width() - side - gap - legendWidth) / 2;
    layout.pie = QRect(left, body.top() + (body.height() - side) / 2, side, side);
    const int legendHeight = qMin(body.height(), layout.rowHeight * sliceCount());
    layout.legend = QRect(layout.pie.right() + Margin, body.top() + (body.height() - legendHeight) / 2, legendWidth,
                          legendHeight);
    return layout;
}

void PieView::paintChart(QPainter& painter, const QRect& area) const {
    painter.save();
    painter.setFont(font());
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillRect(area, background_);
    const Layout layout = layoutFor(area);

    if (!layout.title.isEmpty()) {
        QFont bold = font();
        bold.setBold(true);
        painter.setFont(bold);
        painter.setPen(text_);
        painter.drawText(layout.title, Qt::AlignCenter, title_);
        painter.setFont(font());
    }

    // Slices clockwise from twelve o'clock; angles from the running sum, so
    // that rounding does not pile up around the pie.
    const double sum = total();
    const int slices = sliceCount();
    if (sum <= 0.0) {
        painter.setPen(QPen(text_, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(layout.pie);
    } else {
        double done = 0.0;
        for (int row = 0; row < slices; ++row) {
            const double value = sliceValue(row);
            if (value <= 0.0) continue;
            const QModelIndex index = model()->index(row, Name_Column, rootIndex());
            const int start = qRound((Twelve_O_Clock - 360.0 * done / sum) * Angle_Units);
            done += value;
            const int end = qRound((Twelve_O_Clock - 360.0 * done / sum) * Angle_Units);
            const bool selected = selectionModel() && selectionModel()->isSelected(index);
            painter.setPen(selected ? QPen(text_, 3) : QPen(background_, 1));
            painter.setBrush(model()->data(index, Qt::DecorationRole).value<QColor>());
            painter.drawPie(layout.pie, start, end - start);
        }
    }

    // The names, each beside a square of its slice's colour.
    const int swatch = layout.rowHeight * 2 / 3;
    for (int row = 0; row < slices; ++row) {
        const int top = layout.legend.top() + row * layout.rowHeight;
        if (top + layout.rowHeight > layout.legend.bottom() + 1) break;  // no room for more names
        const QModelIndex index = model()->index(row, Name_Column, rootIndex());
        const QRect box(layout.legend.left(), top + (layout.rowHeight - swatch) / 2, swatch, swatch);
        painter.setPen(QPen(text_, 1));
        painter.setBrush(model()->data(index, Qt::DecorationRole).value<QColor>());
        painter.drawRect(box);
        const QRect nameRect(box.right() + Margin / 2, top, layout.legend.right() - box.right() - Margin / 2,
                             layout.rowHeight);
        painter.drawText(nameRect, Qt::AlignLeft | Qt::AlignVCenter,
                         painter.fontMetrics().elidedText(index.data().toString(), Qt::ElideRight, nameRect.width()));
    }
    painter.restore();
}

void PieView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    paintChart(painter, viewport()->rect());
}

int PieView::rowAt(const QPoint& point) const {
    if (!model()) return -1;
    const Layout layout = layoutFor(viewport()->rect());
    if (layout.legend.contains(point)) {
        const int row = (point.y() - layout.legend.top()) / qMax(1, layout.rowHeight);
        return row < sliceCount() ? row : -1;
    }
    const double radius = layout.pie.width() / 2.0;
    const QPointF offset = QPointF(point) - QRectF(layout.pie).center();
    const double sum = total();
    if (radius <= 0.0 || sum <= 0.0 || std::hypot(offset.x(), offset.y()) > radius) return -1;
    // Degrees clockwise from twelve o'clock (screen y grows downwards).
    double angle = Twelve_O_Clock - qRadiansToDegrees(std::atan2(-offset.y(), offset.x()));
    if (angle < 0.0) angle += 360.0;
    double done = 0.0;
    for (int row = 0; row < sliceCount(); ++row) {
        const double value = sliceValue(row);
        if (value <= 0.0) continue;
        done += value;
        if (angle <= 360.0 * done / sum) return row;
    }
    return -1;
}

QModelIndex PieView::indexAt(const QPoint& point) const {
    const int row = rowAt(point);
    return row < 0 ? QModelIndex() : model()->index(row, Name_Column, rootIndex());
}

QRect PieView::visualRect(const QModelIndex& index) const {
    if (!index.isValid() || !model()) return QRect();
    const Layout layout = layoutFor(viewport()->rect());
    const QRect name(layout.legend.left(), layout.legend.top() + index.row() * layout.rowHeight, layout.legend.width(),
                     layout.rowHeight);
    return layout.pie.united(name);
}

void PieView::scrollTo(const QModelIndex&, ScrollHint) {}  // the whole chart is always in view

QModelIndex PieView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers) {
    const int count = sliceCount();
    if (count == 0) return QModelIndex();
    int row = currentIndex().isValid() ? currentIndex().row() : 0;
    switch (cursorAction) {
        case MoveUp:
        case MoveLeft:
        case MovePrevious:
        case MovePageUp: row = qMax(0, row - 1); break;
        case MoveDown:
        case MoveRight:
        case MoveNext:
        case MovePageDown: row = qMin(count - 1, row + 1); break;
        case MoveHome: row = 0; break;
        case MoveEnd: row = count - 1; break;
    }
    return model()->index(row, Name_Column, rootIndex());
}

void PieView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) {
    QItemSelection selection;
    for (const QPoint& corner : {rect.topLeft(), rect.bottomRight()}) {
        const QModelIndex index = indexAt(corner);
        if (index.isValid()) selection.select(index, index);
    }
    selectionModel()->select(selection, command);
    viewport()->update();
}

QRegion PieView::visualRegionForSelection(const QItemSelection& selection) const {
    QRegion region;
    for (const QModelIndex& index : selection.indexes()) region += visualRect(index);
    return region;
}

void PieView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QVector<int>& roles) {
    QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
    viewport()->update();  // one value changes every slice
}

void PieView::rowsInserted(const QModelIndex& parent, int start, int end) {
    QAbstractItemView::rowsInserted(parent, start, end);
    viewport()->update();
}

void PieView::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
    QAbstractItemView::rowsAboutToBeRemoved(parent, start, end);
    viewport()->update();
}

// ---- PieChart ----

const QStringList PieChart::Default_Colour_Names = {QStringLiteral("tomato"),
                                                    QStringLiteral("steel blue"),
                                                    QStringLiteral("lime green"),
                                                    QStringLiteral("gold"),
                                                    QStringLiteral("medium orchid"),
                                                    QStringLiteral("khaki"),
                                                    QStringLiteral("medium aqua marine"),
                                                    QStringLiteral("powder blue"),
                                                    QStringLiteral("light pink"),
                                                    QStringLiteral("burly wood"),
                                                    QStringLiteral("salmon"),
                                                    QStringLiteral("corn silk"),
                                                    QStringLiteral("turquoise"),
                                                    QStringLiteral("chart reuse"),
                                                    QStringLiteral("pale violet red")};

PieChart::PieChart(int unit, const QVariantMap& properties, QWidget* parent)
    : QWidget(parent), UIK_ContentController(unit, properties.value("windowTitle").toString()) {
    setObjectName(QStringLiteral("pieChart"));
    names = properties.value("names").toStringList();
    givenColours = ChartData::colourList(properties.value("colors"));

    model = new QStandardItemModel(0, 2, this);
    model->setObjectName(QStringLiteral("pieModel"));
    model->setHorizontalHeaderLabels({tr("Name"), tr("Value")});

    view = new PieView(this);
    view->setModel(model);
    view->setTitle(UIK_ContentController::title);
    view->setBackgroundColour(Plot_Colour(properties.value("chartBackgroundColor", 0xFFFFFFu)));
    view->setTextColour(Plot_Colour(properties.value("textColor", 0u)));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);

    setSlices({});
}

QColor PieChart::sliceColour(int slice) const {
    if (slice < 0) return QColor();
    if (slice < givenColours.size() && givenColours[slice].isValid()) return givenColours[slice];
    static const QList<QColor> defaults = ChartData::namedColours(Default_Colour_Names);
    return defaults[slice % defaults.size()];
}

void PieChart::writeValues(const void* data, const QString& dataType, int nrows, int ncols) {
    QVector<double> values;
    if (nrows > 0 && ncols > 0) values = Plot_Values(data, dataType, qint64(nrows) * ncols, Plot_Precision::Six_Digits);
    setSlices(values);
}

// One row per name or value, whichever are more: name and colour in the
// first column, the value in the second.
void PieChart::setSlices(const QVector<double>& values) {
    const int count = qMax(names.size(), values.size());
    model->setRowCount(0);
    model->setRowCount(count);
    for (int row = 0; row < count; ++row) {
        const QModelIndex name = model->index(row, Name_Column);
        model->setData(name, names.value(row));
        model->setData(name, sliceColour(row), Qt::DecorationRole);
        model->setData(model->index(row, Value_Column), values.value(row, 0.0));
    }
}

QString PieChart::exportFileName(const QString& fileName) {
    return Content_File_Name(fileName, Default_Export_Name, {QStringLiteral(".png"), QStringLiteral(".bmp")});
}

bool PieChart::exportImage(const QString& fileName, QString* failure) {
    const QString name = exportFileName(fileName);
    const QSize size = isVisible() && !view->viewport()->size().isEmpty() ? view->viewport()->size()
                                                                          : Hidden_Chart_Size;
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(view->backgroundColour());
    QPainter painter(&image);
    view->paintChart(painter, image.rect());
    painter.end();
    return Content_Write_Image(image, name, failure);
}

bool PieChart::saveAs() {
    const QString name = UIK_ContentController::title;
    const QString chosen = Content_Save_Name(this, name, name, tr("Image File (*.png *.bmp)"),
                                             QStringLiteral("exportChartDialog"), QStringLiteral("png"));
    return !chosen.isEmpty() && exportImage(chosen);
}

void PieChart::print() {
    QPrinter& printer = Content_Printer();
    if (!Content_Print_Dialog(this, printer)) return;
    QPainter painter(&printer);
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    view->paintChart(painter, QRect(QPoint(0, 0), page.size()));
}
