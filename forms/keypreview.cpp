// Key preview: the window's key-down handler sees each key before the focused control does.
#include "forms/forms.h"
#include "forms/keys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>

namespace tintel {
namespace {

// Watches the whole application, because a key goes to the focused control first. A filter on the
// window's own QWindow would see each key once, but only the keys that come from the window system:
// a key sent to a control (as the offscreen tests drive the windows, or as a popup hands a key back
// to its owner) never passes through it, and the control would see a key that the preview missed.
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

void Form::setKeyPreview(bool on)
{
    if (on && !m_keyPreview)
        m_keyPreview = new KeyPreview(*this);
    if (!on && m_keyPreview) {
        delete m_keyPreview;
        m_keyPreview = nullptr;
    }
}

} // namespace tintel
