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

void FakeWindowManager::guardKeyboard(QWidget* window, bool takeKeyboard)
{
    if (!takeKeyboard)
        shownWithoutFocus << window;
}

void FakeWindowManager::watchCovered(QWidget* window, std::function<void(bool)> covered)
{
    watches << Watch{window, std::move(covered)};
}

void FakeWindowManager::setCovered(QWidget* window, bool covered)
{
    // A copy: a report may close the window and load another.
    const QList<Watch> current = watches;
    for (const Watch& watch : current) {
        if (watch.window && watch.window == window)
            watch.report(covered);
    }
}

} // namespace tintel::test

#include "moc_fakes.cpp"
