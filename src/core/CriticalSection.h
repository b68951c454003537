#pragma once

#include <mutex>

namespace Core {

/** Lock for short sections on non-real-time threads; periodic callbacks use tryEnter and skip a turn. */
class CriticalSection {
public:
    void enter() { mutex_.lock(); }
    bool tryEnter() { return mutex_.try_lock(); }
    void leave() { mutex_.unlock(); }

    // Lockable, so that std::lock_guard / std::unique_lock work too.
    void lock() { enter(); }
    bool try_lock() { return tryEnter(); }
    void unlock() { leave(); }

private:
    std::mutex mutex_;
};

} // namespace Core
