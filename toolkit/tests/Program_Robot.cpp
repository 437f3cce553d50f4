// SPDX-License-Identifier: GPL-3.0-or-later
#include "Program_Robot.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include "Text_Windows.h"
#include "UIK_TextEdit.h"
#include "WindowController.h"
#include "toolkit_test_support.h"

namespace {
constexpr int Poll_ms = 20;

// The widgets that follow `label` in the layout that holds it.
QList<QWidget*> widgets_after(QWidget* dialog, QLabel* label) {
    QList<QLayout*> layouts = dialog->findChildren<QLayout*>();
    if (dialog->layout()) layouts.prepend(dialog->layout());
    for (QLayout* layout : layouts) {
        QList<QWidget*> after;
        bool found = false;
        for (int i = 0; i < layout->count(); ++i) {
            QWidget* w = layout->itemAt(i)->widget();
            if (w == nullptr) {
                // A nested layout: its widgets count as following too.
                if (found && layout->itemAt(i)->layout() != nullptr) {
                    QLayout* inner = layout->itemAt(i)->layout();
                    for (int j = 0; j < inner->count(); ++j)
                        if (QWidget* iw = inner->itemAt(j)->widget()) after << iw;
                }
                continue;
            }
            if (found) after << w;
            if (w == label) found = true;
        }
        if (found) return after;
    }
    return {};
}
}  // namespace

Program_Robot::Program_Robot(WindowController& controller) : controller_(controller), timer_(new QTimer(this)) {
    connect(timer_, &QTimer::timeout, this, &Program_Robot::poll);
    timer_->start(Poll_ms);
}

Program_Robot& Program_Robot::accept(const QString& title, const Fields& fields) {
    steps_.append({title, [this, fields](QWidget* dialog) {
                       setFields(dialog, fields);
                       pressOk(dialog);
                   }});
    return *this;
}

Program_Robot& Program_Robot::classical(const Fields& parameters) {
    return accept("Select Filter Type", {{"Select filter design approach:", "3"}})
        .accept("Legacy FIR Filter Parameters", parameters)
        .accept("Band Definitions");
}

Program_Robot& Program_Robot::lowPass(const QString& weights, const QString& stopEdge) {
    return accept("Select Filter Type", {{"Select filter design approach:", "3"}})
        .accept("Legacy FIR Filter Parameters",
                {{"Number of weights", weights},
                 {"Number of Bands (use 1 for differentiator or Hilbert transformer)", "2"},
                 {"Search Grid Density", "16"}})
        .accept("Band Definitions", {{"Left Band Edge@1", "0"},
                                     {"Right Band Edge@1", "0.2"},
                                     {"Desired Frequency Response@1", "1"},
                                     {"Band Weighting@1", "1"},
                                     {"Left Band Edge@2", stopEdge},
                                     {"Right Band Edge@2", "0.5"},
                                     {"Desired Frequency Response@2", "0"},
                                     {"Band Weighting@2", "10"}});
}

Program_Robot& Program_Robot::cancel(const QString& title) {
    steps_.append({title, [](QWidget* dialog) { pressCancel(dialog); }});
    return *this;
}

Program_Robot& Program_Robot::dismiss(const QString& title) {
    steps_.append({title, [](QWidget* box) { pressOk(box); }});
    return *this;
}

Program_Robot& Program_Robot::pressEnterInConsole(int times) {
    for (int i = 0; i < times; ++i)
        steps_.append(
            {QString(), [this](QWidget*) { QTest::keyClick(controller_.texts->readingWindow, Qt::Key_Return); }});
    return *this;
}

Program_Robot& Program_Robot::act(const QString& title, std::function<void(QWidget*)> action) {
    steps_.append({title, std::move(action)});
    return *this;
}

Program_Robot& Program_Robot::whenReading(std::function<void()> action) {
    steps_.append({QString(), [action](QWidget*) { action(); }});
    return *this;
}

void Program_Robot::poll() {
    if (steps_.isEmpty()) return;
    QWidget* modal = QApplication::activeModalWidget();
    const Step& step = steps_.first();
    if (step.title.isEmpty()) {
        if (modal != nullptr || controller_.texts->readingWindow == nullptr) return;
        Step s = steps_.takeFirst();
        seen << QStringLiteral("<console>");
        s.action(nullptr);
        return;
    }
    if (modal == nullptr || !modal->isVisible()) return;
    if (modal->windowTitle() != step.title) {
        errors << QStringLiteral("expected \"%1\", found \"%2\"").arg(step.title, modal->windowTitle());
        steps_.clear();
        pressCancel(modal);
        return;
    }
    Step s = steps_.takeFirst();
    seen << s.title;
    s.action(modal);
}

void Program_Robot::setFields(QWidget* dialog, const Fields& fields) {
    for (const auto& field : fields) {
        QString name = field.first;
        int occurrence = 1;
        const int at = name.lastIndexOf('@');
        if (at > 0) {
            occurrence = name.mid(at + 1).toInt();
            name = name.left(at);
        }
        bool done = false;
        int seen_count = 0;
        for (QCheckBox* box : dialog->findChildren<QCheckBox*>())
            if (box->text() == name && ++seen_count == occurrence) {
                box->setChecked(field.second == "1");
                done = true;
            }
        for (QLabel* label : dialog->findChildren<QLabel*>()) {
            if (done || label->text() != name || ++seen_count != occurrence) continue;
            const QList<QWidget*> after = widgets_after(dialog, label);
            int radio_index = 0;
            for (QWidget* w : after) {
                if (auto* edit = qobject_cast<QLineEdit*>(w)) {
                    edit->setText(field.second);
                    done = true;
                } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
                    combo->setCurrentIndex(field.second.toInt() - 1);
                    done = true;
                } else if (auto* radio = qobject_cast<QRadioButton*>(w)) {
                    if (++radio_index == field.second.toInt()) {
                        radio->setChecked(true);
                        done = true;
                    }
                    continue;
                }
                if (done || qobject_cast<QLabel*>(w) != nullptr) break;
            }
        }
        if (!done) errors << QStringLiteral("no field \"%1\" in \"%2\"").arg(field.first, dialog->windowTitle());
    }
}
