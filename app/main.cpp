#include "core/alarmrecord.h"
#include "core/registry.h"
#include "forms/look.h"
#include "forms/messagebox.h"
#include "platform/accessbus.h"
#include "platform/beeper.h"
#include "platform/clock.h"
#include "platform/inisettingsstore.h"
#include "platform/localfiles.h"
#include "platform/platform.h"
#include "platform/runningprograminfo.h"
#include "platform/screen.h"
#include "platform/session.h"
#include "platform/shell.h"
#include "platform/singleinstance.h"
#include "platform/terminator.h"
#include "platform/ticker.h"
#include "platform/windowmanager.h"
#include "startup/frmIntro.h"

#include <QApplication>

#include <cstdio>
#include <optional>

int main(int argc, char* argv[])
{
    const tintel::Session session{
        qEnvironmentVariable("QT_QPA_PLATFORM"), qEnvironmentVariable("XDG_SESSION_TYPE"),
        qEnvironmentVariable("WAYLAND_DISPLAY"), qEnvironmentVariable("DISPLAY")};
    if (!tintel::hasDisplay(session)) {
        std::fputs("Tintel a besoin d'un bureau graphique : aucun affichage n'est disponible.\n"
                   "Tintel needs a graphical desktop, and no display was found (DISPLAY and "
                   "WAYLAND_DISPLAY are not set).\n",
                   stderr);
        return 2;
    }
    if (tintel::waylandOnly(session)) {
        std::fputs("Tintel a besoin de X11 pour garder son compte à rebours au premier plan, et "
                   "cette session Wayland n'a pas XWayland (DISPLAY n'est pas défini).\n"
                   "Tintel needs X11 to keep its countdown on top, and this Wayland session has "
                   "no XWayland (DISPLAY is not set).\n",
                   stderr);
        return 2;
    }
    // Chosen for the program itself: the programs the function keys open get the user's own.
    const QString forced = tintel::forcedPlatform(session);
    if (!forced.isEmpty())
        qputenv("QT_QPA_PLATFORM", forced.toLatin1());

    // Qt's shared-memory painting under X11 makes a round trip to the X server before each
    // picture that overlaps the last one, which blocks the program and wakes its X thread: a
    // countdown that changes once a second would wake three or four times, to save copying a few
    // kilobytes over the socket. A user's own setting is kept, and
    // the programs the function keys open inherit none from here.
    const bool ownPainting = !qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM");
    if (ownPainting)
        qputenv("QT_XCB_NO_MITSHM", "1");
    // A display that does not answer (its server gone, or not allowed) ends the program with a
    // sentence of its own; a platform the user chose is left to say what it says.
    std::optional<tintel::DisplayOpening> opening;
    if (!tintel::platformChosen(session)) {
        const QByteArray display = session.display.toLocal8Bit();
        opening.emplace("Tintel a besoin d'un bureau graphique : l'affichage " + display +
                        " ne répond pas.\nTintel needs a graphical desktop, and the display " +
                        display + " does not answer.\n");
    }
    tintel::AccessibilityBuses buses;
    QApplication app(argc, argv);
    opening.reset();
    if (ownPainting)
        qunsetenv("QT_XCB_NO_MITSHM");
    if (!forced.isEmpty())
        qunsetenv("QT_QPA_PLATFORM");
    buses.settle();
    // The program ends when its last window is unloaded, which the form registry decides.
    QApplication::setQuitOnLastWindowClosed(false);
    tintel::setUpApplication();

    tintel::SystemClock clock;
    tintel::SystemTickerFactory tickers(clock);
    tintel::IniSettingsStore settings;
    tintel::UserSingleInstance instance;
    tintel::QtMessageBoxes boxes;
    tintel::DesktopBeeper beeper;
    tintel::RunningProgramInfo program;
    tintel::QtScreen screen;
    tintel::ProcessTerminator terminator(settings);
    tintel::DesktopShell shell;
    tintel::LocalFiles files;
    tintel::QtWindowManager windows;
    tintel::NoRegistry registry;
    tintel::Platform platform{clock,  tickers,    settings, instance, boxes,   beeper,  program,
                              screen, terminator, shell,    files,    windows, registry};

    tintel::AlarmRecord record;
    tintel::Forms forms(platform, record);
    forms.show<tintel::frmIntro>();
    return QApplication::exec();
}
