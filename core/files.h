#pragma once

#include <QString>

namespace tintel {

class Files
{
public:
    virtual ~Files() = default;
    // A normal file: it exists and is neither a folder nor hidden.
    virtual bool isNormalFile(const QString& path) const = 0;
    // Starts a program without waiting for it; false when it could not be started.
    virtual bool startDetached(const QString& program) = 0;
};

} // namespace tintel
