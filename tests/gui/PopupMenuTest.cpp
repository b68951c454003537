#include "gui/PopupMenu.h"
#include "gui/DrawContext.h"
#include "gui/OptionMenu.h"

#include <gtest/gtest.h>

#include <string>

using namespace Mirda;

namespace {

// Seven pixels per character keeps the layout independent of the font.
double fixedWidth(const std::string& text) {
    return 7.0 * static_cast<double>(text.size());
}

VstKeyCode keyOf(uint8_t virt, int32_t character = 0) {
    VstKeyCode key;
    key.virt = virt;
    key.character = character;
    return key;
}

CPoint centre(const CRect& r) {
    return CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

struct PopupMenus : ::testing::Test {
    const CRect screen{0, 0, 800, 600};
    COptionMenu* root = new COptionMenu(CRect(0, 0, 60, 20));
    COptionMenu* sub = new COptionMenu(CRect());

    // Alpha, Beta, separator, Gamma (disabled), More (submenu One, Two), Delta.
    void SetUp() override {
        root->addEntry("Alpha");
        root->addEntry("Beta");
        root->addSeparator();
        root->addEntry("Gamma")->setEnabled(false);
        sub->addEntry("One");
        sub->addEntry("Two");
        root->addEntry("More", sub);
        root->addEntry("Delta");
    }
    void TearDown() override {
        sub->release();
        root->release();
    }
    CPopupMenuSession open(const CPoint& anchor, double minWidth = 0) {
        return CPopupMenuSession(root, anchor, screen, minWidth, fixedWidth);
    }
};

} // namespace

TEST_F(PopupMenus, LayoutStacksRowsAndSeparatorsAndStaysOnTheScreen) {
    {
        CPopupMenuSession s(root, CPoint(100, 100), screen, 0, fixedWidth);
        // Widest entry 5 characters: 24 + 35 + 26 plus the border on both sides.
        EXPECT_EQ(s.pane(0).rect, CRect(100, 100, 187, 100 + 5 * 20 + 9 + 2));
        EXPECT_EQ(s.itemRect(0, 3), CRect(101, 150, 186, 170)) << "below two rows and a separator";
        EXPECT_FALSE(s.pane(0).scrolls);
    }
    {
        CPopupMenuSession s(root, CPoint(790, 550), screen, 120, fixedWidth);
        EXPECT_EQ(s.pane(0).rect, CRect(680, 439, 800, 550)) << "at least as wide as asked, above the anchor";
    }
    {
        CPopupMenuSession s(root, CPoint(100, 550), screen, 0, fixedWidth, 530.0);
        EXPECT_EQ(s.pane(0).rect.bottom, 530) << "above the control, which stays visible";
    }
    {
        CPopupMenuSession s(root, CPoint(100, 550), screen, 0, fixedWidth, 50.0);
        EXPECT_EQ(s.pane(0).rect.bottom, 600) << "no room above either: moved inside the screen";
    }
}

TEST_F(PopupMenus, HitTestsFindItemsSeparatorsFrameAndOutside) {
    CPopupMenuSession s = open(CPoint(100, 100));
    using Hit = CPopupMenuSession::Hit;
    Hit hit = s.hitTest(CPoint(110, 155));
    EXPECT_EQ(hit.part, Hit::kItem);
    EXPECT_EQ(hit.item, 3);
    hit = s.hitTest(CPoint(110, 145));
    EXPECT_EQ(hit.item, 2) << "the separator row";
    EXPECT_EQ(s.hitTest(CPoint(100, 100)).part, Hit::kFrame);
    EXPECT_EQ(s.hitTest(CPoint(99, 120)).part, Hit::kNone);
    EXPECT_EQ(s.hitTest(CPoint(187, 120)).part, Hit::kNone) << "the right edge belongs to the neighbour";
    EXPECT_EQ(s.hitTest(CPoint(110, 121)).item, 1) << "row boundaries are half open";
}

TEST_F(PopupMenus, KeyboardWalksSelectableItemsAndSubmenus) {
    CPopupMenuSession s = open(CPoint(100, 100));
    EXPECT_EQ(s.pane(0).hot, -1);
    const int32_t expected[] = {0, 1, 4, 5, 0};
    for (int32_t item : expected) {
        s.key(keyOf(VKEY_DOWN));
        EXPECT_EQ(s.pane(0).hot, item) << "separator and disabled Gamma are skipped, the end wraps";
    }
    s.key(keyOf(VKEY_UP));
    EXPECT_EQ(s.pane(0).hot, 5);
    s.key(keyOf(0, 'a'));
    EXPECT_EQ(s.pane(0).hot, 0) << "initial letter";
    s.key(keyOf(VKEY_END));
    EXPECT_EQ(s.pane(0).hot, 5);

    s.key(keyOf(VKEY_UP));
    s.key(keyOf(VKEY_RIGHT));
    ASSERT_EQ(s.paneCount(), 2u);
    EXPECT_EQ(s.pane(1).hot, 0);
    EXPECT_EQ(s.pane(1).rect.left, s.pane(0).rect.right - 1);
    EXPECT_EQ(s.pane(1).rect.top, s.itemRect(0, 4).top - 1) << "beside its item";
    s.key(keyOf(VKEY_LEFT));
    EXPECT_EQ(s.paneCount(), 1u);
    s.key(keyOf(VKEY_RETURN));
    s.key(keyOf(VKEY_DOWN));
    s.key(keyOf(VKEY_RETURN));
    ASSERT_TRUE(s.isFinished());
    EXPECT_EQ(s.resultMenu(), sub);
    EXPECT_EQ(s.resultIndex(), 1);
    s.deliver();
    EXPECT_EQ(root->getLastMenu(), sub);
    EXPECT_EQ(root->getLastResult(), 1);
}

TEST_F(PopupMenus, EscapeClosesTheSubmenuThenDismisses) {
    root->setCurrent(4);
    CPopupMenuSession s = open(CPoint(100, 100));
    EXPECT_EQ(s.pane(0).hot, 4) << "keys start from the current choice";
    s.key(keyOf(VKEY_RIGHT));
    s.key(keyOf(VKEY_ESCAPE));
    EXPECT_EQ(s.paneCount(), 1u);
    EXPECT_FALSE(s.isFinished());
    s.key(keyOf(VKEY_ESCAPE));
    ASSERT_TRUE(s.isFinished());
    s.deliver();
    EXPECT_EQ(root->getLastMenu(), nullptr);
    EXPECT_EQ(root->getLastResult(), -1);
    EXPECT_EQ(root->getCurrentIndex(), 4) << "a dismissed popup changes nothing";
}

TEST_F(PopupMenus, PointerOpensSubmenusAndChoosesOnRelease) {
    int32_t callbackIndex = -2;
    root->setChoiceCallback([&](COptionMenu*, int32_t index) { callbackIndex = index; });
    CPopupMenuSession s = open(CPoint(100, 100));
    const CPoint alpha = centre(s.itemRect(0, 0));
    s.mouseUp(alpha);
    EXPECT_FALSE(s.isFinished()) << "the release of the opening click chooses nothing";

    s.mouseMoved(centre(s.itemRect(0, 4)));
    ASSERT_EQ(s.paneCount(), 2u) << "hovering a submenu entry opens it";
    s.mouseMoved(centre(s.itemRect(1, 1)));
    EXPECT_EQ(s.paneCount(), 2u);
    EXPECT_EQ(s.pane(0).hot, 4);
    EXPECT_EQ(s.pane(1).hot, 1);
    s.mouseMoved(alpha);
    EXPECT_EQ(s.paneCount(), 1u) << "another entry of the parent closes it";

    const CPoint gamma = centre(s.itemRect(0, 3));
    s.mouseDown(gamma);
    s.mouseUp(gamma);
    EXPECT_FALSE(s.isFinished()) << "a disabled entry";
    EXPECT_EQ(s.pane(0).hot, -1);

    const CPoint beta = centre(s.itemRect(0, 1));
    s.mouseDown(beta);
    s.mouseUp(beta);
    ASSERT_TRUE(s.isFinished());
    s.deliver();
    s.deliver();
    EXPECT_EQ(root->getCurrentIndex(), 1);
    EXPECT_EQ(callbackIndex, 1);
}

TEST_F(PopupMenus, OutsideClickDismissesAndSubmenusFlipAtTheScreenEdge) {
    CPopupMenuSession s = open(CPoint(700, 100));
    s.key(keyOf(VKEY_END));
    s.key(keyOf(VKEY_UP));
    s.key(keyOf(VKEY_RIGHT));
    ASSERT_EQ(s.paneCount(), 2u);
    EXPECT_EQ(s.pane(1).rect.right, s.pane(0).rect.left + 1) << "no room on the right";
    s.mouseDown(CPoint(10, 10));
    EXPECT_TRUE(s.isFinished());
    EXPECT_EQ(s.resultIndex(), -1);
}

TEST_F(PopupMenus, TallMenusScrollSoThatEveryItemIsReachable) {
    COptionMenu* tall = new COptionMenu(CRect());
    for (int i = 0; i < 60; ++i) tall->addEntry("Item " + std::to_string(i));
    CPopupMenuSession s(tall, CPoint(50, 0), CRect(0, 0, 800, 300), 0, fixedWidth);
    tall->release();
    using Hit = CPopupMenuSession::Hit;
    ASSERT_TRUE(s.pane(0).scrolls);
    EXPECT_EQ(s.pane(0).rect.height(), 300);
    const CRect area = s.itemArea(0);
    EXPECT_EQ(area.top, 17);
    EXPECT_EQ(area.bottom, 283);
    EXPECT_EQ(s.hitTest(CPoint(60, 5)).part, Hit::kScrollUp);
    EXPECT_EQ(s.hitTest(CPoint(60, 290)).part, Hit::kScrollDown);

    for (int32_t i = 0; i < 60; ++i) {
        s.key(keyOf(VKEY_DOWN));
        ASSERT_EQ(s.pane(0).hot, i);
        ASSERT_EQ(s.itemRect(0, i).height(), 20) << "item " << i << " scrolled fully into view";
    }
    EXPECT_EQ(s.pane(0).scroll, 60 * 20 - 266);
    EXPECT_EQ(s.itemRect(0, 59).bottom, area.bottom);
    s.key(keyOf(VKEY_HOME));
    EXPECT_EQ(s.pane(0).scroll, 0);

    s.wheel(CPoint(60, 100), -1);
    EXPECT_EQ(s.pane(0).scroll, 60) << "three rows per notch towards the user";
    s.wheel(CPoint(60, 100), 5);
    EXPECT_EQ(s.pane(0).scroll, 0) << "clamped at the top";

    s.mouseMoved(CPoint(60, 290));
    s.tick(1000);
    EXPECT_EQ(s.pane(0).scroll, 20);
    s.tick(1010);
    EXPECT_EQ(s.pane(0).scroll, 20) << "one row per auto-scroll period";
    s.tick(1050);
    EXPECT_EQ(s.pane(0).scroll, 40);
    for (uint64_t t = 1100; t < 5000; t += 50) s.tick(t);
    EXPECT_EQ(s.pane(0).scroll, 60 * 20 - 266) << "stops at the end";
    s.mouseDown(CPoint(60, 5));
    EXPECT_EQ(s.pane(0).scroll, 60 * 20 - 266 - 20) << "a click on the arrow scrolls one row";
}

TEST_F(PopupMenus, PanesDrawTheHighlightInsideTheBorder) {
    root->getEntry(0)->setChecked(true);
    CPopupMenuSession s = open(CPoint(100, 100));
    s.key(keyOf(VKEY_DOWN));
    s.key(keyOf(VKEY_DOWN));
    const CRect r = s.pane(0).rect;
    COwnedPixelBuffer buffer(static_cast<int32_t>(r.width()), static_cast<int32_t>(r.height()));
    auto* context = new CDrawContext(buffer.desc());
    s.drawPane(0, context);
    context->release();
    const auto bgra = [&](int x, int y) {
        const uint8_t* p = buffer.desc().row(y) + x * 4;
        return CColor{p[2], p[1], p[0], p[3]};
    };
    EXPECT_EQ(bgra(0, 0), (CColor{110, 112, 118, 255})) << "border";
    EXPECT_EQ(bgra(80, 1 + 20 + 10), (CColor{62, 118, 204, 255})) << "the highlighted second row";
    EXPECT_EQ(bgra(80, 1 + 10), (CColor{38, 40, 44, 255})) << "a plain row";
    EXPECT_NE(bgra(10, 1 + 13), (CColor{38, 40, 44, 255})) << "the check mark of the first row";
}
