#include "platform/terminator.h"
#include "platform/inisettingsstore.h"

#include <cstdio>
#include <cstdlib>

namespace tintel {

void ProcessTerminator::terminateNow()
{
    // _Exit skips every destructor and Qt's own shutdown, so nothing buffered may stay behind.
    m_store.flush();
    std::fflush(nullptr);
    std::_Exit(0);
}

} // namespace tintel
