#pragma once

#include "core/files.h"

#include <QByteArray>

namespace tintel {

class LocalFiles final : public Files
{
public:
    bool isNormalFile(const QString& path) const override;
    bool startDetached(const QString& program) override;
};

// The user's folder that an XDG variable names, else the one under the home folder, as the bytes
// the environment holds: Qt's file names take a name that is not UTF-8 for another folder.
QByteArray userFolder(const char* variable, const char* underHome);

} // namespace tintel
