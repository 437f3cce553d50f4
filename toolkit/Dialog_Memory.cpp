// SPDX-License-Identifier: GPL-3.0-or-later
#include "Dialog_Memory.h"

#include <QSettings>
#include <QUrl>

namespace {
// The user's settings of kaltap, whatever the application object is called.
constexpr QLatin1String Organisation("kaltap");
constexpr QLatin1String Application("kaltap");
constexpr QLatin1String Group("FormDialogs");

// Titles and labels may hold "/" ("Decimation/Interpolation"), which the
// settings take as a group separator, and any other character: each is
// percent-encoded into one key part of letters, digits and "%-._~".
QString keyPart(const QString& text) { return QString::fromLatin1(QUrl::toPercentEncoding(text)); }

QString keyOf(const QString& dialogTitle, const QString& field) {
    return QStringLiteral("%1/%2/%3").arg(Group, keyPart(dialogTitle), keyPart(field));
}

// Writes `entries` (settings key -> text; a null text removes the key).
void write(const QMap<QString, QString>& entries) {
    if (entries.isEmpty()) return;
    QSettings settings(Organisation, Application);
    for (auto entry = entries.cbegin(); entry != entries.cend(); ++entry) {
        if (entry.value().isNull())
            settings.remove(entry.key());
        else
            settings.setValue(entry.key(), entry.value());
    }
}

// The entries whose fate is still open, all of one dialog title.
struct Unconfirmed {
    QString title;
    QMap<QString, QString> accepted;  // settings key -> entry accepted with OK
    QMap<QString, QString> replaced;  // settings key -> what the store held before (null: nothing)
    bool outOfStore = false;          // a message box has put `replaced` back
    bool isEmpty() const { return accepted.isEmpty(); }
};

Unconfirmed& unconfirmed() {
    static Unconfirmed held;
    return held;
}

QString stored(const QSettings& settings, const QString& key) {
    const QVariant value = settings.value(key);
    if (!value.isValid()) return QString();
    // An empty text is an entry too (a field the user cleared): never null.
    const QString text = value.toString();
    return text.isNull() ? QString::fromLatin1("") : text;
}
}  // namespace

namespace Dialog_Memory {

QString recall(const QString& dialogTitle, const QString& field) {
    const QSettings settings(Organisation, Application);
    return stored(settings, keyOf(dialogTitle, field));
}

void remember(const QString& dialogTitle, const QMap<QString, QString>& entries) {
    if (entries.isEmpty()) return;
    // A dialog shown again takes no new fields: its OK is where its
    // question tells the fate of the held entries.
    questionStarts(dialogTitle);
    Unconfirmed& held = unconfirmed();
    held.title = dialogTitle;
    QMap<QString, QString> keyed;
    {
        const QSettings settings(Organisation, Application);
        for (auto entry = entries.cbegin(); entry != entries.cend(); ++entry) {
            const QString key = keyOf(dialogTitle, entry.key());
            // The first replaced entry is the one a refusal puts back.
            if (!held.replaced.contains(key)) held.replaced.insert(key, stored(settings, key));
            keyed.insert(key, entry.value());
        }
    }
    for (auto entry = keyed.cbegin(); entry != keyed.cend(); ++entry) held.accepted.insert(entry.key(), entry.value());
    write(keyed);
}

void messageShown() {
    Unconfirmed& held = unconfirmed();
    if (held.isEmpty() || held.outOfStore) return;
    write(held.replaced);
    held.outOfStore = true;
}

void messageCancelled() {
    messageShown();
    unconfirmed() = Unconfirmed();
}

void questionStarts(const QString& dialogTitle) {
    Unconfirmed& held = unconfirmed();
    if (held.isEmpty()) return;
    if (dialogTitle == held.title) {
        // Asked again after a message box: refused, and already out of the
        // store. Without one: the next part of the same question.
        if (held.outOfStore) held = Unconfirmed();
        return;
    }
    if (held.outOfStore) write(held.accepted);
    held = Unconfirmed();
}

void store(const QString& dialogTitle, const QString& field, const QString& entry) {
    write({{keyOf(dialogTitle, field), entry.isNull() ? QString::fromLatin1("") : entry}});
}

void forgetAll() {
    unconfirmed() = Unconfirmed();
    QSettings settings(Organisation, Application);
    settings.remove(Group);
}

}  // namespace Dialog_Memory
