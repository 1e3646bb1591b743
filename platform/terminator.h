#pragma once

namespace tintel {

class SettingsStore;

// Ends the process at once: no window's close or unload step runs.
class Terminator
{
public:
    virtual ~Terminator() = default;
    virtual void terminateNow() = 0;
};

class ProcessTerminator final : public Terminator
{
public:
    explicit ProcessTerminator(SettingsStore& store) : m_store(store) {}
    [[noreturn]] void terminateNow() override;

private:
    SettingsStore& m_store;
};

} // namespace tintel
