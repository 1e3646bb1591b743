#pragma once

#include "core/programinfo.h"

namespace tintel {

class RunningProgramInfo final : public ProgramInfo
{
public:
    QString title() const override;
    int versionMajor() const override;
    int versionMinor() const override;
    int versionRevision() const override;
    QString executableBaseName() const override;
    QString executableFolder() const override;
};

} // namespace tintel
