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
}  // namespace

namespace Dialog_Memory {

QString recall(const QString& dialogTitle, const QString& field) {
    const QSettings settings(Organisation, Application);
    const QVariant value = settings.value(keyOf(dialogTitle, field));
    if (!value.isValid()) return QString();
    // An empty text is an entry too (a field the user cleared): never null.
    const QString text = value.toString();
    return text.isNull() ? QString::fromLatin1("") : text;
}

void remember(const QString& dialogTitle, const QMap<QString, QString>& entries) {
    if (entries.isEmpty()) return;
    QSettings settings(Organisation, Application);
    for (auto entry = entries.cbegin(); entry != entries.cend(); ++entry) {
        if (entry.value().isNull())
            settings.remove(keyOf(dialogTitle, entry.key()));
        else
            settings.setValue(keyOf(dialogTitle, entry.key()), entry.value());
    }
}

void forgetAll() {
    QSettings settings(Organisation, Application);
    settings.remove(Group);
}

}  // namespace Dialog_Memory
