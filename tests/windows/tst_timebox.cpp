#include "tests/support/testtable.h"
#include "tests/support/windowrig.h"
#include "ui_frmNouveau.h"
#include "windows/frmNouveau.h"
#include "windows/timebox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTimer>

using namespace tintel;
using namespace tintel::test;
using namespace Qt::StringLiterals;

namespace {

struct Rig : WindowRig
{
    TimeBox* box = nullptr;
    Rig()
    {
        forms.show<frmNouveau>();
        box = forms.loaded<frmNouveau>()->ui().txtHeure;
        box->setFocus();
        QTest::keyClicks(box, u"1"_s);
    }
    ~Rig() { forms.unload<frmNouveau>(); }
    bool refusedOnce() const
    {
        return fp.beeper.beeps == 1 && fp.boxes.shown.size() == 1 &&
               fp.boxes.shown.first().title == u"Donnée non valide"_s;
    }
};

void drop(QWidget* widget, const QString& text)
{
    QMimeData data;
    data.setText(text);
    const QPointF at(widget->width() - 4, widget->height() / 2);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &enter);
    QDropEvent event(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void compose(QWidget* widget, const QString& text)
{
    QInputMethodEvent event(QString(), {});
    event.setCommitString(text);
    QApplication::sendEvent(widget, &event);
}

// Opens the box's context menu and chooses its paste entry, as a user would.
bool pasteFromMenu(QWidget* widget)
{
    bool found = false;
    QTimer::singleShot(0, [&] {
        (void)QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }, 2000);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (QAction* action : menu->actions()) {
            if (action->text().startsWith(u"&Paste"_s)) {
                found = true;
                menu->close();
                action->trigger();
                return;
            }
        }
        menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(4, 4),
                            widget->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(widget, &event);
    return found;
}

} // namespace

class tst_TimeBox : public WindowTest
{
    Q_OBJECT

private Q_SLOTS:
    void textArrivingOtherThanByAKey_data();
    void textArrivingOtherThanByAKey();
    void programmaticInsertCannotSmuggleACharacter();
};

void tst_TimeBox::textArrivingOtherThanByAKey_data()
{
    addColumns<QString, QString, QString, bool>({"road", "text", "expected", "refused"});
    for (const QString& road : {u"drop"_s, u"input method"_s, u"context menu"_s}) {
        QTest::addRow("%s of 12:3a refused whole", qPrintable(road))
            << road << u"2:3a"_s << u"1"_s << true;
        QTest::addRow("%s of a space refused", qPrintable(road))
            << road << u" "_s << u"1"_s << true;
        QTest::addRow("%s of :30 accepted", qPrintable(road))
            << road << u":30"_s << u"1:30"_s << false;
    }
}

void tst_TimeBox::textArrivingOtherThanByAKey()
{
    const auto [road, text, expected, refused] =
        fetchColumns<QString, QString, QString, bool>({"road", "text", "expected", "refused"});
    Rig rig;
    if (road == u"drop"_s) {
        drop(rig.box, text);
    } else if (road == u"input method"_s) {
        compose(rig.box, text);
    } else {
        QGuiApplication::clipboard()->setText(text);
        QVERIFY(pasteFromMenu(rig.box));
    }
    QCOMPARE(rig.box->text(), expected);
    QCOMPARE(rig.refusedOnce(), refused);
    if (!refused)
        QVERIFY(rig.fp.boxes.shown.isEmpty());
}

void tst_TimeBox::programmaticInsertCannotSmuggleACharacter()
{
    Rig rig;
    // Digits of other scripts are digits to Unicode, not to the time parser.
    for (const QString& text : {u"a"_s, u" "_s, u"\u0663"_s, u"\uff11"_s, u"1:2a"_s})
        rig.box->insert(text);
    rig.box->insert(u"2:"_s);
    QCOMPARE(rig.box->text(), u"12:"_s);
}

QTEST_MAIN(tst_TimeBox)
#include "tst_timebox.moc"
