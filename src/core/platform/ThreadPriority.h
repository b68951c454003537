#pragma once

namespace Core::Threads {

/** Lowers the calling thread's scheduling weight to a priority below normal (a ThreadPriority). */
void lowerCurrentThreadPriority(int priority);

} // namespace Core::Threads
