#pragma once
// Text-showing controls: CParamDisplay (a value as text), Mirda_ParamDisplay (the editor's read-outs)
// and CTextLabel (static text).

#include "gui/Control.h"
#include "gui/DrawContext.h"

#include <string>

namespace Mirda {

class CFontDesc;

class CParamDisplay : public CControl {
public:
    explicit CParamDisplay(const CRect& size, CBitmap* background = nullptr, int32_t align = kCenterText);
    CParamDisplay(const CParamDisplay& other);

    void draw(CDrawContext* context) override;
    // The text for `value`: the bound parameter's formatting, else "%2.2f".
    virtual std::string formatText(float value) const;

    void setFont(CFontDesc* font);
    CFontDesc* getFont() const { return m_font; }
    void setFontColor(const CColor& color) { m_fontColor = color; }
    void setBackColor(const CColor& color) { m_backColor = color; }
    void setFrameColor(const CColor& color) { m_frameColor = color; }
    void setHoriAlign(int32_t align) { m_align = align; }
    // Draw the background fill / the frame (both off by default).
    void setStyle(bool drawBack, bool drawFrame);
    void setFormatFlags(int32_t flags) { m_formatFlags = flags; }
    // A text wider than the display is drawn in a smaller type, down to `size` pixels (0: never).
    void setMinimumFontSize(double size) { m_minimumFontSize = size; }

    bool isTypeOf(const char* className) const override;
    CView* clone() const override { return new CParamDisplay(*this); }
    const char* getClassName() const override { return "CParamDisplay"; }

protected:
    ~CParamDisplay() override;
    void drawText(CDrawContext* context, const std::string& text);

    CFontDesc* m_font = nullptr;
    CColor m_fontColor = kWhiteCColor;
    CColor m_backColor = kBlackCColor;
    CColor m_frameColor = kGreyCColor;
    int32_t m_align;
    bool m_drawBack = false;
    bool m_drawFrame = false;
    int32_t m_formatFlags = Tessu::kFormatWithUnit;
    double m_minimumFontSize = 0;
};

class Mirda_ParamDisplay : public CParamDisplay {
public:
    // `typeCode` is the descriptor's display type (100, 101, 103-107).
    Mirda_ParamDisplay(const CRect& size, int32_t typeCode, CBitmap* background = nullptr);
    int32_t getTypeCode() const { return m_typeCode; }

    bool isTypeOf(const char* className) const override;
    CView* clone() const override { return new Mirda_ParamDisplay(*this); }
    const char* getClassName() const override { return "Mirda_ParamDisplay"; }

private:
    int32_t m_typeCode;
};

class CTextLabel : public CParamDisplay {
public:
    CTextLabel(const CRect& size, const std::string& text, CBitmap* background = nullptr,
               int32_t align = kLeftText);
    void setText(const std::string& text);
    const std::string& getText() const { return m_text; }
    std::string formatText(float) const override { return m_text; }

    bool isTypeOf(const char* className) const override;
    CView* clone() const override { return new CTextLabel(*this); }
    const char* getClassName() const override { return "CTextLabel"; }

private:
    std::string m_text;
};

} // namespace Mirda
