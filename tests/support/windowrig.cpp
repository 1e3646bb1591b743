#include "tests/support/windowrig.h"

#include "tests/support/testtable.h"
#include "windows/frmNouveau.h"
#include "windows/frmTintel.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

namespace tintel::test {

void WindowRig::countQuits()
{
    forms.setQuitHandler([this] { ++quits; });
}

void actInModal(QObject* context, std::function<QWidget*()> find,
                std::function<void(QWidget&)> action)
{
    auto* poll = new QTimer(context);
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, poll,
                     [poll, find, action, giveUp = QDeadlineTimer(10000)] {
                         QWidget* window = find();
                         QWidget* modal = QApplication::activeModalWidget();
                         if (window && modal == window && QApplication::activeWindow() == window) {
                             poll->stop();
                             action(*window);
                         } else if (modal && modal != window && giveUp.hasExpired()) {
                             modal->close();
                         }
                     });
    poll->start();
}

void WindowRig::clickAlarmTime()
{
    QTest::mouseClick(child<QLabel>(*forms.loaded<frmTintel>(), QStringLiteral("txtTintel")),
                      Qt::LeftButton);
}

void WindowRig::tickAt(const QDateTime& now)
{
    fp.clock.set(now);
    fp.tickers.tickAll();
}

QString WindowRig::newAlarmWindowState() const
{
    frmNouveau* nouveau = forms.loaded<frmNouveau>();
    if (!nouveau)
        return QStringLiteral("not loaded");
    const QString time = child<QLineEdit>(*nouveau, QStringLiteral("txtHeure"))->text();
    const QString message =
        child<QPlainTextEdit>(*nouveau, QStringLiteral("txtMessage"))->toPlainText();
    const QString boxes = time.isEmpty() && message.isEmpty()
                              ? QStringLiteral("empty")
                              : QStringLiteral("time \"%1\", message \"%2\"").arg(time, message);
    return (nouveau->isVisible() ? QStringLiteral("shown, ") : QStringLiteral("hidden, ")) + boxes;
}

CountdownRig::CountdownRig(const QString& message, bool shown)
{
    fp.clock.set(QDateTime(kAlarmDay, QTime(7, 0, 0)));
    record.gHeureCible = QStringLiteral("07:30:00");
    record.gTexteMessage = message;
    record.gDateCible = kAlarmDay;
    forms.form<frmTintel>().setAlarmTime(QStringLiteral("07:30"));
    if (shown)
        forms.show<frmTintel>();
}

void missingChild(const QObject& window, const QString& name, const char* type)
{
    qFatal("%s has no %s named %s", qPrintable(window.objectName()), type, qPrintable(name));
}

bool isPlaced(const QRect& frame, Place place, QSize screen)
{
    switch (place) {
    case Place::Centred:
        return std::abs(2 * frame.x() + frame.width() - screen.width()) <= 1 &&
               std::abs(2 * frame.y() + frame.height() - screen.height()) <= 1;
    case Place::TopRight:
        return frame.right() + 1 == screen.width() && frame.top() == 0;
    }
    return false;
}

QRect settledFrame(const QWidget& window, Place place, QSize screen)
{
    const auto settled = [&] {
        const QRect frame = window.frameGeometry();
        return frame.size() != window.size() && isPlaced(frame, place, screen);
    };
    (void)QTest::qWaitFor(settled, 2000);
    return window.frameGeometry();
}

QString frameText(const QRect& frame)
{
    return QStringLiteral("%1,%2 %3x%4")
        .arg(frame.x())
        .arg(frame.y())
        .arg(frame.width())
        .arg(frame.height());
}

void WindowTest::cleanup()
{
    QTRY_VERIFY2(visibleTopLevel().isEmpty(), qPrintable(visibleTopLevel()));
}

void addIndexRows(int count, const char* tagFormat, int tagBase, const QString& namePattern)
{
    addColumns<int, QString>({"index", "name"});
    QTest::addRow("before the first") << -1 << QString();
    for (int index = 0; index < count; ++index)
        QTest::addRow(tagFormat, index + tagBase) << index << namePattern.arg(index);
    QTest::addRow("after the last") << count << QString();
}

qint16 verifyIndexRow(const std::function<const QObject*(qint16)>& accessor)
{
    const auto [index, name] = fetchColumns<int, QString>({"index", "name"});
    const QObject* control = accessor(qint16(index));
    // QCOMPARE returns from where it stands on failure: a lambda, so that this can return a value.
    [&] { QCOMPARE(control ? control->objectName() : QString(), name); }();
    return qint16(index);
}

void addVersionRows()
{
    addColumns<int, int, int, QString>({"major", "minor", "revision", "expected"});

    QTest::addRow("this release") << 1 << 0 << 0 << QStringLiteral("Version 1.0.0");
    QTest::addRow("two-digit revision") << 2 << 3 << 15 << QStringLiteral("Version 2.3.15");
}

QString useVersionOfRow(FakeProgramInfo& program)
{
    const auto [major, minor, revision, expected] =
        fetchColumns<int, int, int, QString>({"major", "minor", "revision", "expected"});
    program.major = major;
    program.minor = minor;
    program.revision = revision;
    return expected;
}

void typeText(QWidget* widget, const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(widget, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key(c.toUpper().unicode()), QString(c),
                                Qt::NoModifier);
    }
}

QString visibleTopLevel()
{
    const QWidgetList widgets = QApplication::topLevelWidgets();
    for (const QWidget* widget : widgets) {
        if (widget->isVisible())
            return widget->objectName().isEmpty()
                       ? QString::fromLatin1(widget->metaObject()->className())
                       : widget->objectName();
    }
    return {};
}

} // namespace tintel::test

#include "moc_windowrig.cpp"
