#pragma once
// CFrame: the root container. It owns the platform frame, routes mouse, wheel and key events into the
// tree, keeps the modal and focus views and collects dirty rectangles that idle() repaints.

#include "gui/DirtyRectHelper.h"
#include "gui/IFrame.h"
#include "gui/ViewContainer.h"

namespace Tessu {
class ParameterProperty;
}

namespace Mirda {

class CControl;

// What the frame needs from the editor that owns it.
class IEditor {
public:
    virtual ~IEditor() = default;
    // A control starts or ends a gesture on its bound parameter (reported to the host as automation).
    virtual void beginEdit(CControl*) {}
    virtual void endEdit(CControl*) {}
    virtual double getSampleRate() const { return 44100.0; }
};

class CFrame : public CViewContainer {
public:
    CFrame(const CRect& size, IEditor* editor = nullptr);

    // Takes a reference on `platform`; the frame drives it and releases it when it closes.
    void setPlatformFrame(IFrame* platform);
    IFrame* getPlatformFrame() const { return m_platform; }
    // Detaches every view and the platform frame; the owner then releases the frame.
    void close();

    IEditor* getEditor() const override { return m_editor; }
    void setEditor(IEditor* editor) { m_editor = editor; }

    bool setModalView(CView* view);
    CView* getModalView() const { return m_modalView; }
    void setFocusView(CView* view);
    CView* getFocusView() const { return m_focusView; }
    // Moves the focus to the next (previous when `reverse`) view that wants focus; true when it moved.
    bool advanceNextFocusView(CView* current, bool reverse = false);

    void addDirtyRect(const CRect& frameRect);
    const CDirtyRectHelper& dirtyRects() const { return m_dirtyRects; }
    // Hands the collected dirty rects to the platform frame and lets it repaint them.
    void idle();
    // Repaints the collected dirty rects into `context` without a platform frame (offscreen use).
    void renderDirty(CDrawContext* context);
    // Repaints everything into `context`.
    void renderAll(CDrawContext* context);

    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    void invalidRect(const CRect& rect) override;
    void setViewSize(const CRect& rect, bool invalidate = true) override;

    // Event entry points of the platform frame (points in frame coordinates).
    int32_t onMouseDown(CPoint& where, int32_t buttons) override;
    int32_t onMouseUp(CPoint& where, int32_t buttons) override;
    int32_t onMouseMoved(CPoint& where, int32_t buttons) override;
    int32_t onMouseExited(CPoint& where, int32_t buttons) override;
    bool onWheel(const CPoint& where, int32_t axis, float distance, int32_t buttons) override;
    int32_t onKeyDown(VstKeyCode& keyCode) override;
    int32_t onKeyUp(VstKeyCode& keyCode) override;

    CPoint getLastMousePosition() const { return m_lastMouse; }
    int32_t getLastButtons() const { return m_lastButtons; }
    bool hasMouseCapture() const { return m_mouseCapture != nullptr; }

    // A control's gesture, forwarded to the editor.
    void beginEdit(CControl* control);
    void endEdit(CControl* control);
    // A control shows its read-out (hovered, dragged, changed); the editor's frame shows its text and
    // follows it until another control, or no control, takes the read-out.
    virtual void showReadout(CControl* source) { m_readoutSource = source; }
    CControl* getReadoutSource() const { return m_readoutSource; }
    void setCursor(CursorType cursor);

    // Called by CView::removed so that the frame stops pointing to a view that leaves the tree.
    void onViewRemoved(CView* view);

    bool isTypeOf(const char* className) const override;
    const char* getClassName() const override { return "CFrame"; }

protected:
    ~CFrame() override;
    void takeFocusAway();
    CDrawContext* cachedContext();
    void collectFocusable(CView* view, std::vector<CView*>& out) const;

    IFrame* m_platform = nullptr;
    CView* m_modalView = nullptr;
    CView* m_focusView = nullptr;
    CPoint m_lastMouse;
    int32_t m_lastButtons = 0;
    CDirtyRectHelper m_dirtyRects;
    CDrawContext* m_cachedContext = nullptr;
    IEditor* m_editor = nullptr;
    CControl* m_readoutSource = nullptr;
    bool m_removingFocus = false;
};

} // namespace Mirda
