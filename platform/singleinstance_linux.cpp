#include "platform/singleinstance.h"
#include "platform/log.h"

#include <QThread>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>

namespace tintel {

namespace {

enum class Claim { Ours, Taken, Unknown };

// Anyone may bind any abstract name; a holder counts only if it runs as this user, which the
// kernel tells through the credentials of a connection. A holder that cannot be asked never
// blocks a start: the lock file in the user's own runtime folder still keeps out a second copy.
Claim askHolder(const QByteArray& name, const sockaddr_un& address, socklen_t size)
{
    // A holder that has bound the name but not listened yet is a copy starting this very moment:
    // give it a moment, so that two copies started together never both run.
    for (int attempt = 0; attempt < 10; ++attempt) {
        const int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (probe < 0)
            return Claim::Unknown;
        if (connect(probe, reinterpret_cast<const sockaddr*>(&address), size) != 0) {
            const int error = errno;
            close(probe);
            // A full backlog hides who listens: another user can fill it on purpose.
            if (error != ECONNREFUSED) {
                qCInfo(lcPlatform, "instance name %s held by a listener that cannot be asked: %s",
                       name.constData(), std::strerror(error));
                return Claim::Unknown;
            }
            QThread::msleep(20);
            continue;
        }
        ucred peer{};
        socklen_t length = sizeof peer;
        const bool asked = getsockopt(probe, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0;
        const int error = errno;
        close(probe);
        if (!asked) {
            qCInfo(lcPlatform, "instance name %s held by a listener whose user is unknown: %s",
                   name.constData(), std::strerror(error));
            return Claim::Unknown;
        }
        if (peer.uid == getuid())
            return Claim::Taken;
        qCInfo(lcPlatform, "instance name %s held by user %u, not counted", name.constData(),
               peer.uid);
        return Claim::Unknown;
    }
    qCInfo(lcPlatform, "instance name %s bound but never listened on, not counted",
           name.constData());
    return Claim::Unknown;
}

Claim claimName(const QByteArray& name, int& held)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    // sun_path[0] stays zero: the abstract namespace, where no file is left behind.
    const std::size_t length = std::min(std::size_t(name.size()), sizeof address.sun_path - 1);
    std::memcpy(address.sun_path + 1, name.constData(), length);
    const auto size = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + length);
    // Close-on-exec: a browser opened from the program must not keep the name after it ends.
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        qCInfo(lcPlatform, "no socket for the instance name: %s", std::strerror(errno));
        return Claim::Unknown;
    }
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), size) == 0) {
        listen(fd, SOMAXCONN);
        held = fd;
        return Claim::Ours;
    }
    const int error = errno;
    const bool inUse = error == EADDRINUSE;
    if (!inUse)
        qCInfo(lcPlatform, "instance name %s not bound: %s", name.constData(),
               std::strerror(error));
    close(fd);
    return inUse ? askHolder(name, address, size) : Claim::Unknown;
}

} // namespace

UserSingleInstance::UserSingleInstance() = default;

UserSingleInstance::~UserSingleInstance()
{
    if (m_socket >= 0)
        close(m_socket);
}

QByteArray UserSingleInstance::socketName(const QString& appName)
{
    return appName.toUtf8() + ".instance." + QByteArray::number(getuid());
}

bool UserSingleInstance::anotherCopyRunning(const QString& appName)
{
    if (m_socket < 0 && claimName(socketName(appName), m_socket) == Claim::Taken)
        return true;
    return m_lock.anotherCopyRunning(appName);
}

} // namespace tintel
