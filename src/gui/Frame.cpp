#include "gui/Frame.h"

#include "gui/Control.h"
#include "gui/DrawContext.h"

#include <algorithm>
#include <cstring>

namespace Mirda {

CFrame::CFrame(const CRect& size, IEditor* editor) : CViewContainer(size), m_editor(editor) {
    // The frame is the root: attached from the start and its own frame (without a self-reference).
    m_size.moveTo(0, 0);
    m_mouseableArea = m_size;
    m_frame = this;
    m_attached = true;
}

CFrame::~CFrame() {
    close();
    m_frame = nullptr;
    m_attached = false;
}

void CFrame::close() {
    m_modalView = nullptr;
    m_focusView = nullptr;
    removeAll(true);
    if (m_cachedContext) {
        m_cachedContext->release();
        m_cachedContext = nullptr;
    }
    swapReference<IFrame>(m_platform, nullptr);
}

void CFrame::setPlatformFrame(IFrame* platform) {
    swapReference(m_platform, platform);
    if (m_cachedContext) {
        m_cachedContext->release();
        m_cachedContext = nullptr;
    }
}

bool CFrame::setModalView(CView* view) {
    if (view && m_modalView) return false;
    if (m_modalView) {
        CView* old = m_modalView;
        m_modalView = nullptr;
        if (m_mouseCapture == old) clearMouseCapture();
        removeView(old, true);
    }
    if (view) {
        if (!view->isAttached() && !addView(view)) return false;
        m_modalView = view;
    }
    return true;
}

void CFrame::takeFocusAway() {
    if (!m_focusView || m_removingFocus) return;
    m_removingFocus = true;
    CView* old = m_focusView;
    m_focusView = nullptr;
    if (old->wantsFocus()) old->setDirty(true);
    old->looseFocus();
    m_removingFocus = false;
}

void CFrame::setFocusView(CView* view) {
    if (view == m_focusView) return;
    takeFocusAway();
    m_focusView = view;
    if (view) {
        if (view->wantsFocus()) view->setDirty(true);
        view->takeFocus();
    }
}

void CFrame::collectFocusable(CView* view, std::vector<CView*>& out) const {
    if (!view->isVisible() || !view->getActive()) return;
    if (view != this && view->wantsFocus()) out.push_back(view);
    if (view->isTypeOf("CViewContainer"))
        for (CView* child : static_cast<CViewContainer*>(view)->getChildren()) collectFocusable(child, out);
}

bool CFrame::advanceNextFocusView(CView* current, bool reverse) {
    std::vector<CView*> focusable;
    collectFocusable(m_modalView ? m_modalView : this, focusable);
    if (focusable.empty()) return false;
    auto it = std::find(focusable.begin(), focusable.end(), current);
    CView* next;
    if (it == focusable.end())
        next = reverse ? focusable.back() : focusable.front();
    else if (reverse)
        next = it == focusable.begin() ? focusable.back() : *(it - 1);
    else
        next = (it + 1) == focusable.end() ? focusable.front() : *(it + 1);
    if (next == current) return false;
    setFocusView(next);
    return true;
}

void CFrame::addDirtyRect(const CRect& frameRect) {
    CRect r = frameRect;
    r.bound(m_size);
    m_dirtyRects.add(r, m_size);
}

void CFrame::idle() {
    applyPendingChanges();
    if (!m_platform) return;
    for (const CRect& r : m_dirtyRects.take()) m_platform->invalidRect(r);
    m_platform->idle();
}

void CFrame::renderDirty(CDrawContext* context) {
    applyPendingChanges();
    for (const CRect& r : m_dirtyRects.take()) drawRect(context, r);
}

void CFrame::renderAll(CDrawContext* context) {
    applyPendingChanges();
    m_dirtyRects.clear();
    drawRect(context, m_size);
}

CDrawContext* CFrame::cachedContext() {
    if (!m_platform) return nullptr;
    const CPixelBuffer buffer = m_platform->getBackBuffer();
    if (m_cachedContext && !(m_cachedContext->getBuffer().pixels == buffer.pixels &&
                             m_cachedContext->getBuffer().width == buffer.width &&
                             m_cachedContext->getBuffer().height == buffer.height)) {
        m_cachedContext->release();
        m_cachedContext = nullptr;
    }
    if (!m_cachedContext) m_cachedContext = new CDrawContext(buffer);
    return m_cachedContext;
}

void CFrame::drawRect(CDrawContext* context, const CRect& updateRect) {
    if (!context) context = cachedContext();
    if (!context) return;
    context->addRef();
    const CRect oldClip = context->getClipRect();
    const CPoint oldOffset = context->getOffset();
    CRect clip = updateRect;
    clip.bound(m_size);
    context->setOffset(CPoint());
    context->setClipRect(clip);
    if (clip.width() > 0 && clip.height() > 0) drawContents(context, updateRect);
    context->setClipRect(oldClip);
    context->setOffset(oldOffset);
    m_dirty = false;
    context->release();
}

void CFrame::invalidRect(const CRect& rect) {
    if (m_platform) m_platform->invalidRect(rect);
}

void CFrame::setViewSize(const CRect& rect, bool invalidate) {
    if (m_platform) m_platform->setSize(rect.width(), rect.height());
    CRect r = rect;
    r.moveTo(0, 0);
    CView::setViewSize(r, invalidate);
    m_mouseableArea = r;
}

int32_t CFrame::onMouseDown(CPoint& where, int32_t buttons) {
    if ((buttons & kLButton) && (buttons & kControl)) buttons = kMButton;
    m_lastMouse = where;
    m_lastButtons = buttons;
    endWheelCapture();

    if (m_focusView && !m_focusView->getViewSize().pointInside(m_focusView->frameToParent(where)))
        takeFocusAway();

    if (m_modalView) {
        CPoint local = m_modalView->frameToParent(where);
        if (m_modalView->hitTest(local, buttons) &&
            m_modalView->onMouseDown(local, buttons) == kMouseHandled) {
            m_mouseCapture = m_modalView;
            return kMouseHandled;
        }
        return kMouseNotHandled;
    }
    return CViewContainer::onMouseDown(where, buttons);
}

int32_t CFrame::onMouseUp(CPoint& where, int32_t buttons) {
    m_lastMouse = where;
    m_lastButtons = buttons;
    CView* capture = m_mouseCapture;
    if (!capture) return kMouseNotHandled;
    CPoint local = capture->frameToParent(where);
    if (capture->getParentView() == this) return CViewContainer::onMouseUp(where, buttons);
    // A modal view below the top level holds the mouse.
    if (!capture->hitTest(local, buttons)) capture->onMouseExited(local, buttons);
    clearMouseCapture();
    capture->onMouseUp(local, buttons);
    return kMouseHandled;
}

int32_t CFrame::onMouseMoved(CPoint& where, int32_t buttons) {
    m_lastMouse = where;
    m_lastButtons = buttons;
    if (m_modalView) {
        CPoint local = m_modalView->frameToParent(where);
        if (m_wheelCapture && !m_modalView->hitTest(local, buttons)) endWheelCapture();
        if (m_mouseCapture == m_modalView || m_modalView->hitTest(local, buttons))
            return m_modalView->onMouseMoved(local, buttons) == kMouseHandled ? kMouseHandled
                                                                              : kMouseNotHandled;
        return kMouseNotHandled;
    }
    return CViewContainer::onMouseMoved(where, buttons);
}

int32_t CFrame::onMouseExited(CPoint& where, int32_t buttons) {
    if (m_mouseCapture && !m_wheelCapture) return kMouseHandled; // the pointer is grabbed; the up will follow
    return CViewContainer::onMouseExited(where, buttons);
}

bool CFrame::onWheel(const CPoint& where, int32_t axis, float distance, int32_t buttons) {
    m_lastMouse = where;
    if (m_modalView) {
        CPoint local = m_modalView->frameToParent(where);
        if (m_modalView->isVisible() && m_modalView->getMouseEnabled() && m_modalView->getActive() &&
            m_modalView->hitTest(local, buttons) && m_modalView->onWheel(local, axis, distance, buttons)) {
            if (!m_mouseCapture || m_wheelCapture) m_mouseCapture = m_modalView, m_wheelCapture = true;
            return true;
        }
        return false;
    }
    return CViewContainer::onWheel(where, axis, distance, buttons);
}

int32_t CFrame::onKeyDown(VstKeyCode& keyCode) {
    int32_t result = -1;
    if (m_focusView) result = m_focusView->onKeyDown(keyCode);
    if (result == -1 && m_modalView) result = m_modalView->onKeyDown(keyCode);
    if (result == -1) result = CViewContainer::onKeyDown(keyCode);
    if (result == -1 && keyCode.virt == VKEY_TAB)
        result = advanceNextFocusView(m_focusView, (keyCode.modifier & MODIFIER_SHIFT) != 0) ? 1 : -1;
    return result;
}

int32_t CFrame::onKeyUp(VstKeyCode& keyCode) {
    int32_t result = -1;
    if (m_focusView) result = m_focusView->onKeyUp(keyCode);
    if (result == -1 && m_modalView) result = m_modalView->onKeyUp(keyCode);
    return result;
}

void CFrame::beginEdit(CControl* control) {
    if (m_editor) m_editor->beginEdit(control);
}

void CFrame::endEdit(CControl* control) {
    if (m_editor) m_editor->endEdit(control);
}

void CFrame::setCursor(CursorType cursor) {
    if (m_platform) m_platform->setCursor(cursor);
}

void CFrame::onViewRemoved(CView* view) {
    if (view == this) return;
    if (m_focusView == view) m_focusView = nullptr;
    if (m_modalView == view) m_modalView = nullptr;
    if (static_cast<CView*>(m_readoutSource) == view) showReadout(nullptr);
    forgetView(view);
}

bool CFrame::isTypeOf(const char* className) const {
    return std::strcmp(className, "CFrame") == 0 || CViewContainer::isTypeOf(className);
}

} // namespace Mirda
