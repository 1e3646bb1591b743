// Builds without xcb: nothing is known of the windows beyond what Qt says, and nothing is done.
#include "platform/x11/x11.h"

namespace tintel::x11 {

QByteArray xsettings()
{
    return {};
}
QByteArray rootText(const char*)
{
    return {};
}
std::optional<QMargins> frameExtents(QWidget*)
{
    return std::nullopt;
}
bool framesPublished()
{
    return true;
}
std::optional<QSize> clientSize(QWidget*)
{
    return std::nullopt;
}
std::optional<QSize> screenSize(const QScreen*)
{
    return std::nullopt;
}
std::optional<QMargins> panelStruts()
{
    return std::nullopt;
}
bool moveClient(QWidget*, QPoint)
{
    return false;
}
void watchCovered(QWidget*, std::function<void(bool)>) {}
void renewEventMasks(QWidget*) {}
std::optional<unsigned> inputFocus()
{
    return std::nullopt;
}
void watchHeldKeys(QWidget*) {}
bool heldFromBefore(QWidget*, quint32)
{
    return false;
}
void showWithoutFocus(QWidget*) {}
void declareOnlyMappedOwners() {}
void nameDesktopEntry() {}

} // namespace tintel::x11
