#include "platform/runningprograminfo.h"

#include "tintel_version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace tintel {

QString RunningProgramInfo::title() const
{
    return QStringLiteral("Tintel");
}

int RunningProgramInfo::versionMajor() const
{
    return build::versionMajor;
}

int RunningProgramInfo::versionMinor() const
{
    return build::versionMinor;
}

int RunningProgramInfo::versionRevision() const
{
    return build::versionPatch;
}

QString RunningProgramInfo::executableBaseName() const
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

QString RunningProgramInfo::executableFolder() const
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

} // namespace tintel
