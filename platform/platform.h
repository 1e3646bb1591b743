#pragma once

namespace tintel {

class Beeper;
class Clock;
class Files;
class MessageBoxes;
class ProgramInfo;
class Registry;
class Screen;
class SettingsStore;
class Shell;
class SingleInstance;
class Terminator;
class TickerFactory;
class WindowManager;

// Everything the windows need from the machine, injected so that tests can replace any of it.
struct Platform
{
    Clock& clock;
    TickerFactory& tickers;
    SettingsStore& settings;
    SingleInstance& instance;
    MessageBoxes& boxes;
    Beeper& beeper;
    ProgramInfo& program;
    Screen& screen;
    Terminator& terminator;
    Shell& shell;
    Files& files;
    WindowManager& windows;
    Registry& registry;
};

} // namespace tintel
