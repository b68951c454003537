// The process-wide idle list: who gets idle time, when, and when the tick stops.
#include "frame/IdleList.h"
#include "frame/PluginEditor.h"

#include <gtest/gtest.h>

using Tessu::IdleList;

namespace {

struct CountingEditor : Tessu::IPluginEditor {
    bool shown = true;
    int idles = 0;
    bool getSize(double*) override { return false; }
    bool open(void*) override { return shown = true; }
    void close() override { shown = false; }
    bool isOpen() const override { return shown; }
    void idle() override { ++idles; }
};

struct IdleListTest : ::testing::Test {
    uint64_t now = 1000;
    IdleList& list = IdleList::instance();

    void SetUp() override {
        list.setClock([this] { return now; });
        drain();
    }
    void TearDown() override {
        drain();
        list.setClock(nullptr);
    }
    // Leaves no entries behind for the next test: two ticks erase everything removed and stop.
    void drain() {
        list.tick();
        list.tick();
    }
};

TEST_F(IdleListTest, PumpTicksEveryTwentyFiveMillisecondsAndIdlesOpenEditorsOnly) {
    CountingEditor open, hidden;
    hidden.shown = false;
    list.add(&open);
    list.add(&hidden);
    EXPECT_TRUE(list.isRunning());
    const struct {
        uint64_t advance;
        int idles;
    } steps[] = {{10, 0}, {14, 0}, {1, 1}, {24, 1}, {30, 2}, {25, 3}};
    for (const auto& step : steps) {
        now += step.advance;
        list.pump();
        EXPECT_EQ(open.idles, step.idles) << "after " << step.advance << " ms";
    }
    EXPECT_EQ(hidden.idles, 0);
    list.remove(&open);
    list.remove(&hidden);
}

TEST_F(IdleListTest, RemovedEditorsAreErasedOnceAtTheNextTickAndAnEmptyListStops) {
    CountingEditor a, b;
    list.add(&a);
    list.add(&b);
    list.remove(&a);
    list.remove(&a);
    EXPECT_EQ(list.entryCount(), 2u);
    list.tick();
    EXPECT_EQ(list.entryCount(), 1u);
    EXPECT_EQ(a.idles, 0);
    EXPECT_EQ(b.idles, 1);
    list.remove(&b);
    list.tick();
    EXPECT_EQ(list.entryCount(), 0u);
    EXPECT_TRUE(list.isRunning());
    list.tick();
    EXPECT_FALSE(list.isRunning());
    now += 100;
    list.pump();
    EXPECT_EQ(b.idles, 1);
}

TEST_F(IdleListTest, AnEditorMayRemoveItselfDuringItsIdle) {
    struct SelfRemoving : CountingEditor {
        void idle() override {
            CountingEditor::idle();
            IdleList::instance().remove(this);
        }
    } editor;
    list.add(&editor);
    list.tick();
    list.tick();
    EXPECT_EQ(editor.idles, 1);
    EXPECT_EQ(list.entryCount(), 0u);
}

} // namespace
