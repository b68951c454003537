// Values handed from the audio thread to the GUI thread without locks or waiting: the audio thread
// appends to a ring, the GUI copies the latest values and keeps the copy only if the writer did not
// overtake it meanwhile. Used for the spectrum's signal and the envelope histories.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

template <int Capacity> class CSampleRing {
public:
    static constexpr int kCapacity = Capacity;

    // Audio thread: appends value(i) for i in 0 .. n − 1.
    template <typename Value> void write(int n, Value&& value) {
        uint64_t at = written_.load(std::memory_order_relaxed);
        for (int i = 0; i < n; ++i, ++at) ring_[at % Capacity].store(value(i), std::memory_order_relaxed);
        written_.store(at, std::memory_order_release);
    }

    // Values written since construction.
    uint64_t written() const { return written_.load(std::memory_order_acquire); }

    // GUI thread: copies the count (≤ Capacity / 2) values that end at the latest write into out; false
    // when fewer were written or the writer overtook the copy.
    bool readLatest(float* out, int count, uint64_t& end) const {
        end = written();
        if (count > Capacity / 2 || end < uint64_t(count)) return false;
        const uint64_t start = end - uint64_t(count);
        for (int i = 0; i < count; ++i)
            out[i] = ring_[(start + uint64_t(i)) % Capacity].load(std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_acquire);
        return written_.load(std::memory_order_relaxed) - start <= uint64_t(Capacity);
    }

private:
    std::array<std::atomic<float>, Capacity> ring_{};
    std::atomic<uint64_t> written_{0};
};

// The processed signal, mono, for the spectrum display.
using CSpectrumFeed = CSampleRing<8192>;
// One envelope value per block, for the envelope graphs.
using CEnvelopeHistory = CSampleRing<2048>;
