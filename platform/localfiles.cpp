#include "platform/localfiles.h"

#include <QFileInfo>
#include <QProcess>

#include <pwd.h>
#include <unistd.h>

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

QByteArray userFolder(const char* variable, const char* underHome)
{
    // A relative name is no folder at all to the XDG rules.
    const QByteArray named = qgetenv(variable);
    if (named.startsWith('/'))
        return named;
    QByteArray home = qgetenv("HOME");
    if (home.isEmpty())
        if (const passwd* user = getpwuid(getuid()))
            home = user->pw_dir;
    return home + '/' + underHome;
}

} // namespace tintel
