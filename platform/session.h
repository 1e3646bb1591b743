#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <vector>

namespace tintel {

// The desktop session as the environment describes it.
struct Session
{
    QString qtPlatform;     // QT_QPA_PLATFORM: the user's own choice, if any
    QString sessionType;    // XDG_SESSION_TYPE
    QString waylandDisplay; // WAYLAND_DISPLAY
    QString display;        // DISPLAY
};

// Whether the user chose a platform other than the one the program runs on, xcb.
bool platformChosen(const Session& session);

// The Qt platform to force, or an empty text to leave Qt's choice alone. Wayland gives clients
// neither always-on-top nor placement; XWayland (a DISPLAY beside Wayland) gives both.
QString forcedPlatform(const Session& session);

// Whether any display at all can be reached; without one Qt would abort with its own message.
bool hasDisplay(const Session& session);

// A Wayland session without XWayland, where the user chose no platform: Qt would open a window
// that can neither stay on top nor choose its place, or abort for want of an X display.
bool waylandOnly(const Session& session);

// While it lives, Qt failing to open its display ends the program with status 2 and `words` on
// the standard error, instead of Qt's own text and an abort; what Qt says meanwhile is held
// back and said once the display is open.
class DisplayOpening
{
public:
    explicit DisplayOpening(QByteArray words);
    ~DisplayOpening();
    DisplayOpening(const DisplayOpening&) = delete;
    DisplayOpening& operator=(const DisplayOpening&) = delete;

    struct Held
    {
        QtMsgType type;
        QByteArray file, function, category;
        int line;
        QString text;
    };

private:
    QtMessageHandler m_previous;
    std::vector<Held> m_held;
};

} // namespace tintel
