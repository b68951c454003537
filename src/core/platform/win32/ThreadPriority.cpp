#include "core/platform/ThreadPriority.h"

#include "core/Threads.h"

#include <windows.h>

namespace Core::Threads {

void lowerCurrentThreadPriority(int priority) {
    if (priority >= kPriorityNormal) return;
    SetThreadPriority(GetCurrentThread(), priority == kPriorityBelowNormal ? THREAD_PRIORITY_BELOW_NORMAL
                                                                           : THREAD_PRIORITY_LOWEST);
}

} // namespace Core::Threads
