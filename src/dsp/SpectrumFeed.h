// The processed signal for the editor's spectrum, handed from the audio thread to the GUI thread
// without locks or waiting. The audio thread appends the mono sum of each block to a ring; the GUI
// copies the latest frame and keeps the copy only if the writer did not overtake it meanwhile.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

class CSpectrumFeed {
public:
    static constexpr int kCapacity = 8192;

    // Audio thread: appends (left + right) / 2 of n frames.
    void write(const float* left, const float* right, int n) {
        uint64_t at = written_.load(std::memory_order_relaxed);
        for (int i = 0; i < n; ++i, ++at)
            ring_[at % kCapacity].store((left[i] + right[i]) * 0.5f, std::memory_order_relaxed);
        written_.store(at, std::memory_order_release);
    }

    // Samples written since construction.
    uint64_t written() const { return written_.load(std::memory_order_acquire); }

    // GUI thread: copies the count (≤ kCapacity / 2) samples that end at the latest write into out;
    // false when fewer were written or the writer overtook the copy.
    bool readLatest(float* out, int count, uint64_t& end) const {
        end = written();
        if (count > kCapacity / 2 || end < uint64_t(count)) return false;
        const uint64_t start = end - uint64_t(count);
        for (int i = 0; i < count; ++i)
            out[i] = ring_[(start + uint64_t(i)) % kCapacity].load(std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_acquire);
        return written_.load(std::memory_order_relaxed) - start <= uint64_t(kCapacity);
    }

private:
    std::array<std::atomic<float>, kCapacity> ring_{};
    std::atomic<uint64_t> written_{0};
};
