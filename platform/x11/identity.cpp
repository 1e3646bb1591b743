// The desktop entry each window belongs to, so that KDE and GNOME find its menu entry and icon
// without guessing from the window class. Qt (checked with 6.4) writes neither property on X11.
#include "platform/x11/connection.h"
#include "platform/x11/x11.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>

namespace tintel::x11 {
namespace {

class DesktopEntryNamer final : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Show || !watched->isWidgetType())
            return false;
        auto* window = static_cast<QWidget*>(watched);
        xcb_connection_t* c = connection();
        const QByteArray entry = QGuiApplication::desktopFileName().toUtf8();
        if (!c || !window->isWindow() || !window->internalWinId() || entry.isEmpty())
            return false;
        const auto id = xcb_window_t(window->internalWinId());
        const xcb_atom_t text = atom(c, "UTF8_STRING");
        for (const char* name : {"_GTK_APPLICATION_ID", "_KDE_NET_WM_DESKTOP_FILE"}) {
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom(c, name), text, 8,
                                uint32_t(entry.size()), entry.constData());
        }
        return false;
    }
};

} // namespace

void nameDesktopEntry()
{
    static DesktopEntryNamer* namer = nullptr;
    if (!namer && connection()) {
        namer = new DesktopEntryNamer(qApp);
        qApp->installEventFilter(namer);
    }
}

} // namespace tintel::x11
