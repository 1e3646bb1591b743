#include "platform/session.h"

namespace tintel {

QString forcedPlatform(const Session& session)
{
    if (!session.qtPlatform.isEmpty())
        return {};
    const bool wayland =
        session.sessionType == QLatin1String("wayland") || !session.waylandDisplay.isEmpty();
    if (wayland && !session.display.isEmpty())
        return QStringLiteral("xcb");
    return {};
}

bool hasDisplay(const Session& session)
{
    return !session.qtPlatform.isEmpty() || !session.display.isEmpty() ||
           !session.waylandDisplay.isEmpty();
}

} // namespace tintel
