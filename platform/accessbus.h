#pragma once

#include <memory>

namespace tintel {

// Qt's accessibility bridge, made with the first window, asks the session bus and the
// accessibility bus and waits for each answer on the GUI thread: a bus that accepts and never
// answers keeps every window away for minutes. Made before the application, this asks the same
// questions in the background, all within one deadline; settle(), once the application exists
// and before its first window, waits for them until then and, where a bus stayed silent, makes
// the bridge with no bus to find, so the windows come, without a screen reader for this run.
class AccessibilityBuses
{
public:
    AccessibilityBuses();
    ~AccessibilityBuses();
    AccessibilityBuses(const AccessibilityBuses&) = delete;
    AccessibilityBuses& operator=(const AccessibilityBuses&) = delete;

    void settle();

    struct Probe;

private:
    std::unique_ptr<Probe> m_probe;
};

} // namespace tintel
