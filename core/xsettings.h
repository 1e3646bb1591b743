#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tintel {

// The string setting `name` in the _XSETTINGS_SETTINGS property as the desktop's settings daemon
// publishes it (serial, settings of type integer, string or colour, in either byte order).
// Empty when the setting is absent, is not a string, or the data ends early: a blob from
// another program is never trusted to be well formed.
QString xsettingsString(QByteArrayView blob, QByteArrayView name);

} // namespace tintel
