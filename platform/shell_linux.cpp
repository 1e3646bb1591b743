#include "platform/shell.h"
#include "platform/log.h"

#include <QProcess>

namespace tintel {

void DesktopShell::open(QWidget*, const QString& target)
{
    // xdg-open rather than QDesktopServices: a QUrl would percent-encode the mail subject.
    if (!QProcess::startDetached(QStringLiteral("xdg-open"), {target}))
        qCInfo(lcPlatform, "xdg-open %s did not start", qUtf8Printable(target));
}

} // namespace tintel
