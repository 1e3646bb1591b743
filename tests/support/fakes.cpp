#include "tests/support/fakes.h"

#include <QWidget>

namespace tintel::test {

Ticker* FakeTickerFactory::create(TickerKind kind, QObject* parent)
{
    auto* ticker = new FakeTicker(kind, parent);
    created << ticker;
    return ticker;
}

void FakeTickerFactory::tickAll()
{
    // A copy: a tick may unload a window and create new tickers.
    const QList<QPointer<FakeTicker>> tickers = created;
    for (const QPointer<FakeTicker>& ticker : tickers) {
        if (ticker)
            ticker->fire();
    }
}

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

Message::Answer FakeMessageBoxes::show(QWidget*, const Message& message)
{
    shown << message;
    if (onShow)
        onShow(message);
    if (!answers.isEmpty())
        return answers.dequeue();
    if (message.buttons == Message::Buttons::Ok)
        return Message::Answer::Ok;
    return message.defaultButton;
}

void FakeTerminator::terminateNow()
{
    ++terminations;
    if (onTerminate)
        onTerminate();
}

void FakeShell::open(QWidget* owner, const QString& target)
{
    opened << target;
    owners << owner;
}

void FakeWindowManager::setOnTop(QWidget* window, bool onTop, QPoint pixelPos)
{
    calls << Call{window, onTop, pixelPos};
    real.setOnTop(window, onTop, pixelPos);
}

long FakeRegistry::openKey(quint32 root, const QByteArray& path, quint32 options, quint32 access,
                           Key& key)
{
    calls << QStringLiteral("open %1 %2 %3 %4")
                 .arg(root, 0, 16)
                 .arg(QString::fromLatin1(path))
                 .arg(options)
                 .arg(access, 0, 16);
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

void FakeRegistry::closeKey(Key)
{
    calls << QStringLiteral("close");
    --openKeys;
}

} // namespace tintel::test
