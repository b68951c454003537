// The process-wide list of open editors and the 25 ms tick that gives them idle time. No thread of our
// own touches the window system: the tick is driven from the hosts' own idle requests (pump), which
// arrive on their GUI thread. Whichever open editor's host calls first runs the tick for all of them.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace Tessu {

class IPluginEditor;

class IdleList {
public:
    using Clock = std::function<uint64_t()>;
    static constexpr uint64_t kIntervalMs = 25;

    static IdleList& instance();

    void add(IPluginEditor* editor);
    // Marks the editor's entries removed; the next tick erases them. Safe to call from inside idle.
    void remove(IPluginEditor* editor);
    // Runs a tick when at least the interval has passed since the last one.
    void pump();
    // One tick: erases removed entries and idles every open editor. Skipped while the list is busy.
    void tick();

    bool isRunning() const { return running_; }
    size_t entryCount() const;
    // Replaces the millisecond clock (tests); null restores the steady clock.
    void setClock(Clock clock);

private:
    struct Entry {
        IPluginEditor* editor;
        bool removed;
    };
    uint64_t now() const;

    mutable std::recursive_mutex lock_;
    std::vector<Entry> entries_;
    bool running_ = false;
    uint64_t lastTick_ = 0;
    Clock clock_;
};

} // namespace Tessu
