#include "forms/keys.h"

#include <QKeyEvent>

namespace tintel {

qint16 virtualKeyCode(const QKeyEvent& event)
{
    const int key = event.key();
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return static_cast<qint16>(kKeyF1 + (key - Qt::Key_F1));
    if (key == Qt::Key_Menu)
        return kKeyApps;
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z))
        return static_cast<qint16>(key);
    return 0;
}

qint16 shiftMask(const QKeyEvent& event)
{
    qint16 mask = 0;
    if (event.modifiers() & Qt::ShiftModifier)
        mask |= kShiftMask;
    if (event.modifiers() & Qt::ControlModifier)
        mask |= 2;
    if (event.modifiers() & Qt::AltModifier)
        mask |= 4;
    return mask;
}

} // namespace tintel
