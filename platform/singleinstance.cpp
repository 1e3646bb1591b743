#include "platform/singleinstance.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace tintel {

LockFileSingleInstance::LockFileSingleInstance() = default;
LockFileSingleInstance::~LockFileSingleInstance() = default;

QString LockFileSingleInstance::lockPath(const QString& appName)
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir + u'/' + appName + QStringLiteral(".lock");
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
    return false;
}

} // namespace tintel
