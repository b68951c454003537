#include "gui/Frame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Mirda;

namespace {

// Records the events it receives and answers with configurable results.
class ProbeView : public CView {
public:
    ProbeView(const CRect& r, std::vector<std::string>* log, const char* name)
        : CView(r), m_log(log), m_name(name) {}
    int32_t downResult = kMouseHandled;
    int32_t moveResult = kMouseHandled;
    bool wheelResult = true;
    int32_t keyResult = -1;
    CPoint lastPoint;
    int32_t lastButtons = 0;
    bool lostFocus = false;

    int32_t onMouseDown(CPoint& p, int32_t b) override { return record("down", p, b, downResult); }
    int32_t onMouseUp(CPoint& p, int32_t b) override { return record("up", p, b, kMouseHandled); }
    int32_t onMouseMoved(CPoint& p, int32_t b) override { return record("move", p, b, moveResult); }
    int32_t onMouseEntered(CPoint& p, int32_t b) override { return record("enter", p, b, 1); }
    int32_t onMouseExited(CPoint& p, int32_t b) override { return record("exit", p, b, 1); }
    bool onWheel(const CPoint& p, int32_t, float d, int32_t b) override {
        CPoint q = p;
        record("wheel" + std::to_string(static_cast<int>(d)), q, b, 1);
        return wheelResult;
    }
    int32_t onKeyDown(VstKeyCode& k) override {
        CPoint none;
        return record("key" + std::to_string(k.virt), none, 0, keyResult);
    }
    void looseFocus() override { lostFocus = true; }

private:
    int32_t record(const std::string& what, CPoint& p, int32_t b, int32_t result) {
        m_log->push_back(m_name + ":" + what);
        lastPoint = p;
        lastButtons = b;
        return result;
    }
    std::vector<std::string>* m_log;
    std::string m_name;
};

struct ViewTree : ::testing::Test {
    std::vector<std::string> log;
    CFrame* frame = new CFrame(CRect(0, 0, 200, 100));
    ProbeView* a = new ProbeView(CRect(10, 10, 50, 50), &log, "a");
    ProbeView* b = new ProbeView(CRect(30, 30, 80, 80), &log, "b"); // overlaps a, on top
    CViewContainer* box = new CViewContainer(CRect(100, 20, 180, 90));
    ProbeView* inner = new ProbeView(CRect(5, 5, 25, 25), &log, "inner"); // frame (105,25)-(125,45)

    void SetUp() override {
        frame->addView(a);
        frame->addView(b);
        frame->addView(box);
        box->addView(inner);
    }
    void TearDown() override {
        frame->close(); // attached views hold references to the frame
        frame->release();
    }
};

} // namespace

TEST(Geometry, EdgesCountAsInside) {
    const CRect r(10, 10, 20, 20);
    EXPECT_TRUE(r.pointInside(CPoint(20, 20)));
    EXPECT_TRUE(r.pointInside(CPoint(10, 10)));
    EXPECT_FALSE(r.pointInside(CPoint(20.01, 15)));
}

TEST_F(ViewTree, AddAndRemoveKeepReferencesAndAttachment) {
    EXPECT_TRUE(a->isAttached());
    EXPECT_EQ(inner->getFrame(), frame);
    EXPECT_FALSE(frame->addView(a)) << "an attached view cannot be added twice";
    EXPECT_FALSE(frame->addView(nullptr));
    a->addRef();
    EXPECT_TRUE(frame->removeView(a, true));
    EXPECT_FALSE(a->isAttached());
    EXPECT_EQ(a->getFrame(), nullptr);
    EXPECT_EQ(a->getNbReference(), 1);
    EXPECT_FALSE(frame->removeView(a, true)) << "not a child any more";
    EXPECT_FALSE(a->removed(frame));
    a->release();
    EXPECT_EQ(frame->getNbViews(), 2);
    auto* detached = new CView(CRect());
    EXPECT_DOUBLE_EQ(detached->getSampleRate(), 44100.0);
    detached->release();
}

TEST_F(ViewTree, MouseDownGoesToTopmostAndCaptures) {
    CPoint p(40, 40); // inside both a and b
    EXPECT_EQ(frame->onMouseDown(p, kLButton), kMouseHandled);
    EXPECT_EQ(log, std::vector<std::string>{"b:down"});
    CPoint outside(190, 5);
    frame->onMouseMoved(outside, kLButton);
    EXPECT_EQ(log.back(), "b:move") << "the capture view gets moves outside itself";
    frame->onMouseUp(outside, 0);
    EXPECT_EQ(log[log.size() - 2], "b:exit");
    EXPECT_EQ(log.back(), "b:up");
    EXPECT_FALSE(frame->hasMouseCapture());

    log.clear();
    b->downResult = kMouseNotHandled;
    EXPECT_EQ(frame->onMouseDown(p, kLButton), kMouseHandled);
    EXPECT_EQ(log, (std::vector<std::string>{"b:down", "a:down"})) << "a refusing child passes the event on";
    frame->onMouseUp(p, 0);

    log.clear();
    b->setActive(false);
    b->downResult = kMouseHandled;
    frame->onMouseDown(p, kLButton);
    EXPECT_EQ(log, std::vector<std::string>{"a:down"}) << "inactive views get no mouse events";
    frame->onMouseUp(p, 0);
}

TEST_F(ViewTree, NestedContainerGetsLocalCoordinatesAndResultThree) {
    CPoint p(125, 45); // bottom-right edge of inner in frame coordinates
    inner->downResult = kMouseHandledNoFollow;
    EXPECT_EQ(frame->onMouseDown(p, kLButton), kMouseHandledNoFollow);
    EXPECT_EQ(inner->lastPoint, CPoint(25, 25));
    EXPECT_FALSE(frame->hasMouseCapture());
    CPoint miss(150, 80);
    EXPECT_EQ(frame->onMouseDown(miss, kLButton), kMouseNotHandled);
}

TEST_F(ViewTree, ControlLeftClickArrivesAsMiddleButton) {
    CPoint p(20, 20);
    frame->onMouseDown(p, kLButton | kControl);
    EXPECT_EQ(a->lastButtons, kMButton);
    frame->onMouseUp(p, 0);
}

TEST_F(ViewTree, ModalViewTakesAllMouseEvents) {
    auto* modal = new ProbeView(CRect(0, 0, 60, 60), &log, "modal");
    ASSERT_TRUE(frame->setModalView(modal));
    auto* second = new ProbeView(CRect(), &log, "x");
    EXPECT_FALSE(frame->setModalView(second)) << "one modal view at a time";
    second->release();
    CPoint p(110, 30); // over box, outside the modal view
    EXPECT_EQ(frame->onMouseDown(p, kLButton), kMouseNotHandled);
    EXPECT_TRUE(log.empty());
    CPoint q(40, 40);
    EXPECT_EQ(frame->onMouseDown(q, kLButton), kMouseHandled);
    frame->onMouseUp(q, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"modal:down", "modal:up"}));
    EXPECT_TRUE(frame->onWheel(q, 0, 1, 0));
    EXPECT_EQ(log.back(), "modal:wheel1");
    frame->setModalView(nullptr);
    EXPECT_EQ(frame->getModalView(), nullptr);
}

TEST_F(ViewTree, WheelGoesToTopmostAcceptingChild) {
    b->wheelResult = false;
    EXPECT_TRUE(frame->onWheel(CPoint(40, 40), 0, -1, 0));
    EXPECT_EQ(log, (std::vector<std::string>{"b:wheel-1", "a:wheel-1"}));
    EXPECT_FALSE(frame->onWheel(CPoint(190, 5), 0, 1, 0));
}

TEST_F(ViewTree, MoveTracksEnterAndExit) {
    a->moveResult = kMouseNotHandled;
    CPoint p(15, 15);
    EXPECT_EQ(frame->onMouseMoved(p, 0), kMouseNotHandled);
    CPoint q(150, 5);
    frame->onMouseMoved(q, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"a:enter", "a:move", "a:exit"}));
}

TEST_F(ViewTree, WheelCaptureEndsWhenThePointerLeavesTheView) {
    CPoint over(15, 15), out(150, 5);
    frame->onMouseMoved(over, 0);
    EXPECT_TRUE(frame->onWheel(over, 0, 1, 0));
    log.clear();
    EXPECT_EQ(frame->onMouseMoved(out, 0), kMouseNotHandled);
    frame->onMouseDown(out, kLButton);
    frame->onMouseUp(out, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"a:exit"})) << "no move or release for the view left behind";
}

TEST_F(ViewTree, FocusLossOnClickOutsideAndRemoval) {
    a->setWantsFocus(true);
    frame->setFocusView(a);
    CPoint inside(20, 20);
    frame->onMouseDown(inside, kLButton);
    frame->onMouseUp(inside, 0);
    EXPECT_EQ(frame->getFocusView(), a);
    CPoint outside(150, 5);
    frame->onMouseDown(outside, kLButton);
    EXPECT_EQ(frame->getFocusView(), nullptr);
    EXPECT_TRUE(a->lostFocus);

    frame->setFocusView(inner);
    box->removeView(inner, true);
    EXPECT_EQ(frame->getFocusView(), nullptr) << "a removed view must not stay the focus view";
}

TEST_F(ViewTree, KeysGoToFocusThenTreeAndTabMovesFocus) {
    a->setWantsFocus(true);
    inner->setWantsFocus(true);
    frame->setFocusView(a);
    a->keyResult = 1;
    VstKeyCode key{'x', 0, 0};
    EXPECT_EQ(frame->onKeyDown(key), 1);
    EXPECT_EQ(log, std::vector<std::string>{"a:key0"});

    a->keyResult = -1;
    log.clear();
    VstKeyCode tab{0, VKEY_TAB, 0};
    EXPECT_EQ(frame->onKeyDown(tab), 1);
    EXPECT_EQ(frame->getFocusView(), inner);
    EXPECT_EQ(frame->onKeyDown(tab), 1);
    EXPECT_EQ(frame->getFocusView(), a) << "tab wraps around";
    VstKeyCode backTab{0, VKEY_TAB, MODIFIER_SHIFT};
    frame->onKeyDown(backTab);
    EXPECT_EQ(frame->getFocusView(), inner);
}

TEST_F(ViewTree, DirtyRectsAreFrameCoordinatesDedupedAndCapped) {
    frame->renderDirty(nullptr); // nothing to draw into; empties the list
    inner->setDirty(true);
    ASSERT_EQ(frame->dirtyRects().rects().size(), 1u);
    EXPECT_EQ(frame->dirtyRects().rects()[0], CRect(105, 25, 125, 45));
    inner->setDirty(true);
    frame->addDirtyRect(CRect(106, 26, 120, 40));
    EXPECT_EQ(frame->dirtyRects().rects().size(), 1u) << "equal or contained rects add nothing";

    for (int i = 1; i < 64; ++i) frame->addDirtyRect(CRect(i, 0, i + 0.5, 1));
    EXPECT_EQ(frame->dirtyRects().rects().size(), 64u);
    frame->addDirtyRect(CRect(0, 90, 3, 95));
    ASSERT_EQ(frame->dirtyRects().rects().size(), 1u);
    EXPECT_EQ(frame->dirtyRects().rects()[0], CRect(0, 0, 200, 100));

    frame->renderDirty(nullptr);
    box->removeView(inner, true);
    ASSERT_EQ(frame->dirtyRects().rects().size(), 1u) << "a removed view's area is repainted";
    EXPECT_EQ(frame->dirtyRects().rects()[0], CRect(105, 25, 125, 45));
}
