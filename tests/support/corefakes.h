#pragma once

// Fakes of the interfaces the rules of core/ use: Qt Core only, so that the core tests link no
// widgets.

#include "core/files.h"
#include "core/programinfo.h"
#include "core/registry.h"
#include "core/settingsstore.h"

#include <QList>
#include <QMap>
#include <QSet>
#include <QStringList>

#include <optional>

namespace tintel::test {

class FakeSettingsStore final : public SettingsStore
{
public:
    QString read(const QString& app, const QString& section, const QString& key,
                 const QString& defaultValue) const override;
    void write(const QString& app, const QString& section, const QString& key,
               const QString& value) override;
    void flush() override { ++flushes; }

    // "app/section/key" -> value
    QMap<QString, QString> values;
    // "app/section/key=value", in order
    QStringList writes;
    int flushes = 0;
};

class FakeProgramInfo final : public ProgramInfo
{
public:
    QString title() const override { return QStringLiteral("Tintel"); }
    int versionMajor() const override { return major; }
    int versionMinor() const override { return minor; }
    int versionRevision() const override { return revision; }
    QString executableBaseName() const override { return baseName; }
    QString executableFolder() const override { return folder; }

    int major = 1, minor = 0, revision = 0;
    QString baseName = QStringLiteral("tintel");
    QString folder = QStringLiteral("/opt/tintel");
};

class FakeFiles final : public Files
{
public:
    bool isNormalFile(const QString& path) const override;
    bool startDetached(const QString& program) override
    {
        started << program;
        return startSucceeds;
    }
    QSet<QString> normalFiles;
    QStringList started;
    bool startSucceeds = true;
    // The file test fails as a drive that is not ready would.
    bool failTest = false;
};

// The keys the search for the system-information program opens.
inline const QByteArray kSysInfoProgramKey =
    QByteArrayLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
inline const QByteArray kSysInfoFolderKey =
    QByteArrayLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");

// Keys and values as a test sets them up; records every call in order.
class FakeRegistry final : public Registry
{
public:
    struct Value
    {
        quint32 type = kRegSz;
        QByteArray data;
    };
    long openKey(quint32 root, const QByteArray& path, quint32 options, quint32 access,
                 Key& key) override;
    long queryValue(Key key, const QByteArray& name, quint32& type, QByteArray& data,
                    quint32& length) override;
    void closeKey(Key key) override;

    // The values the search for the system-information program reads, where given: the
    // program's path, then the folder of the shared tools.
    void setSysInfoValues(const std::optional<Value>& path, const std::optional<Value>& folder);

    // "path" -> value name -> value
    QMap<QByteArray, QMap<QByteArray, Value>> keys;
    QStringList calls;
    int openKeys = 0;
    // Where a call throws, as a broken system library would: in the open, or once the key is
    // open, inside the read.
    enum class FailIn { Nowhere, Open, Query };
    FailIn failIn = FailIn::Nowhere;

private:
    QList<QByteArray> m_handles;
};

} // namespace tintel::test
