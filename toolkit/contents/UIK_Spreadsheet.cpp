// SPDX-License-Identifier: GPL-3.0-or-later
#include "UIK_Spreadsheet.h"

#include "Content_Files.h"

#include <QPrinter>
#include <QTableWidgetItem>
#include <QTextDocument>
#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>

#include "UIK_Spreadsheet_Interface.h"

namespace {

constexpr int Least_Significant_Digits = 6;  // reals show at least this many digits
const char* const Default_File_Name = "spreadsheet.csv";
constexpr Qt::Alignment Number_Alignment = Qt::AlignRight | Qt::AlignVCenter;

UIK_Cell_Type cellType(const QString& dataType) { return UIK_Spreadsheet_Cell_Type(dataType.toStdString()); }

// ---- Values to text ----

// The shortest general form, from six significant digits up, that reads back
// as the same value: 0.1 shows "0.1", one third all the digits it carries.
template <class T>
QString realText(T value) {
    char buffer[64];
    for (int digits = Least_Significant_Digits;; ++digits) {
        const char* end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits).ptr;
        T back{};
        const auto parsed = std::from_chars(buffer, end, back);
        if (digits >= std::numeric_limits<T>::max_digits10 || (parsed.ec == std::errc() && back == value))
            return QString::fromLatin1(buffer, static_cast<int>(end - buffer));
    }
}

template <class T>
T load(const char* element) {
    T value;
    std::memcpy(&value, element, sizeof value);
    return value;
}

template <class T>
QString complexText(const char* element) {
    return QLatin1Char('(') + realText(load<T>(element)) + QLatin1Char(',') + realText(load<T>(element + sizeof(T))) +
           QLatin1Char(')');
}

// The text a cell shows for one element.
QString cellText(const UIK_Cell_Type& type, const char* element) {
    switch (type.kind) {
        case UIK_Cell_Kind::Integer4: return QString::number(load<qint32>(element));
        case UIK_Cell_Kind::Integer8: return QString::number(load<qint64>(element));
        case UIK_Cell_Kind::Real4: return realText(load<float>(element));
        case UIK_Cell_Kind::Real8: return realText(load<double>(element));
        case UIK_Cell_Kind::Real16: return realText(load<long double>(element));
        case UIK_Cell_Kind::Complex8: return complexText<float>(element);
        case UIK_Cell_Kind::Complex16: return complexText<double>(element);
        case UIK_Cell_Kind::Character: {
            int length = static_cast<int>(type.size);
            while (length > 0 && element[length - 1] == ' ') --length;
            return QString::fromLatin1(element, length);
        }
        case UIK_Cell_Kind::None: break;
    }
    return QString();
}

// ---- Text to values (each stores only what parses) ----

// A number as the user typed it: surrounding blanks and one leading plus
// sign are allowed.
template <class T>
bool parseNumber(const QString& text, T& value) {
    QByteArray digits = text.trimmed().toLatin1();
    if (digits.startsWith('+') && !digits.startsWith("+-")) digits.remove(0, 1);
    if (digits.isEmpty()) return false;
    const char* end = digits.constData() + digits.size();
    T parsed{};
    const auto result = std::from_chars(digits.constData(), end, parsed);
    if (result.ec != std::errc() || result.ptr != end) return false;
    value = parsed;
    return true;
}

template <class T>
bool storeNumber(const QString& text, char* element) {
    T value;
    if (!parseNumber(text, value)) return false;
    std::memcpy(element, &value, sizeof value);
    return true;
}

// "(re,im)", "re,im", or a real alone (imaginary part 0).
template <class T>
bool storeComplex(const QString& text, char* element) {
    QString inner = text.trimmed();
    if (inner.startsWith(QLatin1Char('(')) && inner.endsWith(QLatin1Char(')'))) inner = inner.mid(1, inner.size() - 2);
    const QStringList parts = inner.split(QLatin1Char(','));
    T value[2] = {T(0), T(0)};
    if (parts.size() > 2 || !parseNumber(parts.at(0), value[0])) return false;
    if (parts.size() == 2 && !parseNumber(parts.at(1), value[1])) return false;
    std::memcpy(element, value, sizeof value);
    return true;
}

// The cell's text, cut or blank-padded to the element's length.
void storeText(const QString& text, char* element, std::size_t length) {
    const QByteArray bytes = text.toLatin1();
    const std::size_t kept = std::min(length, static_cast<std::size_t>(bytes.size()));
    std::memcpy(element, bytes.constData(), kept);
    std::memset(element + kept, ' ', length - kept);
}

void storeCell(const UIK_Cell_Type& type, const QString& text, char* element) {
    switch (type.kind) {
        case UIK_Cell_Kind::Integer4: storeNumber<qint32>(text, element); break;
        case UIK_Cell_Kind::Integer8: storeNumber<qint64>(text, element); break;
        case UIK_Cell_Kind::Real4: storeNumber<float>(text, element); break;
        case UIK_Cell_Kind::Real8: storeNumber<double>(text, element); break;
        case UIK_Cell_Kind::Real16: storeNumber<long double>(text, element); break;
        case UIK_Cell_Kind::Complex8: storeComplex<float>(text, element); break;
        case UIK_Cell_Kind::Complex16: storeComplex<double>(text, element); break;
        case UIK_Cell_Kind::Character: storeText(text, element, type.size); break;
        case UIK_Cell_Kind::None: break;
    }
}

// ---- CSV ----

QString csvField(const QString& text) {
    const bool quoted = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
                        text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) ||
                        text.trimmed().size() != text.size();
    if (!quoted) return text;
    QString escaped = text;
    escaped.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QString csvLine(const QStringList& fields) {
    QStringList escaped;
    for (const QString& field : fields) escaped << csvField(field);
    return escaped.join(QLatin1Char(','));
}

}  // namespace

UIK_Spreadsheet::UIK_Spreadsheet(int unit, const QString& title, QWidget* parent)
    : QTableWidget(parent), UIK_ContentController(unit, title, QStringLiteral("spreadsheet")) {
    setObjectName(QStringLiteral("spreadsheet_%1").arg(unit));
    setAlternatingRowColors(true);
}

bool UIK_Spreadsheet::writeBlock(const void* data, const QString& dataType, int nrows, int ncols) {
    const UIK_Cell_Type type = cellType(dataType);
    nrows = std::max(nrows, 0);
    ncols = std::max(ncols, 0);
    if (!type.valid() || (data == nullptr && nrows > 0 && ncols > 0)) return false;

    setUpdatesEnabled(false);
    setRowCount(nrows);
    setColumnCount(ncols);
    const char* element = static_cast<const char*>(data);
    const bool isNumber = type.kind != UIK_Cell_Kind::Character;
    for (int row = 0; row < nrows; ++row) {
        for (int column = 0; column < ncols; ++column, element += type.size) {
            QTableWidgetItem* cell = item(row, column);
            if (cell == nullptr) {
                cell = new QTableWidgetItem;
                setItem(row, column, cell);
            }
            cell->setText(cellText(type, element));
            cell->setTextAlignment(isNumber ? Number_Alignment : Qt::AlignLeft | Qt::AlignVCenter);
        }
    }
    applyLabels();
    resizeColumnsToContents();
    setUpdatesEnabled(true);
    return true;
}

bool UIK_Spreadsheet::readBlock(void* data, const QString& dataType, int nrows, int ncols) {
    const UIK_Cell_Type type = cellType(dataType);
    if (!type.valid() || data == nullptr) return false;

    // A cell the user is still typing into counts with what has been typed.
    if (state() == QAbstractItemView::EditingState) {
        if (QWidget* editor = indexWidget(currentIndex())) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }

    const int rows = std::min(std::max(nrows, 0), rowCount());
    const int columns = std::min(std::max(ncols, 0), columnCount());
    char* block = static_cast<char*>(data);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const QTableWidgetItem* cell = item(row, column);
            if (cell == nullptr) continue;
            const std::size_t index = static_cast<std::size_t>(row) * static_cast<std::size_t>(ncols) + column;
            storeCell(type, cell->text(), block + index * type.size);
        }
    }
    return true;
}

void UIK_Spreadsheet::setColumnLabels(const QStringList& labels) {
    columnLabels_ = labels;
    applyLabels();
}

void UIK_Spreadsheet::setRowLabels(const QStringList& labels) {
    rowLabels_ = labels;
    applyLabels();
}

// Labels name the first columns and rows; the others show their numbers.
void UIK_Spreadsheet::applyLabels() {
    for (int column = 0; column < columnCount(); ++column) {
        if (column < columnLabels_.size())
            setHorizontalHeaderItem(column, new QTableWidgetItem(columnLabels_.at(column)));
        else
            delete takeHorizontalHeaderItem(column);
    }
    for (int row = 0; row < rowCount(); ++row) {
        if (row < rowLabels_.size())
            setVerticalHeaderItem(row, new QTableWidgetItem(rowLabels_.at(row)));
        else
            delete takeVerticalHeaderItem(row);
    }
}

QString UIK_Spreadsheet::columnHeader(int column) const {
    const QTableWidgetItem* header = horizontalHeaderItem(column);
    return header != nullptr ? header->text() : QString::number(column + 1);
}

QString UIK_Spreadsheet::rowHeader(int row) const {
    const QTableWidgetItem* header = verticalHeaderItem(row);
    return header != nullptr ? header->text() : QString::number(row + 1);
}

QString UIK_Spreadsheet::csvText() const {
    const bool columnsLabelled = !columnLabels_.isEmpty();
    const bool rowsLabelled = !rowLabels_.isEmpty();
    QString text;
    if (columnsLabelled) {
        QStringList fields;
        if (rowsLabelled) fields << QString();
        for (int column = 0; column < columnCount(); ++column) fields << columnHeader(column);
        text += csvLine(fields) + QLatin1Char('\n');
    }
    for (int row = 0; row < rowCount(); ++row) {
        QStringList fields;
        if (rowsLabelled) fields << rowHeader(row);
        for (int column = 0; column < columnCount(); ++column) {
            const QTableWidgetItem* cell = item(row, column);
            fields << (cell != nullptr ? cell->text() : QString());
        }
        text += csvLine(fields) + QLatin1Char('\n');
    }
    return text;
}

QString UIK_Spreadsheet::contentsFileName(const QString& fileName) const {
    return fileName.isEmpty() ? QString::fromLatin1(Default_File_Name) : fileName;
}

bool UIK_Spreadsheet::saveContents(const QString& fileName, QString* failure) {
    const QString name = contentsFileName(fileName);
    // A picture of the table as it shows, for an image file name.
    if (name.endsWith(QLatin1String(".png")) || name.endsWith(QLatin1String(".bmp")))
        return Content_Write_Image(grab().toImage(), name, failure);
    return Content_Write_File(name, csvText().toUtf8(), failure);
}

void UIK_Spreadsheet::save(const QString& fileName) { saveContents(fileName, nullptr); }

bool UIK_Spreadsheet::saveAs() {
    const QString name = UIK_ContentController::title;
    const QString chosen = Content_Save_Name(this, name, name, tr("CSV Files (*.csv);;All Files (*.*)"),
                                             QStringLiteral("saveSpreadsheetDialog"), QStringLiteral("csv"));
    return !chosen.isEmpty() && saveContents(chosen, nullptr);
}

void UIK_Spreadsheet::print() {
    QPrinter& printer = Content_Printer();
    if (!Content_Print_Dialog(this, printer)) return;

    // The table as the window shows it, headers included.
    QString html = QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\"><tr><th></th>");
    for (int column = 0; column < columnCount(); ++column)
        html += QStringLiteral("<th>%1</th>").arg(columnHeader(column).toHtmlEscaped());
    html += QStringLiteral("</tr>");
    for (int row = 0; row < rowCount(); ++row) {
        html += QStringLiteral("<tr><th>%1</th>").arg(rowHeader(row).toHtmlEscaped());
        for (int column = 0; column < columnCount(); ++column) {
            const QTableWidgetItem* cell = item(row, column);
            html += QStringLiteral("<td>%1</td>").arg(cell != nullptr ? cell->text().toHtmlEscaped() : QString());
        }
        html += QStringLiteral("</tr>");
    }
    html += QStringLiteral("</table>");
    QTextDocument document;
    document.setDefaultFont(font());
    document.setHtml(html);
    document.print(&printer);
}
