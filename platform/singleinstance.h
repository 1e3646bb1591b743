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

// A lock file in the user's runtime folder. QLockFile creates it atomically and treats a lock
// whose owner is gone (killed, crashed) as stale.
class LockFileSingleInstance final : public SingleInstance
{
public:
    LockFileSingleInstance();
    ~LockFileSingleInstance() override;
    bool anotherCopyRunning(const QString& appName) override;

    static QString lockPath(const QString& appName);

private:
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace tintel
