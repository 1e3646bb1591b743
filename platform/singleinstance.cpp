#include "platform/singleinstance.h"
#include "platform/localfiles.h"
#include "platform/log.h"

#include <QFile>
#include <QLockFile>
#include <QStandardPaths>

#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tintel {

namespace {

// A lock counts only where no one but the user could have put it: another user could otherwise
// keep the program from starting with a lock naming a gone process (which that user's file stops
// anyone else from removing) or a live one of theirs.
bool isPrivateFolder(const QByteArray& path)
{
    struct stat status
    {};
    return lstat(path.constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == getuid() && (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

bool isOwnOrAbsent(const QByteArray& path)
{
    struct stat status
    {};
    if (lstat(path.constData(), &status) != 0)
        return errno == ENOENT;
    return S_ISREG(status.st_mode) && status.st_uid == getuid();
}

// Without XDG_RUNTIME_DIR (a su shell, a session without logind) Qt's stand-in, a folder in the
// temporary folder that another user may have made first.
QByteArray runtimeFolder()
{
    const QByteArray named = qgetenv("XDG_RUNTIME_DIR");
    return named.isEmpty() ? QFile::encodeName(
                                 QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation))
                           : named;
}

} // namespace

LockFileSingleInstance::LockFileSingleInstance() = default;
LockFileSingleInstance::~LockFileSingleInstance() = default;

QString LockFileSingleInstance::lockPath(const QString& appName)
{
    const QByteArray name = QFile::encodeName(appName);
    // Else a folder of the user's cache that only the user can write, made for it.
    const QByteArray cache = userFolder("XDG_CACHE_HOME", ".cache") + '/' + name;
    for (const QByteArray& folder : {runtimeFolder(), cache}) {
        if (folder == cache)
            g_mkdir_with_parents(cache.constData(), 0700);
        const QByteArray path = folder + '/' + name + ".lock";
        // QLockFile takes the name as Qt decodes it, which a name that is not UTF-8 does not
        // survive.
        if (isPrivateFolder(folder) && isOwnOrAbsent(path) &&
            QFile::encodeName(QFile::decodeName(path)) == path)
            return QFile::decodeName(path);
        qCInfo(lcPlatform, "no lock in %s: a folder or lock file that is not the user's alone",
               folder.constData());
    }
    return {};
}

bool LockFileSingleInstance::anotherCopyRunning(const QString& appName)
{
    if (m_lock && m_lock->isLocked())
        return false;
    const QString path = lockPath(appName);
    if (path.isEmpty())
        return false;
    m_lock = std::make_unique<QLockFile>(path);
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
