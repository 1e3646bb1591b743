#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace tintel {

class SingleInstance
{
public:
    virtual ~SingleInstance() = default;
    // True when another copy runs for this user under this application name. A false answer
    // claims the name for this process until it ends.
    virtual bool anotherCopyRunning(const QString& appName) = 0;
};

// A lock file in the user's runtime folder, or in a folder of the user's cache when that one or
// the lock in it is not the user's alone. QLockFile creates it atomically and treats a lock whose
// owner is gone (killed, crashed) as stale.
class LockFileSingleInstance final : public SingleInstance
{
public:
    LockFileSingleInstance();
    ~LockFileSingleInstance() override;
    bool anotherCopyRunning(const QString& appName) override;

    // Empty when no folder will do: the program then starts, guarded by the socket alone.
    static QString lockPath(const QString& appName);

private:
    std::unique_ptr<QLockFile> m_lock;
};

// One copy per user whatever the environment says (another runtime folder, none that can be
// written): on Linux an abstract-namespace socket named after the application and the user id.
// The kernel gives such a name to one process at a time, atomically, and frees it when that
// process ends however it ends, so there is no file to go stale. The lock file stays as a second
// guard: when the name cannot be bound or is held by anyone but this user, and against a copy of
// an earlier build.
class UserSingleInstance final : public SingleInstance
{
public:
    UserSingleInstance();
    ~UserSingleInstance() override;
    bool anotherCopyRunning(const QString& appName) override;

    // The socket's name, without the leading zero byte of the abstract namespace.
    static QByteArray socketName(const QString& appName);

private:
    int m_socket = -1;
    LockFileSingleInstance m_lock;
};

} // namespace tintel
