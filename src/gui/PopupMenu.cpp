#include "gui/PopupMenu.h"

#include "gui/DrawContext.h"
#include "gui/Font.h"
#include "gui/OptionMenu.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace Mirda {
namespace {

// Half-open containment: a pixel row or column belongs to one pane or item only.
bool contains(const CRect& r, const CPoint& p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

double defaultMeasure(const std::string& utf8) {
    auto* context = new CDrawContext(CPixelBuffer{});
    context->setFont(CFontDesc::getDefaultFont());
    const double width = context->getStringWidth(utf8.c_str());
    context->release();
    return width;
}

// Moves a w × h box to lie inside `screen`, preferring its current position.
void keepInside(CRect& r, const CRect& screen) {
    if (r.right > screen.right) r.offset(screen.right - r.right, 0);
    if (r.left < screen.left) r.offset(screen.left - r.left, 0);
    if (r.bottom > screen.bottom) r.offset(0, screen.bottom - r.bottom);
    if (r.top < screen.top) r.offset(0, screen.top - r.top);
}

// A move of the pointer by more than this counts as a drag into the menu.
constexpr double kMoveThreshold = 3;

} // namespace

CPopupMenuSession::CPopupMenuSession(COptionMenu* menu, const CPoint& anchor, const CRect& screen,
                                     double minWidth, MeasureText measure, std::optional<double> flipBottom)
    : m_root(menu), m_screen(screen), m_measure(measure ? std::move(measure) : MeasureText(defaultMeasure)) {
    m_root->addRef();
    Pane root = layoutPane(menu, minWidth);
    root.rect.moveTo(anchor.x, anchor.y);
    const double above = flipBottom.value_or(anchor.y) - root.rect.height();
    if (root.rect.bottom > m_screen.bottom && above >= m_screen.top) root.rect.moveTo(anchor.x, above);
    keepInside(root.rect, m_screen);
    m_panes.push_back(std::move(root));
    // Keyboard navigation starts from the current choice.
    const int32_t current = menu->getCurrentIndex();
    if (isSelectable(menu->getEntry(current))) {
        m_panes[0].hot = current;
        ensureVisible(0, current);
    }
}

CPopupMenuSession::~CPopupMenuSession() {
    m_root->release();
}

bool CPopupMenuSession::isSelectable(const CMenuItem* item) {
    if (!item || !item->isEnabled()) return false;
    const COptionMenu* submenu = item->getSubmenu();
    return !submenu || submenu->getNbEntries() > 0;
}

CPopupMenuSession::Pane CPopupMenuSession::layoutPane(COptionMenu* menu, double minWidth) const {
    Pane pane;
    pane.menu = menu;
    pane.itemTops.push_back(0);
    double widest = 0;
    for (int32_t i = 0; i < menu->getNbEntries(); ++i) {
        const CMenuItem* item = menu->getEntry(i);
        pane.itemTops.push_back(pane.itemTops.back() + (item->isSeparator() ? kSeparatorHeight : kRowHeight));
        if (!item->isSeparator()) widest = std::max(widest, m_measure(item->getTitle()));
    }
    const double width = std::max(minWidth, std::ceil(kTextLeft + widest + kTextRight) + 2 * kBorder);
    double height = pane.contentHeight() + 2 * kBorder;
    if (height > m_screen.height()) {
        height = m_screen.height();
        pane.scrolls = true;
    }
    pane.rect = CRect::fromSize(0, 0, width, height);
    return pane;
}

CRect CPopupMenuSession::itemArea(size_t index) const {
    const Pane& p = m_panes.at(index);
    CRect area = p.rect;
    area.inset(kBorder, kBorder);
    if (p.scrolls) area.inset(0, kArrowHeight);
    return area;
}

CRect CPopupMenuSession::itemRect(size_t index, int32_t item) const {
    const Pane& p = m_panes.at(index);
    if (item < 0 || item >= p.menu->getNbEntries()) return {};
    const CRect area = itemArea(index);
    const auto i = static_cast<size_t>(item);
    CRect r(area.left, area.top + p.itemTops[i] - p.scroll, area.right,
            area.top + p.itemTops[i + 1] - p.scroll);
    r.bound(area);
    return r.isEmpty() ? CRect() : r;
}

CPopupMenuSession::Hit CPopupMenuSession::hitTest(const CPoint& where) const {
    for (size_t i = m_panes.size(); i-- > 0;) {
        const Pane& p = m_panes[i];
        if (!contains(p.rect, where)) continue;
        Hit hit;
        hit.pane = static_cast<int32_t>(i);
        hit.part = Hit::kFrame;
        const CRect area = itemArea(i);
        if (p.scrolls && where.y < area.top && where.y >= p.rect.top + kBorder)
            hit.part = Hit::kScrollUp;
        else if (p.scrolls && where.y >= area.bottom && where.y < p.rect.bottom - kBorder)
            hit.part = Hit::kScrollDown;
        else if (contains(area, where)) {
            const double y = where.y - area.top + p.scroll;
            const auto next = std::upper_bound(p.itemTops.begin(), p.itemTops.end(), y);
            const auto item = static_cast<int32_t>(next - p.itemTops.begin()) - 1;
            if (item >= 0 && item < p.menu->getNbEntries()) {
                hit.part = Hit::kItem;
                hit.item = item;
            }
        }
        return hit;
    }
    return {};
}

void CPopupMenuSession::openSubmenu(size_t paneIndex, int32_t item, bool selectFirst) {
    closePanesAbove(paneIndex);
    setHot(paneIndex, item);
    const CMenuItem* entry = m_panes[paneIndex].menu->getEntry(item);
    if (!isSelectable(entry) || !entry->getSubmenu()) return;
    Pane child = layoutPane(entry->getSubmenu(), 0);
    const CRect parent = m_panes[paneIndex].rect;
    const CRect row = itemRect(paneIndex, item);
    // To the right of the parent, overlapping its border; to the left when the screen ends first.
    double x = parent.right - kBorder;
    if (x + child.rect.width() > m_screen.right) x = parent.left - child.rect.width() + kBorder;
    child.rect.moveTo(x, row.top - kBorder);
    keepInside(child.rect, m_screen);
    child.parentItem = item;
    m_panes.push_back(std::move(child));
    if (selectFirst) moveHot(1, false);
    m_changed = true;
}

void CPopupMenuSession::closePanesAbove(size_t paneIndex) {
    if (m_panes.size() <= paneIndex + 1) return;
    m_panes.resize(paneIndex + 1);
    m_changed = true;
}

void CPopupMenuSession::setHot(size_t paneIndex, int32_t item) {
    Pane& p = m_panes[paneIndex];
    if (p.hot == item) return;
    p.hot = item;
    m_changed = true;
}

int32_t CPopupMenuSession::nextSelectable(const Pane& pane, int32_t from, int32_t direction, bool wrap) {
    const int32_t count = pane.menu->getNbEntries();
    int32_t candidate = from;
    for (int32_t tried = 0; tried < count; ++tried) {
        candidate += direction;
        if (candidate < 0 || candidate >= count) {
            if (!wrap) return -1;
            candidate = direction > 0 ? 0 : count - 1;
        }
        if (isSelectable(pane.menu->getEntry(candidate))) return candidate;
    }
    return -1;
}

void CPopupMenuSession::moveHot(int32_t step, bool wrap) {
    const size_t index = m_panes.size() - 1;
    int32_t hot = m_panes[index].hot;
    for (int32_t moves = std::abs(step); moves > 0; --moves) {
        const int32_t next = nextSelectable(m_panes[index], hot, step > 0 ? 1 : -1, wrap);
        if (next < 0) break;
        hot = next;
    }
    if (hot < 0) return;
    setHot(index, hot);
    ensureVisible(index, hot);
}

void CPopupMenuSession::hotToEnd(bool last) {
    const size_t index = m_panes.size() - 1;
    const Pane& p = m_panes[index];
    const int32_t item = nextSelectable(p, last ? p.menu->getNbEntries() : -1, last ? -1 : 1, false);
    if (item < 0) return;
    setHot(index, item);
    ensureVisible(index, item);
}

void CPopupMenuSession::jumpToLetter(int32_t character) {
    if (character <= 0 || character > 0x7F) return;
    const int wanted = std::tolower(character);
    const size_t index = m_panes.size() - 1;
    const Pane& p = m_panes[index];
    const int32_t count = p.menu->getNbEntries();
    for (int32_t step = 1; step <= count; ++step) {
        const int32_t i = ((p.hot < 0 ? -1 : p.hot) + step + count) % count;
        const CMenuItem* item = p.menu->getEntry(i);
        if (isSelectable(item) && !item->getTitle().empty() &&
            std::tolower(static_cast<unsigned char>(item->getTitle()[0])) == wanted) {
            setHot(index, i);
            ensureVisible(index, i);
            return;
        }
    }
}

void CPopupMenuSession::activate(size_t paneIndex, int32_t item) {
    const CMenuItem* entry = m_panes[paneIndex].menu->getEntry(item);
    if (!isSelectable(entry)) return;
    if (entry->getSubmenu())
        openSubmenu(paneIndex, item, true);
    else
        finish(m_panes[paneIndex].menu, item);
}

void CPopupMenuSession::scrollBy(size_t paneIndex, double pixels) {
    Pane& p = m_panes[paneIndex];
    const double limit = std::max(0.0, p.contentHeight() - itemArea(paneIndex).height());
    const double scroll = std::clamp(p.scroll + pixels, 0.0, limit);
    if (scroll == p.scroll) return;
    p.scroll = scroll;
    // A submenu opened from this pane would no longer sit beside its item.
    closePanesAbove(paneIndex);
    m_changed = true;
}

void CPopupMenuSession::ensureVisible(size_t paneIndex, int32_t item) {
    Pane& p = m_panes[paneIndex];
    if (!p.scrolls || item < 0) return;
    const double height = itemArea(paneIndex).height();
    const auto i = static_cast<size_t>(item);
    if (p.itemTops[i] < p.scroll)
        scrollBy(paneIndex, p.itemTops[i] - p.scroll);
    else if (p.itemTops[i + 1] > p.scroll + height)
        scrollBy(paneIndex, p.itemTops[i + 1] - (p.scroll + height));
}

void CPopupMenuSession::mouseMoved(const CPoint& where) {
    if (m_finished) return;
    if (!m_pointerKnown) m_openPoint = where;
    m_pointer = where;
    m_pointerKnown = true;
    if (std::hypot(where.x - m_openPoint.x, where.y - m_openPoint.y) > kMoveThreshold) m_moved = true;
    const Hit hit = hitTest(where);
    if (hit.part != Hit::kItem) return;
    const auto index = static_cast<size_t>(hit.pane);
    const CMenuItem* entry = m_panes[index].menu->getEntry(hit.item);
    const bool ownsOpenChild = index + 1 < m_panes.size() && m_panes[index + 1].parentItem == hit.item;
    if (ownsOpenChild) return;
    closePanesAbove(index);
    if (isSelectable(entry) && entry->getSubmenu())
        openSubmenu(index, hit.item, false);
    else
        setHot(index, isSelectable(entry) ? hit.item : -1);
}

void CPopupMenuSession::mouseDown(const CPoint& where) {
    if (m_finished) return;
    mouseMoved(where);
    m_pressSeen = true;
    const Hit hit = hitTest(where);
    if (hit.part == Hit::kNone)
        dismiss();
    else if (hit.part == Hit::kScrollUp)
        scrollBy(static_cast<size_t>(hit.pane), -kRowHeight);
    else if (hit.part == Hit::kScrollDown)
        scrollBy(static_cast<size_t>(hit.pane), kRowHeight);
}

void CPopupMenuSession::mouseUp(const CPoint& where) {
    if (m_finished) return;
    mouseMoved(where);
    // The release of the click that opened the menu chooses nothing unless the pointer was dragged.
    if (!m_pressSeen && !m_moved) return;
    const Hit hit = hitTest(where);
    if (hit.part != Hit::kItem) return;
    const CMenuItem* entry = m_panes[static_cast<size_t>(hit.pane)].menu->getEntry(hit.item);
    if (isSelectable(entry) && !entry->getSubmenu()) activate(static_cast<size_t>(hit.pane), hit.item);
}

void CPopupMenuSession::wheel(const CPoint& where, float distance) {
    if (m_finished) return;
    const Hit hit = hitTest(where);
    const size_t index = hit.pane >= 0 ? static_cast<size_t>(hit.pane) : m_panes.size() - 1;
    // Three rows per notch; a notch away from the user shows earlier items.
    scrollBy(index, -static_cast<double>(distance) * 3 * kRowHeight);
}

void CPopupMenuSession::key(const VstKeyCode& key) {
    if (m_finished) return;
    const size_t deepest = m_panes.size() - 1;
    const Pane& p = m_panes[deepest];
    const auto pageRows =
        static_cast<int32_t>(std::max(1.0, std::floor(itemArea(deepest).height() / kRowHeight)));
    switch (key.virt) {
    case VKEY_DOWN:
        moveHot(1, true);
        break;
    case VKEY_UP:
        moveHot(-1, true);
        break;
    case VKEY_PAGEDOWN:
        moveHot(pageRows, false);
        break;
    case VKEY_PAGEUP:
        moveHot(-pageRows, false);
        break;
    case VKEY_HOME:
    case VKEY_END:
        hotToEnd(key.virt == VKEY_END);
        break;
    case VKEY_RIGHT:
        if (p.hot >= 0 && p.menu->getEntry(p.hot)->getSubmenu()) activate(deepest, p.hot);
        break;
    case VKEY_LEFT:
        if (deepest > 0) closePanesAbove(deepest - 1);
        break;
    case VKEY_RETURN:
    case VKEY_SPACE:
        if (p.hot >= 0) activate(deepest, p.hot);
        break;
    case VKEY_ESCAPE:
        if (deepest > 0)
            closePanesAbove(deepest - 1);
        else
            dismiss();
        break;
    default:
        jumpToLetter(key.character);
        break;
    }
}

void CPopupMenuSession::tick(uint64_t nowMs) {
    if (m_finished || !m_pointerKnown) return;
    const Hit hit = hitTest(m_pointer);
    if (hit.part != Hit::kScrollUp && hit.part != Hit::kScrollDown) return;
    if (nowMs - m_lastAutoScroll < kAutoScrollMs) return;
    m_lastAutoScroll = nowMs;
    scrollBy(static_cast<size_t>(hit.pane), hit.part == Hit::kScrollUp ? -kRowHeight : kRowHeight);
}

void CPopupMenuSession::finish(COptionMenu* menu, int32_t index) {
    if (m_finished) return;
    m_finished = true;
    m_resultMenu = menu;
    m_resultIndex = menu ? index : -1;
    m_changed = true;
}

void CPopupMenuSession::deliver() {
    if (!m_finished || m_delivered) return;
    m_delivered = true;
    m_root->popupFinished(m_resultMenu, m_resultIndex);
}

bool CPopupMenuSession::takeChanged() {
    const bool changed = m_changed;
    m_changed = false;
    return changed;
}

} // namespace Mirda
