#include "gui/DrawContext.h"

#include "gui/Font.h"
#include "gui/FontEngine.h"

#include <cairo.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <numbers>
#include <utility>
#include <vector>

namespace Mirda {

// Cairo's ARGB32 is a native 32-bit word per pixel: the premultiplied blue, green, red, alpha bytes of
// CPixelBuffer only on a little-endian machine.
static_assert(std::endian::native == std::endian::little);

struct CDrawContext::Renderer {
    explicit Renderer(const CPixelBuffer& b)
        : surface(cairo_image_surface_create_for_data(b.pixels, CAIRO_FORMAT_ARGB32, b.width, b.height,
                                                      b.stride)) {}
    ~Renderer() {
        if (cr) cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    bool isValid() const { return cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS; }

    // Clips to whole pixels x1..x2, y1..y2 (inclusive); an empty clip draws nothing.
    void clipTo(int x1, int y1, int x2, int y2) {
        clipEmpty = x2 < x1 || y2 < y1;
        clipBox[0] = x1, clipBox[1] = y1, clipBox[2] = x2, clipBox[3] = y2;
        if (!clipEmpty) applyClip();
    }

    // The cairo context with the offset as its only transformation and a fresh path, or null when the
    // clip is empty.
    cairo_t* begin(const CPoint& offset, int32_t drawMode) {
        if (clipEmpty) return nullptr;
        // A cairo context stays in error once an operation failed (a non-finite coordinate, a singular
        // transformation); a new one draws again.
        if (!cr || cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
            if (cr) cairo_destroy(cr);
            cr = nullptr;
            applyClip();
        }
        cairo_new_path(cr);
        cairo_identity_matrix(cr);
        cairo_translate(cr, offset.x, offset.y);
        cairo_set_antialias(cr,
                            drawMode == kAliasingDrawMode ? CAIRO_ANTIALIAS_NONE : CAIRO_ANTIALIAS_DEFAULT);
        return cr;
    }

    // Draws the glyphs laid out in `glyphs`, the first at pen position x on the baseline, in `color`:
    // their coverage summed into one mask over the clip, composited in one step.
    void showGlyphs(int x, int baseline, const CColor& color);

    cairo_surface_t* surface;
    cairo_t* cr = nullptr;
    bool clipEmpty = false;
    int clipBox[4] = {};
    // Reused by text drawing.
    std::vector<detail::PlacedGlyph> glyphs;
    std::vector<uint8_t> textMask;
    // Reused by polygons.
    std::vector<CPoint> polyline;

private:
    void applyClip() {
        if (!cr) {
            cr = cairo_create(surface);
            cairo_set_miter_limit(cr, 4.0);
        }
        cairo_reset_clip(cr);
        cairo_new_path(cr);
        cairo_identity_matrix(cr);
        cairo_rectangle(cr, clipBox[0], clipBox[1], clipBox[2] - clipBox[0] + 1, clipBox[3] - clipBox[1] + 1);
        cairo_clip(cr);
    }
};

namespace {

void setColor(cairo_t* cr, const CColor& c) {
    cairo_set_source_rgba(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0);
}

void fillPath(cairo_t* cr, const CColor& color) {
    setColor(cr, color);
    cairo_fill(cr);
}

void strokePath(cairo_t* cr, double width, const CColor& color) {
    cairo_set_line_width(cr, width);
    setColor(cr, color);
    cairo_stroke(cr);
}

void rectanglePath(cairo_t* cr, double left, double top, double right, double bottom) {
    cairo_rectangle(cr, left, top, right - left, bottom - top);
}

// Corners larger than half a side shrink to it.
void roundRectPath(cairo_t* cr, double left, double top, double right, double bottom, double radius) {
    const double r = std::clamp(radius, 0.0, std::min(right - left, bottom - top) / 2);
    if (!(r > 0)) return rectanglePath(cr, left, top, right, bottom);
    cairo_new_sub_path(cr);
    cairo_arc(cr, right - r, top + r, r, -std::numbers::pi / 2, 0);
    cairo_arc(cr, right - r, bottom - r, r, 0, std::numbers::pi / 2);
    cairo_arc(cr, left + r, bottom - r, r, std::numbers::pi / 2, std::numbers::pi);
    cairo_arc(cr, left + r, top + r, r, std::numbers::pi, 3 * std::numbers::pi / 2);
    cairo_close_path(cr);
}

// An elliptical arc (angles in radians, growing clockwise on screen), or the whole ellipse.
void ellipseArcPath(cairo_t* cr, double cx, double cy, double rx, double ry, double from, double to) {
    if (!(rx > 0 && ry > 0)) return;
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    if (to >= from)
        cairo_arc(cr, 0, 0, 1, from, to);
    else
        cairo_arc_negative(cr, 0, 0, 1, from, to);
    cairo_restore(cr); // the path keeps its shape; the stroke's width is not scaled
}

// How far (in pixels) a dropped point of a polyline may lie from the straight line that replaces it:
// a twentieth of a pixel changes no edge pixel by more than a few levels.
constexpr double kPolylineTolerance = 0.05;

// Copies `points` into `kept` without the points that lie within `tolerance` of the line from the last
// kept point to the next kept one. One pass ("sleeve fitting"): every point after the last kept one
// narrows the cone of directions from it that pass close enough to all of them; a point outside the cone,
// or one coming back towards the last kept point, ends the straight run at the point before it.
void dropNearlyStraightPoints(const CPoint* points, int32_t count, double tolerance,
                              std::vector<CPoint>& kept) {
    const auto cross = [](double ax, double ay, double bx, double by) { return ax * by - ay * bx; };
    kept.assign(1, points[0]);
    CPoint anchor = points[0];
    bool narrowed = false;
    double loX = 0, loY = 0, hiX = 0, hiY = 0, reach = 0;
    for (int32_t i = 1; i < count; ++i) {
        double dx = points[i].x - anchor.x, dy = points[i].y - anchor.y;
        const bool inCone = !narrowed || (cross(loX, loY, dx, dy) >= 0 && cross(dx, dy, hiX, hiY) >= 0);
        if (!inCone || dx * dx + dy * dy < reach) {
            anchor = points[i - 1];
            kept.push_back(anchor);
            narrowed = false;
            dx = points[i].x - anchor.x, dy = points[i].y - anchor.y;
        }
        reach = dx * dx + dy * dy;
        const double distance = std::sqrt(reach);
        if (distance <= tolerance) continue; // any line from the anchor passes close enough
        // The directions within asin(tolerance / distance) of this point's own.
        const double ux = dx / distance, uy = dy / distance;
        const double sine = tolerance / distance, cosine = std::sqrt(1 - sine * sine);
        const double pLoX = ux * cosine + uy * sine, pLoY = uy * cosine - ux * sine;
        const double pHiX = ux * cosine - uy * sine, pHiY = uy * cosine + ux * sine;
        if (!narrowed || cross(loX, loY, pLoX, pLoY) > 0) loX = pLoX, loY = pLoY;
        if (!narrowed || cross(pHiX, pHiY, hiX, hiY) > 0) hiX = pHiX, hiY = pHiY;
        narrowed = true;
    }
    if (kept.size() == 1 || kept.back().x != points[count - 1].x || kept.back().y != points[count - 1].y)
        kept.push_back(points[count - 1]);
}

// Coverage blended on screen values rather than on light makes a half-covered edge pixel look darker than
// half lit, so light text on a dark ground looks thinner than the same face dark on light. Light text
// gets its coverage raised (gamma 1.4) to about the weight it has dark on light.
const std::array<uint8_t, 256>& textWeight(const CColor& color) {
    static const auto tables = [] {
        std::array<std::array<uint8_t, 256>, 2> t{};
        for (int i = 0; i < 256; ++i) {
            t[0][static_cast<size_t>(i)] = static_cast<uint8_t>(i);
            t[1][static_cast<size_t>(i)] =
                static_cast<uint8_t>(std::lround(255 * std::pow(i / 255.0, 1 / 1.4)));
        }
        return t;
    }();
    const double luminance = 0.2126 * color.red + 0.7152 * color.green + 0.0722 * color.blue;
    return tables[luminance > 127.5 ? 1 : 0];
}

} // namespace

void CDrawContext::Renderer::showGlyphs(int x, int baseline, const CColor& color) {
    if (!begin(CPoint(), 0)) return;
    const auto originOf = [&](const detail::PlacedGlyph& g) {
        return std::pair{x + static_cast<int>(std::lround(g.x)) + g.image->left, baseline + g.image->top};
    };
    // The mask covers the glyphs' boxes inside the clip.
    constexpr int kFar = std::numeric_limits<int>::max();
    int left = kFar, top = kFar, right = -kFar, bottom = -kFar;
    for (const auto& g : glyphs) {
        if (g.image->coverage.empty()) continue;
        const auto [gx, gy] = originOf(g);
        left = std::min(left, gx), top = std::min(top, gy);
        right = std::max(right, gx + g.image->width), bottom = std::max(bottom, gy + g.image->height);
    }
    left = std::max(left, clipBox[0]), top = std::max(top, clipBox[1]);
    right = std::min(right, clipBox[2] + 1), bottom = std::min(bottom, clipBox[3] + 1);
    if (right <= left || bottom <= top) return;
    const std::array<uint8_t, 256>& weight = textWeight(color);
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_A8, right - left);
    textMask.assign(static_cast<size_t>(stride) * static_cast<size_t>(bottom - top), 0);
    for (const auto& g : glyphs) {
        const detail::GlyphImage& image = *g.image;
        const auto [gx, gy] = originOf(g);
        const int x1 = std::max(gx, left), x2 = std::min(gx + image.width, right);
        for (int y = std::max(gy, top); y < std::min(gy + image.height, bottom); ++y) {
            const uint8_t* in =
                image.coverage.data() + static_cast<ptrdiff_t>(y - gy) * image.width + (x1 - gx);
            uint8_t* out = textMask.data() + static_cast<ptrdiff_t>(y - top) * stride + (x1 - left);
            for (int i = 0; i < x2 - x1; ++i)
                out[i] = static_cast<uint8_t>(std::min(255, out[i] + weight[in[i]]));
        }
    }
    cairo_surface_t* coverage = cairo_image_surface_create_for_data(textMask.data(), CAIRO_FORMAT_A8,
                                                                    right - left, bottom - top, stride);
    setColor(cr, color);
    cairo_mask_surface(cr, coverage, left, top);
    cairo_surface_destroy(coverage);
}

CDrawContext::CDrawContext(const CPixelBuffer& buffer) : m_buffer(buffer) {
    if (m_buffer.isValid()) {
        m_renderer = std::make_unique<Renderer>(m_buffer);
        if (!m_renderer->isValid()) m_renderer.reset();
    }
    setClipRect(CRect(0, 0, buffer.width, buffer.height));
    setFont(CFontDesc::getDefaultFont());
}

CDrawContext::~CDrawContext() {
    if (m_font) m_font->release();
}

void CDrawContext::setClipRect(const CRect& clip) {
    m_clip = clip;
    m_clip.bound(CRect(0, 0, m_buffer.width, m_buffer.height));
    if (!m_renderer) return;
    const int x1 = static_cast<int>(std::floor(m_clip.left));
    const int y1 = static_cast<int>(std::floor(m_clip.top));
    const int x2 = static_cast<int>(std::ceil(m_clip.right)) - 1;
    const int y2 = static_cast<int>(std::ceil(m_clip.bottom)) - 1;
    // A clip without area draws nothing, even where its edges fall inside one pixel.
    if (!(m_clip.width() > 0 && m_clip.height() > 0))
        m_renderer->clipTo(0, 0, -1, -1);
    else
        m_renderer->clipTo(x1, y1, x2, y2);
}

void CDrawContext::setFont(CFontDesc* font, double size, int32_t style) {
    if (!font) return;
    swapReference(m_font, font);
    m_fontSize = size > 0 ? size : font->getSize();
    m_fontStyle = style >= 0 ? style : font->getStyle();
}

void CDrawContext::moveTo(const CPoint& point) {
    m_pen = point + m_offset;
}

void CDrawContext::lineTo(const CPoint& point) {
    const CPoint end = point + m_offset;
    if (cairo_t* cr = m_renderer ? m_renderer->begin(CPoint(), m_drawMode) : nullptr) {
        // Pixel centres lie at .5, so an integer line coordinate covers exactly one pixel row or column.
        cairo_move_to(cr, m_pen.x + 0.5, m_pen.y + 0.5);
        cairo_line_to(cr, end.x + 0.5, end.y + 0.5);
        strokePath(cr, m_lineWidth, m_frameColor);
    }
    m_pen = end;
}

void CDrawContext::drawLine(const CPoint& from, const CPoint& to) {
    moveTo(from);
    lineTo(to);
}

void CDrawContext::drawRect(const CRect& rect, int32_t style) {
    if (style != kDrawStroked) {
        if (cairo_t* cr = m_renderer ? m_renderer->begin(m_offset, m_drawMode) : nullptr) {
            rectanglePath(cr, rect.left, rect.top, rect.right, rect.bottom);
            fillPath(cr, m_fillColor);
        }
    }
    if (style != kDrawFilled) {
        if (cairo_t* cr = m_renderer ? m_renderer->begin(m_offset, m_drawMode) : nullptr) {
            // The outline lies inside the rect.
            const double h = m_lineWidth / 2;
            rectanglePath(cr, rect.left + h, rect.top + h, rect.right - h, rect.bottom - h);
            strokePath(cr, m_lineWidth, m_frameColor);
        }
    }
}

void CDrawContext::drawRoundRect(const CRect& rect, double radius, int32_t style) {
    if (style != kDrawStroked) {
        if (cairo_t* cr = m_renderer ? m_renderer->begin(m_offset, m_drawMode) : nullptr) {
            roundRectPath(cr, rect.left, rect.top, rect.right, rect.bottom, radius);
            fillPath(cr, m_fillColor);
        }
    }
    if (style != kDrawFilled) {
        if (cairo_t* cr = m_renderer ? m_renderer->begin(m_offset, m_drawMode) : nullptr) {
            const double h = m_lineWidth / 2;
            roundRectPath(cr, rect.left + h, rect.top + h, rect.right - h, rect.bottom - h,
                          std::max(0.0, radius - h));
            strokePath(cr, m_lineWidth, m_frameColor);
        }
    }
}

void CDrawContext::drawEllipse(const CRect& rect, int32_t style) {
    drawArc(rect, 0, 360, style);
}

void CDrawContext::drawArc(const CRect& rect, double startAngle, double endAngle, int32_t style) {
    const double cx = (rect.left + rect.right) / 2, cy = (rect.top + rect.bottom) / 2;
    // More than one turn draws the same as one.
    endAngle = std::clamp(endAngle, startAngle - 360, startAngle + 360);
    const bool whole = std::abs(endAngle - startAngle) >= 360;
    const double a1 = startAngle * std::numbers::pi / 180.0, a2 = endAngle * std::numbers::pi / 180.0;
    if (style != kDrawStroked) {
        if (cairo_t* cr = m_renderer ? m_renderer->begin(m_offset, m_drawMode) : nullptr) {
            // A pie slice: the arc closed through the centre.
            if (!whole) cairo_move_to(cr, cx, cy);
            ellipseArcPath(cr, cx, cy, rect.width() / 2, rect.height() / 2, a1, a2);
            cairo_close_path(cr);
            fillPath(cr, m_fillColor);
        }
    }
    if (style != kDrawFilled) {
        if (cairo_t* cr = m_renderer ? m_renderer->begin(m_offset, m_drawMode) : nullptr) {
            const double h = m_lineWidth / 2;
            ellipseArcPath(cr, cx, cy, std::max(0.0, rect.width() / 2 - h),
                           std::max(0.0, rect.height() / 2 - h), a1, a2);
            if (whole) cairo_close_path(cr);
            strokePath(cr, m_lineWidth, m_frameColor);
        }
    }
}

void CDrawContext::drawPolygon(const CPoint* points, int32_t count, int32_t style, bool closed) {
    if (!points || count < 2 || !m_renderer) return;
    // Cairo's rasteriser pays for every edge; curves come with a point per pixel column.
    std::vector<CPoint>& kept = m_renderer->polyline;
    dropNearlyStraightPoints(points, count, kPolylineTolerance, kept);
    const auto trace = [&](cairo_t* cr) {
        // Curves move at display rate: a 4 x 4 coverage grid draws them in about two thirds of the
        // time of the full one, and on lines this busy nobody sees the difference.
        if (m_drawMode != kAliasingDrawMode) cairo_set_antialias(cr, CAIRO_ANTIALIAS_FAST);
        cairo_move_to(cr, kept[0].x, kept[0].y);
        for (size_t i = 1; i < kept.size(); ++i) cairo_line_to(cr, kept[i].x, kept[i].y);
    };
    if (style != kDrawStroked) {
        if (cairo_t* cr = m_renderer->begin(m_offset, m_drawMode)) {
            trace(cr);
            fillPath(cr, m_fillColor);
        }
    }
    if (style != kDrawFilled) {
        if (cairo_t* cr = m_renderer->begin(m_offset, m_drawMode)) {
            trace(cr);
            if (closed) cairo_close_path(cr);
            strokePath(cr, m_lineWidth, m_frameColor);
        }
    }
}

namespace {

CColor lerpColor(const CColor& a, const CColor& b, double t) {
    const auto mix = [t](uint8_t x, uint8_t y) { return static_cast<uint8_t>(std::lround(x + (y - x) * t)); };
    return {mix(a.red, b.red), mix(a.green, b.green), mix(a.blue, b.blue), mix(a.alpha, b.alpha)};
}

void addStop(cairo_pattern_t* pattern, double offset, const CColor& c) {
    cairo_pattern_add_color_stop_rgba(pattern, offset, c.red / 255.0, c.green / 255.0, c.blue / 255.0,
                                      c.alpha / 255.0);
}

// Fills the current path with a gradient running from `top` to `bottom` (screen rows, offset applied).
void fillWithVerticalGradient(cairo_t* cr, double top, double bottom, const CColor* colors, int count) {
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, top, 0, bottom);
    for (int i = 0; i < count; ++i) addStop(gradient, static_cast<double>(i) / (count - 1), colors[i]);
    cairo_set_source(cr, gradient);
    cairo_fill(cr);
    cairo_pattern_destroy(gradient);
}

} // namespace

void CDrawContext::fillVerticalGradient(const CRect& rect, const CColor& top, const CColor& bottom) {
    fillVerticalGradient(rect, top, lerpColor(top, bottom, 0.5), bottom);
}

void CDrawContext::fillVerticalGradient(const CRect& rect, const CColor& top, const CColor& middle,
                                        const CColor& bottom) {
    if (rect.isEmpty()) return;
    cairo_t* cr = m_renderer ? m_renderer->begin(CPoint(), m_drawMode) : nullptr;
    if (!cr) return;
    CRect r = rect;
    r.offset(m_offset.x, m_offset.y);
    // Whole pixels, each row in the colour at its centre.
    const double x1 = std::lround(r.left), x2 = std::lround(r.right);
    const double y1 = std::lround(r.top), y2 = std::lround(r.bottom);
    if (x2 <= x1 || y2 <= y1) return;
    rectanglePath(cr, x1, y1, x2, y2);
    const CColor colors[] = {top, middle, bottom};
    fillWithVerticalGradient(cr, r.top, r.bottom, colors, 3);
}

void CDrawContext::fillRoundRectGradient(const CRect& rect, double radius, const CColor& top,
                                         const CColor& bottom) {
    if (rect.isEmpty()) return;
    cairo_t* cr = m_renderer ? m_renderer->begin(m_offset, m_drawMode) : nullptr;
    if (!cr) return;
    roundRectPath(cr, rect.left, rect.top, rect.right, rect.bottom, radius);
    const CColor colors[] = {top, bottom};
    fillWithVerticalGradient(cr, rect.top, rect.bottom, colors, 2);
}

void CDrawContext::drawString(const char* utf8, const CRect& rect, int32_t align) {
    if (!m_renderer || m_renderer->clipEmpty || !utf8 || !*utf8) return;
    detail::FontEngine* fonts = detail::FontEngine::get();
    if (!fonts || !fonts->select(m_fontStyle, m_fontSize)) return;
    std::vector<detail::PlacedGlyph>& glyphs = m_renderer->glyphs;
    const double width = fonts->layout(utf8, glyphs);
    CRect r = rect;
    r.offset(m_offset.x, m_offset.y);
    double x = r.left;
    if (align == kCenterText)
        x = r.left + (r.width() - width) / 2;
    else if (align == kRightText)
        x = r.right - width;
    // Centre the box between ascender and descender on the rect.
    const double baseline = std::round((r.top + r.bottom) / 2 + (fonts->ascender() + fonts->descender()) / 2);
    x = std::round(x);

    // Far beyond any buffer (or not a number): nothing to draw.
    if (!(std::abs(x) < 1e7 && std::abs(baseline) < 1e7)) return;

    // Text stays inside its rect.
    const CRect savedClip = m_clip;
    CRect textClip = r;
    textClip.bound(savedClip);
    setClipRect(textClip);
    m_renderer->showGlyphs(static_cast<int>(x), static_cast<int>(baseline), m_fontColor);
    setClipRect(savedClip);
}

double CDrawContext::getStringWidth(const char* utf8) {
    if (!utf8) return 0;
    detail::FontEngine* fonts = detail::FontEngine::get();
    if (!fonts || !fonts->select(m_fontStyle, m_fontSize)) return 0;
    return fonts->stringWidth(utf8);
}

void CDrawContext::blendPixels(const CPixelBuffer& source, int32_t srcX, int32_t srcY, int32_t width,
                               int32_t height, const CPoint& dest, uint8_t opacity) {
    if (!source.isValid() || opacity == 0) return;
    cairo_t* cr = m_renderer ? m_renderer->begin(CPoint(), m_drawMode) : nullptr;
    if (!cr) return;
    // Only the part of the source rectangle that exists.
    const int32_t x1 = std::max(srcX, 0), y1 = std::max(srcY, 0);
    const int32_t x2 = std::min(srcX + width, source.width), y2 = std::min(srcY + height, source.height);
    if (x2 <= x1 || y2 <= y1) return;
    const double dx = static_cast<double>(std::lround(dest.x + m_offset.x) - srcX);
    const double dy = static_cast<double>(std::lround(dest.y + m_offset.y) - srcY);
    cairo_surface_t* pixels = cairo_image_surface_create_for_data(source.pixels, CAIRO_FORMAT_ARGB32,
                                                                  source.width, source.height, source.stride);
    cairo_set_source_surface(cr, pixels, dx, dy);
    cairo_rectangle(cr, x1 + dx, y1 + dy, x2 - x1, y2 - y1);
    if (opacity == 255) {
        cairo_fill(cr);
    } else {
        cairo_save(cr);
        cairo_clip(cr);
        cairo_paint_with_alpha(cr, opacity / 255.0);
        cairo_restore(cr);
    }
    cairo_surface_destroy(pixels);
}

void CDrawContext::clear(const CColor& color) {
    cairo_t* cr = m_renderer ? m_renderer->begin(CPoint(), m_drawMode) : nullptr;
    if (!cr) return;
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    setColor(cr, color);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
}

} // namespace Mirda
