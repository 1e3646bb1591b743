// Windows owned only by windows on screen, as window managers expect.
#include "platform/x11/connection.h"
#include "platform/x11/x11.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWindow>

namespace tintel::x11 {
namespace {

// Qt (checked with 6.4) declares a dialog or a splash that has no owner transient for a hidden
// window of its own, and a window whose owner is hidden transient for that owner: window managers
// take either for a fault ("Invalid WM_TRANSIENT_FOR"). At each showing, a window whose owner is
// not mapped loses it, and one left without an owner is shown as a window of its own, of the same
// kind on the desktop (Qt's own property for it), which Qt then declares transient for nothing.
class OwnerCheck final : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Show || !watched->isWidgetType())
            return false;
        auto* window = static_cast<QWidget*>(watched);
        QWindow* handle = window->isWindow() ? window->windowHandle() : nullptr;
        if (!handle)
            return false;
        if (handle->transientParent() && !handle->transientParent()->isExposed())
            handle->setTransientParent(nullptr);
        const int kind = desktopKind(handle->type());
        if (handle->transientParent() || kind == 0)
            return false;
        handle->setProperty("_q_xcb_wm_window_type", kind);
        handle->setFlags((handle->flags() & ~Qt::WindowType_Mask) | Qt::Window);
        renewEventMasks(window);
        return false;
    }

private:
    // Qt's own numbers for the desktop's window types, for the kinds of window it declares
    // transient.
    static int desktopKind(Qt::WindowType type)
    {
        switch (type) {
        case Qt::Dialog:
        case Qt::Sheet:
            return 0x80;
        case Qt::SplashScreen:
            return 0x40;
        case Qt::Tool:
        case Qt::Drawer:
            return 0x20;
        default:
            return 0;
        }
    }
};

} // namespace

void declareOnlyMappedOwners()
{
    static OwnerCheck* check = nullptr;
    if (!check && connection()) {
        check = new OwnerCheck(qApp);
        qApp->installEventFilter(check);
    }
}

} // namespace tintel::x11
