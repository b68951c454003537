#include "gui/TimerService.h"

#include <algorithm>
#include <chrono>

namespace Mirda {

CTimerService& CTimerService::instance() {
    static CTimerService service;
    return service;
}

void CTimerService::setClock(Clock clock) {
    m_clock = std::move(clock);
}

uint64_t CTimerService::now() const {
    if (m_clock) return m_clock();
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void CTimerService::startPlatformTimer(uint32_t period) {
    m_basePeriod = period;
    m_running = true;
    m_nextTick = now() + period;
}

void CTimerService::registerClient(CTimerObject* client, uint32_t intervalMs, bool callNow) {
    if (!client) return;
    intervalMs = std::max<uint32_t>(intervalMs, 1);
    {
        std::lock_guard<std::mutex> guard(m_lock);
        const bool hasLive =
            std::any_of(m_entries.begin(), m_entries.end(), [](const Entry& e) { return !e.pendingRemoval; });
        if (!hasLive || !m_running || intervalMs < m_basePeriod) {
            stopPlatformTimer();
            m_basePeriod = intervalMs;
            for (Entry& e : m_entries) {
                e.ticksReload = static_cast<int32_t>(e.interval / m_basePeriod);
                e.ticksLeft = e.ticksReload;
            }
            startPlatformTimer(intervalMs);
        }
        const int32_t ticks = static_cast<int32_t>(intervalMs / m_basePeriod);
        auto it = std::find_if(m_entries.begin(), m_entries.end(),
                               [client](const Entry& e) { return e.client == client; });
        if (it != m_entries.end()) {
            it->interval = intervalMs;
            it->ticksLeft = it->ticksReload = ticks;
            it->pendingRemoval = false;
            it->lastFire = now();
        } else {
            m_entries.push_back({client, intervalMs, ticks, ticks, now(), false});
        }
    }
    if (callNow) client->onTimer(0);
}

void CTimerService::unregisterClient(CTimerObject* client) {
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = std::find_if(m_entries.begin(), m_entries.end(),
                           [client](const Entry& e) { return e.client == client; });
    if (it == m_entries.end()) return;
    if (m_entries.size() >= 2) {
        it->pendingRemoval = true;
    } else {
        stopPlatformTimer();
        m_entries.clear();
    }
}

void CTimerService::poll() {
    if (!m_running) return;
    const uint64_t t = now();
    // After a long stall (editor hidden, host busy) run one tick instead of a burst.
    if (t >= m_nextTick + 4ull * m_basePeriod) m_nextTick = t;
    while (m_running && t >= m_nextTick) {
        m_nextTick += m_basePeriod;
        tick();
    }
}

void CTimerService::tick() {
    std::unique_lock<std::mutex> guard(m_lock, std::try_to_lock);
    if (!guard.owns_lock()) return;
    std::erase_if(m_entries, [](const Entry& e) { return e.pendingRemoval; });
    const uint64_t t = now();
    // Clients may register or unregister from onTimer, so fire outside the lock over a snapshot.
    std::vector<std::pair<CTimerObject*, uint32_t>> due;
    for (Entry& e : m_entries) {
        if (--e.ticksLeft > 0) continue;
        due.emplace_back(e.client, static_cast<uint32_t>(t - e.lastFire));
        e.lastFire = t;
        e.ticksLeft = e.ticksReload;
    }
    guard.unlock();
    for (auto& [client, elapsed] : due) {
        std::unique_lock<std::mutex> check(m_lock);
        const bool live = std::any_of(m_entries.begin(), m_entries.end(), [c = client](const Entry& e) {
            return e.client == c && !e.pendingRemoval;
        });
        check.unlock();
        if (live) client->onTimer(elapsed);
    }
}

size_t CTimerService::entryCount() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_entries.size();
}

int32_t CTimerService::ticksLeft(const CTimerObject* client) const {
    std::lock_guard<std::mutex> guard(m_lock);
    for (const Entry& e : m_entries)
        if (e.client == client) return e.ticksLeft;
    return -1;
}

void CTimerService::reset() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_entries.clear();
    m_running = false;
    m_basePeriod = 0;
    m_clock = nullptr;
}

} // namespace Mirda
