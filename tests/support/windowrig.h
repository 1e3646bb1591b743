#pragma once

#include "forms/forms.h"
#include "tests/support/fakes.h"

#include <QObject>

class QWidget;

namespace tintel::test {

// The fakes, an alarm record and a form registry whose end of the program is only counted.
struct WindowRig
{
    FakePlatform fp;
    AlarmRecord record;
    Forms forms{fp.platform, record};
    int quits = 0;
    // Owns the timers and pollers of a test, so none outlives it.
    QObject context;

    WindowRig();
};

// Types text into a widget key by key; QTest::keyClicks knows only ASCII, so other letters go
// as their key with the text.
void typeText(QWidget* widget, const QString& text);

// The object name of the first visible top-level window, or an empty text when none is left.
QString visibleTopLevel();

} // namespace tintel::test
