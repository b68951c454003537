#include "gui/View.h"

#include "gui/Bitmap.h"
#include "gui/DrawContext.h"
#include "gui/Frame.h"

#include <cmath>
#include <cstring>

namespace Mirda {

CView::CView(const CRect& size) : m_size(size), m_mouseableArea(size) {}

CView::CView(const CView& other)
    : CBaseObject(other), m_size(other.m_size), m_mouseableArea(other.m_mouseableArea),
      m_mouseEnabled(other.m_mouseEnabled), m_transparent(other.m_transparent),
      m_wantsFocus(other.m_wantsFocus), m_visible(other.m_visible), m_active(other.m_active),
      m_extraFlag(other.m_extraFlag), m_userData(other.m_userData) {
    setBackground(other.m_background);
}

CView::~CView() {
    if (m_background) m_background->release();
    if (m_frame) m_frame->release();
}

int32_t CView::notify(CBaseObject*, const char*) {
    return 0;
}

void CView::draw(CDrawContext* context) {
    if (m_background) {
        if (m_transparent)
            m_background->drawTransparent(context, m_size, CPoint());
        else
            m_background->draw(context, m_size, CPoint());
    }
    m_dirty = false;
}

void CView::drawRect(CDrawContext* context, const CRect&) {
    draw(context);
}

bool CView::checkUpdate(const CRect& updateRect) const {
    return updateRect.rectOverlap(m_size);
}

void CView::setDirty(bool dirty) {
    m_dirty = dirty;
    if (dirty && m_frame && m_attached) m_frame->addDirtyRect(parentToFrame(m_size));
}

void CView::invalidRect(const CRect& rect) {
    if (!m_attached || !m_visible) return;
    if (m_parent)
        m_parent->invalidRect(rect);
    else if (m_frame)
        m_frame->invalidRect(rect);
}

void CView::setVisible(bool visible) {
    if (m_visible == visible) return;
    m_visible = visible;
    // A hidden view needs its area repainted too, so invalidate while still counted as visible.
    m_visible = true;
    setDirty(true);
    m_visible = visible;
}

void CView::setActive(bool active) {
    m_active = active;
    setDirty(true);
}

int32_t CView::onMouseDown(CPoint&, int32_t) {
    return kMouseNotImplemented;
}
int32_t CView::onMouseUp(CPoint&, int32_t) {
    return kMouseNotImplemented;
}
int32_t CView::onMouseMoved(CPoint&, int32_t) {
    return kMouseNotImplemented;
}
int32_t CView::onMouseEntered(CPoint&, int32_t) {
    return kMouseNotImplemented;
}
int32_t CView::onMouseExited(CPoint&, int32_t) {
    return kMouseNotImplemented;
}

bool CView::hitTest(const CPoint& where, int32_t) const {
    return m_mouseableArea.pointInside(where);
}

bool CView::onWheel(const CPoint&, int32_t, float, int32_t) {
    return false;
}
bool CView::onWheel(const CPoint& where, float distance, int32_t buttons) {
    return onWheel(where, 0, distance, buttons);
}

CRect& CView::getMouseableArea(CRect& rect) const {
    rect = m_mouseableArea;
    return rect;
}

int32_t CView::onKeyDown(VstKeyCode&) {
    return -1;
}
int32_t CView::onKeyUp(VstKeyCode&) {
    return -1;
}

void CView::setViewSize(const CRect& rect, bool invalidate) {
    if (invalidate) setDirty(true);
    m_size = rect;
    if (invalidate) setDirty(true);
}

CRect& CView::getViewSize(CRect& rect) const {
    rect = m_size;
    return rect;
}

CRect CView::getVisibleSize() const {
    CRect r = m_size;
    if (m_parent) {
        CRect parentLocal = m_parent->getViewSize();
        parentLocal.moveTo(0, 0);
        r.bound(parentLocal);
    }
    return r;
}

void CView::setBackground(CBitmap* background) {
    swapReference(m_background, background);
    setDirty(true);
}

void CView::setTransparency(bool transparent) {
    m_transparent = transparent;
    setDirty(true);
}

bool CView::removed(CView*) {
    if (!m_attached) return false;
    if (m_frame) m_frame->onViewRemoved(this);
    m_parent = nullptr;
    setFrame(nullptr);
    m_attached = false;
    return true;
}

bool CView::attached(CView* parent) {
    if (m_attached) return false;
    m_parent = parent;
    setFrame(parent ? parent->getFrame() : nullptr);
    m_attached = true;
    return true;
}

void CView::setFrame(CFrame* frame) {
    swapReference(m_frame, frame);
}

IEditor* CView::getEditor() const {
    return m_frame ? m_frame->getEditor() : nullptr;
}

bool CView::isTypeOf(const char* className) const {
    return std::strcmp(className, "CView") == 0;
}

double CView::getSampleRate() const {
    IEditor* editor = getEditor();
    return editor ? editor->getSampleRate() : 44100.0;
}

CPoint CView::parentToFrame(const CPoint& p) const {
    CPoint result = p;
    for (CView* c = m_parent; c; c = c->getParentView()) result.offset(c->m_size.left, c->m_size.top);
    return result;
}

CPoint CView::frameToParent(const CPoint& p) const {
    CPoint result = p;
    for (CView* c = m_parent; c; c = c->getParentView()) result.offset(-c->m_size.left, -c->m_size.top);
    return result;
}

CRect CView::parentToFrame(const CRect& r) const {
    CPoint tl = parentToFrame(r.topLeft());
    return CRect::fromSize(tl.x, tl.y, r.width(), r.height());
}

} // namespace Mirda
