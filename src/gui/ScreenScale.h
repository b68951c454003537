// The scale source: what the window system says about the screen's resolution. One implementation per
// window system (X11 under platform/x11).
#pragma once

namespace Mirda {

// The screen's resolution in dots per inch (X11: the server's Xft.dpi; Windows: the resolution of the
// monitor `nativeWindow` is on, as that window's DPI awareness sees it, the system's without a window);
// 0 when the system says nothing.
double screenDpi(void* nativeWindow = nullptr);

} // namespace Mirda
