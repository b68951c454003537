#include "artwork/Painter.h"

#include "gui/Font.h"
#include "gui/PngWriter.h"
#include "gui/Utf8.h"

#include <algorithm>
#include <cmath>

namespace Artwork {

Painter::Painter(int width, int height, double scale)
    : m_buffer(static_cast<int32_t>(std::lround(width * scale)),
               static_cast<int32_t>(std::lround(height * scale))),
      m_context(new Mirda::CDrawContext(m_buffer.desc())), m_scale(scale) {}

Painter::~Painter() {
    m_context->release();
}

bool Painter::save(const std::string& path) const {
    return Mirda::writePNGFile(m_buffer.desc(), path);
}

CRect Painter::dev(const CRect& r) const {
    return {r.left * m_scale, r.top * m_scale, r.right * m_scale, r.bottom * m_scale};
}

void Painter::fillRect(const CRect& r, const CColor& c) {
    m_context->setFillColor(c);
    m_context->drawRect(dev(r), Mirda::kDrawFilled);
}

void Painter::gradient(const CRect& r, const CColor& top, const CColor& bottom) {
    m_context->fillVerticalGradient(dev(r), top, bottom);
}

void Painter::roundRect(const CRect& r, double radius, const CColor& fill) {
    m_context->setFillColor(fill);
    m_context->drawRoundRect(dev(r), radius * m_scale, Mirda::kDrawFilled);
}

void Painter::roundRectStroke(const CRect& r, double radius, double width, const CColor& c) {
    m_context->setFrameColor(c);
    m_context->setLineWidth(width * m_scale);
    m_context->drawRoundRect(dev(r), radius * m_scale, Mirda::kDrawStroked);
}

void Painter::disc(double cx, double cy, double radius, const CColor& c) {
    m_context->setFillColor(c);
    m_context->drawEllipse(dev(CRect(cx - radius, cy - radius, cx + radius, cy + radius)),
                           Mirda::kDrawFilled);
}

void Painter::ring(double cx, double cy, double radius, double width, const CColor& c) {
    const double outer = radius + width / 2;
    m_context->setFrameColor(c);
    m_context->setLineWidth(width * m_scale);
    m_context->drawEllipse(dev(CRect(cx - outer, cy - outer, cx + outer, cy + outer)), Mirda::kDrawStroked);
}

void Painter::arc(double cx, double cy, double radius, double width, double from, double to,
                  const CColor& c) {
    if (std::abs(to - from) < 0.01) return;
    const double outer = radius + width / 2;
    m_context->setFrameColor(c);
    m_context->setLineWidth(width * m_scale);
    m_context->drawArc(dev(CRect(cx - outer, cy - outer, cx + outer, cy + outer)), from, to,
                       Mirda::kDrawStroked);
}

void Painter::line(CPoint a, CPoint b, double width, const CColor& c) {
    const double dx = b.x - a.x, dy = b.y - a.y, length = std::hypot(dx, dy);
    if (length <= 0) return;
    const double nx = -dy / length * width / 2, ny = dx / length * width / 2;
    const CPoint quad[4] = {
        {a.x + nx, a.y + ny}, {b.x + nx, b.y + ny}, {b.x - nx, b.y - ny}, {a.x - nx, a.y - ny}};
    polygon(quad, 4, c);
    disc(a.x, a.y, width / 2, c);
    disc(b.x, b.y, width / 2, c);
}

void Painter::polygon(const CPoint* points, int count, const CColor& c) {
    std::vector<CPoint> scaled(points, points + count);
    for (CPoint& p : scaled) p = dev(p);
    m_context->setFillColor(c);
    m_context->drawPolygon(scaled.data(), count, Mirda::kDrawFilled);
}

namespace {

std::vector<std::string> lettersOf(const std::string& s) {
    std::vector<std::string> letters;
    for (size_t pos = 0; pos < s.size();) {
        const size_t start = pos;
        Mirda::decodeUtf8(s, pos);
        letters.push_back(s.substr(start, pos - start));
    }
    return letters;
}

} // namespace

double Painter::letterGap(double tracking) const {
    // Whole device pixels: letters sit on whole pixels, so a fractional gap would open unevenly.
    return std::round(tracking * m_scale);
}

double Painter::textWidth(const std::string& s, double size, bool bold, double tracking) {
    m_context->setFont(Mirda::CFontDesc::getDefaultFont(), size * m_scale,
                       bold ? Mirda::kBoldFace : Mirda::kNormalFace);
    double total = 0;
    for (const std::string& l : lettersOf(s))
        total += m_context->getStringWidth(l.c_str()) + letterGap(tracking);
    return (total - letterGap(tracking)) / m_scale;
}

void Painter::text(const std::string& s, const CRect& r, double size, const CColor& c, bool bold, int align,
                   double tracking) {
    const double total = textWidth(s, size, bold, tracking) * m_scale;
    m_context->setFontColor(c);
    const CRect box = dev(r);
    if (tracking == 0) {
        m_context->drawString(s.c_str(), box, align);
        return;
    }
    // Letter by letter, so the spacing can open up (small capitals read better spaced).
    double x = box.left;
    if (align == Mirda::kCenterText) x = box.left + (box.width() - total) / 2;
    if (align == Mirda::kRightText) x = box.right - total;
    for (const std::string& l : lettersOf(s)) {
        const double w = m_context->getStringWidth(l.c_str());
        m_context->drawString(l.c_str(), CRect(x - 2, box.top, x + w + 2, box.bottom), Mirda::kCenterText);
        x += w + letterGap(tracking);
    }
}

void Painter::litDisc(double cx, double cy, double radius, const CColor& top, const CColor& bottom) {
    // Horizontal slices of a vertical gradient, each clipped to the circle by drawing thin discs from
    // the bottom colour up: the disc stack blends into a smooth top-lit body.
    const int steps = 24;
    for (int i = 0; i < steps; ++i) {
        const double t = static_cast<double>(i) / (steps - 1);
        const CColor c{static_cast<uint8_t>(bottom.red + (top.red - bottom.red) * t),
                       static_cast<uint8_t>(bottom.green + (top.green - bottom.green) * t),
                       static_cast<uint8_t>(bottom.blue + (top.blue - bottom.blue) * t), 255};
        const double r = radius * (1.0 - 0.55 * t);
        disc(cx, cy - (radius - r) * 0.9, r, c);
    }
}

void Painter::discShadow(double cx, double cy, double radius, double spread, int alpha) {
    const int steps = 8;
    for (int i = steps; i >= 1; --i) {
        const double r = radius + spread * i / steps;
        disc(cx, cy + spread * 0.35, r, CColor{0, 0, 0, static_cast<uint8_t>(alpha / steps)});
    }
}

void Painter::rectShadow(const CRect& r, double radius, double spread, int alpha) {
    const int steps = 6;
    for (int i = steps; i >= 1; --i) {
        const double s = spread * i / steps;
        CRect grown(r.left - s, r.top - s + spread * 0.4, r.right + s, r.bottom + s + spread * 0.4);
        roundRect(grown, radius + s, CColor{0, 0, 0, static_cast<uint8_t>(alpha / steps)});
    }
}

void Painter::grain(const CRect& r, int strength, unsigned seed) {
    const Mirda::CPixelBuffer& px = m_buffer.desc();
    const CRect d = dev(r);
    const int x1 = std::max(0, static_cast<int>(d.left)), x2 = std::min(px.width, static_cast<int>(d.right));
    const int y1 = std::max(0, static_cast<int>(d.top)), y2 = std::min(px.height, static_cast<int>(d.bottom));
    unsigned state = seed * 2654435761u + 1;
    for (int y = y1; y < y2; ++y) {
        uint8_t* row = px.row(y);
        for (int x = x1; x < x2; ++x) {
            state = state * 1664525u + 1013904223u;
            const int delta =
                static_cast<int>((state >> 24) % static_cast<unsigned>(2 * strength + 1)) - strength;
            uint8_t* p = row + x * 4;
            for (int k = 0; k < 3; ++k)
                p[k] = static_cast<uint8_t>(std::clamp(p[k] + delta, 0, static_cast<int>(p[3])));
        }
    }
}

} // namespace Artwork
