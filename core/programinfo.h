#pragma once

#include <QString>

namespace tintel {

// What the running program knows of itself.
class ProgramInfo
{
public:
    virtual ~ProgramInfo() = default;
    virtual QString title() const = 0;
    virtual int versionMajor() const = 0;
    virtual int versionMinor() const = 0;
    virtual int versionRevision() const = 0;
    // File name without folder and extension, read afresh each time: a renamed executable runs
    // under its new name.
    virtual QString executableBaseName() const = 0;
    // The folder holding the executable, without a trailing separator except for the root.
    virtual QString executableFolder() const = 0;
};

} // namespace tintel
