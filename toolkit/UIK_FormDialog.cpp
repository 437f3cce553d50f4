// SPDX-License-Identifier: GPL-3.0-or-later
#include "UIK_FormDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpacerItem>
#include <QToolButton>
#include <QVBoxLayout>

#include "Dialog_Memory.h"
#include "UIK_Call_Interface.h"

namespace {
constexpr int Form_Margin = 10;
constexpr int Form_Spacing = 10;
constexpr int Gap_Above_Buttons = 20;
// Room a window manager takes for the title bar and frame of a dialog.
constexpr int Window_Frame_Allowance = 48;
// The smallest height the scrolled controls get on any screen.
constexpr int Smallest_Form_Height = 120;
// A line edit grows to show its whole starting text, up to this width.
constexpr int Widest_Field = 800;
constexpr int Field_Text_Padding = 16;

QString labelName(int labelId) { return QStringLiteral("label_%1").arg(labelId); }
QString controlName(int labelId) { return QStringLiteral("control_%1").arg(labelId); }

// A label and its field side by side.
QHBoxLayout* row(QLabel* label, QWidget* field) {
    auto* layout = new QHBoxLayout;
    layout->addWidget(label);
    layout->addWidget(field);
    label->setBuddy(field);
    return layout;
}

QLabel* titleLabel(int labelId, const QString& title, QWidget* parent) {
    auto* label = new QLabel(title, parent);
    label->setObjectName(labelName(labelId));
    return label;
}

// Widens `field` (never narrows it) to show `text` whole, up to Widest_Field.
void widenFor(QLineEdit* field, const QString& text) {
    const int needed = qMin(field->fontMetrics().horizontalAdvance(text) + Field_Text_Padding, Widest_Field);
    if (needed > field->sizeHint().width() && needed > field->minimumWidth()) field->setMinimumWidth(needed);
}

QLineEdit* textField(const QString& name, const QString& placeholder, const QString& text, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    field->setPlaceholderText(placeholder);
    field->setText(text);
    widenFor(field, text);
    return field;
}

}  // namespace

UIK_FormDialog::UIK_FormDialog(QWidget* parent)
    : QDialog(parent), outer_(new QVBoxLayout(this)), scroll_(new QScrollArea(this)) {
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    outer_->setContentsMargins(Form_Margin, Form_Margin, Form_Margin, Form_Margin);
    outer_->setSpacing(Form_Spacing);
    // The controls sit in a scroll area, the OK/Cancel row below it, so the
    // buttons stay on screen however many controls there are.
    auto* controls = new QWidget(scroll_);
    controls->setObjectName(QStringLiteral("formControls"));
    form_ = new QVBoxLayout(controls);
    form_->setContentsMargins(0, 0, 0, 0);
    form_->setSpacing(Form_Spacing);
    scroll_->setObjectName(QStringLiteral("formScrollArea"));
    // The keys go to the controls: an area with the focus would swallow the
    // first keystrokes of a keyboard user.
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setWidget(controls);
    outer_->addWidget(scroll_);
}

void UIK_FormDialog::fitToScreen(const QWidget* buttons) {
    const QScreen* screen = parentWidget() != nullptr ? parentWidget()->screen() : this->screen();
    const QSize wanted = scroll_->widget()->sizeHint();
    const int room = screen->availableGeometry().height() - buttons->sizeHint().height() - Gap_Above_Buttons -
                     2 * Form_Margin - 2 * Form_Spacing - Window_Frame_Allowance;
    const int height = qMin(wanted.height(), qMax(room, Smallest_Form_Height));
    const int scrollBar = wanted.height() > height ? scroll_->verticalScrollBar()->sizeHint().width() : 0;
    scroll_->setMinimumSize(wanted.width() + scrollBar, height);
    adjustSize();
}

void UIK_FormDialog::addValueControl(int labelId, ControlKind kind) {
    if (controlOrder.isEmpty()) Dialog_Memory::questionStarts(windowTitle());
    controlOrder.append(labelId);
    controlKinds.insert(labelId, kind);
}

void UIK_FormDialog::scrollsIntoViewOnFocus(QWidget* widget) { widget->installEventFilter(this); }

bool UIK_FormDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && watched->isWidgetType())
        scroll_->ensureWidgetVisible(static_cast<QWidget*>(watched));
    return QDialog::eventFilter(watched, event);
}

QWidget* UIK_FormDialog::firstField() const {
    if (controlOrder.isEmpty()) return nullptr;
    const int labelId = controlOrder.first();
    switch (controlKinds.value(labelId)) {
        case ComboBox: return comboBoxes.value(labelId);
        case CheckBox: return checkBoxes.value(labelId);
        case LineEdit: return lineEdits.value(labelId);
        case FileField: return fileFields.value(labelId);
        case RadioButtons: {
            const QButtonGroup* group = radioGroups.value(labelId);
            if (group->checkedButton() != nullptr) return group->checkedButton();
            return group->buttons().value(0);
        }
        default: return nullptr;
    }
}

void UIK_FormDialog::addLabel(int labelId, const QString& text) {
    form_->addWidget(titleLabel(labelId, text, this));
    section_ = text;
}

void UIK_FormDialog::addCheckBox(int labelId, const QString& title, bool checked) {
    auto* box = new QCheckBox(title, this);
    box->setObjectName(controlName(labelId));
    box->setChecked(checked);
    form_->addWidget(box);
    scrollsIntoViewOnFocus(box);
    checkBoxes.insert(labelId, box);
    addValueControl(labelId, CheckBox);
    startFromMemory(labelId, title, checked);
}

void UIK_FormDialog::addLineEdit(int labelId, const QString& title, const QString& placeholder, const QString& text) {
    QLineEdit* field = textField(controlName(labelId), placeholder, text, this);
    form_->addLayout(row(titleLabel(labelId, title, this), field));
    scrollsIntoViewOnFocus(field);
    lineEdits.insert(labelId, field);
    addValueControl(labelId, LineEdit);
    startFromMemory(labelId, title, text);
}

void UIK_FormDialog::addComboBox(int labelId, const QVariantMap& properties) {
    auto* box = new QComboBox(this);
    box->setObjectName(controlName(labelId));
    box->addItems(properties.value(QStringLiteral("itemList")).toStringList());
    // Passed as it is: a value out of range leaves the box without a current
    // item, and the answer then says so.
    const int index = properties.value(QStringLiteral("selected")).toInt() - 1;
    box->setCurrentIndex(index);
    const QString title = properties.value(QStringLiteral("title")).toString();
    form_->addLayout(row(titleLabel(labelId, title, this), box));
    scrollsIntoViewOnFocus(box);
    comboBoxes.insert(labelId, box);
    addValueControl(labelId, ComboBox);
    startFromMemory(labelId, title, index);
}

void UIK_FormDialog::addRadioButtons(int labelId, const QVariantMap& properties) {
    const QStringList items = properties.value(QStringLiteral("itemList")).toStringList();
    auto* group = new QButtonGroup(this);
    group->setObjectName(controlName(labelId));
    group->setExclusive(true);

    const QString title = properties.value(QStringLiteral("title")).toString();
    auto* column = new QVBoxLayout;
    column->addWidget(titleLabel(labelId, title, this));
    for (int id = 1; id <= items.size(); ++id) {
        auto* button = new QRadioButton(items.at(id - 1), this);
        button->setObjectName(QStringLiteral("control_%1_%2").arg(labelId).arg(id));
        group->addButton(button, id);
        column->addWidget(button);
        scrollsIntoViewOnFocus(button);
    }
    // The answer is written into a choice the design program acts on, so a
    // selection that names no button (0 included) starts on the first one
    // rather than leaving the group without a choice.
    int selected = properties.value(QStringLiteral("selected")).toInt();
    if (selected < 1 || selected > items.size()) selected = 1;
    if (QAbstractButton* button = group->button(selected)) button->setChecked(true);

    form_->addLayout(column);
    radioGroups.insert(labelId, group);
    addValueControl(labelId, RadioButtons);
    startFromMemory(labelId, title, selected);
}

void UIK_FormDialog::addFileField(int labelId, const QVariantMap& properties) {
    const QString title = properties.value(QStringLiteral("title")).toString();
    const QString text = properties.value(QStringLiteral("text")).toString();
    QLineEdit* field = textField(controlName(labelId), properties.value(QStringLiteral("placeholder")).toString(), text,
                                 this);

    auto* chooser = new QToolButton(this);
    chooser->setObjectName(QStringLiteral("chooser_%1").arg(labelId));
    chooser->setText(QStringLiteral("..."));
    chooser->setProperty("labelId", labelId);
    chooser->setProperty("defaultDirectory", properties.value(QStringLiteral("defaultDirectory")).toString());
    chooser->setProperty("chooseDirectory", properties.value(QStringLiteral("chooseDirectory")).toBool());
    chooser->setProperty("allowNewFiles", properties.value(QStringLiteral("allowNewFiles")).toBool());
    chooser->setProperty("title", title);
    connect(chooser, &QToolButton::released, this, &UIK_FormDialog::toolButtonReleased);

    QHBoxLayout* fileRow = row(titleLabel(labelId, title, this), field);
    fileRow->addWidget(chooser);
    form_->addLayout(fileRow);
    scrollsIntoViewOnFocus(field);
    scrollsIntoViewOnFocus(chooser);
    fileFields.insert(labelId, field);
    addValueControl(labelId, FileField);
    startFromMemory(labelId, title, text);
}

void UIK_FormDialog::startFromMemory(int labelId, const QString& title, const QVariant& passed) {
    passed_.insert(labelId, passed);
    if (title.isEmpty() || !remembersEntries_) return;
    const QString placed = section_.isEmpty() ? title : QStringLiteral("%1 / %2").arg(section_, title);
    placedTitles_.insert(labelId, placed);
    int occurrence = 0;
    for (const QString& earlier : qAsConst(placedTitles_)) occurrence += earlier == placed ? 1 : 0;
    const QString name = occurrence == 1 ? placed : QStringLiteral("%1@%2").arg(placed).arg(occurrence);
    memoryNames_.insert(labelId, name);
    const QString remembered = Dialog_Memory::recall(windowTitle(), name);
    // An entry that no longer fits (an item since renamed or removed) leaves
    // the passed value in place.
    if (!remembered.isNull()) showValue(labelId, remembered, true);
}

bool UIK_FormDialog::showValue(int labelId, const QVariant& value, bool isEntry) {
    switch (controlKinds.value(labelId)) {
        case ComboBox: {
            QComboBox* box = comboBoxes.value(labelId);
            const int index = isEntry ? box->findText(value.toString(), Qt::MatchExactly) : value.toInt();
            if (isEntry && index < 0) return false;
            box->setCurrentIndex(index);
            return true;
        }
        case CheckBox: {
            const QString text = value.toString();
            if (isEntry && text != QLatin1String("1") && text != QLatin1String("0")) return false;
            checkBoxes.value(labelId)->setChecked(isEntry ? text == QLatin1String("1") : value.toBool());
            return true;
        }
        case LineEdit:
        case FileField: {
            QLineEdit* field = lineEdits.value(labelId, fileFields.value(labelId));
            field->setText(value.toString());
            widenFor(field, field->text());
            return true;
        }
        case RadioButtons: {
            const QButtonGroup* group = radioGroups.value(labelId);
            QAbstractButton* chosen = nullptr;
            if (!isEntry) {
                chosen = group->button(value.toInt());
            } else {
                for (QAbstractButton* button : group->buttons())
                    if (button->text() == value.toString()) {
                        chosen = button;
                        break;
                    }
            }
            if (chosen == nullptr) return false;
            chosen->setChecked(true);
            return true;
        }
        default: return false;
    }
}

QString UIK_FormDialog::entry(int labelId) const {
    switch (controlKinds.value(labelId)) {
        case ComboBox: {
            const QComboBox* box = comboBoxes.value(labelId);
            return box->currentIndex() >= 0 ? box->currentText() : QString();
        }
        case CheckBox: return checkBoxes.value(labelId)->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
        case LineEdit: return lineEdits.value(labelId)->text();
        case FileField: return fileFields.value(labelId)->text();
        case RadioButtons: {
            const QAbstractButton* checked = radioGroups.value(labelId)->checkedButton();
            return checked != nullptr ? checked->text() : QString();
        }
        default: return QString();
    }
}

void UIK_FormDialog::rememberEntries() const {
    QMap<QString, QString> entries;
    for (auto named = memoryNames_.cbegin(); named != memoryNames_.cend(); ++named)
        entries.insert(named.value(), entry(named.key()));
    Dialog_Memory::remember(windowTitle(), entries);
}

void UIK_FormDialog::restoreDefaults() {
    for (int labelId : qAsConst(controlOrder)) showValue(labelId, passed_.value(labelId), false);
}

int UIK_FormDialog::execWithButtons() {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &UIK_FormDialog::acceptIfTextsFit);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // A dialog of labels only has no values to restore.
    if (!controlOrder.isEmpty()) {
        QPushButton* restore = buttons->addButton(QDialogButtonBox::RestoreDefaults);
        restore->setObjectName(QStringLiteral("restoreDefaultsButton"));
        restore->setText(QStringLiteral("Restore Defaults"));  // whatever translation is loaded
        connect(restore, &QPushButton::clicked, this, &UIK_FormDialog::restoreDefaults);
    }

    auto* gap = new QSpacerItem(Gap_Above_Buttons, Gap_Above_Buttons, QSizePolicy::Minimum, QSizePolicy::Minimum);
    auto* stretch = new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Minimum);
    outer_->addItem(gap);
    outer_->addItem(stretch);
    outer_->addWidget(buttons);
    fitToScreen(buttons);

    // A dialog of labels only is a message: perhaps the design program
    // refusing what the last dialog was given.
    if (controlOrder.isEmpty()) Dialog_Memory::messageShown();
    // Showing hands the focus widget a Tab focus-in, which selects a line
    // edit's text.
    if (QWidget* first = firstField()) first->setFocus(Qt::TabFocusReason);

    QPointer<UIK_FormDialog> self(this);
    const int result = exec() == QDialog::Accepted ? 1 : 0;
    if (self.isNull()) return 0;  // destroyed while shown (teardown): its row went with it
    if (controlOrder.isEmpty() && result == 0) Dialog_Memory::messageCancelled();

    // Only the controls stay: the next show adds a fresh row.
    outer_->removeWidget(buttons);
    delete buttons;
    outer_->removeItem(stretch);
    delete stretch;
    outer_->removeItem(gap);
    delete gap;
    return result;
}

void UIK_FormDialog::acceptIfTextsFit() {
    for (int labelId : controlOrder) {
        const QLineEdit* field = lineEdits.value(labelId, fileFields.value(labelId));
        if (field == nullptr || field->text().size() <= UIK_Text_Length) continue;
        const QLabel* label = findChild<QLabel*>(labelName(labelId));
        QMessageBox box(QMessageBox::Warning, tr("Text too long"),
                        tr("\"%1\" holds %2 characters; at most %3 can be used.\n"
                           "Shorten it (a file in the working folder needs no folder in its name).")
                            .arg(label != nullptr ? label->text() : QString())
                            .arg(field->text().size())
                            .arg(UIK_Text_Length),
                        QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("textTooLongBox"));
        box.exec();
        return;
    }
    rememberEntries();
    accept();
}

QStringList UIK_FormDialog::answers(int result) const {
    QStringList list{QString::number(result)};
    for (int labelId : controlOrder) {
        switch (controlKinds.value(labelId)) {
            case ComboBox: list << QString::number(comboBoxes.value(labelId)->currentIndex() + 1); break;
            case CheckBox:
                list << (checkBoxes.value(labelId)->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
                break;
            case LineEdit: list << lineEdits.value(labelId)->text(); break;
            case FileField: list << fileFields.value(labelId)->text(); break;
            case RadioButtons:
                // checkedId() is already -1 when no button is checked.
                list << QString::number(radioGroups.value(labelId)->checkedId());
                break;
            default: break;
        }
    }
    return list;
}

void UIK_FormDialog::toolButtonReleased() {
    QObject* button = sender();
    if (button == nullptr) return;
    const QString caption = button->property("title").toString();
    const QString directory = button->property("defaultDirectory").toString();

    QString answer;
    if (button->property("allowNewFiles").toBool())
        answer = QFileDialog::getSaveFileName(this, caption, directory, QString());
    else if (button->property("chooseDirectory").toBool())
        answer = QFileDialog::getExistingDirectory(this, caption, directory, QFileDialog::ShowDirsOnly);
    else
        answer = QFileDialog::getOpenFileName(this, caption, directory, QStringLiteral("All Files (*)"));

    if (answer.isEmpty()) return;
    if (QLineEdit* field = fileFields.value(button->property("labelId").toInt()))
        field->setText(QDir::toNativeSeparators(answer.trimmed()));
}
