#pragma once
// CViewContainer: a view that holds child views. List order is drawing order: the first child is
// drawn first, the last child lies on top and is asked first for mouse events.

#include "gui/View.h"

#include <vector>

namespace Mirda {

class CViewContainer : public CView {
public:
    explicit CViewContainer(const CRect& size, CFrame* frame = nullptr, CBitmap* background = nullptr);
    CViewContainer(const CViewContainer& other);

    bool addView(CView* view, CView* before);
    bool addView(CView* view, const CRect& mouseableArea, bool mouseEnabled = true);
    bool addView(CView* view);
    bool removeView(CView* view, bool withRelease = true);
    bool removeAll(bool withRelease = true);
    int32_t getNbViews() const { return static_cast<int32_t>(m_children.size()); }
    int32_t indexOf(const CView* view) const;
    const std::vector<CView*>& getChildren() const { return m_children; }

    void setBackgroundColor(const CColor& color);
    CColor getBackgroundColor() const { return m_backgroundColor; }

    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    bool isDirty() const override;
    void setDirty(bool dirty = true) override;

    int32_t onMouseDown(CPoint& where, int32_t buttons) override;
    int32_t onMouseUp(CPoint& where, int32_t buttons) override;
    int32_t onMouseMoved(CPoint& where, int32_t buttons) override;
    int32_t onMouseExited(CPoint& where, int32_t buttons) override;
    bool onWheel(const CPoint& where, int32_t axis, float distance, int32_t buttons) override;
    int32_t onKeyDown(VstKeyCode& keyCode) override;
    int32_t onKeyUp(VstKeyCode& keyCode) override;

    bool removed(CView* parent) override;
    bool attached(CView* parent) override;
    void invalidRect(const CRect& rect) override;
    void applyPendingChanges() override;

    CView* getMouseCaptureView() const { return m_mouseCapture; }
    void clearMouseCapture() { m_mouseCapture = nullptr, m_wheelCapture = false; }
    // Forgets `view` wherever this container or its descendants point to it (capture, mouse-over).
    void forgetView(const CView* view);

    bool isTypeOf(const char* className) const override;
    CView* clone() const override { return new CViewContainer(*this); }
    const char* getClassName() const override { return "CViewContainer"; }

protected:
    ~CViewContainer() override;
    // Draws the background and the children that intersect `localUpdate` (in this container's coordinates).
    void drawContents(CDrawContext* context, const CRect& localUpdate);
    bool acceptsMouse(const CView* child, const CPoint& local, int32_t buttons) const;
    CPoint toLocal(const CPoint& where) const { return where - m_size.topLeft(); }
    void updateMouseOver(const CPoint& local, int32_t buttons);
    // The capture that a wheel event set ends when the pointer leaves that view or a button goes down;
    // a button capture lasts until the button goes up.
    void endWheelCapture();

    std::vector<CView*> m_children;
    CView* m_mouseOver = nullptr;
    CView* m_mouseCapture = nullptr;
    bool m_wheelCapture = false;
    CColor m_backgroundColor = kBlackCColor;
};

} // namespace Mirda
