// SPDX-License-Identifier: GPL-3.0-or-later
// A sub-window of the main window's document area holding one unit's content.
// It carries the dynamic property "unit" with the unit number as given when
// the window was created.
#pragma once

#include <QMdiSubWindow>

class UIK_ContentController;

class SubWindow : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit SubWindow(QWidget* parent = nullptr);
    UIK_ContentController* content = nullptr;

signals:
    // Raised once, when the window closes, so the unit tables forget it (and
    // a read in it is given up).
    void willDestroy(UIK_ContentController* content);

protected:
    void closeEvent(QCloseEvent* event) override;
};
