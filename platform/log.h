#pragma once

#include <QLoggingCategory>

namespace tintel {

// The failures the program keeps from the user on purpose (a setting not saved, no sound, no
// lock); silent unless enabled, e.g. QT_LOGGING_RULES="tintel.*=true".
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)

} // namespace tintel
