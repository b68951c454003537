#pragma once
// CView: the base of every visible element. A view's rect is expressed in its parent container's
// coordinates; mouse handlers receive points in the same coordinates.

#include "gui/BaseObject.h"
#include "gui/Geometry.h"
#include "gui/KeyCodes.h"

namespace Mirda {

class CBitmap;
class CDrawContext;
class CFrame;
class CViewContainer;
class IEditor;

class CView : public CBaseObject {
public:
    explicit CView(const CRect& size);
    CView(const CView& other);

    int32_t notify(CBaseObject* sender, const char* message) override;

    virtual void draw(CDrawContext* context);
    virtual void drawRect(CDrawContext* context, const CRect& updateRect);
    virtual bool checkUpdate(const CRect& updateRect) const;
    virtual bool isDirty() const { return m_dirty; }
    virtual void setDirty(bool dirty = true);
    virtual void invalidRect(const CRect& rect);
    void invalid() { invalidRect(m_size); }
    virtual void setVisible(bool visible);
    bool isVisible() const { return m_visible; }
    virtual void setActive(bool active);
    bool getActive() const { return m_active; }

    virtual int32_t onMouseDown(CPoint& where, int32_t buttons);
    virtual int32_t onMouseUp(CPoint& where, int32_t buttons);
    virtual int32_t onMouseMoved(CPoint& where, int32_t buttons);
    virtual int32_t onMouseEntered(CPoint& where, int32_t buttons);
    virtual int32_t onMouseExited(CPoint& where, int32_t buttons);
    virtual bool hitTest(const CPoint& where, int32_t buttons = -1) const;
    virtual bool onWheel(const CPoint& where, int32_t axis, float distance, int32_t buttons);
    virtual bool onWheel(const CPoint& where, float distance, int32_t buttons);

    virtual void setExtraFlag(bool flag) { m_extraFlag = flag; }
    virtual bool getExtraFlag() const { return m_extraFlag; }
    virtual void setMouseEnabled(bool enabled) { m_mouseEnabled = enabled; }
    virtual bool getMouseEnabled() const { return m_mouseEnabled; }
    virtual void setMouseableArea(const CRect& rect) { m_mouseableArea = rect; }
    virtual CRect& getMouseableArea(CRect& rect) const;
    virtual CRect getMouseableArea() const { return m_mouseableArea; }

    virtual int32_t onKeyDown(VstKeyCode& keyCode);
    virtual int32_t onKeyUp(VstKeyCode& keyCode);

    virtual void setViewSize(const CRect& rect, bool invalidate = true);
    virtual CRect& getViewSize(CRect& rect) const;
    virtual const CRect& getViewSize() const { return m_size; }
    // The view's rect clipped by its parent container's rect.
    virtual CRect getVisibleSize() const;

    virtual void looseFocus() {}
    virtual void takeFocus() {}
    virtual bool wantsFocus() const { return m_wantsFocus; }
    virtual void setWantsFocus(bool state) { m_wantsFocus = state; }

    virtual CBitmap* getBackground() const { return m_background; }
    virtual void setBackground(CBitmap* background);
    virtual void setTransparency(bool transparent);
    virtual bool getTransparency() const { return m_transparent; }

    virtual bool removed(CView* parent);
    virtual bool attached(CView* parent);
    bool isAttached() const { return m_attached; }
    virtual void setParentView(CView* parent) { m_parent = parent; }
    CView* getParentView() const { return m_parent; }
    virtual void setFrame(CFrame* frame);
    CFrame* getFrame() const { return m_frame; }
    virtual IEditor* getEditor() const;

    virtual bool isTypeOf(const char* className) const;
    virtual CView* clone() const { return new CView(*this); }
    virtual const char* getClassName() const { return "CView"; }
    virtual double getSampleRate() const;

    // Applies changes that arrived from outside the GUI thread (parameter notifications); the frame
    // calls it on the whole tree before each repaint.
    virtual void applyPendingChanges() {}

    // Converts between this view's parent coordinates and frame coordinates.
    CPoint parentToFrame(const CPoint& p) const;
    CPoint frameToParent(const CPoint& p) const;
    CRect parentToFrame(const CRect& r) const;

protected:
    ~CView() override;

    CRect m_size;
    CRect m_mouseableArea;
    bool m_dirty = false;
    bool m_mouseEnabled = true;
    bool m_transparent = false;
    bool m_wantsFocus = false;
    bool m_attached = false;
    bool m_visible = true;
    bool m_active = true;
    bool m_extraFlag = true;
    CBitmap* m_background = nullptr;
    int32_t m_userData = 0;
    CFrame* m_frame = nullptr;
    CView* m_parent = nullptr;
};

} // namespace Mirda
