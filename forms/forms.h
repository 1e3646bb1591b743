#pragma once

#include "core/alarmrecord.h"
#include "platform/platform.h"

#include <QDialog>
#include <QPointer>

#include <functional>
#include <map>
#include <typeindex>
#include <vector>

namespace tintel {

class Forms;

// Shows a modal window again if it is minimised: while it is hidden away, every other window of
// the program ignores the user.
void restoreIfMinimised(QWidget& window);

// The offset that centres a window on a screen, both sizes in one unit, computed in the number
// type the window's placement uses: float and double part by a device pixel at some fractional
// display scales, and whole pixels drop a half.
template <typename T>
constexpr T centredOffset(T screen, T window)
{
    return (screen - window) / T(2);
}

// A window of the program: one instance per class, loaded on first use, unloaded by the
// registry.
class Form : public QDialog
{
    Q_OBJECT
public:
    explicit Form(Forms& forms);

    // Runs once the layout is built, before the window is first shown.
    virtual void Form_Load() {}
    // Runs when the window is unloaded, after it is hidden.
    virtual void Form_Unload() {}
    // A close request from outside the program; setting cancel keeps the window.
    virtual void Form_QueryUnload(bool& cancel) { Q_UNUSED(cancel); }

    Forms& forms() const { return m_forms; }
    Platform& platform() const;
    AlarmRecord& record() const;

    void reject() override;

    // The window's key-down handler, run before the focused control sees the key once key
    // preview is on. KeyCode is the virtual-key code (112 for F1), Shift the modifier mask.
    virtual void Form_KeyDown(qint16& KeyCode, qint16& Shift)
    {
        Q_UNUSED(KeyCode);
        Q_UNUSED(Shift);
    }

protected:
    void setKeyPreview(bool on);
    // Where the window puts itself; the load step runs it.
    virtual void placeWindow() {}
    void showEvent(QShowEvent* event) override;

    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Escape has no meaning of its own: only a window with a cancel button takes it.
    virtual void escapePressed() {}

    enum class Precision { Double, Single };
    // Centres the window's outer frame on its screen, the offsets in twips computed in the given
    // floating-point precision.
    void centreOnScreen(Precision precision = Precision::Double);
    // Puts the window's outer frame in the top right-hand corner of its screen.
    void placeTopRight();

    // The size of the screen the window is on, in twips.
    QSizeF screenSizeTwips() const;
    // Outer size in twips, with the frame that the window manager gives the window even before
    // it first shows it: each window appears at its final place.
    QSizeF outerSizeTwips();
    // Moves the window's outer top-left corner to a position in twips from the top-left corner
    // of its screen.
    void moveTwips(double left, double top);

private:
    // The registry places a modal window again once it has made it stay on top.
    friend class Forms;

    Forms& m_forms;
    QObject* m_keyPreview = nullptr;
    // The outer size the window was last placed by, to place it again should the window
    // manager frame it otherwise than it said beforehand.
    QSizeF m_placedOuter;
    bool m_checkedFrame = false;
};

// The form registry. Unloaded windows are freed only once no handler of theirs and no modal loop
// can still be on the stack; the program ends when no loaded window is visible.
class Forms
{
public:
    Forms(Platform& platform, AlarmRecord& record);
    ~Forms();
    Forms(const Forms&) = delete;
    Forms& operator=(const Forms&) = delete;

    Platform& platform() const { return m_platform; }
    AlarmRecord& record() const { return m_record; }

    template <typename T>
    T& form(bool onTop = false)
    {
        auto it = m_loaded.find(typeid(T));
        if (it != m_loaded.end())
            return static_cast<T&>(*it->second);
        auto* window = new T(*this);
        m_loaded[typeid(T)] = window;
        // Before the load step places it: Qt 6.4 recreates a native window whose stays-on-top
        // flag changes before its first showing, and the new one forgets its place.
        if (onTop)
            window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
        window->Form_Load();
        return *window;
    }

    template <typename T>
    bool isLoaded() const
    {
        return m_loaded.count(typeid(T)) != 0;
    }

    template <typename T>
    T* loaded() const
    {
        auto it = m_loaded.find(typeid(T));
        return it == m_loaded.end() ? nullptr : static_cast<T*>(it->second);
    }

    template <typename T>
    void unload()
    {
        if (T* window = loaded<T>())
            unload(window);
    }
    void unload(Form* window);

    template <typename T>
    void show()
    {
        T& window = form<T>();
        if (!m_terminating)
            showModeless(window);
    }

    // Shows the window modally above opener, the window whose handler asks for it.
    template <typename T>
    void showModal(QWidget* opener)
    {
        const QWidget* owner = modalOwner(opener);
        T& window = form<T>(owner && owner->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        if (!m_terminating)
            showModal(window, opener);
    }

    // Writes the settings through and ends the process without unloading anything. In tests the
    // platform's terminator returns, and the registry then ignores every further request.
    void terminateNow();
    bool isTerminating() const { return m_terminating; }

    // What ends the program when no window is left; QCoreApplication::quit by default.
    void setQuitHandler(std::function<void()> handler) { m_quit = std::move(handler); }
    // Unloaded windows not yet freed.
    int pendingDeletes() const;

    // Brings back a modal window, a message box included, that the window manager minimised.
    void restoreMinimisedModal();

private:
    void showModeless(Form& window);
    void showModal(Form& window, QWidget* opener);
    // The window a modal window opened by opener is transient for, if any.
    static QWidget* modalOwner(QWidget* opener);
    void scheduleCleanup();
    void cleanup();

    Platform& m_platform;
    AlarmRecord& m_record;
    std::map<std::type_index, Form*> m_loaded;
    std::vector<QPointer<Form>> m_unloaded;
    std::function<void()> m_quit;
    // Context of the deferred cleanup, so that a pending one dies with the registry.
    QObject m_guard;
    bool m_terminating = false;
    bool m_cleanupScheduled = false;
    bool m_restoreScheduled = false;
};

} // namespace tintel
