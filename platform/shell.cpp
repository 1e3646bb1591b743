#include "platform/shell.h"

#include <QProcess>

namespace tintel {

void DesktopShell::open(QWidget*, const QString& target)
{
    // xdg-open rather than QDesktopServices: a QUrl would percent-encode the mail subject.
    QProcess::startDetached(QStringLiteral("xdg-open"), {target});
}

} // namespace tintel
