// Drawing of popup menu panes: rows with check marks and submenu arrows, separators, scroll arrows.

#include "gui/DrawContext.h"
#include "gui/Font.h"
#include "gui/OptionMenu.h"
#include "gui/PopupMenu.h"

#include <cmath>

namespace Mirda {
namespace {

constexpr CColor kPaneBack{38, 40, 44, 255};
constexpr CColor kPaneBorder{110, 112, 118, 255};
constexpr CColor kText{228, 228, 228, 255};
constexpr CColor kTextDisabled{118, 120, 124, 255};
constexpr CColor kHotBack{62, 118, 204, 255};
constexpr CColor kHotText{255, 255, 255, 255};
constexpr CColor kSeparator{78, 80, 86, 255};

void fill(CDrawContext* context, const CRect& r, const CColor& color) {
    context->setFillColor(color);
    context->drawRect(r, kDrawFilled);
}

void triangle(CDrawContext* context, CPoint a, CPoint b, CPoint c, const CColor& color) {
    const CPoint points[3] = {a, b, c};
    context->setFillColor(color);
    context->drawPolygon(points, 3, kDrawFilled);
}

} // namespace

void CPopupMenuSession::drawPane(size_t index, CDrawContext* context) const {
    const Pane& p = m_panes.at(index);
    const CRect savedClip = context->getClipRect();
    const CPoint savedOffset = context->getOffset();
    // Everything below is drawn in screen coordinates.
    const CPoint origin = p.rect.topLeft();
    context->setOffset(CPoint(-origin.x, -origin.y));
    context->setClipRect(CRect(0, 0, p.rect.width(), p.rect.height()));

    fill(context, p.rect, kPaneBorder);
    CRect inner = p.rect;
    inner.inset(kBorder, kBorder);
    fill(context, inner, kPaneBack);

    const CRect area = itemArea(index);
    if (p.scrolls) {
        const double cx = (area.left + area.right) / 2;
        const double limit = p.contentHeight() - area.height();
        const double upY = inner.top + kArrowHeight / 2, downY = area.bottom + kArrowHeight / 2;
        triangle(context, CPoint(cx - 5, upY + 3), CPoint(cx + 5, upY + 3), CPoint(cx, upY - 3),
                 p.scroll > 0 ? kText : kTextDisabled);
        triangle(context, CPoint(cx - 5, downY - 3), CPoint(cx + 5, downY - 3), CPoint(cx, downY + 3),
                 p.scroll < limit ? kText : kTextDisabled);
    }

    CRect areaClip = area;
    areaClip.offset(-origin.x, -origin.y);
    context->setClipRect(areaClip);
    context->setFont(CFontDesc::getDefaultFont());
    for (int32_t i = 0; i < p.menu->getNbEntries(); ++i) {
        const auto slot = static_cast<size_t>(i);
        const CRect row(area.left, area.top + p.itemTops[slot] - p.scroll, area.right,
                        area.top + p.itemTops[slot + 1] - p.scroll);
        if (row.bottom <= area.top || row.top >= area.bottom) continue;
        const CMenuItem* item = p.menu->getEntry(i);
        const double midY = (row.top + row.bottom) / 2;
        if (item->isSeparator()) {
            fill(context, CRect(row.left + 6, std::floor(midY), row.right - 6, std::floor(midY) + 1),
                 kSeparator);
            continue;
        }
        const bool hot = i == p.hot;
        if (hot) fill(context, row, kHotBack);
        const CColor ink = !isSelectable(item) ? kTextDisabled : hot ? kHotText : kText;
        if (item->isChecked()) {
            const CPoint tick[3] = {CPoint(row.left + 7, midY), CPoint(row.left + 10.5, midY + 3.5),
                                    CPoint(row.left + 17, midY - 4)};
            context->setFrameColor(ink);
            context->setLineWidth(2);
            context->drawPolygon(tick, 3, kDrawStroked, false);
            context->setLineWidth(1);
        }
        context->setFontColor(ink);
        context->drawString(item->getTitle().c_str(),
                            CRect(row.left + kTextLeft, row.top, row.right - kTextRight, row.bottom),
                            kLeftText);
        if (item->getSubmenu())
            triangle(context, CPoint(row.right - 14, midY - 4), CPoint(row.right - 14, midY + 4),
                     CPoint(row.right - 9, midY), ink);
    }

    context->setClipRect(savedClip);
    context->setOffset(savedOffset);
}

} // namespace Mirda
