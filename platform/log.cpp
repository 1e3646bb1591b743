#include "platform/log.h"

namespace tintel {

// Warnings and above only by default, and the platform layer logs at info level: nothing shows
// until a rule asks for it.
Q_LOGGING_CATEGORY(lcPlatform, "tintel.platform", QtWarningMsg)

} // namespace tintel
