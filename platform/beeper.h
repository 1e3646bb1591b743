#pragma once

#include <QByteArray>

#include <memory>

namespace tintel {

class Beeper
{
public:
    virtual ~Beeper() = default;
    // Gets ready what the beep needs, some seconds before it; a beep without it still sounds.
    virtual void prepare() {}
    virtual void beep() = 0;
};

// The X bell alone is muted on many desktops, so the "bell" event sound of the user's sound theme
// is played as well through libcanberra when the program was built with it and the library is
// installed. The library and the sound server's client behind it are loaded only when the first
// alarm draws near: a countdown spends its hours without them.
class DesktopBeeper final : public Beeper
{
public:
    // soundLibrary names the libcanberra to open, the system's when empty.
    explicit DesktopBeeper(QByteArray soundLibrary = {});
    ~DesktopBeeper() override;
    DesktopBeeper(const DesktopBeeper&) = delete;
    DesktopBeeper& operator=(const DesktopBeeper&) = delete;
    // Loads the library, reaches the sound server and caches the sound, all off the main thread.
    void prepare() override;
    void beep() override;

private:
    class EventSound;
    const QByteArray m_soundLibrary;
    std::unique_ptr<EventSound> m_sound;
};

} // namespace tintel
