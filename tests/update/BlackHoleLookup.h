#pragma once
// A resolver that never answers, as a DNS server that drops every query looks to the requests; it counts
// the lookups started and those abandoned.

#include "update/NameLookup.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace KavrenTest {

struct BlackHoleLookups {
    std::atomic<int> started{0};
    std::atomic<int> abandoned{0};

    Pellu::NameLookupStarter starter() {
        return [this](const std::string&, int) -> std::unique_ptr<Pellu::INameLookup> {
            ++started;
            return std::make_unique<Lookup>(*this);
        };
    }

private:
    struct Lookup : Pellu::INameLookup {
        explicit Lookup(BlackHoleLookups& owner) : owner(owner) {}
        ~Lookup() override { ++owner.abandoned; }
        Result wait(std::chrono::milliseconds slice) override {
            std::unique_lock lock(mutex);
            silence.wait_for(lock, slice); // a resolver's wait for a reply that does not come
            return kPending;
        }
        const std::vector<Pellu::Sockets::Address>& addresses() const override { return none; }

        BlackHoleLookups& owner;
        std::mutex mutex;
        std::condition_variable silence;
        std::vector<Pellu::Sockets::Address> none;
    };
};

} // namespace KavrenTest
