#include "editor/MultiDisplay.h"

#include "gui/DrawContext.h"
#include "gui/Font.h"

#include <cmath>

using namespace Mirda;

namespace {

struct TabPlace {
    const char* title;
    int side; // 0: left selector, 1: right selector, 2: the System window's own
    int page;
    CRect rect; // in display pixels at 100 %
};

constexpr TabPlace kTabs[] = {
    {"Envelope", 0, 1, {95, 0, 247, 15}},       {"Ring Mod.", 0, 2, {27, 143, 126, 157}},
    {"Freq Mod.", 0, 2, {128, 143, 247, 157}},  {"LFO", 1, 1, {249, 0, 401, 15}},
    {"Distortion", 1, 2, {250, 143, 369, 157}}, {"Limiter", 1, 2, {372, 143, 494, 157}},
    {"System", 2, 1, {403, 0, 471, 15}},
};

void initSelector(Tessu::ParameterProperty& selector, const char* key, float maximum, int32_t id) {
    selector.initFromDescriptor(
        {key, key, key, 0.0f, maximum, 0.0f, 0.0f, false, 0.0f, Tessu::kUnitInteger, id});
}

constexpr int32_t fourCC(const char (&text)[5]) {
    return (text[0] << 24) | (text[1] << 16) | (text[2] << 8) | text[3];
}

} // namespace

CMultiDisplay::CMultiDisplay(const CRect& size, double scale) : CViewContainer(size) {
    setBackgroundColor(CColor{0, 0, 0, 0});
    initSelector(m_pageLeft, "PAGELEFT", 10.0f, fourCC("PGEL"));
    initSelector(m_pageRight, "PAGERIGHT", 10.0f, fourCC("PGER"));
    initSelector(m_systemPage, "SYSPAGE", 1.0f, fourCC("PGES"));
    for (const TabPlace& tab : kTabs) {
        Tessu::ParameterProperty& selector = tab.side == 0   ? m_pageLeft
                                             : tab.side == 1 ? m_pageRight
                                                             : m_systemPage;
        const CRect r(std::round(tab.rect.left * scale), std::round(tab.rect.top * scale),
                      std::round(tab.rect.right * scale), std::round(tab.rect.bottom * scale));
        addView(new CModuleTab(r, tab.title, selector, tab.page, tab.rect.top == 0, scale));
    }
}

void CMultiDisplay::togglePage(Tessu::ParameterProperty& selector, int page) {
    selector.setValue(selector.getIntValue() == page ? 0.0f : static_cast<float>(page));
    setDirty(true);
}

CModuleTab::CModuleTab(const CRect& size, const char* title, Tessu::ParameterProperty& selector, int page,
                       bool onTopEdge, double scale)
    : CView(size), m_title(title), m_selector(selector), m_page(page), m_onTopEdge(onTopEdge),
      m_scale(scale) {}

void CModuleTab::draw(CDrawContext* context) {
    const double s = m_scale, radius = 4 * s;
    // A tab with its outer corners rounded and its edge flush with the display's border.
    CRect body = m_size;
    if (m_onTopEdge)
        body.top -= radius;
    else
        body.bottom += radius;
    const bool open = isOpen();
    context->setFillColor(open ? CColor{52, 40, 22, 235} : CColor{22, 27, 34, 230});
    context->drawRoundRect(body, radius, kDrawFilled);
    context->setFrameColor(open ? CColor{255, 168, 48, 170} : CColor{255, 255, 255, 40});
    context->setLineWidth(1.0 * s);
    context->drawRoundRect(body, radius, kDrawStroked);
    // The open / closed marker: a small triangle pointing into the display while closed.
    const double cx = m_size.left + 9 * s, cy = (m_size.top + m_size.bottom) / 2, h = 2.8 * s;
    const bool down = m_onTopEdge != open;
    const CPoint marker[3] = {{cx - h, down ? cy - h / 2 : cy + h / 2},
                              {cx + h, down ? cy - h / 2 : cy + h / 2},
                              {cx, down ? cy + h : cy - h}};
    context->setFillColor(open ? CColor{255, 168, 48, 255} : CColor{140, 150, 164, 255});
    context->drawPolygon(marker, 3, kDrawFilled);
    context->setFont(CFontDesc::getDefaultFont(), 9 * s, kBoldFace);
    context->setFontColor(open ? CColor{255, 214, 130, 255} : CColor{176, 184, 196, 255});
    context->drawString(m_title, CRect(m_size.left + 16 * s, m_size.top, m_size.right - 4 * s, m_size.bottom),
                        kCenterText);
    setDirty(false);
}

int32_t CModuleTab::onMouseDown(CPoint&, int32_t buttons) {
    if (!(buttons & kLButton)) return kMouseNotHandled;
    if (auto* display = dynamic_cast<CMultiDisplay*>(m_parent)) display->togglePage(m_selector, m_page);
    return kMouseHandledNoFollow;
}
