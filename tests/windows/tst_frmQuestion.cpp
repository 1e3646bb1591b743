#include "forms/forms.h"
#include "startup/frmQuestion.h"
#include "tests/support/testtable.h"
#include "tests/support/windowrig.h"
#include "windows/frmNouveau.h"
#include "windows/frmTintel.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;
using namespace tintel;
using namespace tintel::test;

namespace {

QRadioButton* option(frmQuestion& dialog, int index)
{
    return child<QRadioButton>(dialog, u"optChoix_%1"_s.arg(index));
}

// On the indicator, whatever width the font gives the caption.
void clickOption(frmQuestion& dialog, int index)
{
    QRadioButton* button = option(dialog, index);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(6, button->height() / 2));
}

QPushButton* valider(frmQuestion& dialog)
{
    return child<QPushButton>(dialog, u"cmdValider"_s);
}

enum class Outcome { NewAlarm, Keep, Quit };

using Choose = std::function<void(frmQuestion&)>;

// Clicks the options in turn, then Valider.
Choose clickThenValider(const QList<int>& options)
{
    return [options](frmQuestion& d) {
        for (int index : options)
            clickOption(d, index);
        QTest::mouseClick(valider(d), Qt::LeftButton);
    };
}

// Puts the focus on the first option, then presses the keys in turn where the focus is.
Choose keysFromFirst(const QList<Qt::Key>& keys)
{
    return [keys](frmQuestion& d) {
        option(d, 0)->setFocus();
        for (Qt::Key key : keys)
            QTest::keyClick(d.focusWidget(), key);
    };
}

} // namespace

class TestFrmQuestion : public WindowTest
{
    Q_OBJECT

private Q_SLOTS:
    void layout();
    void choice_data();
    void choice();
    void reopenStartsFromFirstOption();
    void optionByIndex_data();
    void optionByIndex();
};

void TestFrmQuestion::layout()
{
    CountdownRig rig;
    QString title, validerText;
    QStringList texts;
    QList<bool> checked;
    bool isDefault = false;
    bool modal = false;
    qint16 choix = -1;
    QRect frame;
    rig.whenModal<frmQuestion>([&](frmQuestion& dialog) {
        title = dialog.windowTitle();
        for (int i = 0; i < 3; ++i) {
            texts << option(dialog, i)->text();
            checked << option(dialog, i)->isChecked();
        }
        validerText = valider(dialog)->text();
        isDefault = valider(dialog)->isDefault();
        modal = dialog.isModal() || dialog.windowModality() == Qt::ApplicationModal;
        choix = dialog.choix();
        frame = settledFrame(dialog, Place::Centred);
        option(dialog, 1)->click();
        valider(dialog)->click();
    });

    rig.clickAlarmTime();

    QCOMPARE(title, u"Que voulez-vous faire?"_s);
    QCOMPARE(texts, (QStringList{u"Entrer une nouvelle alarme"_s, u"Conserver l'alarme éxistante"_s,
                                 u"Quitter le programme"_s}));
    QCOMPARE(validerText, u"&Valider"_s);
    QVERIFY(isDefault);
    QVERIFY(modal);
    QCOMPARE(checked, (QList<bool>{true, false, false}));
    QCOMPARE(choix, 0);
    TINTEL_VERIFY_PLACED(frame, Place::Centred);
    QVERIFY(!rig.forms.isLoaded<frmQuestion>());
}

Q_DECLARE_METATYPE(Outcome)

void TestFrmQuestion::choice_data()
{
    addColumns<Choose, qint16, bool, Outcome>({"choose", "choix", "validated", "outcome"});

    QTest::addRow("Enter at once") << Choose([](frmQuestion& d) {
        QTest::keyClick(d.focusWidget() ? d.focusWidget() : &d, Qt::Key_Return);
    }) << qint16(0) << true << Outcome::NewAlarm;
    QTest::addRow("click new alarm, Valider")
        << clickThenValider({1, 0}) << qint16(0) << true << Outcome::NewAlarm;
    QTest::addRow("click keep, Valider")
        << clickThenValider({1}) << qint16(1) << true << Outcome::Keep;
    QTest::addRow("click keep, Enter") << Choose([](frmQuestion& d) {
        clickOption(d, 1);
        QTest::keyClick(option(d, 1), Qt::Key_Return);
    }) << qint16(1) << true << Outcome::Keep;
    QTest::addRow("arrow down once, Enter")
        << keysFromFirst({Qt::Key_Down, Qt::Key_Return}) << qint16(1) << true << Outcome::Keep;
    QTest::addRow("arrow down twice, Enter")
        << keysFromFirst({Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}) << qint16(2) << true
        << Outcome::Quit;
    QTest::addRow("arrow down twice, up, Enter")
        << keysFromFirst({Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Return}) << qint16(1)
        << true << Outcome::Keep;
    QTest::addRow("click quit, Valider")
        << clickThenValider({2}) << qint16(2) << true << Outcome::Quit;
    // Esc neither closes the dialog nor changes the choice.
    QTest::addRow("click keep, Esc twice, Valider") << Choose([](frmQuestion& d) {
        clickOption(d, 1);
        QTest::keyClick(option(d, 1), Qt::Key_Escape);
        QTest::keyClick(&d, Qt::Key_Escape);
        QCoreApplication::processEvents();
        QVERIFY(d.isVisible());
        valider(d)->click();
    }) << qint16(1) << true << Outcome::Keep;
    QTest::addRow("closed from outside") << Choose([](frmQuestion& d) {
        clickOption(d, 2);
        d.close();
    }) << qint16(2) << false << Outcome::Keep;
}

void TestFrmQuestion::choice()
{
    const auto [choose, choix, validated, outcome] =
        fetchColumns<Choose, qint16, bool, Outcome>({"choose", "choix", "validated", "outcome"});

    CountdownRig rig;
    QPointer<frmTintel> countdown = rig.forms.loaded<frmTintel>();
    QVERIFY(QTest::qWaitForWindowActive(countdown));
    qint16 choixAtValidation = -1;
    bool loadedAtValidation = false;
    rig.whenModal<frmQuestion>([&](frmQuestion& dialog) {
        connect(valider(dialog), &QPushButton::pressed, &dialog, [&] {
            choixAtValidation = dialog.choix();
            loadedAtValidation = rig.forms.loaded<frmQuestion>() == &dialog;
        });
        choose(dialog);
        // The fake terminator returns, where a real one would have ended the process.
        if (outcome == Outcome::Quit)
            dialog.hide();
    });

    rig.clickAlarmTime();

    QCOMPARE(choixAtValidation, validated ? choix : qint16(-1));
    QCOMPARE(loadedAtValidation, validated);
    QCOMPARE(rig.fp.terminator.terminations, outcome == Outcome::Quit ? 1 : 0);
    QVERIFY(rig.fp.settings.writes.isEmpty());
    QVERIFY(rig.fp.boxes.shown.isEmpty());
    switch (outcome) {
    case Outcome::NewAlarm: {
        QVERIFY(!rig.forms.isLoaded<frmTintel>());
        QVERIFY(!rig.forms.isLoaded<frmQuestion>());
        QCOMPARE(rig.newAlarmWindowState(), u"shown, empty"_s);
        // The old alarm stays in the record until the next activation replaces it.
        QCOMPARE(rig.record.gHeureCible, u"07:30:00"_s);
        QTRY_VERIFY(!countdown);
        QCOMPARE(rig.quits, 0);
        break;
    }
    case Outcome::Keep: {
        QVERIFY(!rig.forms.isLoaded<frmQuestion>());
        QCOMPARE(rig.forms.loaded<frmTintel>(), countdown.data());
        QVERIFY(countdown->isVisible());
        QVERIFY(!rig.forms.isLoaded<frmNouveau>());
        rig.tickAt(QDateTime(kAlarmDay, QTime(7, 29, 50)));
        QCOMPARE(child<QLabel>(*countdown, u"lblS"_s)->text(), u"10"_s);
        QCoreApplication::processEvents();
        QCOMPARE(rig.quits, 0);
        break;
    }
    case Outcome::Quit:
        QVERIFY(!rig.forms.isLoaded<frmNouveau>());
        break;
    }
}

void TestFrmQuestion::reopenStartsFromFirstOption()
{
    CountdownRig rig;
    for (int opening = 0; opening < 2; ++opening) {
        bool firstChecked = false;
        qint16 choixAtOpening = -1;
        rig.whenModal<frmQuestion>([&](frmQuestion& dialog) {
            firstChecked = option(dialog, 0)->isChecked();
            choixAtOpening = dialog.choix();
            clickOption(dialog, 1);
            QTest::mouseClick(valider(dialog), Qt::LeftButton);
        });
        rig.clickAlarmTime();
        QVERIFY2(firstChecked, qPrintable(QString::number(opening)));
        QCOMPARE(choixAtOpening, qint16(0));
        QVERIFY(rig.forms.isLoaded<frmTintel>());
    }
}

void TestFrmQuestion::optionByIndex_data()
{
    addIndexRows(3, "option %d", 0, u"optChoix_%1"_s);
}

void TestFrmQuestion::optionByIndex()
{
    WindowRig rig;
    frmQuestion& dialog = rig.forms.form<frmQuestion>();
    verifyIndexRow([&dialog](qint16 index) { return dialog.optChoix(index); });
    rig.forms.unload<frmQuestion>();
}

QTEST_MAIN(TestFrmQuestion)
#include "tst_frmQuestion.moc"
