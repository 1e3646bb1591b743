#include "platform/settingsstore.h"

#include <QSettings>
#include <QStandardPaths>

namespace tintel {

QString IniSettingsStore::filePath(const QString& app)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' + app +
           QStringLiteral(".ini");
}

QString IniSettingsStore::read(const QString& app, const QString& section, const QString& key,
                               const QString& defaultValue) const
{
    const QSettings settings(filePath(app), QSettings::IniFormat);
    return settings.value(section + u'/' + key, defaultValue).toString();
}

void IniSettingsStore::write(const QString& app, const QString& section, const QString& key,
                             const QString& value)
{
    // Each write goes straight to disk: the program may end with _exit a moment later, and a
    // failing store (read-only folder, unparsable file) must cost nothing but the value.
    QSettings settings(filePath(app), QSettings::IniFormat);
    settings.setValue(section + u'/' + key, value);
    settings.sync();
}

} // namespace tintel
