// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowController.h"

#include <QApplication>
#include <QMessageBox>

#include "MainWindow.h"
#include "Program_Dialogs.h"
#include "Program_Menus.h"
#include "Text_Windows.h"
#include "UIK_Preferences.h"

WindowController::WindowController()
    : QObject(nullptr),
      menus(new Program_Menus(*this)),
      texts(new Text_Windows(*this)),
      dialogs(new Program_Dialogs(*this)) {
    windowedMode = UIK_Pref_Use_MDI();
    // The console window; it creates the main window.
    texts->openConsole();
}

WindowController::~WindowController() {
    delete dialogs;  // before the main window, their parent
    delete mainWindow;
}

void WindowController::closeOnProgramStop() {
    for (int unit : contents.keys())
        if (unit != unitKey(-3)) closeWindowForUnit(unit);  // every window but the console
    if (mainWindow != nullptr) mainWindow->close();
    QCoreApplication::quit();
}

void WindowController::showErrorBox(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Error"), text, QMessageBox::Ok, mainWindow);
    box.exec();
}
