#pragma once
// The process-wide timer service. Clients register with an interval; one platform timer runs at the
// smallest registered interval (the base period) and every client fires after interval / base period
// ticks. On Linux the "platform timer" is polled: the editor's event pump calls poll(), which runs one
// tick per elapsed base period.

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace Mirda {

class CTimerObject {
public:
    virtual ~CTimerObject() = default;
    virtual void onTimer(uint32_t elapsedMilliseconds) = 0;
};

class CTimerService {
public:
    using Clock = std::function<uint64_t()>;

    static CTimerService& instance();

    // Replaces the millisecond clock (tests); a null clock restores the steady clock.
    void setClock(Clock clock);
    uint64_t now() const;

    void registerClient(CTimerObject* client, uint32_t intervalMs, bool callNow = false);
    void unregisterClient(CTimerObject* client);

    // Runs the ticks whose time has come. Skips the pass when another thread holds the registry.
    void poll();
    // One platform tick: the body of the platform timer's callback.
    void tick();

    uint32_t basePeriod() const { return m_basePeriod; }
    bool isRunning() const { return m_running; }
    size_t entryCount() const;
    // Ticks left before `client` fires; -1 when not registered.
    int32_t ticksLeft(const CTimerObject* client) const;
    // Forgets every client and the clock (tests).
    void reset();

private:
    struct Entry {
        CTimerObject* client;
        uint32_t interval;
        int32_t ticksLeft;
        int32_t ticksReload;
        uint64_t lastFire;
        bool pendingRemoval;
    };

    void startPlatformTimer(uint32_t period);
    void stopPlatformTimer() { m_running = false; }

    mutable std::mutex m_lock;
    std::vector<Entry> m_entries;
    uint32_t m_basePeriod = 0;
    bool m_running = false;
    uint64_t m_nextTick = 0;
    Clock m_clock;
};

} // namespace Mirda
