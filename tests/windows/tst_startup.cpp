#include "forms/look.h"
#include "platform/inisettingsstore.h"
#include "startup/frmIntro.h"
#include "tests/support/logcapture.h"
#include "tests/support/testtable.h"
#include "tests/support/windowrig.h"
#include "ui_frmIntro.h"
#include "windows/frmNouveau.h"

#include <QApplication>
#include <QLabel>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using namespace tintel;
using namespace tintel::test;
using namespace Qt::StringLiterals;

namespace {

// Notes what the settings store held when a window of type T was first shown.
template <typename T>
class ShowSpy : public QObject
{
public:
    explicit ShowSpy(const FakeSettingsStore& store) : m_store(store)
    {
        qApp->installEventFilter(this);
    }
    ~ShowSpy() override { qApp->removeEventFilter(this); }
    QStringList writesAtShow;
    bool shown = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<T*>(watched) && !shown) {
            shown = true;
            writesAtShow = m_store.writes;
        }
        return false;
    }

private:
    const FakeSettingsStore& m_store;
};

struct Rig : WindowRig
{
    // The splash and the window it hands over to unloaded, as the program would.
    ~Rig()
    {
        forms.unload<frmIntro>();
        forms.unload<frmNouveau>();
    }
    FakeTicker* splashTimer() const
    {
        for (const auto& ticker : fp.tickers.created) {
            if (ticker && ticker->kind == TickerKind::Interval)
                return ticker;
        }
        return nullptr;
    }
};

} // namespace

class tst_Startup : public WindowTest
{
    Q_OBJECT

private Q_SLOTS:
    void firstRunKeysAreWrittenBeforeTheSplashShows();
    void splashLayout();
    void versionLabel_data();
    void versionLabel();
    void splashHandsOverAfterTheSecondTick();
    void secondCopyIsRefusedAndWritesNothing();
    void unsavedSettingsAreLoggedNotShown();
    void functionKeysDoNothingOnTheSplash_data();
    void functionKeysDoNothingOnTheSplash();
    void desktopFacesHaveStandIns_data();
    void desktopFacesHaveStandIns();
};

void tst_Startup::firstRunKeysAreWrittenBeforeTheSplashShows()
{
    Rig rig;
    rig.fp.clock.set(QDateTime(QDate(2026, 1, 9), QTime(8, 30)));
    ShowSpy<frmIntro> spy(rig.fp.settings);
    rig.forms.show<frmIntro>();
    QVERIFY(spy.shown);
    const QStringList expected{
        u"tintel/parametres/date de debut=09/01/2026"_s,
        u"tintel/parametres/dossier application=/opt/tintel/"_s,
        u"tintel/parametres/etat=actif"_s,
    };
    QCOMPARE(spy.writesAtShow, expected);
    QCOMPARE(rig.fp.instance.askedFor, QStringList{u"tintel"_s});
}

void tst_Startup::splashLayout()
{
    Rig rig;
    frmIntro& intro = rig.forms.form<frmIntro>();
    QCOMPARE(intro.size(), QSize(282, 118));
    QVERIFY(intro.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(intro.palette().color(QPalette::Window), QColor(Qt::white));
    auto* title = intro.findChild<QLabel*>(u"Label1"_s);
    QCOMPARE(title->text(), u"TINTEL"_s);
    QCOMPARE(title->font().family(), u"Tempus Sans ITC"_s);
    QCOMPARE(title->font().pointSizeF(), 14.25);
    QVERIFY(title->font().bold());
    QCOMPARE(intro.findChild<QLabel*>(u"Label2"_s)->text(),
             u"Chargement des paramètres. Veuillez patienter..."_s);
    QCOMPARE(intro.findChild<QLabel*>(u"lblVersion"_s)->toolTip(), u"Numéro de version"_s);
    QVERIFY(intro.findChild<QFrame*>(u"Shape1"_s));
}

void tst_Startup::versionLabel_data()
{
    addVersionRows();
}

void tst_Startup::versionLabel()
{
    Rig rig;
    const QString expected = useVersionOfRow(rig.fp.program);
    rig.forms.show<frmIntro>();
    auto* label = child<QLabel>(*rig.forms.loaded<frmIntro>(), u"lblVersion"_s);
    QCOMPARE(label->text(), expected);
    // The whole text shows, not only the design word.
    QVERIFY(label->fontMetrics().horizontalAdvance(expected) <= label->width());
}

void tst_Startup::splashHandsOverAfterTheSecondTick()
{
    Rig rig;
    rig.forms.show<frmIntro>();
    QPointer<frmIntro> intro = rig.forms.loaded<frmIntro>();
    QVERIFY(intro->isVisible());
    FakeTicker* timer = rig.splashTimer();
    QVERIFY(timer && timer->isActive());

    timer->fire();
    QCOMPARE(intro->compteur(), qint16(1));
    QVERIFY(intro->isVisible());
    QVERIFY(!rig.forms.isLoaded<frmNouveau>());

    timer->fire();
    QVERIFY(!rig.forms.isLoaded<frmIntro>());
    QVERIFY(rig.forms.isLoaded<frmNouveau>());
    QVERIFY(rig.forms.loaded<frmNouveau>()->isVisible());
    QVERIFY(!rig.forms.loaded<frmNouveau>()->isModal());
    // Freed once control is back in the event loop, and the hand-over did not end the program.
    QTRY_VERIFY(intro.isNull());
    QCOMPARE(rig.quits, 0);

    rig.forms.unload<frmNouveau>();
    QTRY_COMPARE(rig.quits, 1);
}

void tst_Startup::secondCopyIsRefusedAndWritesNothing()
{
    Rig rig;
    rig.fp.instance.running = true;
    rig.fp.settings.values[u"tintel/parametres/etat"_s] = u"inactif"_s;
    const auto before = rig.fp.settings.values;
    rig.forms.show<frmIntro>();

    QCOMPARE(rig.fp.boxes.shown.size(), 1);
    const Message expected{u"Programme déja en cours d'utilisation..."_s, u"Pensez-Y"_s,
                           Message::Buttons::Ok, Message::Icon::Information, Message::Answer::Ok};
    QCOMPARE(rig.fp.boxes.shown.first(), expected);
    QCOMPARE(rig.fp.terminator.terminations, 1);
    QVERIFY(rig.fp.settings.writes.isEmpty());
    QCOMPARE(rig.fp.settings.values, before);
    QVERIFY(!rig.forms.loaded<frmIntro>()->isVisible());
    QVERIFY(!rig.forms.isLoaded<frmNouveau>());
    QVERIFY(!rig.splashTimer()->isActive());
}

void tst_Startup::unsavedSettingsAreLoggedNotShown()
{
    QTemporaryDir dir;
    const QString blocker = dir.filePath(u"config"_s);
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", blocker.toLocal8Bit());
    const auto restore = qScopeGuard([&config] { qputenv("XDG_CONFIG_HOME", config); });

    IniSettingsStore store;
    WindowRig rig(store);
    LogCapture log(u"tintel.*=true"_s);
    rig.forms.show<frmIntro>();

    // Three first-run values lost: a line each for the developer, no box for the user.
    QVERIFY(rig.forms.loaded<frmIntro>()->isVisible());
    QCOMPARE(rig.fp.boxes.shown.size(), 0);
    QCOMPARE(log.lines().size(), 3);
    for (const QString& line : log.lines())
        QVERIFY2(line.startsWith(u"tintel.platform: settings not saved to "_s), qPrintable(line));
    rig.forms.unload<frmIntro>();
}

void tst_Startup::functionKeysDoNothingOnTheSplash_data()
{
    addColumns<int>({"key"});
    for (int n = 1; n <= 4; ++n)
        QTest::addRow("F%d", n) << int(Qt::Key_F1) + n - 1;
}

void tst_Startup::functionKeysDoNothingOnTheSplash()
{
    QFETCH(int, key);
    Rig rig;
    rig.forms.show<frmIntro>();
    frmIntro* intro = rig.forms.loaded<frmIntro>();
    QTest::keyClick(intro, Qt::Key(key));
    QVERIFY(rig.fp.shell.opened.isEmpty());
    QVERIFY(rig.fp.boxes.shown.isEmpty());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QVERIFY(intro->isVisible());
}

void tst_Startup::desktopFacesHaveStandIns_data()
{
    addColumns<QString, QString>({"face", "standIn"});
    QTest::addRow("splash title") << u"Tempus Sans ITC"_s << u"Comic Neue"_s;
    QTest::addRow("window font") << u"MS Sans Serif"_s << u"Liberation Sans"_s;
    QTest::addRow("countdown figures") << u"MS Serif"_s << u"Liberation Serif"_s;
    QTest::addRow("alarm time") << u"Bookman Old Style"_s << u"URW Bookman"_s;
}

void tst_Startup::desktopFacesHaveStandIns()
{
    const auto [face, standIn] = fetchColumns<QString, QString>({"face", "standIn"});
    installFontSubstitutions();
    QFont font(face);
    font.setPointSizeF(14.25);
    // The face really drawn, as fontconfig resolves it: the stand-in must be installed.
    // Qt names the foundry too when two provide the family: "URW Bookman [urw]".
    const QString drawn = QFontInfo(font).family();
    QVERIFY2(drawn == standIn || drawn.startsWith(standIn + u" ["_s), qPrintable(drawn));
    QCOMPARE(QFontInfo(font).pointSizeF(), 14.25);
}

QTEST_MAIN(tst_Startup)
#include "tst_startup.moc"
