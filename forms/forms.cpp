#include "forms/forms.h"

#include "forms/keys.h"
#include "forms/look.h"
#include "forms/modalscope.h"
#include "platform/screen.h"
#include "platform/terminator.h"
#include "platform/windowmanager.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <QWindow>

namespace tintel {
namespace {

// Watches the whole application, because a key goes to the focused control first.
class KeyPreview final : public QObject
{
public:
    explicit KeyPreview(Form& form) : QObject(&form), m_form(form)
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->window() != &m_form)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        // An ignored key travels up to the parents: only its first delivery counts. The handler
        // may have moved the focus or hidden the window meanwhile (an alarm that fires under the
        // about window), so the parents are known by the key they got, not by the focus.
        if (m_handled.is(*key) && widget->isAncestorOf(m_handled.receiver))
            return false;
        QWidget* first = m_form.focusWidget() ? m_form.focusWidget() : &m_form;
        if (widget != first)
            return false;
        m_handled = {key, widget, key->key(), key->modifiers(), key->timestamp()};
        qint16 code = virtualKeyCode(*key);
        qint16 shift = shiftMask(*key);
        m_form.Form_KeyDown(code, shift);
        // The key goes on to the focused control unchanged.
        return false;
    }

private:
    // A key event lives on the stack: the next one may take the same address, so the key, its
    // modifiers and its time tell them apart too.
    struct Handled
    {
        const QKeyEvent* event = nullptr;
        QPointer<QWidget> receiver;
        int key = 0;
        Qt::KeyboardModifiers modifiers;
        quint64 timestamp = 0;

        bool is(const QKeyEvent& other) const
        {
            return receiver && event == &other && key == other.key() &&
                   modifiers == other.modifiers() && timestamp == other.timestamp();
        }
    };

    Form& m_form;
    Handled m_handled;
};

} // namespace

void restoreIfMinimised(QWidget& window)
{
    if (!window.isModal() || !window.isVisible() || !window.isMinimized())
        return;
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
}

Form::Form(Forms& forms) : QDialog(nullptr), m_forms(forms)
{
    setWindowIcon(programIcon());
}

Platform& Form::platform() const
{
    return m_forms.platform();
}

AlarmRecord& Form::record() const
{
    return m_forms.record();
}

void Form::setKeyPreview(bool on)
{
    if (on && !m_keyPreview)
        m_keyPreview = new KeyPreview(*this);
    if (!on && m_keyPreview) {
        delete m_keyPreview;
        m_keyPreview = nullptr;
    }
}

void Form::reject()
{
    // QDialog would hide itself behind the registry's back.
    close();
}

void Form::closeEvent(QCloseEvent* event)
{
    bool cancel = false;
    Form_QueryUnload(cancel);
    if (cancel) {
        event->ignore();
        return;
    }
    event->accept();
    m_forms.unload(this);
}

void Form::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    // A window manager may minimise a modal window although it asks for no minimise button, and
    // a window of the program that becomes active is the user looking for it.
    if ((event->type() == QEvent::WindowStateChange && isMinimized()) ||
        (event->type() == QEvent::ActivationChange && isActiveWindow()))
        m_forms.restoreMinimisedModal();
}

void Form::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        escapePressed();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

QSizeF Form::screenSizeTwips() const
{
    return platform().screen.geometryTwips(this).size();
}

QSizeF Form::outerSizeTwips()
{
    m_placedOuter = platform().windows.outerSizeTwips(this);
    return m_placedOuter;
}

void Form::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_checkedFrame || m_placedOuter.isEmpty())
        return;
    m_checkedFrame = true;
    // A window manager that does not tell the frame before the first map, or that is slow to
    // (a mutter just started loads its theme first): place the window again once it is framed.
    // Others frame it as they said, and it stays where it is.
    for (const int ms : {100, 500, 1500}) {
        QTimer::singleShot(ms, this, [this] {
            if (platform().windows.outerSizeTwips(this) != m_placedOuter)
                placeWindow();
        });
    }
}

void Form::centreOnScreen(Precision precision)
{
    const QSizeF screen = screenSizeTwips();
    const QSizeF window = outerSizeTwips();
    if (precision == Precision::Single) {
        moveTwips(centredOffset(float(screen.width()), float(window.width())),
                  centredOffset(float(screen.height()), float(window.height())));
    } else {
        moveTwips(centredOffset(screen.width(), window.width()),
                  centredOffset(screen.height(), window.height()));
    }
}

void Form::placeTopRight()
{
    const QSizeF screen = screenSizeTwips();
    const QSizeF window = outerSizeTwips();
    const QMarginsF panels = platform().screen.panelsTwips(this);
    moveTwips(screen.width() - panels.right() - window.width(), panels.top());
}

void Form::moveTwips(double left, double top)
{
    const QPointF origin = platform().screen.geometryTwips(this).topLeft();
    platform().windows.moveOuterTwips(this, origin + QPointF(left, top));
}

Forms::Forms(Platform& platform, AlarmRecord& record)
    : m_platform(platform), m_record(record), m_quit([] { QCoreApplication::quit(); })
{
    ModalScope::setOnOutermostExit([this] { scheduleCleanup(); });
}

Forms::~Forms()
{
    ModalScope::setOnOutermostExit({});
    for (auto& [type, window] : m_loaded)
        delete window;
    for (const QPointer<Form>& window : m_unloaded)
        delete window.data();
}

void Forms::unload(Form* window)
{
    if (m_terminating)
        return;
    auto it = std::find_if(m_loaded.begin(), m_loaded.end(),
                           [window](const auto& entry) { return entry.second == window; });
    // Unloading a window that is already gone is harmless: two roads may both close it.
    if (it == m_loaded.end())
        return;
    m_loaded.erase(it);
    window->hide();
    m_unloaded.emplace_back(window);
    window->Form_Unload();
    scheduleCleanup();
}

void Forms::showModeless(Form& window)
{
    window.setWindowModality(Qt::NonModal);
    window.show();
    window.raise();
    window.activateWindow();
}

QWidget* Forms::modalOwner(QWidget* opener)
{
    QWidget* owner = opener ? opener->window() : nullptr;
    // A minimised owner would take a window transient for it out of view with it.
    return owner && owner->isVisible() && !owner->isMinimized() ? owner : nullptr;
}

void Forms::showModal(Form& window, QWidget* opener)
{
    window.setWindowModality(Qt::ApplicationModal);
    if (QWidget* owner = modalOwner(opener)) {
        // Above an always-on-top owner only when on top itself, whatever the window manager.
        if (owner->windowFlags().testFlag(Qt::WindowStaysOnTopHint) &&
            !window.windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
            // Loaded before: placed again, as the flag recreates the native window.
            window.setWindowFlag(Qt::WindowStaysOnTopHint, true);
            window.placeWindow();
        }
        window.winId();
        window.windowHandle()->setTransientParent(owner->windowHandle());
    }
    ModalScope scope;
    window.exec();
}

void Forms::restoreMinimisedModal()
{
    // Later, once the window manager has finished the change it is making.
    if (m_restoreScheduled)
        return;
    m_restoreScheduled = true;
    QTimer::singleShot(0, &m_guard, [this] {
        m_restoreScheduled = false;
        if (m_terminating)
            return;
        const QWidgetList windows = QApplication::topLevelWidgets();
        for (QWidget* window : windows)
            restoreIfMinimised(*window);
    });
}

void Forms::terminateNow()
{
    m_terminating = true;
    m_platform.terminator.terminateNow();
}

int Forms::pendingDeletes() const
{
    return static_cast<int>(std::count_if(m_unloaded.begin(), m_unloaded.end(),
                                          [](const QPointer<Form>& w) { return !w.isNull(); }));
}

void Forms::scheduleCleanup()
{
    if (m_cleanupScheduled)
        return;
    m_cleanupScheduled = true;
    QTimer::singleShot(0, &m_guard, [this] { cleanup(); });
}

void Forms::cleanup()
{
    m_cleanupScheduled = false;
    // Inside a modal loop a handler of an unloaded window may still be waiting for it; the
    // outermost loop's return schedules this again.
    if (ModalScope::depth() > 0 || m_terminating)
        return;
    std::vector<QPointer<Form>> unloaded;
    unloaded.swap(m_unloaded);
    for (const QPointer<Form>& window : unloaded)
        delete window.data();

    const bool anyVisible = std::any_of(m_loaded.begin(), m_loaded.end(), [](const auto& entry) {
        return entry.second->isVisible();
    });
    if (!anyVisible)
        m_quit();
}

} // namespace tintel
