#include "Plot_Export.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QSizeF>
#include <qwt_plot.h>
#include <qwt_plot_renderer.h>

namespace {
const QSizeF Document_Size_mm(300.0, 200.0);
constexpr int Document_Resolution_dpi = 85;
}  // namespace

QString Plot_Export_File_Name(const QString& fileName, const char* defaultName) {
    if (fileName.isEmpty()) return QString::fromLatin1(defaultName);
    if (fileName.endsWith(QLatin1String(".png")) || fileName.endsWith(QLatin1String(".bmp")) ||
        fileName.endsWith(QLatin1String(".pdf")))
        return fileName;
    return fileName + QLatin1String(".png");
}

bool Plot_Export(QwtPlot* plot, const QString& fileName, const char* defaultName) {
    const QString name = Plot_Export_File_Name(fileName, defaultName);
    const QFileInfo existing(name);
    if (existing.exists()) {
        if (existing.isDir() || !existing.isWritable()) return false;
        // The renderer reports nothing; without the old file, the file's
        // existence afterwards tells whether it was written.
        QFile::remove(name);
    }
    QwtPlotRenderer renderer;
    renderer.renderDocument(plot, name, Document_Size_mm, Document_Resolution_dpi);
    return QFileInfo::exists(name);
}

bool Plot_Export_Interactive(QwtPlot* plot, const QString& title, const char* defaultName) {
    QFileDialog dialog(plot, QObject::tr("Save %1 As").arg(title), QDir::currentPath(),
                       QObject::tr("Image File (*.png *.bmp *.pdf)"));
    dialog.setObjectName(QStringLiteral("exportChartDialog"));
    dialog.selectFile(title);
    dialog.setDefaultSuffix(QStringLiteral("png"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    return Plot_Export(plot, dialog.selectedFiles().first(), defaultName);
}

void Plot_Print(QwtPlot* plot) {
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setColorMode(QPrinter::Color);
    QPrintDialog dialog(&printer, plot);
    dialog.setObjectName(QStringLiteral("printDialog"));
    dialog.setWindowTitle(QObject::tr("Print Document"));
    if (dialog.exec() != QDialog::Accepted) return;
    QwtPlotRenderer renderer;
    renderer.renderTo(plot, printer);
}
