// Form dialogs, the alert box and the file-name dialog.
//
// The design program builds a dialog by earlier, unanswered requests (create,
// then one request per control) and then asks for it to be shown; its thread
// waits until the answer list is handed back. A dialog lives in
// the dialog table for the rest of the run and may be shown again.
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>

#include "MainWindow.h"
#include "UIK_FormDialog.h"
#include "WindowController.h"

void WindowController::createDialog(int unit, QVariantMap properties) {
    const int key = unitKey(unit);
    UIK_FormDialog* dialog = dialogs.value(key);
    if (dialog == nullptr) {
        // Without a main window (it was closed) the dialog stands on its own.
        dialog = new UIK_FormDialog(mainWindow);
        dialog->setObjectName(QStringLiteral("dialog_%1").arg(key));
        dialogs.insert(key, dialog);
    }
    dialog->setWindowTitle(properties.value(QStringLiteral("windowTitle")).toString());
    dialog->setRemembersEntries(properties.value(QStringLiteral("remembered"), true).toBool());
}

void WindowController::addLabelToDialog(int unit, int labelId, QString text) {
    if (UIK_FormDialog* dialog = dialogs.value(unitKey(unit))) dialog->addLabel(labelId, text);
}

void WindowController::addComboBoxToDialog(int unit, int labelId, QVariantMap properties) {
    if (UIK_FormDialog* dialog = dialogs.value(unitKey(unit))) dialog->addComboBox(labelId, properties);
}

void WindowController::addCheckBoxToDialog(int unit, int labelId, QString title, bool checked) {
    if (UIK_FormDialog* dialog = dialogs.value(unitKey(unit))) dialog->addCheckBox(labelId, title, checked);
}

void WindowController::addLineEditToDialog(int unit, int labelId, QString title, QString placeholder, QString text) {
    if (UIK_FormDialog* dialog = dialogs.value(unitKey(unit))) dialog->addLineEdit(labelId, title, placeholder, text);
}

void WindowController::addFileDialogToDialog(int unit, int labelId, QVariantMap properties) {
    if (UIK_FormDialog* dialog = dialogs.value(unitKey(unit))) dialog->addFileField(labelId, properties);
}

void WindowController::addRadioButtonsToDialog(int unit, int labelId, QVariantMap properties) {
    if (UIK_FormDialog* dialog = dialogs.value(unitKey(unit))) dialog->addRadioButtons(labelId, properties);
}

QStringList WindowController::showDialogForUnit(int unit) {
    QPointer<UIK_FormDialog> dialog = dialogs.value(unitKey(unit));
    // An empty list makes the waiting design program take the dialog as not
    // answered. The values are read whether or not the dialog was accepted;
    // the "0" in front tells the design program not to take them.
    QStringList answers;
    if (!dialog.isNull()) {
        const int result = dialog->execWithButtons();
        if (!dialog.isNull()) answers = dialog->answers(result);
    }
    return answers;
}

void WindowController::showAlertBox(QString title, QString text) {
    if (mainWindow != nullptr) {
        mainWindow->show();
        mainWindow->raise();
        mainWindow->activateWindow();
    }
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, mainWindow);
    box.setObjectName(QStringLiteral("alertBox"));
    box.exec();
}

QString WindowController::getFileName(int unit, bool newFile) {
    Q_UNUSED(unit)
    QFileDialog dialog(nullptr, newFile ? QStringLiteral("Open New File") : QStringLiteral("Open Existing File"),
                       QString(), QString());
    dialog.setObjectName(QStringLiteral("fileNameDialog"));
    dialog.setModal(true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(newFile ? QFileDialog::AnyFile : QFileDialog::ExistingFile);

    QString answer;
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        answer = dialog.selectedFiles().first();
    return answer;
}

std::pair<QString, int> WindowController::getSaveFileName(QString caption, QStringList fileTypes, int selectedType) {
    QFileDialog dialog(mainWindow, caption, QDir::currentPath());
    dialog.setObjectName(QStringLiteral("saveFileDialog"));
    dialog.setModal(true);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(fileTypes);
    if (selectedType >= 1 && selectedType <= fileTypes.size()) dialog.selectNameFilter(fileTypes[selectedType - 1]);

    QString answer;
    int type = 0;
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        answer = dialog.selectedFiles().first();
        type = fileTypes.indexOf(dialog.selectedNameFilter()) + 1;
    }
    return {answer, type};
}
