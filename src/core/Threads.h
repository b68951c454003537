#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace Core::Threads {

/**
 * Hand-over between threads. set() raises the signalled flag and wakes every waiter; wait() returns as
 * soon as the flag is raised and lowers it again when auto-clear is on (otherwise it stays raised until
 * clear()).
 */
class ThreadEvent {
public:
    void set();
    void clear();
    bool isSet() const;
    void setAutoClear(bool autoClear);

    void wait();
    /** Like wait(), giving up after `timeout`; answers whether the event was signalled. */
    bool waitFor(std::chrono::milliseconds timeout);

private:
    void consumeLocked();

    mutable std::mutex mutex_;
    std::condition_variable condition_;
    bool signalled_ = false;
    bool autoClear_ = false;
};

/** Thread priorities; values below normal lower the thread's scheduling weight (nice). */
enum ThreadPriority : int { kPriorityNormal = 0, kPriorityBelowNormal = -1, kPriorityLowest = -2 };

/** The nice increment a priority maps to: 5 per step below normal, at most 19; none for others. */
int niceIncrementFor(int priority);

/** Starts `routine` on a new thread; a priority below normal is applied to that thread only. */
std::thread startThread(std::function<void()> routine, int priority);

/** Waits for the thread to finish (the routine must return; threads are never killed) and releases it. */
void stopThread(std::thread& thread);

} // namespace Core::Threads
