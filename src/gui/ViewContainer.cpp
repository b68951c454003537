#include "gui/ViewContainer.h"

#include "gui/Bitmap.h"
#include "gui/Control.h"
#include "gui/DrawContext.h"
#include "gui/Frame.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Mirda {

CViewContainer::CViewContainer(const CRect& size, CFrame*, CBitmap* background) : CView(size) {
    if (background) setBackground(background);
}

CViewContainer::CViewContainer(const CViewContainer& other)
    : CView(other), m_backgroundColor(other.m_backgroundColor) {
    for (CView* child : other.m_children) addView(child->clone());
}

CViewContainer::~CViewContainer() {
    removeAll(true);
}

bool CViewContainer::addView(CView* view, CView* before) {
    if (!view || view->isAttached()) return false;
    auto pos = std::find(m_children.begin(), m_children.end(), before);
    m_children.insert(pos, view);
    if (m_attached) {
        view->attached(this);
        view->setDirty(true);
    }
    return true;
}

bool CViewContainer::addView(CView* view, const CRect& mouseableArea, bool mouseEnabled) {
    if (!addView(view)) return false;
    view->setMouseableArea(mouseableArea);
    view->setMouseEnabled(mouseEnabled);
    return true;
}

bool CViewContainer::addView(CView* view) {
    return addView(view, nullptr);
}

bool CViewContainer::removeView(CView* view, bool withRelease) {
    if (view == m_mouseOver) m_mouseOver = nullptr;
    if (view == m_mouseCapture) clearMouseCapture();
    auto it = std::find(m_children.begin(), m_children.end(), view);
    if (it == m_children.end()) return false;
    // What the view covered shows what lies below it at the next repaint (a closed message box).
    if (m_attached) view->setDirty(true);
    m_children.erase(it);
    if (m_attached) view->removed(this);
    if (withRelease) view->release();
    return true;
}

bool CViewContainer::removeAll(bool withRelease) {
    m_mouseOver = nullptr;
    clearMouseCapture();
    std::vector<CView*> children;
    children.swap(m_children);
    for (CView* view : children) {
        if (m_attached) view->removed(this);
        if (withRelease) view->release();
    }
    return true;
}

int32_t CViewContainer::indexOf(const CView* view) const {
    auto it = std::find(m_children.begin(), m_children.end(), view);
    return it == m_children.end() ? -1 : static_cast<int32_t>(it - m_children.begin());
}

void CViewContainer::setBackgroundColor(const CColor& color) {
    m_backgroundColor = color;
    setDirty(true);
}

void CViewContainer::draw(CDrawContext* context) {
    drawRect(context, m_size);
}

void CViewContainer::drawRect(CDrawContext* context, const CRect& updateRect) {
    if (!context) return;
    const CPoint oldOffset = context->getOffset();
    const CRect oldClip = context->getClipRect();

    CRect clip = m_size;
    clip.offset(oldOffset.x, oldOffset.y);
    clip.bound(oldClip);
    context->setClipRect(clip);
    context->setOffset(CPoint(oldOffset.x + std::round(m_size.left), oldOffset.y + std::round(m_size.top)));

    CRect localUpdate = updateRect;
    localUpdate.offset(-m_size.left, -m_size.top);
    drawContents(context, localUpdate);

    context->setOffset(oldOffset);
    context->setClipRect(oldClip);
    m_dirty = false;
}

void CViewContainer::drawContents(CDrawContext* context, const CRect& localUpdate) {
    const CRect local(0, 0, m_size.width(), m_size.height());
    if (m_background) {
        if (m_transparent)
            m_background->drawTransparent(context, local, CPoint());
        else
            m_background->draw(context, local, CPoint());
    } else if (!m_transparent) {
        context->setFillColor(m_backgroundColor);
        context->drawRect(local, kDrawFilled);
    }
    for (CView* child : m_children) {
        if (child->isVisible() && child->checkUpdate(localUpdate)) child->drawRect(context, localUpdate);
    }
}

bool CViewContainer::isDirty() const {
    if (m_dirty) return true;
    return std::any_of(m_children.begin(), m_children.end(), [](CView* v) { return v->isDirty(); });
}

void CViewContainer::setDirty(bool dirty) {
    CView::setDirty(dirty);
    if (!dirty)
        for (CView* child : m_children) child->setDirty(false);
}

bool CViewContainer::acceptsMouse(const CView* child, const CPoint& local, int32_t buttons) const {
    return child->isVisible() && child->getMouseEnabled() && child->getActive() &&
           child->hitTest(local, buttons);
}

void CViewContainer::endWheelCapture() {
    if (!m_wheelCapture) return;
    m_wheelCapture = false;
    m_mouseCapture = nullptr;
}

int32_t CViewContainer::onMouseDown(CPoint& where, int32_t buttons) {
    endWheelCapture();
    CPoint local = toLocal(where);
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
        CView* child = *it;
        if (!acceptsMouse(child, local, buttons)) continue;
        if ((buttons & kModifierMask) && child->isTypeOf("CControl")) {
            auto* control = static_cast<CControl*>(child);
            if (CControlListener* listener = control->getListener())
                if (listener->controlModifierClicked(control, buttons) != 0) return kMouseHandled;
        }
        const int32_t result = child->onMouseDown(local, buttons);
        if (result == kMouseHandled) {
            m_mouseCapture = child;
            return kMouseHandled;
        }
        if (result == kMouseHandledNoFollow) return kMouseHandledNoFollow;
    }
    return kMouseNotHandled;
}

int32_t CViewContainer::onMouseUp(CPoint& where, int32_t buttons) {
    CView* capture = m_mouseCapture;
    if (!capture) return kMouseNotHandled;
    CPoint local = toLocal(where);
    if (!capture->hitTest(local, buttons)) capture->onMouseExited(local, buttons);
    clearMouseCapture();
    capture->onMouseUp(local, buttons);
    return kMouseHandled;
}

void CViewContainer::updateMouseOver(const CPoint& local, int32_t buttons) {
    CView* over = nullptr;
    for (auto it = m_children.rbegin(); it != m_children.rend() && !over; ++it)
        if (acceptsMouse(*it, local, buttons)) over = *it;
    if (over == m_mouseOver) return;
    CPoint p = local;
    if (m_mouseOver) m_mouseOver->onMouseExited(p, buttons);
    m_mouseOver = over;
    if (over) over->onMouseEntered(p, buttons);
}

int32_t CViewContainer::onMouseMoved(CPoint& where, int32_t buttons) {
    CPoint local = toLocal(where);
    if (m_wheelCapture && !m_mouseCapture->hitTest(local, buttons)) endWheelCapture();
    if (!m_mouseCapture) updateMouseOver(local, buttons);
    if (m_mouseCapture && m_mouseCapture->onMouseMoved(local, buttons) == kMouseHandled) return kMouseHandled;
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
        CView* child = *it;
        if (child == m_mouseCapture || !acceptsMouse(child, local, buttons)) continue;
        if (child->onMouseMoved(local, buttons) == kMouseHandled) return kMouseHandled;
    }
    return kMouseNotHandled;
}

int32_t CViewContainer::onMouseExited(CPoint& where, int32_t buttons) {
    endWheelCapture();
    if (m_mouseOver) {
        CPoint local = toLocal(where);
        CView* over = m_mouseOver;
        m_mouseOver = nullptr;
        over->onMouseExited(local, buttons);
    }
    return kMouseHandled;
}

bool CViewContainer::onWheel(const CPoint& where, int32_t axis, float distance, int32_t buttons) {
    CPoint local = toLocal(where);
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
        CView* child = *it;
        if (!acceptsMouse(child, local, buttons)) continue;
        if (child->onWheel(local, axis, distance, buttons)) {
            if (!m_mouseCapture || m_wheelCapture) m_mouseCapture = child, m_wheelCapture = true;
            return true;
        }
    }
    return false;
}

int32_t CViewContainer::onKeyDown(VstKeyCode& keyCode) {
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
        const int32_t result = (*it)->onKeyDown(keyCode);
        if (result != -1) return result;
    }
    return -1;
}

int32_t CViewContainer::onKeyUp(VstKeyCode& keyCode) {
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
        const int32_t result = (*it)->onKeyUp(keyCode);
        if (result != -1) return result;
    }
    return -1;
}

bool CViewContainer::removed(CView* parent) {
    for (CView* child : m_children) child->removed(this);
    return CView::removed(parent);
}

bool CViewContainer::attached(CView* parent) {
    if (!CView::attached(parent)) return false;
    for (CView* child : m_children) child->attached(this);
    return true;
}

void CViewContainer::invalidRect(const CRect& rect) {
    if (!m_attached || !m_visible) return;
    CRect r = rect;
    r.offset(m_size.left, m_size.top);
    r.bound(m_size);
    if (m_parent)
        m_parent->invalidRect(r);
    else if (m_frame)
        m_frame->invalidRect(r);
}

void CViewContainer::applyPendingChanges() {
    for (size_t i = 0; i < m_children.size(); ++i) m_children[i]->applyPendingChanges();
}

void CViewContainer::forgetView(const CView* view) {
    if (m_mouseOver == view) m_mouseOver = nullptr;
    if (m_mouseCapture == view) clearMouseCapture();
    for (CView* child : m_children)
        if (child->isTypeOf("CViewContainer")) static_cast<CViewContainer*>(child)->forgetView(view);
}

bool CViewContainer::isTypeOf(const char* className) const {
    return std::strcmp(className, "CViewContainer") == 0 || CView::isTypeOf(className);
}

} // namespace Mirda
