#include "forms/look.h"
#include "tests/support/testtable.h"
#include "tests/support/windowrig.h"
#include "windows/frmNouveau.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace tintel;
using namespace tintel::test;

namespace {

// A menu entry as the user reads it: no access-key mark, no shortcut.
QStringList entries(QMenu* menu)
{
    QStringList texts;
    for (const QAction* action : menu->actions())
        if (!action->isSeparator())
            texts << action->text().section(u'\t', 0, 0).remove(u'&');
    delete menu;
    return texts;
}

} // namespace

class tst_Application : public WindowTest
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void textBoxMenusSpeakFrench_data();
    void textBoxMenusSpeakFrench();
    void standardButtonsSpeakFrench_data();
    void standardButtonsSpeakFrench();
    void desktopKnowsTheProgram();
};

void tst_Application::initTestCase()
{
    // Whatever the user's locale.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    setUpApplication();
}

void tst_Application::textBoxMenusSpeakFrench_data()
{
    addColumns<QString>({"entry"});
    for (const QString& entry :
         {u"Annuler"_s, u"Couper"_s, u"Copier"_s, u"Coller"_s, u"Tout sélectionner"_s})
        QTest::addRow("%s", qPrintable(entry)) << entry;
}

void tst_Application::textBoxMenusSpeakFrench()
{
    QFETCH(QString, entry);
    WindowRig rig;
    rig.forms.show<frmNouveau>();
    auto* window = rig.forms.loaded<frmNouveau>();
    auto* time = window->findChild<QLineEdit*>(u"txtHeure"_s);
    auto* message = window->findChild<QPlainTextEdit*>(u"txtMessage"_s);
    QVERIFY(time && message);
    QVERIFY2(entries(time->createStandardContextMenu()).contains(entry), qPrintable(entry));
    QVERIFY2(entries(message->createStandardContextMenu()).contains(entry), qPrintable(entry));
    rig.forms.unload<frmNouveau>();
}

void tst_Application::standardButtonsSpeakFrench_data()
{
    addColumns<int, QString>({"button", "text"});
    QTest::addRow("Yes") << int(QMessageBox::Yes) << u"&Oui"_s;
    QTest::addRow("No") << int(QMessageBox::No) << u"&Non"_s;
    QTest::addRow("Cancel") << int(QMessageBox::Cancel) << u"Annuler"_s;
    QTest::addRow("Close") << int(QMessageBox::Close) << u"Fermer"_s;
}

void tst_Application::standardButtonsSpeakFrench()
{
    const auto [button, text] = fetchColumns<int, QString>({"button", "text"});
    QMessageBox box;
    box.setStandardButtons(QMessageBox::StandardButton(button));
    QCOMPARE(box.button(QMessageBox::StandardButton(button))->text(), text);
}

void tst_Application::desktopKnowsTheProgram()
{
    QVERIFY(QFile::exists(u"" TINTEL_DESKTOP_DIR "/"_s + QGuiApplication::desktopFileName() +
                          u".desktop"_s));
    QCOMPARE(QGuiApplication::desktopFileName(), u"org.example.tintel"_s);
    // What a box without a parent shows in its frame and the task bar.
    QMessageBox box;
    QCOMPARE(box.windowIcon().availableSizes(), (QList<QSize>{{16, 16}, {32, 32}, {48, 48}}));
}

QTEST_MAIN(tst_Application)
#include "tst_application.moc"
