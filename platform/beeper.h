#pragma once

#include <memory>

namespace tintel {

class Beeper
{
public:
    virtual ~Beeper() = default;
    virtual void beep() = 0;
};

// The X bell alone is muted on many desktops, so the "bell" event sound of the user's sound theme
// is played as well through libcanberra when the program was built with it.
class DesktopBeeper final : public Beeper
{
public:
    // Build it before any window: the sound server is reached from here on, so that the first
    // beep finds everything ready.
    DesktopBeeper();
    ~DesktopBeeper() override;
    DesktopBeeper(const DesktopBeeper&) = delete;
    DesktopBeeper& operator=(const DesktopBeeper&) = delete;
    void beep() override;

private:
    class EventSound;
    std::unique_ptr<EventSound> m_sound;
};

} // namespace tintel
