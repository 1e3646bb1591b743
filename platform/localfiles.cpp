#include "platform/localfiles.h"

#include <QFileInfo>
#include <QProcess>

namespace tintel {

bool LocalFiles::isNormalFile(const QString& path) const
{
    const QFileInfo info(path);
    return info.exists() && info.isFile() && !info.isHidden();
}

bool LocalFiles::startDetached(const QString& program)
{
    return QProcess::startDetached(program, {});
}

} // namespace tintel
