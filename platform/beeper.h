#pragma once

namespace tintel {

class Beeper
{
public:
    virtual ~Beeper() = default;
    virtual void beep() = 0;
};

// The X bell alone is muted on many desktops, so the freedesktop "bell" sound is played as well
// through libcanberra when the library is installed.
class DesktopBeeper final : public Beeper
{
public:
    DesktopBeeper();
    ~DesktopBeeper() override;
    DesktopBeeper(const DesktopBeeper&) = delete;
    DesktopBeeper& operator=(const DesktopBeeper&) = delete;
    void beep() override;

private:
    void* m_library = nullptr;
    void* m_context = nullptr;
    int (*m_play)(void*, unsigned, ...) = nullptr;
    int (*m_destroy)(void*) = nullptr;
};

} // namespace tintel
