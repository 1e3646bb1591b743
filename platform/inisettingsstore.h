#pragma once

#include "core/settingsstore.h"

namespace tintel {

// A plain INI file per application name under the user's configuration folder
// (XDG_CONFIG_HOME): keys and values as they stand, so that any INI reader reads them. Each write
// replaces the file atomically and is on disk when it returns.
class IniSettingsStore final : public SettingsStore
{
public:
    QString read(const QString& app, const QString& section, const QString& key,
                 const QString& defaultValue) const override;
    void write(const QString& app, const QString& section, const QString& key,
               const QString& value) override;
    void flush() override {}

    // The file as the system names it, and as Qt does (lossy when the name is not UTF-8).
    static QByteArray fileName(const QString& app);
    static QString filePath(const QString& app);
};

} // namespace tintel
