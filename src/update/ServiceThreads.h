#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <list>
#include <mutex>
#include <thread>

namespace Pellu {

/**
 * The service's background threads. Each runs one request and ends by itself; all of them are counted
 * and kept joinable, so that whoever is about to unload the library can stop them and wait until none
 * runs any more of its code.
 */
class ServiceThreads {
public:
    ServiceThreads() = default;
    ~ServiceThreads() { stopAll(); }
    ServiceThreads(const ServiceThreads&) = delete;
    ServiceThreads& operator=(const ServiceThreads&) = delete;

    /** Starts `routine` at below-normal priority; false (and nothing runs) while stopping. */
    bool start(std::function<void()> routine);
    int running() const;
    /** Waits until no thread runs; answers whether that happened within the timeout. */
    bool waitUntilIdle(std::chrono::milliseconds timeout);
    /** Set while stopping; requests in flight watch it and end early. */
    const std::atomic<bool>& cancelFlag() const { return cancel_; }
    /** Cancels what runs, joins every thread, then accepts new ones again. */
    void stopAll();

private:
    struct Entry {
        std::thread thread;
        bool finished = false;
    };
    void joinFinishedLocked();

    mutable std::mutex mutex_;
    std::condition_variable idle_;
    std::list<Entry> entries_;
    int running_ = 0;
    std::atomic<bool> cancel_{false};
};

} // namespace Pellu
