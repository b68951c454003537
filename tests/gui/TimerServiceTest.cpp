#include "gui/TimerService.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Mirda;

namespace {

struct CountingClient : CTimerObject {
    std::vector<uint32_t> elapsed;
    void onTimer(uint32_t ms) override { elapsed.push_back(ms); }
};

struct TimerServiceTest : ::testing::Test {
    CTimerService& service = CTimerService::instance();
    uint64_t clock = 1000;
    void SetUp() override {
        service.reset();
        service.setClock([this] { return clock; });
    }
    void TearDown() override { service.reset(); }
    void advance(uint64_t ms) {
        for (uint64_t i = 0; i < ms; ++i) {
            ++clock;
            service.poll();
        }
    }
};

} // namespace

TEST_F(TimerServiceTest, SmallerIntervalRestartsBasePeriodAndRescalesTicks) {
    CountingClient slow, fast;
    service.registerClient(&slow, 30);
    EXPECT_EQ(service.basePeriod(), 30u);
    service.registerClient(&fast, 15, true);
    EXPECT_EQ(fast.elapsed, std::vector<uint32_t>{0}) << "immediate first call";
    EXPECT_EQ(service.basePeriod(), 15u);
    EXPECT_EQ(service.ticksLeft(&slow), 2);
    advance(60);
    EXPECT_EQ(fast.elapsed.size(), 5u);
    EXPECT_EQ(slow.elapsed, (std::vector<uint32_t>{30, 30}));
}

TEST_F(TimerServiceTest, RemovalIsDeferredWithSeveralClientsAndImmediateWithOne) {
    CountingClient one, two;
    service.registerClient(&one, 10);
    service.registerClient(&two, 20);
    service.unregisterClient(&one);
    EXPECT_EQ(service.entryCount(), 2u) << "flagged, removed on the next tick";
    advance(10);
    EXPECT_EQ(service.entryCount(), 1u);
    EXPECT_TRUE(one.elapsed.empty()) << "a flagged client is not called";
    service.unregisterClient(&two);
    EXPECT_EQ(service.entryCount(), 0u);
    EXPECT_FALSE(service.isRunning());
}

TEST_F(TimerServiceTest, ReRegisteringResetsCountersAndLongStallsDoNotBurst) {
    CountingClient client;
    service.registerClient(&client, 10);
    advance(5);
    service.registerClient(&client, 10);
    EXPECT_EQ(service.entryCount(), 1u);
    EXPECT_EQ(service.ticksLeft(&client), 1);
    clock += 1000;
    service.poll();
    EXPECT_EQ(client.elapsed.size(), 1u);
    EXPECT_EQ(client.elapsed[0], 1000u) << "measured from the re-registration";
}

TEST_F(TimerServiceTest, TickSkipsWhileRegistryIsBusy) {
    // A client that registers another client from inside onTimer must not deadlock the tick.
    struct Registering : CTimerObject {
        CountingClient other;
        void onTimer(uint32_t) override { CTimerService::instance().registerClient(&other, 5); }
    } client;
    service.registerClient(&client, 10);
    advance(10);
    EXPECT_EQ(service.basePeriod(), 5u);
    EXPECT_EQ(service.entryCount(), 2u);
}
