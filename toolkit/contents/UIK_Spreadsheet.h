// SPDX-License-Identifier: GPL-3.0-or-later
// A spreadsheet window: a table the design program fills from a block of
// values of one of its data types, the user edits, and the design program
// reads back. Row and column labels stay with the table when a later write
// resizes it. Saved as CSV text, printed as a table.
//
// The data types, the text of the cells and the reading of edited cells are
// described in UIK_Spreadsheet_Interface.h.
#pragma once

#include <QStringList>
#include <QTableWidget>

#include "UIK_ContentController.h"

class UIK_Spreadsheet : public QTableWidget, public UIK_ContentController {
    Q_OBJECT
public:
    // An empty table named "spreadsheet_<unit>".
    UIK_Spreadsheet(int unit, const QString& title, QWidget* parent = nullptr);

    // Makes the table nrows x ncols and fills it from the block (nrows rows of
    // ncols values, row after row). False, with the table unchanged, for a
    // data type it does not know.
    bool writeBlock(const void* data, const QString& dataType, int nrows, int ncols);
    // Copies the cells back into the block, after ending an edit in progress
    // (what has been typed counts); a cell that does not hold a value of the
    // type, or lies outside the table, leaves its element as it was. False,
    // with the block unchanged, for a data type it does not know.
    bool readBlock(void* data, const QString& dataType, int nrows, int ncols);

    // Column and row headers, from the first column (row) on.
    void setColumnLabels(const QStringList& labels);
    void setRowLabels(const QStringList& labels);

    // The table as CSV text: a heading line of the column headers when
    // columns are labelled, a leading column of row headers when rows are
    // labelled, then one line per row.
    QString csvText() const;

    bool okToClose() override { return true; }
    // Writes the CSV text to the file (an empty name: "spreadsheet.csv"); a
    // name ending ".png" or ".bmp" gets a picture of the table instead.
    void save(const QString& fileName) override;
    // Asks for the file name first; false when cancelled or not written.
    bool saveAs() override;
    void print() override;
    void setContentFont(const QFont& font) override { setFont(font); }
    QFont contentFont() const override { return font(); }
    bool saveContents(const QString& fileName, QString* failure) override;
    QString contentsFileName(const QString& fileName) const override;

private:
    void applyLabels();
    QString columnHeader(int column) const;
    QString rowHeader(int row) const;

    QStringList columnLabels_;
    QStringList rowLabels_;
};
