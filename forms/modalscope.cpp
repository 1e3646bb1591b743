#include "forms/modalscope.h"

namespace tintel {
namespace {
int g_depth = 0;
std::function<void()>& onExit()
{
    static std::function<void()> callback;
    return callback;
}
} // namespace

ModalScope::ModalScope()
{
    ++g_depth;
}

ModalScope::~ModalScope()
{
    if (--g_depth == 0 && onExit())
        onExit()();
}

int ModalScope::depth()
{
    return g_depth;
}

void ModalScope::setOnOutermostExit(std::function<void()> callback)
{
    onExit() = std::move(callback);
}

} // namespace tintel
