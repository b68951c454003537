#pragma once
// The platform-frame interface: everything the frame needs from the window system. One implementation
// per window system (X11 under platform/x11); tests and offscreen rendering run without one.

#include "gui/BaseObject.h"
#include "gui/Geometry.h"
#include "gui/PixelBuffer.h"

#include <functional>
#include <string>

namespace Mirda {

class COptionMenu;

enum class CursorType { kDefault, kHand, kVerticalResize, kHorizontalResize, kText, kWait };

class IFrame : public CBaseObject {
public:
    // Marks a frame-coordinate area for repainting.
    virtual void invalidRect(const CRect& rect) = 0;
    // Repaints the invalid areas now.
    virtual void idle() = 0;
    virtual bool setSize(double width, double height) = 0;
    // The offscreen buffer the frame paints into.
    virtual CPixelBuffer getBackBuffer() = 0;
    virtual void setCursor(CursorType) {}
    // Takes the keyboard focus for the frame window while a text field is open, and gives it back to
    // where it was when the field closes; keys the editor does not use belong to the host.
    virtual void takeKeyboardFocus() {}
    virtual void releaseKeyboardFocus() {}
    // Shows `menu` as a popup at a frame-coordinate point. The choice reaches the menu later through
    // COptionMenu::popupFinished; answers false when the platform cannot show popups.
    virtual bool showPopupMenu(COptionMenu*, const CPoint&) { return false; }
    // The native window (X11: the Window id).
    virtual void* getPlatformHandle() const { return nullptr; }

protected:
    ~IFrame() override = default;
};

} // namespace Mirda
