#include "platform/singleinstance.h"
#include "platform/log.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

#include <unistd.h>

namespace tintel {

LockFileSingleInstance::LockFileSingleInstance() = default;
LockFileSingleInstance::~LockFileSingleInstance() = default;

QString LockFileSingleInstance::lockPath(const QString& appName)
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    QString name = appName;
    if (dir.isEmpty()) {
        // A folder every user shares: the user's id keeps another user's copy out of the way.
        dir = QDir::tempPath();
        name += u'-' + QString::number(getuid());
    }
    return dir + u'/' + name + QStringLiteral(".lock");
}

bool LockFileSingleInstance::anotherCopyRunning(const QString& appName)
{
    if (m_lock && m_lock->isLocked())
        return false;
    m_lock = std::make_unique<QLockFile>(lockPath(appName));
    // Never stale by age: a running copy may hold the lock for weeks. A dead owner is still
    // detected through its process id.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return false;
    if (m_lock->error() == QLockFile::LockFailedError)
        return true;
    // The runtime folder cannot be written: better a second copy than no program at all.
    qCInfo(lcPlatform, "lock %s not taken (QLockFile error %d): a second copy would not be refused",
           qUtf8Printable(m_lock->fileName()), int(m_lock->error()));
    return false;
}

} // namespace tintel
