// The scale source: what the window system says about the screen's resolution. One implementation per
// window system (X11 under platform/x11).
#pragma once

namespace Mirda {

// The screen's text resolution in dots per inch (the X server's Xft.dpi); 0 when it says nothing.
double screenDpi();

} // namespace Mirda
