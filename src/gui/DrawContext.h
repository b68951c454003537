#pragma once
// CDrawContext: the drawing interface of views. Renders anti-aliased shapes and bitmaps (through cairo)
// and text (FreeType glyphs) into a premultiplied BGRA pixel buffer. Coordinates given to the drawing
// operations have the context offset added; everything is clipped to the clip rect (in buffer coordinates).

#include "gui/BaseObject.h"
#include "gui/Geometry.h"
#include "gui/PixelBuffer.h"

#include <memory>

namespace Mirda {

class CFontDesc;

enum CDrawStyle : int32_t {
    kDrawStroked = 0,
    kDrawFilledAndStroked = 1,
    kDrawFilled = 2,
};

enum CHoriTxtAlign : int32_t {
    kLeftText = 0,
    kCenterText = 1,
    kRightText = 2,
};

// Draw mode 4 renders without anti-aliasing; every other mode anti-aliases.
inline constexpr int32_t kAliasingDrawMode = 4;

class CDrawContext : public CBaseObject {
public:
    explicit CDrawContext(const CPixelBuffer& buffer);

    const CPixelBuffer& getBuffer() const { return m_buffer; }

    void setClipRect(const CRect& clip);
    const CRect& getClipRect() const { return m_clip; }
    void setOffset(const CPoint& offset) { m_offset = offset; }
    const CPoint& getOffset() const { return m_offset; }

    void moveTo(const CPoint& point);
    void lineTo(const CPoint& point);
    void drawLine(const CPoint& from, const CPoint& to);
    void setLineWidth(double width) { m_lineWidth = width; }
    double getLineWidth() const { return m_lineWidth; }
    void setDrawMode(int32_t mode) { m_drawMode = mode; }
    int32_t getDrawMode() const { return m_drawMode; }
    void setFrameColor(const CColor& color) { m_frameColor = color; }
    void setFillColor(const CColor& color) { m_fillColor = color; }
    void setFontColor(const CColor& color) { m_fontColor = color; }
    const CColor& getFrameColor() const { return m_frameColor; }
    const CColor& getFillColor() const { return m_fillColor; }
    const CColor& getFontColor() const { return m_fontColor; }
    // A size of 0 keeps the font's own size; a style of -1 keeps the font's own style.
    void setFont(CFontDesc* font, double size = 0, int32_t style = -1);
    CFontDesc* getFont() const { return m_font; }

    void drawRect(const CRect& rect, int32_t style = kDrawStroked);
    void drawRoundRect(const CRect& rect, double radius, int32_t style = kDrawStroked);
    void drawEllipse(const CRect& rect, int32_t style = kDrawStroked);
    // Angles in degrees, 0 at three o'clock, growing clockwise on screen.
    void drawArc(const CRect& rect, double startAngle, double endAngle, int32_t style = kDrawStroked);
    void drawPolygon(const CPoint* points, int32_t count, int32_t style = kDrawStroked, bool closed = true);
    void fillVerticalGradient(const CRect& rect, const CColor& top, const CColor& bottom);
    void fillVerticalGradient(const CRect& rect, const CColor& top, const CColor& middle,
                              const CColor& bottom);
    // A vertical gradient inside a rounded rectangle (nothing shows outside its corners).
    void fillRoundRectGradient(const CRect& rect, double radius, const CColor& top, const CColor& bottom);

    void drawString(const char* utf8, const CRect& rect, int32_t align = kCenterText);
    double getStringWidth(const char* utf8);

    // Blends `source` pixels (srcX, srcY, width, height) at `dest` (offset applied) with opacity 0..255.
    void blendPixels(const CPixelBuffer& source, int32_t srcX, int32_t srcY, int32_t width, int32_t height,
                     const CPoint& dest, uint8_t opacity);
    // Fills the whole clip rect with `color` without blending (clears the buffer area).
    void clear(const CColor& color);

    struct Renderer;

protected:
    ~CDrawContext() override;

private:
    CPixelBuffer m_buffer;
    std::unique_ptr<Renderer> m_renderer;
    CRect m_clip;
    CPoint m_offset;
    CPoint m_pen;
    double m_lineWidth = 1.0;
    int32_t m_drawMode = 0;
    CColor m_frameColor = kBlackCColor;
    CColor m_fillColor = kWhiteCColor;
    CColor m_fontColor = kBlackCColor;
    CFontDesc* m_font = nullptr;
    double m_fontSize = 12.0;
    int32_t m_fontStyle = 0;
};

} // namespace Mirda
