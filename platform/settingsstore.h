#pragma once

#include <QString>

namespace tintel {

// Per-user text values addressed by application name, section and key.
class SettingsStore
{
public:
    virtual ~SettingsStore() = default;
    virtual QString read(const QString& app, const QString& section, const QString& key,
                         const QString& defaultValue) const = 0;
    virtual void write(const QString& app, const QString& section, const QString& key,
                       const QString& value) = 0;
    // Puts every write on disk; called before the process ends without unwinding.
    virtual void flush() = 0;
};

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

    static QString filePath(const QString& app);
};

} // namespace tintel
