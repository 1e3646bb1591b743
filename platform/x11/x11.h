#pragma once

#include <QByteArray>
#include <QMargins>
#include <QPoint>
#include <QSize>

#include <functional>
#include <optional>

class QScreen;
class QWidget;

// What Qt does not say about windows on an X11 desktop. Every function answers nothing, or does
// nothing, on another platform.
namespace tintel::x11 {

// The frame the window manager gives the window, in device pixels. Before the first map it is
// asked for with _NET_REQUEST_FRAME_EXTENTS, which the window manager answers on the unmapped
// window; a window manager that publishes neither shows it by the window's parent once mapped.
// Nothing when no window manager frames windows.
std::optional<QMargins> frameExtents(QWidget* window);

// Whether the window manager tells the frames it draws; true off X11, where nothing is told.
bool framesPublished();

// The client area's size in device pixels.
std::optional<QSize> clientSize(QWidget* window);

// The device size of the screen, when it is the only one: Qt rounds a scaled screen's size to
// whole device-independent pixels.
std::optional<QSize> screenSize(const QScreen* screen);

// The screen's edges that panels keep (their _NET_WM_STRUT_PARTIAL), in device pixels, where the
// window manager publishes no work area and so keeps no window out of them; nothing where it does.
std::optional<QMargins> panelStruts();

// The settings blob that the desktop's settings daemon publishes (_XSETTINGS_SETTINGS of the
// _XSETTINGS_S0 selection's owner); empty when none runs.
QByteArray xsettings();

// A text property of the root window (the accessibility bus's AT_SPI_BUS); empty when unset.
QByteArray rootText(const char* name);

// Moves the client area to a place in device pixels; the window manager frames it there.
bool moveClient(QWidget* window, QPoint devicePos);

// Calls `covered` with true when other windows hide the whole of the window, and with false when
// a part of it shows again, for as long as the window lives. X says so by itself, with no polling;
// a compositing manager draws every window whole, so that the window is never covered there.
void watchCovered(QWidget* window, std::function<void(bool)> covered);

// Qt writes a native window's event mask afresh when its flags change, dropping the events
// watchCovered and watchHeldKeys asked for: asked for again here, and the window counted as
// seen meanwhile.
void renewEventMasks(QWidget* window);

// The window that has the keyboard, as the X server says; nothing off X11.
std::optional<unsigned> inputFocus();

// Notes, each time the window gets the keyboard, the keys already held down then, until each is
// released; heldFromBefore answers from that note.
void watchHeldKeys(QWidget* window);
bool heldFromBefore(QWidget* window, quint32 keycode);

// Has the window, at its next showing, come up without taking the keyboard, whatever the window
// manager's focus policy, until the user gives it the keyboard: a click on it, or a switch key.
void showWithoutFocus(QWidget* window);

// From now on, every window of the program is declared transient only for a mapped window.
void declareOnlyMappedOwners();

// From now on, every window of the program names the desktop entry (QGuiApplication's
// desktopFileName) it belongs to.
void nameDesktopEntry();

} // namespace tintel::x11
