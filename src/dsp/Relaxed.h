#pragma once

#include <atomic>

// A setting written by the parameter handler on one thread and read by the audio thread on another.
// Each value stands alone, so relaxed ordering is enough; the wrapper keeps the code reading like plain
// scalars.
template <typename T> class Relaxed {
public:
    Relaxed(T initial = T{}) : value_(initial) {}
    Relaxed& operator=(T v) {
        value_.store(v, std::memory_order_relaxed);
        return *this;
    }
    operator T() const { return value_.load(std::memory_order_relaxed); }

private:
    std::atomic<T> value_;
};
