#include "core/Threads.h"

#include "core/platform/ThreadPriority.h"

#include <algorithm>

namespace Core::Threads {

void ThreadEvent::set() {
    {
        std::lock_guard lock(mutex_);
        signalled_ = true;
    }
    condition_.notify_all();
}

void ThreadEvent::clear() {
    std::lock_guard lock(mutex_);
    signalled_ = false;
}

bool ThreadEvent::isSet() const {
    std::lock_guard lock(mutex_);
    return signalled_;
}

void ThreadEvent::setAutoClear(bool autoClear) {
    std::lock_guard lock(mutex_);
    autoClear_ = autoClear;
}

void ThreadEvent::consumeLocked() {
    if (autoClear_) signalled_ = false;
}

void ThreadEvent::wait() {
    std::unique_lock lock(mutex_);
    condition_.wait(lock, [this] { return signalled_; });
    consumeLocked();
}

bool ThreadEvent::waitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    if (!condition_.wait_for(lock, timeout, [this] { return signalled_; })) return false;
    consumeLocked();
    return true;
}

int niceIncrementFor(int priority) {
    return priority < 0 ? std::min(19, -priority * 5) : 0;
}

std::thread startThread(std::function<void()> routine, int priority) {
    return std::thread([routine = std::move(routine), priority] {
        if (priority < kPriorityNormal) lowerCurrentThreadPriority(priority);
        routine();
    });
}

void stopThread(std::thread& thread) {
    if (!thread.joinable()) return;
    if (thread.get_id() == std::this_thread::get_id())
        thread.detach(); // a thread stopping itself cannot wait for itself
    else
        thread.join();
}

} // namespace Core::Threads
