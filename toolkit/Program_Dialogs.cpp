// SPDX-License-Identifier: GPL-3.0-or-later
#include "Program_Dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>

#include "MainWindow.h"
#include "UIK_FormDialog.h"
#include "WindowController.h"

Program_Dialogs::Program_Dialogs(WindowController& windows) : QObject(&windows), windows_(windows) {}

Program_Dialogs::~Program_Dialogs() { qDeleteAll(forms); }

void Program_Dialogs::create(int unit, const QVariantMap& properties) {
    const int key = WindowController::unitKey(unit);
    UIK_FormDialog* dialog = forms.value(key);
    if (dialog == nullptr) {
        // Without a main window (it was closed) the dialog stands on its own.
        dialog = new UIK_FormDialog(windows_.mainWindow);
        dialog->setObjectName(QStringLiteral("dialog_%1").arg(key));
        forms.insert(key, dialog);
    }
    dialog->setWindowTitle(properties.value(QStringLiteral("windowTitle")).toString());
    dialog->setRemembersEntries(properties.value(QStringLiteral("remembered"), true).toBool());
}

UIK_FormDialog* Program_Dialogs::form(int unit) const { return forms.value(WindowController::unitKey(unit)); }

QStringList Program_Dialogs::show(int unit) {
    // The values are read whether or not the dialog was accepted; the "0" in
    // front tells the design program not to take them.
    QPointer<UIK_FormDialog> dialog = form(unit);
    if (dialog.isNull()) return {};
    const int result = dialog->execWithButtons();
    return dialog.isNull() ? QStringList() : dialog->answers(result);
}

void Program_Dialogs::showAlert(const QString& title, const QString& text) {
    if (MainWindow* main = windows_.mainWindow) {
        main->show();
        main->raise();
        main->activateWindow();
    }
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, windows_.mainWindow);
    box.setObjectName(QStringLiteral("alertBox"));
    box.exec();
}

QString Program_Dialogs::askFileName(bool newFile) {
    QFileDialog dialog(nullptr, newFile ? QStringLiteral("Open New File") : QStringLiteral("Open Existing File"));
    dialog.setObjectName(QStringLiteral("fileNameDialog"));
    dialog.setModal(true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(newFile ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

std::pair<QString, int> Program_Dialogs::askSaveFileName(const QString& caption, const QStringList& fileTypes,
                                                         int selectedType) {
    QFileDialog dialog(windows_.mainWindow, caption, QDir::currentPath());
    dialog.setObjectName(QStringLiteral("saveFileDialog"));
    dialog.setModal(true);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(fileTypes);
    if (selectedType >= 1 && selectedType <= fileTypes.size()) dialog.selectNameFilter(fileTypes[selectedType - 1]);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {QString(), 0};
    return {dialog.selectedFiles().first(), static_cast<int>(fileTypes.indexOf(dialog.selectedNameFilter())) + 1};
}
