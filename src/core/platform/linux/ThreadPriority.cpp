#include "core/platform/ThreadPriority.h"

#include "core/Threads.h"

#include <algorithm>
#include <cerrno>
#include <sys/resource.h>
#include <unistd.h>

namespace Core::Threads {

void lowerCurrentThreadPriority(int priority) {
    const int increment = niceIncrementFor(priority);
    if (increment <= 0) return;
    // On Linux the nice value is per thread when addressed by thread id.
    const id_t self = static_cast<id_t>(gettid());
    errno = 0;
    const int current = getpriority(PRIO_PROCESS, self);
    if (errno == 0) setpriority(PRIO_PROCESS, self, std::min(19, current + increment));
}

} // namespace Core::Threads
