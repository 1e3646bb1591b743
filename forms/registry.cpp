// The form registry: which windows are loaded, how they are shown, when they are freed, and
// when the program ends.
#include "forms/forms.h"

#include "forms/modalscope.h"
#include "platform/terminator.h"

#include <QApplication>
#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <QWindow>

#include <algorithm>

namespace tintel {

void restoreIfMinimised(QWidget& window)
{
    if (!window.isModal() || !window.isVisible() || !window.isMinimized())
        return;
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
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
