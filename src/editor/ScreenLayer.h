// The display's palette, its screen and the layers cached on it: the screen's gradient, and opaque copies of
// layers drawn once into pixel buffers, which cost a row copy per repaint instead of rasterising again.
#pragma once

#include "gui/DrawContext.h"
#include "gui/PixelBuffer.h"

#include <algorithm>

namespace Mirda {

// The filters' colours wherever the display shows one of them (curves, graphs, dials).
inline constexpr CColor kLowPassColor{255, 170, 52, 255};
inline constexpr CColor kHighPassColor{96, 196, 255, 255};

inline CColor withAlpha(CColor color, double alpha) {
    color.alpha = uint8_t(std::clamp(alpha, 0.0, 255.0));
    return color;
}

// Fills `area` with the screen's gradient as it runs over the whole `screen` (both in the same
// coordinates), so that parts painted separately meet without a seam.
void paintScreen(CDrawContext* context, const CRect& area, const CRect& screen);

// Copies `layer` (opaque, its top-left at `where`'s top-left) into the context's buffer, inside the
// context's clip rect; the context offset applies as for drawing.
void copyOpaque(CDrawContext* context, const CPixelBuffer& layer, const CRect& where);

// Fills `rect` (whole pixels) with an opaque colour, inside the context's clip rect, without blending
// or anti-aliasing: the meters' many segments.
void fillOpaque(CDrawContext* context, const CRect& rect, const CColor& color);

} // namespace Mirda
