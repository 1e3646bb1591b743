#include "platform/beeper.h"

#include <QApplication>

#ifdef Q_OS_WIN
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace tintel {

#ifdef Q_OS_WIN
DesktopBeeper::DesktopBeeper() = default;
DesktopBeeper::~DesktopBeeper() = default;
void DesktopBeeper::beep()
{
    MessageBeep(MB_OK);
}
#else

template <typename F>
static F symbol(void* library, const char* name)
{
    return reinterpret_cast<F>(dlsym(library, name));
}

DesktopBeeper::DesktopBeeper()
{
    // Loaded at run time so that the program needs no sound library to start.
    m_library = dlopen("libcanberra.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!m_library)
        return;
    auto create = symbol<int (*)(void**)>(m_library, "ca_context_create");
    m_play = symbol<int (*)(void*, unsigned, ...)>(m_library, "ca_context_play");
    m_destroy = symbol<int (*)(void*)>(m_library, "ca_context_destroy");
    if (!create || !m_play || !m_destroy || create(&m_context) != 0)
        m_context = nullptr;
}

DesktopBeeper::~DesktopBeeper()
{
    if (m_context)
        m_destroy(m_context);
    if (m_library)
        dlclose(m_library);
}

void DesktopBeeper::beep()
{
    QApplication::beep();
    if (m_context)
        m_play(m_context, 0, "event.id", "bell", "event.description", "Tintel",
               static_cast<const char*>(nullptr));
}
#endif

} // namespace tintel
