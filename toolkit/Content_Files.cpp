#include "Content_Files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>

bool Content_File_Writable(const QString& name) {
    const QFileInfo existing(name);
    return !existing.exists() || (!existing.isDir() && existing.isWritable());
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
