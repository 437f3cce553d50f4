// SPDX-License-Identifier: GPL-3.0-or-later
#include "Plot_Content.h"

#include <QAction>
#include <QColor>
#include <QPalette>

#include "Plot_Export.h"
#include "Plot_Navigator.h"

namespace {
constexpr int Margin = 15;  // pixels around the plot
}  // namespace

Plot_Content::Plot_Content(int unit, const QVariantMap& properties, const char* exportName, QWidget* parent)
    : QwtPlot(parent),
      UIK_ContentController(unit, properties.value("windowTitle").toString()),
      exportName_(exportName) {
    setAutoReplot(false);
    setAutoFillBackground(true);
    setContentsMargins(Margin, Margin, Margin, Margin);
    setPalette(QPalette(QColor(Qt::white)));
}

QString Plot_Content::exportFileName(const QString& fileName) const {
    return Plot_Export_File_Name(fileName, exportName_);
}

bool Plot_Content::exportView(const QString& fileName, QString* failure) {
    return Plot_Export(this, fileName, exportName_, failure);
}

bool Plot_Content::exportChart(const QString& fileName, QString* failure) { return exportView(fileName, failure); }

bool Plot_Content::exportChart() { return Plot_Export_Interactive(this, UIK_ContentController::title, exportName_); }

void Plot_Content::print() { Plot_Print(this); }

Plot_Navigator* Plot_Content::attachNavigator() {
    auto* navigator = new Plot_Navigator(this);
    auto* saveView = new QAction(tr("Save View As…"), this);
    saveView->setObjectName(QStringLiteral("saveViewAction"));
    connect(saveView, &QAction::triggered, this, [this] { saveAs(); });
    auto* printView = new QAction(tr("Print View…"), this);
    printView->setObjectName(QStringLiteral("printViewAction"));
    connect(printView, &QAction::triggered, this, [this] { print(); });
    navigator->addContextAction(saveView);
    navigator->addContextAction(printView);
    return navigator;
}
