// SPDX-License-Identifier: GPL-3.0-or-later
// What every plot and chart window on QwtPlot shares: a white plot inside a
// margin, and the file operations of a unit window's content (Save, Save As
// and Print from the menus, the design program's saves) as exports of the
// plot to an image or PDF file.
#pragma once

#include <QString>
#include <QVariantMap>
#include <qwt_plot.h>

#include "UIK_ContentController.h"

class Plot_Navigator;

class Plot_Content : public QwtPlot, public UIK_ContentController {
    Q_OBJECT
public:
    // A plot of `unit` titled by properties["windowTitle"]; `exportName` is
    // the file an export with an empty name writes ("xyplot.png").
    Plot_Content(int unit, const QVariantMap& properties, const char* exportName, QWidget* parent);

    // The name exportChart writes for `fileName`: kept when it ends with
    // ".png", ".bmp" or ".pdf", otherwise with ".png" appended; an empty name
    // gives the export name.
    QString exportFileName(const QString& fileName) const;

    bool okToClose() override { return true; }
    // Save, Save As and Print from the menus take the view the user sees.
    void save(const QString& fileName) override { exportView(fileName); }
    bool saveAs() override { return exportChart(); }
    void print() override;
    void setContentFont(const QFont& font) override { setFont(font); }
    QFont contentFont() const override { return font(); }
    bool saveContents(const QString& fileName, QString* failure) override { return exportChart(fileName, failure); }
    QString contentsFileName(const QString& fileName) const override { return exportFileName(fileName); }

public slots:
    // Writes the plot to the file (format from the extension): the view as
    // shown, or for the kinds that zoom their full view, as the data were
    // drawn before any zoom. True when the file was written, else the reason
    // in *failure.
    virtual bool exportChart(const QString& fileName, QString* failure = nullptr);
    // Asks for the file name first and writes the view the user sees; false
    // when cancelled or not written.
    bool exportChart();

protected:
    // Zoom, pan and value reading (Plot_Navigator) with "Save View As…" and
    // "Print View…" in its context menu. Called once the plot's scales are set.
    Plot_Navigator* attachNavigator();
    // Writes the plot as shown to the file.
    bool exportView(const QString& fileName, QString* failure = nullptr);

private:
    const char* exportName_;
};
