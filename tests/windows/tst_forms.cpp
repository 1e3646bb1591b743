#include "forms/forms.h"
#include "tests/support/testtable.h"
#include "tests/support/windowrig.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>

using namespace tintel;
using namespace tintel::test;
using namespace Qt::StringLiterals;

namespace {

struct Counts
{
    int loads = 0;
    int unloads = 0;
    int queries = 0;
};

template <int N>
class Probe : public Form
{
public:
    explicit Probe(Forms& forms) : Form(forms), label(new QLabel(u"design"_s, this)) {}
    void Form_Load() override
    {
        ++counts.loads;
        label->setText(label->text() + u" loaded"_s);
    }
    void Form_Unload() override { ++counts.unloads; }
    void Form_QueryUnload(bool& cancel) override
    {
        ++counts.queries;
        cancel = refuseClose;
    }
    QLabel* label;
    static inline Counts counts;
    static inline bool refuseClose = false;
};

using Main = Probe<0>;
using Other = Probe<1>;

// Opens a modal dialog that unloads the opener from inside the modal loop.
class Dialog : public Form
{
public:
    using Form::Form;
    void Form_Load() override
    {
        QTimer::singleShot(0, this, [this] {
            forms().unload<Main>();
            forms().unload(this);
        });
    }
};

class Opener : public Form
{
public:
    using Form::Form;
    void openDialog()
    {
        QPointer<Opener> self(this);
        forms().showModal<Dialog>(this);
        aliveAfterModal = !self.isNull();
    }
    static inline bool aliveAfterModal = false;
};

// A modal window that notes, from inside its loop, how it stands to its opener.
class Modal : public Form
{
public:
    using Form::Form;
    static inline QWindow* transientParent = nullptr;
    static inline bool onTop = false;
    static inline bool minimised = false;
    static inline bool restored = false;
};

struct Rig : WindowRig
{
    Rig()
    {
        Main::counts = {};
        Other::counts = {};
        Main::refuseClose = false;
    }
};

} // namespace

class tst_Forms : public WindowTest
{
    Q_OBJECT

private Q_SLOTS:
    void oneInstanceLoadedOnFirstUse();
    void nextUseAfterUnloadIsFresh();
    void unloadIsHarmlessTwice();
    void windowUnloadedInsideItsModalLoopOutlivesTheLoop();
    void handOverDoesNotEndTheProgram();
    void hiddenWindowsDoNotKeepTheProgram();
    void outsideCloseAsksThenUnloads();
    void terminationRunsNoUnloadStep();
    void modalAboveItsOpener_data();
    void modalAboveItsOpener();
    void minimisedModalComesBack();
};

void tst_Forms::oneInstanceLoadedOnFirstUse()
{
    Rig rig;
    QVERIFY(!rig.forms.isLoaded<Main>());
    Main& first = rig.forms.form<Main>();
    Main& again = rig.forms.form<Main>();
    QCOMPARE(&first, &again);
    QCOMPARE(Main::counts.loads, 1);
    // Touching a control loads the window without showing it.
    QVERIFY(!first.isVisible());
    QVERIFY(!rig.forms.isLoaded<Other>());
}

void tst_Forms::nextUseAfterUnloadIsFresh()
{
    Rig rig;
    rig.forms.form<Main>().label->setText(u"changed"_s);
    QPointer<Main> old = &rig.forms.form<Main>();
    rig.forms.unload<Main>();
    QCOMPARE(Main::counts.unloads, 1);
    QVERIFY(!rig.forms.isLoaded<Main>());
    QTRY_VERIFY(old.isNull());
    QCOMPARE(rig.forms.form<Main>().label->text(), u"design loaded"_s);
    QCOMPARE(Main::counts.loads, 2);
}

void tst_Forms::unloadIsHarmlessTwice()
{
    Rig rig;
    Main* main = &rig.forms.form<Main>();
    rig.forms.unload(main);
    rig.forms.unload(main);
    rig.forms.unload<Main>();
    QCOMPARE(Main::counts.unloads, 1);
    QCOMPARE(rig.forms.pendingDeletes(), 1);
    QTRY_COMPARE(rig.forms.pendingDeletes(), 0);
}

void tst_Forms::windowUnloadedInsideItsModalLoopOutlivesTheLoop()
{
    Rig rig;
    rig.forms.show<Main>();
    rig.forms.show<Opener>();
    QPointer<Main> main = rig.forms.loaded<Main>();
    Opener::aliveAfterModal = false;
    rig.forms.loaded<Opener>()->openDialog();
    QVERIFY(Opener::aliveAfterModal);
    QVERIFY(!rig.forms.isLoaded<Main>());
    QVERIFY(!rig.forms.isLoaded<Dialog>());
    // Freed only now that the modal loop has returned.
    QVERIFY(!main.isNull());
    QTRY_VERIFY(main.isNull());
    rig.forms.unload<Opener>();
}

void tst_Forms::handOverDoesNotEndTheProgram()
{
    Rig rig;
    rig.forms.show<Main>();
    rig.forms.unload<Main>();
    rig.forms.show<Other>();
    QTest::qWait(0);
    QTRY_COMPARE(rig.forms.pendingDeletes(), 0);
    QCOMPARE(rig.quits, 0);
    rig.forms.unload<Other>();
    QTRY_COMPARE(rig.quits, 1);
}

void tst_Forms::hiddenWindowsDoNotKeepTheProgram()
{
    Rig rig;
    rig.forms.form<Other>();
    rig.forms.show<Main>();
    rig.forms.unload<Main>();
    QTRY_COMPARE(rig.quits, 1);
    QVERIFY(rig.forms.isLoaded<Other>());
}

void tst_Forms::outsideCloseAsksThenUnloads()
{
    Rig rig;
    rig.forms.show<Main>();
    Main::refuseClose = true;
    QVERIFY(!rig.forms.loaded<Main>()->close());
    QVERIFY(rig.forms.isLoaded<Main>());
    QCOMPARE(Main::counts.unloads, 0);

    Main::refuseClose = false;
    QVERIFY(rig.forms.loaded<Main>()->close());
    QCOMPARE(Main::counts.queries, 2);
    QCOMPARE(Main::counts.unloads, 1);
    QVERIFY(!rig.forms.isLoaded<Main>());
    QTRY_COMPARE(rig.quits, 1);
}

void tst_Forms::terminationRunsNoUnloadStep()
{
    Rig rig;
    rig.forms.show<Main>();
    rig.forms.terminateNow();
    QCOMPARE(rig.fp.terminator.terminations, 1);
    rig.forms.unload<Main>();
    QTest::qWait(10);
    QCOMPARE(Main::counts.unloads, 0);
    QCOMPARE(rig.quits, 0);
    rig.forms.loaded<Main>()->hide();
}

// Runs action once T holds the modal focus, then unloads it.
template <typename T>
void whenModal(Rig& rig, std::function<void(T&)> action)
{
    rig.whenModal<T>([&rig, action](T& window) {
        action(window);
        rig.forms.unload(&window);
    });
}

void tst_Forms::modalAboveItsOpener_data()
{
    addColumns<bool, bool, bool>({"openerOnTop", "openerMinimised", "transient"});

    QTest::addRow("always-on-top opener") << true << false << true;
    QTest::addRow("ordinary opener") << false << false << true;
    // Transient for a minimised window, it would be taken out of view with it.
    QTest::addRow("minimised opener") << true << true << false;
}

void tst_Forms::modalAboveItsOpener()
{
    const auto [openerOnTop, openerMinimised, transient] =
        fetchColumns<bool, bool, bool>({"openerOnTop", "openerMinimised", "transient"});

    Rig rig;
    Main& opener = rig.forms.form<Main>();
    opener.setWindowFlag(Qt::WindowStaysOnTopHint, openerOnTop);
    rig.forms.show<Main>();
    if (openerMinimised)
        opener.setWindowState(Qt::WindowMinimized);
    QTRY_COMPARE(opener.isMinimized(), openerMinimised);

    Modal::transientParent = nullptr;
    Modal::onTop = false;
    whenModal<Modal>(rig, [](Modal& modal) {
        Modal::transientParent = modal.windowHandle()->transientParent();
        Modal::onTop = modal.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    });
    rig.forms.showModal<Modal>(opener.findChild<QLabel*>());

    QCOMPARE(Modal::transientParent, transient ? opener.windowHandle() : nullptr);
    QCOMPARE(Modal::onTop, openerOnTop && transient);
    rig.forms.unload<Main>();
}

// A window manager that minimises the modal window would leave windows that ignore the user.
void tst_Forms::minimisedModalComesBack()
{
    Rig rig;
    rig.forms.show<Main>();
    Modal::minimised = Modal::restored = false;
    whenModal<Modal>(rig, [](Modal& modal) {
        modal.setWindowState(Qt::WindowMinimized);
        Modal::minimised = modal.isMinimized();
        Modal::restored =
            QTest::qWaitFor([&modal] { return !modal.isMinimized(); }, 2000) && modal.isVisible();
    });
    rig.forms.showModal<Modal>(rig.forms.loaded<Main>());
    QVERIFY(Modal::minimised);
    QVERIFY(Modal::restored);
    rig.forms.unload<Main>();
}

QTEST_MAIN(tst_Forms)
#include "tst_forms.moc"
