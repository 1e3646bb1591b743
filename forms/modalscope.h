#pragma once

#include <functional>

namespace tintel {

// Counts the modal loops on the stack. A window unloaded inside a modal loop is freed only once
// every such loop has returned, when none of its handlers can still be running.
class ModalScope
{
public:
    ModalScope();
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

    static int depth();
    // Runs when the outermost modal loop returns.
    static void setOnOutermostExit(std::function<void()> callback);
};

} // namespace tintel
