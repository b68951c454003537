// Keeps processing apart from reconfiguration (sample rate, block size, channel layout), which
// reallocates what processing uses. Hosts reconfigure while processing is stopped; should one not, the
// audio thread never waits: it only tries to enter and skips the block when it cannot, while the
// reconfiguring thread waits for the block in flight to end.
#pragma once

#include <atomic>
#include <thread>

namespace Tessu {

class ProcessingGate {
public:
    bool tryEnter() { return !busy_.exchange(true, std::memory_order_acquire); }
    void enter() {
        while (busy_.exchange(true, std::memory_order_acquire)) std::this_thread::yield();
    }
    void leave() { busy_.store(false, std::memory_order_release); }

    class Reconfiguration {
    public:
        explicit Reconfiguration(ProcessingGate& gate) : gate_(gate) { gate_.enter(); }
        ~Reconfiguration() { gate_.leave(); }
        Reconfiguration(const Reconfiguration&) = delete;
        Reconfiguration& operator=(const Reconfiguration&) = delete;

    private:
        ProcessingGate& gate_;
    };

private:
    std::atomic<bool> busy_{false};
};

} // namespace Tessu
