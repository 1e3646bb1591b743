#include "platform/windowmanager.h"

#include "platform/screen.h"
#include "platform/x11/x11.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace tintel {

namespace {
// A window manager that tells nothing of its frames frames a window only as it maps it, and may
// put it elsewhere than asked (i3 puts the frame where the client was asked for): once mapped,
// the window goes again where it was meant to be, its frame now known.
class PlaceAgain final : public QObject
{
public:
    PlaceAgain(QWidget* window, QPointF twips, WindowManager& windows)
        : QObject(window), m_window(window), m_twips(twips), m_windows(windows)
    {
        window->windowHandle()->installEventFilter(this);
    }

    void retarget(QPointF twips) { m_twips = twips; }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            watched->removeEventFilter(this);
            m_windows.moveOuterTwips(m_window, m_twips);
            deleteLater();
        }
        return false;
    }

private:
    QWidget* m_window;
    QPointF m_twips;
    WindowManager& m_windows;
};
} // namespace

QtWindowManager::QtWindowManager()
{
    if (qApp) {
        x11::declareOnlyMappedOwners();
        x11::nameDesktopEntry();
    }
}

void QtWindowManager::setOnTop(QWidget* window, bool onTop, QPoint pixelPos)
{
    Qt::WindowFlags flags = window->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, onTop);
    QWindow* handle = window->windowHandle();
    if (flags != window->windowFlags() && handle && window->isVisible()) {
        // QWidget::setWindowFlags would recreate the native window, unmapping it; the QWindow
        // switches the state on the shown window as it is. The widget's flags follow.
        window->overrideWindowFlags(flags);
        handle->setFlags(flags);
        x11::renewEventMasks(window);
    } else if (flags != window->windowFlags()) {
        // Qt would recreate a hidden native window at its next showing all the same.
        window->setWindowFlags(flags);
        x11::renewEventMasks(window);
    }
    if (pixelPos != window->pos())
        window->move(pixelPos);
}

QSizeF QtWindowManager::outerSizeTwips(QWidget* window)
{
    QWindow* handle = window->windowHandle();
    if (!handle) {
        window->winId();
        handle = window->windowHandle();
    }
    QSizeF pixels;
    if (const std::optional<QSize> client = x11::clientSize(window)) {
        const QMargins frame = x11::frameExtents(window).value_or(QMargins());
        pixels = QSizeF(client->grownBy(frame)) / window->devicePixelRatioF();
    } else {
        pixels = window->size().grownBy(handle ? handle->frameMargins() : QMargins());
    }
    return twipsFromPixels(pixels);
}

void QtWindowManager::moveOuterTwips(QWidget* window, QPointF twips)
{
    const QPointF pixels = pixelsFromTwips(twips);
    window->winId();
    if (!x11::clientSize(window)) {
        window->move(roundHalfEven(pixels));
        return;
    }
    // Scaled, a whole device-independent pixel spans several device pixels, and the corner of
    // the screen lies on a device pixel: place the window to the device pixel. Qt keeps a
    // screen's origin in device pixels and scales from it.
    const qreal ratio = window->devicePixelRatioF();
    const QPointF origin =
        window->screen() ? QPointF(window->screen()->geometry().topLeft()) : QPointF();
    const QMargins frame = x11::frameExtents(window).value_or(QMargins());
    const QPoint client =
        roundHalfEven((pixels - origin) * ratio + origin) + QPoint(frame.left(), frame.top());
    // Qt's own place first, so that Qt keeps the window there, then the device pixel when Qt's
    // rounding of a scaled position cannot reach it.
    const QPoint clientPixels = roundHalfEven((QPointF(client) - origin) / ratio + origin);
    window->move(clientPixels - (window->geometry().topLeft() - window->pos()));
    // A hidden widget keeps its place to itself until shown, and showing would then put the
    // native window back at Qt's rounding.
    if (!window->isVisible())
        window->windowHandle()->setPosition(clientPixels);
    // Where the window manager tells nothing of its frames, Qt may not know where it put a window.
    const bool guessed = !x11::framesPublished();
    if (((QPointF(clientPixels) - origin) * ratio + origin).toPoint() != client ||
        (guessed && window->isVisible()))
        x11::moveClient(window, client);
    if (guessed && !window->isVisible()) {
        const QObjectList children = window->children();
        const auto again = std::find_if(children.begin(), children.end(), [](QObject* child) {
            return dynamic_cast<PlaceAgain*>(child) != nullptr;
        });
        if (again != children.end())
            static_cast<PlaceAgain*>(*again)->retarget(twips);
        else
            new PlaceAgain(window, twips, *this);
    }
}

void QtWindowManager::watchCovered(QWidget* window, std::function<void(bool)> covered)
{
    x11::watchCovered(window, std::move(covered));
}

bool QtWindowManager::hasKeyboard()
{
    if (!QGuiApplication::focusWindow())
        return false;
    // Qt hears of a change of focus a moment after the X server: the server's word wins, unless
    // the keyboard went nowhere (0 or 1), as when a window of the program has just closed.
    const std::optional<unsigned> focus = x11::inputFocus();
    if (!focus || *focus <= 1)
        return true;
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(), [&focus](const QWidget* window) {
        return window->internalWinId() == *focus;
    });
}

void QtWindowManager::guardKeyboard(QWidget* window, bool takeKeyboard)
{
    x11::watchHeldKeys(window);
    if (!takeKeyboard)
        x11::showWithoutFocus(window);
}

bool QtWindowManager::heldFromBefore(QWidget* window, quint32 scanCode)
{
    return x11::heldFromBefore(window, scanCode);
}

} // namespace tintel
