// Carries parameter changes and state requests from any thread to the audio thread, without locks.
//
// A writer stores the new value in the parameter itself, then posts the parameter's slot. Writers that
// change several values that only make sense together (a state load, a filter-mode switch) bracket them
// with beginBatch/endBatch. The audio thread collects at the start of each block: it takes the posted
// slots and reads the values it needs, and the collection only counts when no batch was open at any
// moment while it read, so a block never sees half of a batch. Otherwise everything stays posted for the
// next block.
#pragma once

#include <atomic>
#include <cstdint>

class CChangeInbox {
public:
    static constexpr int kSlotCount = 64;

    // Any thread.
    void post(int slot) { slots_.fetch_or(uint64_t(1) << slot, std::memory_order_release); }
    void request(uint32_t requests) { requests_.fetch_or(requests, std::memory_order_release); }
    void beginBatch() {
        batchesBegun_.fetch_add(1, std::memory_order_acq_rel);
        // Orders the batch's value stores after the count, for the reader's check below.
        std::atomic_thread_fence(std::memory_order_release);
    }
    void endBatch() { batchesEnded_.fetch_add(1, std::memory_order_release); }

    // Audio thread. readValues(slots) copies what the posted slots need; answers false (and leaves
    // everything posted) when a batch was being written meanwhile.
    template <typename ReadValues>
    bool collect(uint64_t& slots, uint32_t& requests, ReadValues&& readValues) {
        if (!slots_.load(std::memory_order_relaxed) && !requests_.load(std::memory_order_relaxed))
            return false;
        const uint32_t begun = batchesBegun_.load(std::memory_order_acquire);
        if (batchesEnded_.load(std::memory_order_acquire) != begun) return false;
        slots = slots_.exchange(0, std::memory_order_acq_rel);
        requests = requests_.exchange(0, std::memory_order_acq_rel);
        readValues(slots);
        std::atomic_thread_fence(std::memory_order_acquire);
        if (batchesBegun_.load(std::memory_order_relaxed) == begun) return true;
        post(slots);
        request(requests);
        return false;
    }

private:
    void post(uint64_t slots) { slots_.fetch_or(slots, std::memory_order_release); }

    std::atomic<uint64_t> slots_{0};
    std::atomic<uint32_t> requests_{0};
    std::atomic<uint32_t> batchesBegun_{0};
    std::atomic<uint32_t> batchesEnded_{0};
};
