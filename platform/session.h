#pragma once

#include <QString>

namespace tintel {

// The desktop session as the environment describes it.
struct Session
{
    QString qtPlatform;     // QT_QPA_PLATFORM: the user's own choice, if any
    QString sessionType;    // XDG_SESSION_TYPE
    QString waylandDisplay; // WAYLAND_DISPLAY
    QString display;        // DISPLAY
};

// The Qt platform to force, or an empty text to leave Qt's choice alone. Wayland gives clients
// neither always-on-top nor placement; XWayland (a DISPLAY beside Wayland) gives both.
QString forcedPlatform(const Session& session);

// Whether any display at all can be reached; without one Qt would abort with its own message.
bool hasDisplay(const Session& session);

} // namespace tintel
