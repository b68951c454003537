#include "core/Threads.h"

#include <atomic>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

using Core::Threads::ThreadEvent;

TEST(ThreadEvent, SignalledFlagAndAutoClear) {
    ThreadEvent event;
    EXPECT_FALSE(event.isSet());
    EXPECT_FALSE(event.waitFor(std::chrono::milliseconds(1)));

    event.set();
    event.wait(); // returns at once: the flag is raised
    EXPECT_TRUE(event.isSet()) << "without auto-clear the flag stays raised";

    event.setAutoClear(true);
    event.wait();
    EXPECT_FALSE(event.isSet());
    EXPECT_FALSE(event.waitFor(std::chrono::milliseconds(1)));
}

TEST(ThreadEvent, WakesAWaitingThread) {
    ThreadEvent started, go;
    std::atomic<bool> passed{false};
    std::thread waiter = Core::Threads::startThread(
        [&] {
            started.set();
            go.wait();
            passed = true;
        },
        Core::Threads::kPriorityNormal);
    started.wait();
    EXPECT_FALSE(passed.load());
    go.set();
    Core::Threads::stopThread(waiter);
    EXPECT_TRUE(passed.load());
    EXPECT_FALSE(waiter.joinable());
    Core::Threads::stopThread(waiter); // a second stop does nothing
}

TEST(Threads, BelowNormalPriorityRaisesOnlyThatThreadsNiceValue) {
    EXPECT_EQ(Core::Threads::niceIncrementFor(Core::Threads::kPriorityNormal), 0);
    EXPECT_EQ(Core::Threads::niceIncrementFor(Core::Threads::kPriorityBelowNormal), 5);
    EXPECT_EQ(Core::Threads::niceIncrementFor(-15), 19);
    EXPECT_EQ(Core::Threads::niceIncrementFor(2), 0);

    const int before = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    int inside = -100;
    std::thread worker =
        Core::Threads::startThread([&] { inside = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid())); },
                                   Core::Threads::kPriorityBelowNormal);
    Core::Threads::stopThread(worker);
    EXPECT_EQ(inside, std::min(19, before + 5));
    EXPECT_EQ(getpriority(PRIO_PROCESS, static_cast<id_t>(gettid())), before);
}
