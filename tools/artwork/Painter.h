// Drawing in design pixels: every coordinate and size is multiplied by the scale of the image being
// drawn, so one description yields the 1x and the 2x artwork.
#pragma once

#include "gui/DrawContext.h"
#include "gui/PixelBuffer.h"

#include <string>

namespace Artwork {

using Mirda::CColor;
using Mirda::CPoint;
using Mirda::CRect;

// The house palette.
namespace Palette {
inline constexpr CColor kPanelTop{44, 47, 53, 255};
inline constexpr CColor kPanelBottom{27, 29, 33, 255};
inline constexpr CColor kSectionTop{37, 40, 46, 255};
inline constexpr CColor kSectionBottom{30, 32, 37, 255};
inline constexpr CColor kEdgeLight{255, 255, 255, 22};
inline constexpr CColor kEdgeDark{0, 0, 0, 150};
inline constexpr CColor kWell{13, 14, 17, 255};
inline constexpr CColor kLabel{168, 176, 188, 255};
inline constexpr CColor kLabelDim{110, 117, 128, 255};
inline constexpr CColor kAccent{255, 168, 48, 255};
inline constexpr CColor kAccentHot{255, 214, 130, 255};
inline constexpr CColor kCool{86, 196, 255, 255};
inline constexpr CColor kCoolHot{190, 236, 255, 255};
} // namespace Palette

inline CColor withAlpha(CColor c, int alpha) {
    c.alpha = static_cast<uint8_t>(alpha);
    return c;
}

class Painter {
public:
    // A transparent image of width x height design pixels at `scale` device pixels per design pixel.
    Painter(int width, int height, double scale);
    ~Painter();
    Painter(const Painter&) = delete;
    Painter& operator=(const Painter&) = delete;

    double scale() const { return m_scale; }
    const Mirda::CPixelBuffer& pixels() const { return m_buffer.desc(); }
    bool save(const std::string& path) const;

    void fillRect(const CRect& r, const CColor& c);
    void gradient(const CRect& r, const CColor& top, const CColor& bottom);
    void roundRect(const CRect& r, double radius, const CColor& fill);
    void roundRectStroke(const CRect& r, double radius, double width, const CColor& c);
    void disc(double cx, double cy, double radius, const CColor& c);
    void ring(double cx, double cy, double radius, double width, const CColor& c);
    // A stroked arc centred on radius; angles in degrees clockwise from three o'clock.
    void arc(double cx, double cy, double radius, double width, double from, double to, const CColor& c);
    // A round-ended line.
    void line(CPoint a, CPoint b, double width, const CColor& c);
    void polygon(const CPoint* points, int count, const CColor& c);
    // Text in the label face; `tracking` adds space between letters (design pixels).
    void text(const std::string& s, const CRect& r, double size, const CColor& c, bool bold = true,
              int align = Mirda::kCenterText, double tracking = 0);
    // Width of `text` as text() would draw it, in design pixels.
    double textWidth(const std::string& s, double size, bool bold = true, double tracking = 0);
    // A disc lit from above: lighter at the top edge, darker below, as cast metal or plastic.
    void litDisc(double cx, double cy, double radius, const CColor& top, const CColor& bottom);
    // Soft shadow under a round or rectangular object.
    void discShadow(double cx, double cy, double radius, double spread, int alpha);
    void rectShadow(const CRect& r, double radius, double spread, int alpha);
    // Fine grain over an area, deterministic.
    void grain(const CRect& r, int strength, unsigned seed);

private:
    CRect dev(const CRect& r) const;
    double letterGap(double tracking) const;
    CPoint dev(CPoint p) const { return {p.x * m_scale, p.y * m_scale}; }
    Mirda::COwnedPixelBuffer m_buffer;
    Mirda::CDrawContext* m_context;
    double m_scale;
};

} // namespace Artwork
