#include "info/frmAbout.h"
#include "startup/frmIntro.h"
#include "startup/frmQuestion.h"
#include "tests/support/windowrig.h"
#include "windows/frmMessage.h"
#include "windows/frmNouveau.h"
#include "windows/frmTintel.h"
#include "windows/look.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTest>

using namespace tintel;
using namespace tintel::test;
using namespace Qt::StringLiterals;

class tst_Layouts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyTextShowsWhole_data();
    void everyTextShowsWhole();
};

void tst_Layouts::everyTextShowsWhole_data()
{
    QTest::addColumn<QString>("window");
    for (const char* name :
         {"frmIntro", "frmNouveau", "frmTintel", "frmQuestion", "frmMessage", "frmAbout"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void tst_Layouts::everyTextShowsWhole()
{
    QFETCH(QString, window);
    WindowRig rig;
    installFontSubstitutions();
    Form* form = nullptr;
    if (window == u"frmIntro"_s)
        form = &rig.forms.form<frmIntro>();
    else if (window == u"frmNouveau"_s)
        form = &rig.forms.form<frmNouveau>();
    else if (window == u"frmTintel"_s)
        form = &rig.forms.form<frmTintel>();
    else if (window == u"frmQuestion"_s)
        form = &rig.forms.form<frmQuestion>();
    else if (window == u"frmMessage"_s)
        form = &rig.forms.form<frmMessage>();
    else
        form = &rig.forms.form<frmAbout>();

    for (const QLabel* label : form->findChildren<QLabel*>()) {
        if (label->wordWrap() || label->text().isEmpty())
            continue;
        const int needed = label->fontMetrics().horizontalAdvance(label->text());
        QVERIFY2(
            needed <= label->width(),
            qPrintable(
                u"%1: %2 px for %3"_s.arg(label->objectName()).arg(needed).arg(label->width())));
        // Across only: the layouts let a label run past the bottom, where nothing is written.
        QVERIFY2(label->x() >= 0 && label->geometry().right() < label->parentWidget()->width(),
                 qPrintable(label->objectName()));
    }
    for (const QAbstractButton* button : form->findChildren<QAbstractButton*>()) {
        const QString text = QString(button->text()).remove(u'&');
        if (text.isEmpty())
            continue;
        QVERIFY2(button->fontMetrics().horizontalAdvance(text) <= button->width(),
                 qPrintable(button->objectName()));
    }
    rig.forms.unload(form);
}

QTEST_MAIN(tst_Layouts)
#include "tst_layouts.moc"
