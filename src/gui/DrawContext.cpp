#include "gui/DrawContext.h"

#include "gui/Font.h"
#include "gui/FontEngine.h"
#include "gui/Utf8.h"

#include <agg_arc.h>
#include <agg_conv_stroke.h>
#include <agg_conv_transform.h>
#include <agg_ellipse.h>
#include <agg_gamma_functions.h>
#include <agg_path_storage.h>
#include <agg_pixfmt_rgba.h>
#include <agg_rasterizer_scanline_aa.h>
#include <agg_renderer_base.h>
#include <agg_renderer_scanline.h>
#include <agg_rendering_buffer.h>
#include <agg_rounded_rect.h>
#include <agg_scanline_u.h>
#include <agg_span_allocator.h>
#include <agg_trans_affine.h>

#include <algorithm>
#include <cmath>

// agg::ellipse leaves its out-parameters unset on the stop command; GCC cannot see that the
// rasteriser never reads them then.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace Mirda {

using PixelFormat = agg::pixfmt_bgra32_pre;
using BaseRenderer = agg::renderer_base<PixelFormat>;

struct CDrawContext::Renderer {
    explicit Renderer(const CPixelBuffer& b)
        : rbuf(b.pixels, static_cast<unsigned>(b.width), static_cast<unsigned>(b.height), b.stride),
          pixf(rbuf), base(pixf) {}
    agg::rendering_buffer rbuf;
    PixelFormat pixf;
    BaseRenderer base;
    agg::rasterizer_scanline_aa<> ras;
    agg::scanline_u8 sl;
    bool clipEmpty = false;
};

namespace {

agg::rgba8 premultiplied(const CColor& c) {
    agg::rgba8 color(c.red, c.green, c.blue, c.alpha);
    color.premultiply();
    return color;
}

} // namespace

CDrawContext::CDrawContext(const CPixelBuffer& buffer) : m_buffer(buffer) {
    if (m_buffer.isValid()) m_renderer = std::make_unique<Renderer>(m_buffer);
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
    m_renderer->clipEmpty = x2 < x1 || y2 < y1 || !(m_clip.width() > 0 && m_clip.height() > 0);
    if (!m_renderer->clipEmpty) {
        m_renderer->base.clip_box(x1, y1, x2, y2);
        m_renderer->ras.clip_box(x1, y1, x2 + 1, y2 + 1);
    }
}

void CDrawContext::setFont(CFontDesc* font, double size, int32_t style) {
    if (!font) return;
    swapReference(m_font, font);
    m_fontSize = size > 0 ? size : font->getSize();
    m_fontStyle = style >= 0 ? style : font->getStyle();
}

namespace {

// Rasterises `source` (vertices in buffer coordinates before the offset) in `color`.
template <class VertexSource>
void renderPath(CDrawContext::Renderer& r, VertexSource& source, const CPoint& offset, const CColor& color,
                int32_t drawMode) {
    if (r.clipEmpty) return;
    agg::trans_affine mtx = agg::trans_affine_translation(offset.x, offset.y);
    agg::conv_transform<VertexSource> transformed(source, mtx);
    if (drawMode == kAliasingDrawMode)
        r.ras.gamma(agg::gamma_threshold(0.5));
    else
        r.ras.gamma(agg::gamma_none());
    r.ras.reset();
    r.ras.add_path(transformed);
    agg::render_scanlines_aa_solid(r.ras, r.sl, r.base, premultiplied(color));
}

template <class VertexSource>
void strokePath(CDrawContext::Renderer& r, VertexSource& source, double width, const CPoint& offset,
                const CColor& color, int32_t drawMode) {
    agg::conv_stroke<VertexSource> stroke(source);
    stroke.width(width);
    renderPath(r, stroke, offset, color, drawMode);
}

} // namespace

void CDrawContext::moveTo(const CPoint& point) {
    m_pen = point + m_offset;
}

void CDrawContext::lineTo(const CPoint& point) {
    const CPoint end = point + m_offset;
    if (m_renderer) {
        // Pixel centres lie at .5, so an integer line coordinate covers exactly one pixel row or column.
        agg::path_storage path;
        path.move_to(m_pen.x + 0.5, m_pen.y + 0.5);
        path.line_to(end.x + 0.5, end.y + 0.5);
        strokePath(*m_renderer, path, m_lineWidth, CPoint(), m_frameColor, m_drawMode);
    }
    m_pen = end;
}

void CDrawContext::drawLine(const CPoint& from, const CPoint& to) {
    moveTo(from);
    lineTo(to);
}

void CDrawContext::drawRect(const CRect& rect, int32_t style) {
    if (!m_renderer) return;
    if (style != kDrawStroked) {
        agg::path_storage path;
        path.move_to(rect.left, rect.top);
        path.line_to(rect.right, rect.top);
        path.line_to(rect.right, rect.bottom);
        path.line_to(rect.left, rect.bottom);
        path.close_polygon();
        renderPath(*m_renderer, path, m_offset, m_fillColor, m_drawMode);
    }
    if (style != kDrawFilled) {
        // The outline lies inside the rect.
        const double h = m_lineWidth / 2;
        agg::path_storage path;
        path.move_to(rect.left + h, rect.top + h);
        path.line_to(rect.right - h, rect.top + h);
        path.line_to(rect.right - h, rect.bottom - h);
        path.line_to(rect.left + h, rect.bottom - h);
        path.close_polygon();
        strokePath(*m_renderer, path, m_lineWidth, m_offset, m_frameColor, m_drawMode);
    }
}

void CDrawContext::drawRoundRect(const CRect& rect, double radius, int32_t style) {
    if (!m_renderer) return;
    if (style != kDrawStroked) {
        agg::rounded_rect shape(rect.left, rect.top, rect.right, rect.bottom, radius);
        shape.normalize_radius();
        renderPath(*m_renderer, shape, m_offset, m_fillColor, m_drawMode);
    }
    if (style != kDrawFilled) {
        const double h = m_lineWidth / 2;
        agg::rounded_rect shape(rect.left + h, rect.top + h, rect.right - h, rect.bottom - h,
                                std::max(0.0, radius - h));
        shape.normalize_radius();
        strokePath(*m_renderer, shape, m_lineWidth, m_offset, m_frameColor, m_drawMode);
    }
}

void CDrawContext::drawEllipse(const CRect& rect, int32_t style) {
    if (!m_renderer) return;
    const double cx = (rect.left + rect.right) / 2, cy = (rect.top + rect.bottom) / 2;
    if (style != kDrawStroked) {
        agg::ellipse shape(cx, cy, rect.width() / 2, rect.height() / 2);
        renderPath(*m_renderer, shape, m_offset, m_fillColor, m_drawMode);
    }
    if (style != kDrawFilled) {
        const double h = m_lineWidth / 2;
        agg::ellipse shape(cx, cy, std::max(0.0, rect.width() / 2 - h), std::max(0.0, rect.height() / 2 - h));
        strokePath(*m_renderer, shape, m_lineWidth, m_offset, m_frameColor, m_drawMode);
    }
}

void CDrawContext::drawArc(const CRect& rect, double startAngle, double endAngle, int32_t style) {
    if (!m_renderer) return;
    const double cx = (rect.left + rect.right) / 2, cy = (rect.top + rect.bottom) / 2;
    const double a1 = startAngle * M_PI / 180.0, a2 = endAngle * M_PI / 180.0;
    const bool ccw = endAngle >= startAngle;
    if (style != kDrawStroked) {
        // A pie slice: the arc closed through the centre.
        agg::arc arc(cx, cy, rect.width() / 2, rect.height() / 2, a1, a2, ccw);
        agg::path_storage path;
        path.move_to(cx, cy);
        path.concat_path(arc);
        path.close_polygon();
        renderPath(*m_renderer, path, m_offset, m_fillColor, m_drawMode);
    }
    if (style != kDrawFilled) {
        const double h = m_lineWidth / 2;
        agg::arc arc(cx, cy, std::max(0.0, rect.width() / 2 - h), std::max(0.0, rect.height() / 2 - h), a1,
                     a2, ccw);
        strokePath(*m_renderer, arc, m_lineWidth, m_offset, m_frameColor, m_drawMode);
    }
}

void CDrawContext::drawPolygon(const CPoint* points, int32_t count, int32_t style, bool closed) {
    if (!m_renderer || !points || count < 2) return;
    agg::path_storage path;
    path.move_to(points[0].x, points[0].y);
    for (int32_t i = 1; i < count; ++i) path.line_to(points[i].x, points[i].y);
    if (style != kDrawStroked) {
        agg::path_storage filled = path;
        filled.close_polygon();
        renderPath(*m_renderer, filled, m_offset, m_fillColor, m_drawMode);
    }
    if (style != kDrawFilled) {
        if (closed) path.close_polygon();
        strokePath(*m_renderer, path, m_lineWidth, m_offset, m_frameColor, m_drawMode);
    }
}

namespace {

CColor lerpColor(const CColor& a, const CColor& b, double t) {
    const auto mix = [t](uint8_t x, uint8_t y) { return static_cast<uint8_t>(std::lround(x + (y - x) * t)); };
    return {mix(a.red, b.red), mix(a.green, b.green), mix(a.blue, b.blue), mix(a.alpha, b.alpha)};
}

} // namespace

void CDrawContext::fillVerticalGradient(const CRect& rect, const CColor& top, const CColor& bottom) {
    fillVerticalGradient(rect, top, lerpColor(top, bottom, 0.5), bottom);
}

void CDrawContext::fillVerticalGradient(const CRect& rect, const CColor& top, const CColor& middle,
                                        const CColor& bottom) {
    if (!m_renderer || m_renderer->clipEmpty || rect.isEmpty()) return;
    CRect r = rect;
    r.offset(m_offset.x, m_offset.y);
    const int x1 = static_cast<int>(std::lround(r.left));
    const int x2 = static_cast<int>(std::lround(r.right)) - 1;
    const int y1 = static_cast<int>(std::lround(r.top));
    const int y2 = static_cast<int>(std::lround(r.bottom)) - 1;
    if (x2 < x1) return;
    for (int y = y1; y <= y2; ++y) {
        const double t = (y + 0.5 - r.top) / r.height();
        const CColor c = t < 0.5 ? lerpColor(top, middle, t * 2) : lerpColor(middle, bottom, t * 2 - 1);
        m_renderer->base.blend_hline(x1, y, x2, premultiplied(c), 255);
    }
}

void CDrawContext::drawString(const char* utf8, const CRect& rect, int32_t align) {
    if (!m_renderer || m_renderer->clipEmpty || !utf8 || !*utf8) return;
    detail::FontEngine* fonts = detail::FontEngine::get();
    if (!fonts || !fonts->select(m_fontStyle, m_fontSize)) return;
    const std::string text(utf8);
    const double width = fonts->stringWidth(text);
    CRect r = rect;
    r.offset(m_offset.x, m_offset.y);
    double x = r.left;
    if (align == kCenterText)
        x = r.left + (r.width() - width) / 2;
    else if (align == kRightText)
        x = r.right - width;
    // Centre the box between ascender and descender on the rect.
    double y = (r.top + r.bottom) / 2 + (fonts->ascender() + fonts->descender()) / 2;
    x = std::round(x);
    y = std::round(y);

    // Text stays inside its rect.
    const CRect savedClip = m_clip;
    CRect textClip = r;
    textClip.bound(savedClip);
    setClipRect(textClip);
    if (!m_renderer->clipEmpty) {
        auto& cache = fonts->cache();
        agg::renderer_scanline_aa_solid<BaseRenderer> solid(m_renderer->base);
        solid.color(premultiplied(m_fontColor));
        double px = x, py = y;
        cache.reset_last_glyph();
        for (size_t pos = 0; pos < text.size();) {
            const char32_t cp = decodeUtf8(text, pos);
            const agg::glyph_cache* glyph = cache.glyph(cp);
            if (!glyph) continue;
            cache.add_kerning(&px, &py);
            cache.init_embedded_adaptors(glyph, px, py);
            // A blank glyph (space) stores an empty box whose sentinel edges overflow when moved.
            const bool blank = glyph->bounds.x1 > glyph->bounds.x2;
            if (glyph->data_type == agg::glyph_data_gray8 && !blank)
                agg::render_scanlines(cache.gray8_adaptor(), cache.gray8_scanline(), solid);
            px += glyph->advance_x;
            py += glyph->advance_y;
        }
    }
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
    if (!m_renderer || m_renderer->clipEmpty || !source.isValid() || opacity == 0) return;
    agg::rendering_buffer srcBuf(source.pixels, static_cast<unsigned>(source.width),
                                 static_cast<unsigned>(source.height), source.stride);
    PixelFormat srcPixf(srcBuf);
    agg::rect_i srcRect(srcX, srcY, srcX + width - 1, srcY + height - 1);
    const int dx = static_cast<int>(std::lround(dest.x + m_offset.x)) - srcX;
    const int dy = static_cast<int>(std::lround(dest.y + m_offset.y)) - srcY;
    m_renderer->base.blend_from(srcPixf, &srcRect, dx, dy, opacity);
}

void CDrawContext::clear(const CColor& color) {
    if (!m_renderer || m_renderer->clipEmpty) return;
    const auto& box = m_renderer->base.clip_box();
    m_renderer->base.copy_bar(box.x1, box.y1, box.x2, box.y2, premultiplied(color));
}

namespace {

// Colours a span by its row: the gradient of fillVerticalGradient, for any path.
struct VerticalGradientSpans {
    double top, height;
    CColor topColor, bottomColor;
    void prepare() {}
    void generate(agg::rgba8* span, int, int y, unsigned length) const {
        const double t = std::clamp((y + 0.5 - top) / height, 0.0, 1.0);
        std::fill(span, span + length, premultiplied(lerpColor(topColor, bottomColor, t)));
    }
};

} // namespace

void CDrawContext::fillRoundRectGradient(const CRect& rect, double radius, const CColor& top,
                                         const CColor& bottom) {
    if (!m_renderer || m_renderer->clipEmpty || rect.isEmpty()) return;
    agg::rounded_rect shape(rect.left, rect.top, rect.right, rect.bottom, radius);
    shape.normalize_radius();
    agg::trans_affine mtx = agg::trans_affine_translation(m_offset.x, m_offset.y);
    agg::conv_transform<agg::rounded_rect> transformed(shape, mtx);
    Renderer& r = *m_renderer;
    r.ras.gamma(agg::gamma_none());
    r.ras.reset();
    r.ras.add_path(transformed);
    agg::span_allocator<agg::rgba8> spans;
    VerticalGradientSpans gradient{rect.top + m_offset.y, rect.height(), top, bottom};
    agg::render_scanlines_aa(r.ras, r.sl, r.base, spans, gradient);
}

} // namespace Mirda
