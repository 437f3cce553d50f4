// SPDX-License-Identifier: GPL-3.0-or-later
#include "Content_Files.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>

namespace {
// Writes every byte; false when a write fails, with the reason in the file's
// errorString. A write cut short (a file size limit lets part of it through)
// is followed by one for the rest, which either goes on or fails with the
// system's reason. The file is unbuffered, so nothing waits for a later flush.
bool writeAll(QFileDevice& file, const QByteArray& bytes) {
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) return false;
        done += written;
    }
    return true;
}

bool failed(QString* failure, const QString& reason) {
    if (failure != nullptr) *failure = reason;
    return false;
}

// PNG compression as the image writer's quality: Qt gives zlib the level
// (100 - quality) * 9 / 91, so 80 is level 1. On a saved plot that encodes in
// less than half the time of the default level, for files about a tenth
// larger; the design program waits for each save.
constexpr int Png_Quality = 80;
}  // namespace

bool Content_Write_File(const QString& name, const QByteArray& bytes, QString* failure) {
    const QFileInfo target(name);
    if (target.exists() && !target.isFile() && !target.isDir()) {
        QFile device(name);
        if (!device.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || !writeAll(device, bytes))
            return failed(failure, device.errorString());
        device.close();
        return device.error() == QFileDevice::NoError || failed(failure, device.errorString());
    }
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || !writeAll(file, bytes))
        return failed(failure, file.errorString());  // the temporary file goes with `file`
    return file.commit() || failed(failure, file.errorString());
}

bool Content_Write_Image(const QImage& image, const QString& name, QString* failure) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QByteArray format = QFileInfo(name).suffix().toLatin1();
    QImageWriter writer(&buffer, format);
    if (format == "png") writer.setQuality(Png_Quality);
    if (!writer.write(image)) return failed(failure, writer.errorString());
    buffer.close();
    return Content_Write_File(name, bytes, failure);
}

QString Content_File_Name(const QString& fileName, const char* defaultName, const QStringList& extensions) {
    if (fileName.isEmpty()) return QString::fromLatin1(defaultName);
    for (const QString& extension : extensions)
        if (fileName.endsWith(extension)) return fileName;
    return fileName + extensions.first();
}

QString Content_Save_Name(QWidget* parent, const QString& title, const QString& preselected, const QString& filter,
                          const QString& objectName, const QString& suffix) {
    QFileDialog dialog(parent, QObject::tr("Save %1 As").arg(title), QDir::currentPath(), filter);
    dialog.setObjectName(objectName);
    dialog.selectFile(preselected);
    dialog.setDefaultSuffix(suffix);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().first();
}

namespace {
QPrinter* applicationPrinter = nullptr;

void deleteApplicationPrinter() {
    delete applicationPrinter;
    applicationPrinter = nullptr;
}
}  // namespace

QPrinter& Content_Printer() {
    if (applicationPrinter == nullptr) {
        applicationPrinter = new QPrinter(QPrinter::ScreenResolution);
        qAddPostRoutine(deleteApplicationPrinter);
    }
    return *applicationPrinter;
}

bool Content_Print_Dialog(QWidget* parent, QPrinter& printer, bool selection) {
    printer.setColorMode(QPrinter::Color);
    QPrintDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("printDialog"));
    dialog.setWindowTitle(QObject::tr("Print Document"));
    if (selection) dialog.setOption(QAbstractPrintDialog::PrintSelection);
    return dialog.exec() == QDialog::Accepted;
}
