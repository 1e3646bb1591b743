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

} // namespace tintel
