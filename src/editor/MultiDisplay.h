// The central display: the filter curves over the live spectrum, the input and output level meters at
// its edges, and the module windows with their title tabs. The editor feeds it at each idle pass; the
// windows of one side are grouped into pages by the side's page selector (PAGELEFT / PAGERIGHT).
#pragma once

#include "editor/ModuleWindows.h"
#include "gui/PixelBuffer.h"
#include "gui/ViewContainer.h"
#include "params/ParameterProperty.h"

#include <array>
#include <vector>

class CKavren;

namespace Mirda {
class CLineVUBar;
class CPlotDisplay;
} // namespace Mirda

class CMultiDisplay : public Mirda::CViewContainer {
public:
    // `size` in device pixels; the context's scale is device pixels per editor pixel. While the display
    // exists it asks the effect for its analysis feeds.
    CMultiDisplay(const Mirda::CRect& size, const Mirda::ModuleWindowContext& context);

    // Idle pass: curve inputs from the parameters, the spectrum's newest frame, the meters' levels, the
    // windows' graphics; then the whole display is repainted.
    void update(double nowMs);

    Tessu::ParameterProperty& pageLeft() { return m_pageLeft; }
    Tessu::ParameterProperty& pageRight() { return m_pageRight; }
    Tessu::ParameterProperty& systemPage() { return m_systemPage; }
    Mirda::CPlotDisplay* plot() const { return m_plot; }
    Mirda::CLineVUBar* meter(int side) const { return m_meters[size_t(side)]; }
    const std::vector<Mirda::CModuleWindow*>& windows() const { return m_windows; }
    Mirda::CModuleWindow* window(const char* name) const;

    void drawRect(Mirda::CDrawContext* context, const Mirda::CRect& updateRect) override;
    const char* getClassName() const override { return "CMultiDisplay"; }

protected:
    ~CMultiDisplay() override;

private:
    void updateCurves();

    CKavren* m_effect;
    double m_scale;
    // The screen behind everything, drawn once (it covers the bezel's baked-in glass and grid).
    Mirda::COwnedPixelBuffer m_backdrop;
    Tessu::ParameterProperty m_pageLeft;
    Tessu::ParameterProperty m_pageRight;
    Tessu::ParameterProperty m_systemPage;
    Mirda::CPlotDisplay* m_plot = nullptr;
    std::array<Mirda::CLineVUBar*, 2> m_meters{};
    std::vector<Mirda::CModuleWindow*> m_windows;
    // LOWPASSFREQ, HIGHPASSFREQ, LOWPASSSLOPE, HIGHPASSSLOPE, LOWPASSQ, HIGHPASSQ, LOWPASSQWIDTH,
    // HIGHPASSQWIDTH, FILTERMODE, "LP Strength", "HP Strength", "LP StrengthLFO", "HP StrengthLFO".
    std::array<Tessu::ParameterProperty*, 13> m_curveParameters{};
};
