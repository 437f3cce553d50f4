#include "UIK_FormDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpacerItem>
#include <QToolButton>
#include <QVBoxLayout>

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

QLineEdit* textField(const QString& name, const QString& placeholder, const QString& text, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    field->setPlaceholderText(placeholder);
    field->setText(text);
    const int needed = field->fontMetrics().horizontalAdvance(text) + Field_Text_Padding;
    if (needed > field->sizeHint().width()) field->setMinimumWidth(qMin(needed, Widest_Field));
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
    controlOrder.append(labelId);
    controlKinds.insert(labelId, kind);
}

void UIK_FormDialog::addLabel(int labelId, const QString& text) { form_->addWidget(titleLabel(labelId, text, this)); }

void UIK_FormDialog::addCheckBox(int labelId, const QString& title, bool checked) {
    auto* box = new QCheckBox(title, this);
    box->setObjectName(controlName(labelId));
    box->setChecked(checked);
    form_->addWidget(box);
    checkBoxes.insert(labelId, box);
    addValueControl(labelId, CheckBox);
}

void UIK_FormDialog::addLineEdit(int labelId, const QString& title, const QString& placeholder,
                                 const QString& text) {
    QLineEdit* field = textField(controlName(labelId), placeholder, text, this);
    form_->addLayout(row(titleLabel(labelId, title, this), field));
    lineEdits.insert(labelId, field);
    addValueControl(labelId, LineEdit);
}

void UIK_FormDialog::addComboBox(int labelId, const QVariantMap& properties) {
    auto* box = new QComboBox(this);
    box->setObjectName(controlName(labelId));
    box->addItems(properties.value(QStringLiteral("itemList")).toStringList());
    // Passed as it is: a value out of range leaves the box without a current
    // item, and the answer then says so.
    box->setCurrentIndex(properties.value(QStringLiteral("selected")).toInt() - 1);
    form_->addLayout(row(titleLabel(labelId, properties.value(QStringLiteral("title")).toString(), this), box));
    comboBoxes.insert(labelId, box);
    addValueControl(labelId, ComboBox);
}

void UIK_FormDialog::addRadioButtons(int labelId, const QVariantMap& properties) {
    const QStringList items = properties.value(QStringLiteral("itemList")).toStringList();
    auto* group = new QButtonGroup(this);
    group->setObjectName(controlName(labelId));
    group->setExclusive(true);

    auto* column = new QVBoxLayout;
    column->addWidget(titleLabel(labelId, properties.value(QStringLiteral("title")).toString(), this));
    for (int id = 1; id <= items.size(); ++id) {
        auto* button = new QRadioButton(items.at(id - 1), this);
        button->setObjectName(QStringLiteral("control_%1_%2").arg(labelId).arg(id));
        group->addButton(button, id);
        column->addWidget(button);
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
}

void UIK_FormDialog::addFileField(int labelId, const QVariantMap& properties) {
    const QString title = properties.value(QStringLiteral("title")).toString();
    QLineEdit* field = textField(controlName(labelId), properties.value(QStringLiteral("placeholder")).toString(),
                                 properties.value(QStringLiteral("text")).toString(), this);

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
    fileFields.insert(labelId, field);
    addValueControl(labelId, FileField);
}

int UIK_FormDialog::execWithButtons() {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    connect(buttons, &QDialogButtonBox::accepted, this, &UIK_FormDialog::acceptIfTextsFit);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* gap = new QSpacerItem(Gap_Above_Buttons, Gap_Above_Buttons, QSizePolicy::Minimum, QSizePolicy::Minimum);
    auto* stretch = new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Minimum);
    outer_->addItem(gap);
    outer_->addItem(stretch);
    outer_->addWidget(buttons);
    fitToScreen(buttons);

    QPointer<UIK_FormDialog> self(this);
    const int result = exec() == QDialog::Accepted ? 1 : 0;
    if (self.isNull()) return 0;  // destroyed while shown (teardown): its row went with it

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
    accept();
}

QStringList UIK_FormDialog::answers(int result) const {
    QStringList list{QString::number(result)};
    for (int labelId : controlOrder) {
        switch (controlKinds.value(labelId)) {
            case ComboBox:
                list << QString::number(comboBoxes.value(labelId)->currentIndex() + 1);
                break;
            case CheckBox:
                list << (checkBoxes.value(labelId)->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
                break;
            case LineEdit:
                list << lineEdits.value(labelId)->text();
                break;
            case FileField:
                list << fileFields.value(labelId)->text();
                break;
            case RadioButtons:
                // checkedId() is already -1 when no button is checked.
                list << QString::number(radioGroups.value(labelId)->checkedId());
                break;
            default:
                break;
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
