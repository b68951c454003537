// The filter display in the middle of the editor: the low-pass and high-pass magnitude responses over a
// logarithmic frequency axis, the curves the envelope and LFO move them to, the labelled grid, and the
// live spectrum of the processed signal underneath.
#pragma once

#include "editor/display/FilterCurve.h"
#include "editor/display/SpectrumAnalyser.h"
#include "gui/PixelBuffer.h"
#include "gui/View.h"

#include <array>
#include <limits>
#include <vector>

namespace Mirda {

// What the curves are computed from; the display recomputes a curve only when its part changes.
struct PlotInputs {
    FilterCurveSettings lowPass, highPass;
    // Cut-offs after envelope and LFO modulation; NaN when that filter is not modulated.
    double lowModulatedHz = std::numeric_limits<double>::quiet_NaN();
    double highModulatedHz = std::numeric_limits<double>::quiet_NaN();
};

class CPlotDisplay : public CView {
public:
    static constexpr double kTopDb = 30.0;
    static constexpr double kBottomDb = -66.0;

    // `size` in the parent's device pixels, inside `screen` (the display's area that the screen gradient
    // runs over); `scale` device pixels per editor pixel; `sampleRate` that of the analysed signal.
    CPlotDisplay(const CRect& size, const CRect& screen, double scale, double sampleRate = 44100.0);

    // Idle pass: new curve inputs (recomputed lazily at the next draw) and the spectrum's newest frame.
    void setInputs(const PlotInputs& inputs);
    CSpectrumAnalyser& analyser() { return m_analyser; }

    void draw(CDrawContext* context) override;
    bool hitTest(const CPoint&, int32_t) const override { return false; }

    // The plot: the view widened by one pixel on the right, less the label strip at the bottom.
    const CRect& plotRect() const { return m_plot; }
    int curvesComputed() const { return m_curvesComputed; }
    double yOfDb(double dB) const;
    double xOfHz(double hz) const { return CFilterCurve::xOfFrequency(hz, m_plot.left, m_plot.width()); }

    const char* getClassName() const override { return "CPlotDisplay"; }

private:
    enum Curve { kLowPass, kHighPass, kLowModulated, kHighModulated, kCurveCount };

    void recompute();
    // The parts that change only with the static curves: screen, grid, labels and the curves' washes,
    // drawn into m_layer.
    void renderLayer();
    void drawGrid(CDrawContext* context);
    void drawWash(CDrawContext* context, Curve curve);
    void drawSpectrum(CDrawContext* context);
    void drawCurve(CDrawContext* context, Curve curve, bool modulated);

    double m_scale;
    CRect m_screen;
    CRect m_plot;
    COwnedPixelBuffer m_layer;
    bool m_layerStale = true;
    std::vector<double> m_columnHz;
    CFilterCurve m_model;
    CSpectrumAnalyser m_analyser;
    PlotInputs m_inputs, m_computed;
    std::array<bool, kCurveCount> m_stale{true, true, true, true};
    std::array<std::vector<double>, kCurveCount> m_curves;
    std::vector<CPoint> m_points;
    int m_curvesComputed = 0;
};

} // namespace Mirda
