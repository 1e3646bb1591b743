#include "tests/support/corefakes.h"

#include "core/failure.h"

namespace tintel::test {

static QString address(const QString& app, const QString& section, const QString& key)
{
    return app + u'/' + section + u'/' + key;
}

QString FakeSettingsStore::read(const QString& app, const QString& section, const QString& key,
                                const QString& defaultValue) const
{
    return values.value(address(app, section, key), defaultValue);
}

void FakeSettingsStore::write(const QString& app, const QString& section, const QString& key,
                              const QString& value)
{
    values[address(app, section, key)] = value;
    writes << address(app, section, key) + u'=' + value;
}

bool FakeFiles::isNormalFile(const QString& path) const
{
    if (failTest)
        throw RuntimeFailure(71, QStringLiteral("Disque non prêt"));
    return normalFiles.contains(path);
}

static RuntimeFailure brokenCall()
{
    return RuntimeFailure(5, QStringLiteral("Appel de procédure incorrect"));
}

long FakeRegistry::openKey(quint32 root, const QByteArray& path, quint32 options, quint32 access,
                           Key& key)
{
    calls << QStringLiteral("open %1 %2 %3 %4")
                 .arg(root, 0, 16)
                 .arg(QString::fromLatin1(path))
                 .arg(options)
                 .arg(access, 0, 16);
    if (failIn == FailIn::Open)
        throw brokenCall();
    if (root != kHkeyLocalMachine || !keys.contains(path))
        return 2;
    m_handles << path;
    key = Key(m_handles.size());
    ++openKeys;
    return 0;
}

long FakeRegistry::queryValue(Key key, const QByteArray& name, quint32& type, QByteArray& data,
                              quint32& length)
{
    calls << QStringLiteral("query %1").arg(QString::fromLatin1(name));
    if (failIn == FailIn::Query)
        throw brokenCall();
    if (key == 0 || key > Key(m_handles.size()))
        return 6;
    const auto values = keys.value(m_handles.at(int(key - 1)));
    if (!values.contains(name))
        return 2;
    const Value& value = values.value(name);
    if (value.data.size() > data.size())
        return 234;
    type = value.type;
    data.replace(0, value.data.size(), value.data);
    length = quint32(value.data.size());
    return 0;
}

void FakeRegistry::setSysInfoValues(const std::optional<Value>& path,
                                    const std::optional<Value>& folder)
{
    if (path)
        keys[kSysInfoProgramKey][QByteArrayLiteral("PATH")] = *path;
    if (folder)
        keys[kSysInfoFolderKey][QByteArrayLiteral("MSINFO")] = *folder;
}

void FakeRegistry::closeKey(Key)
{
    calls << QStringLiteral("close");
    --openKeys;
}

} // namespace tintel::test
