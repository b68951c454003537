#include "update/views/CUpdateInfoIcon.h"

#include "gui/DrawContext.h"
#include "gui/Font.h"
#include "update/CUpdateNotifier.h"

#include <cstring>
#include <string>

namespace Pellu {

using namespace Mirda;

CUpdateInfoIcon::CUpdateInfoIcon(const CRect& size, std::function<void()> onClick)
    : CView(size), m_onClick(std::move(onClick)) {}

void CUpdateInfoIcon::draw(CDrawContext* context) {
    context->setFillColor(CColor{200, 120, 30, 255});
    context->drawRoundRect(m_size, 4, kDrawFilled);
    context->setFont(CFontDesc::getDefaultFont());
    context->setFontColor(kWhiteCColor);
    const std::string text = CUpdateNotifier::kIconText;
    const std::size_t lineEnd = text.find('\n');
    const double half = m_size.height() / 2;
    context->drawString(text.substr(0, lineEnd).c_str(),
                        CRect(m_size.left, m_size.top, m_size.right, m_size.top + half));
    context->drawString(text.substr(lineEnd + 1).c_str(),
                        CRect(m_size.left, m_size.top + half, m_size.right, m_size.bottom));
    setDirty(false);
}

int32_t CUpdateInfoIcon::onMouseDown(CPoint&, int32_t buttons) {
    if (!(buttons & kLButton)) return kMouseNotHandled;
    if (m_onClick) m_onClick();
    return kMouseHandledNoFollow;
}

bool CUpdateInfoIcon::isTypeOf(const char* className) const {
    return std::strcmp(className, "CUpdateInfoIcon") == 0 || CView::isTypeOf(className);
}

} // namespace Pellu
