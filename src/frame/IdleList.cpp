#include "frame/IdleList.h"

#include "frame/PluginEditor.h"

#include <algorithm>
#include <chrono>

namespace Tessu {

IdleList& IdleList::instance() {
    static IdleList list;
    return list;
}

uint64_t IdleList::now() const {
    if (clock_) return clock_();
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void IdleList::setClock(Clock clock) {
    std::lock_guard guard(lock_);
    clock_ = std::move(clock);
}

void IdleList::add(IPluginEditor* editor) {
    std::lock_guard guard(lock_);
    entries_.push_back({editor, false});
    if (!running_) {
        running_ = true;
        lastTick_ = now();
    }
}

void IdleList::remove(IPluginEditor* editor) {
    std::lock_guard guard(lock_);
    for (Entry& entry : entries_)
        if (entry.editor == editor) entry.removed = true;
}

size_t IdleList::entryCount() const {
    std::lock_guard guard(lock_);
    return entries_.size();
}

void IdleList::pump() {
    std::unique_lock guard(lock_, std::try_to_lock);
    if (!guard.owns_lock() || !running_) return;
    const uint64_t time = now();
    if (time - lastTick_ < kIntervalMs) return;
    lastTick_ = time;
    tick();
}

void IdleList::tick() {
    std::unique_lock guard(lock_, std::try_to_lock);
    if (!guard.owns_lock()) return;
    if (entries_.empty()) {
        running_ = false;
        return;
    }
    std::erase_if(entries_, [](const Entry& entry) { return entry.removed; });
    // By index: an editor's idle may add or remove entries (the list lock is recursive).
    for (size_t i = 0; i < entries_.size(); ++i) {
        const Entry entry = entries_[i];
        if (!entry.removed && entry.editor->isOpen()) entry.editor->idle();
    }
}

} // namespace Tessu
