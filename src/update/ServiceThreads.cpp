#include "update/ServiceThreads.h"

#include "core/Threads.h"

namespace Pellu {

bool ServiceThreads::start(std::function<void()> routine) {
    std::lock_guard lock(mutex_);
    if (cancel_.load()) return false;
    joinFinishedLocked();
    Entry& entry = entries_.emplace_back();
    ++running_;
    entry.thread = Core::Threads::startThread(
        [this, &entry, routine = std::move(routine)] {
            routine();
            std::lock_guard done(mutex_);
            entry.finished = true;
            --running_;
            idle_.notify_all();
        },
        Core::Threads::kPriorityBelowNormal);
    return true;
}

int ServiceThreads::running() const {
    std::lock_guard lock(mutex_);
    return running_;
}

bool ServiceThreads::waitUntilIdle(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return idle_.wait_for(lock, timeout, [this] { return running_ == 0; });
}

void ServiceThreads::joinFinishedLocked() {
    for (auto entry = entries_.begin(); entry != entries_.end();) {
        if (!entry->finished) {
            ++entry;
            continue;
        }
        entry->thread.join(); // it has left its routine; this only collects it
        entry = entries_.erase(entry);
    }
}

void ServiceThreads::stopAll() {
    std::list<Entry> stopping;
    {
        std::lock_guard lock(mutex_);
        cancel_.store(true);
        stopping.splice(stopping.end(), entries_);
    }
    for (Entry& entry : stopping) Core::Threads::stopThread(entry.thread);
    std::lock_guard lock(mutex_);
    cancel_.store(false);
}

} // namespace Pellu
