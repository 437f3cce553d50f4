// SPDX-License-Identifier: GPL-3.0-or-later
#include "Plot_Export.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QImage>
#include <QMarginsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPointF>
#include <QPrinter>
#include <QRect>
#include <QRectF>
#include <QSizeF>
#include <qwt_plot.h>
#include <qwt_plot_renderer.h>

#include "Content_Files.h"
#include "Work_Aside.h"

namespace {
const QSizeF Document_Size_mm(300.0, 200.0);
constexpr int Document_Resolution_dpi = 85;
constexpr double Millimetres_Per_Inch = 25.4;

// Formats saved as an image (the rest, PDF, go to the renderer whole).
bool Image_Format(const QString& suffix) { return suffix == QLatin1String("png") || suffix == QLatin1String("bmp"); }

// The plot drawn as the renderer draws an image document: white, the
// document's size at its resolution, which the image carries. The document
// is opaque, so the image has no alpha channel: it is drawn and encoded
// faster than one with alpha.
QImage Document_Image(QwtPlot* plot) {
    const QSizeF size = Document_Size_mm / Millimetres_Per_Inch * Document_Resolution_dpi;
    const QRect rect = QRectF(QPointF(0.0, 0.0), size).toRect();
    const int dotsPerMeter = qRound(Document_Resolution_dpi / Millimetres_Per_Inch * 1000.0);
    QImage image(rect.size(), QImage::Format_RGB32);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(QColor(Qt::white).rgb());
    QPainter painter(&image);
    QwtPlotRenderer().render(plot, &painter, rect);
    painter.end();
    return image;
}

// The plot as the renderer draws a PDF document: the document's size, no
// margins, titled after the plot.
QByteArray Pdf_Document(QwtPlot* plot) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setPageSize(QPageSize(Document_Size_mm, QPageSize::Millimeter));
        pdf.setPageMargins(QMarginsF());
        pdf.setResolution(Document_Resolution_dpi);
        const QString title = plot->title().text();
        pdf.setTitle(title.isEmpty() ? QStringLiteral("Plot Document") : title);
        QPainter painter(&pdf);
        const QSizeF size = Document_Size_mm / Millimetres_Per_Inch * Document_Resolution_dpi;
        QwtPlotRenderer().render(plot, &painter, QRectF(QPointF(0.0, 0.0), size));
    }
    return bytes;
}
}  // namespace

QString Plot_Export_File_Name(const QString& fileName, const char* defaultName) {
    return Content_File_Name(fileName, defaultName,
                             {QStringLiteral(".png"), QStringLiteral(".bmp"), QStringLiteral(".pdf")});
}

bool Plot_Export(QwtPlot* plot, const QString& fileName, const char* defaultName, QString* failure) {
    const QString name = Plot_Export_File_Name(fileName, defaultName);
    // The plot is laid out as it stands before the renderer starts (a legend
    // entry just added may still wait for its layout).
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    if (Image_Format(QFileInfo(name).suffix())) {
        const QImage image = Document_Image(plot);
        // Encoding a PNG takes some tens of milliseconds, on a worker thread
        // while the GUI goes on; the image is this call's own.
        bool written = false;
        Run_Aside([&] { written = Content_Write_Image(image, name, failure); });
        return written;
    }
    return Content_Write_File(name, Pdf_Document(plot), failure);
}

bool Plot_Export_Interactive(QwtPlot* plot, const QString& title, const char* defaultName) {
    const QString name = Content_Save_Name(plot, title, title, QObject::tr("Image File (*.png *.bmp *.pdf)"),
                                           QStringLiteral("exportChartDialog"), QStringLiteral("png"));
    return !name.isEmpty() && Plot_Export(plot, name, defaultName);
}

void Plot_Print(QwtPlot* plot) {
    QPrinter& printer = Content_Printer();
    if (!Content_Print_Dialog(plot, printer)) return;
    QwtPlotRenderer renderer;
    renderer.renderTo(plot, printer);
}
