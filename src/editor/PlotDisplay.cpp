#include "editor/PlotDisplay.h"

#include "editor/ScreenLayer.h"
#include "editor/display/FrequencyGrid.h"
#include "gui/DrawContext.h"
#include "gui/Font.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace Mirda {

namespace {

constexpr CColor kGridMajor{120, 170, 230, 44};
constexpr CColor kGridMinor{120, 170, 230, 16};
constexpr CColor kLabelColor{130, 146, 166, 255};
constexpr double kLevelLinesDb[] = {24, 0, -24, -48};
// The analyser's levels run up to 100 dB; this share of the plot height holds one range of them, so a
// loud signal fills most of the height and never the part where the curves' peaks sit.
constexpr double kSpectrumHeightShare = 0.4;

bool sameSettings(const FilterCurveSettings& a, const FilterCurveSettings& b) {
    return a.cutoffHz == b.cutoffHz && a.slopeSetting == b.slopeSetting && a.resonance == b.resonance &&
           a.resonanceWidth == b.resonanceWidth && a.highPass == b.highPass;
}

bool sameHz(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

} // namespace

CPlotDisplay::CPlotDisplay(const CRect& size, const CRect& screen, double scale, double sampleRate)
    : CView(size), m_scale(scale), m_screen(screen),
      m_plot(size.left, size.top, size.right + std::round(scale), size.bottom - std::round(10 * scale)),
      m_model(int(std::round(m_plot.width() / scale)), sampleRate), m_analyser(90.0, sampleRate) {
    m_analyser.setPeaksShown(true);
    m_inputs.highPass.highPass = true;
    m_points.reserve(size_t(m_plot.width()) + 4);
    const double ratio = CFilterCurve::kMaximumHz / CFilterCurve::kMinimumHz;
    for (int x = 0; x <= int(m_plot.width()); ++x)
        m_columnHz.push_back(CFilterCurve::kMinimumHz * std::pow(ratio, x / m_plot.width()));
}

void CPlotDisplay::setInputs(const PlotInputs& inputs) {
    m_stale[kLowPass] = m_stale[kLowPass] || !sameSettings(inputs.lowPass, m_computed.lowPass);
    m_stale[kHighPass] = m_stale[kHighPass] || !sameSettings(inputs.highPass, m_computed.highPass);
    m_stale[kLowModulated] = m_stale[kLowModulated] || m_stale[kLowPass] ||
                             !sameHz(inputs.lowModulatedHz, m_computed.lowModulatedHz);
    m_stale[kHighModulated] = m_stale[kHighModulated] || m_stale[kHighPass] ||
                              !sameHz(inputs.highModulatedHz, m_computed.highModulatedHz);
    m_inputs = inputs;
}

void CPlotDisplay::recompute() {
    auto modulated = [](FilterCurveSettings settings, double hz) {
        settings.cutoffHz = hz;
        return settings;
    };
    const FilterCurveSettings settings[kCurveCount] = {
        m_inputs.lowPass, m_inputs.highPass, modulated(m_inputs.lowPass, m_inputs.lowModulatedHz),
        modulated(m_inputs.highPass, m_inputs.highModulatedHz)};
    for (int curve = 0; curve < kCurveCount; ++curve) {
        if (!m_stale[size_t(curve)]) continue;
        m_stale[size_t(curve)] = false;
        if (std::isnan(settings[curve].cutoffHz)) {
            m_curves[size_t(curve)].clear();
            continue;
        }
        m_model.compute(settings[curve], m_curves[size_t(curve)]);
        ++m_curvesComputed;
        m_layerStale = m_layerStale || curve == kLowPass || curve == kHighPass;
    }
    m_computed = m_inputs;
}

double CPlotDisplay::yOfDb(double dB) const {
    const double t = (kTopDb - dB) / (kTopDb - kBottomDb);
    return m_plot.top + std::clamp(t, 0.0, 1.0) * m_plot.height();
}

void CPlotDisplay::draw(CDrawContext* context) {
    recompute();
    m_analyser.smooth();
    if (m_layerStale) renderLayer();
    copyOpaque(context, m_layer.desc(), m_size);
    const CRect clip = context->getClipRect();
    CRect own = m_size;
    own.offset(context->getOffset().x, context->getOffset().y);
    context->setClipRect(own.bound(clip));
    drawSpectrum(context);
    drawCurve(context, kHighModulated, true);
    drawCurve(context, kLowModulated, true);
    drawCurve(context, kHighPass, false);
    drawCurve(context, kLowPass, false);
    context->setClipRect(clip);
    setDirty(false);
}

void CPlotDisplay::renderLayer() {
    m_layerStale = false;
    m_layer.resize(int32_t(m_size.width()), int32_t(m_size.height()));
    auto* context = new CDrawContext(m_layer.desc());
    context->setOffset(CPoint(-m_size.left, -m_size.top));
    paintScreen(context, m_size, m_screen);
    drawGrid(context);
    drawWash(context, kHighPass);
    drawWash(context, kLowPass);
    context->release();
}

void CPlotDisplay::drawGrid(CDrawContext* context) {
    const double s = m_scale;
    context->setLineWidth(1.0);
    context->setDrawMode(kAliasingDrawMode);
    for (double dB : kLevelLinesDb) {
        context->setFrameColor(dB == 0 ? kGridMajor : kGridMinor);
        const double y = std::round(yOfDb(dB));
        context->drawLine({m_plot.left, y}, {m_plot.right, y});
    }
    const std::vector<FrequencyGridLine> lines = frequencyGridLines(CFilterCurve::kMaximumHz);
    for (const FrequencyGridLine& line : lines) {
        context->setFrameColor(line.major ? kGridMajor : kGridMinor);
        const double x = xOfHz(line.hz);
        context->drawLine({x, m_plot.top}, {x, m_plot.bottom});
    }
    context->setDrawMode(0);
    context->setFont(CFontDesc::getDefaultFont(), 8 * s, kNormalFace);
    context->setFontColor(kLabelColor);
    for (const FrequencyGridLine& line : lines) {
        if (!line.major) continue;
        // Centred under its line, moved inwards where it would leave the plot.
        const double x = std::clamp(xOfHz(line.hz), m_plot.left + 16 * s, m_plot.right - 16 * s);
        const std::string label = frequencyLabel(line.hz);
        context->drawString(label.c_str(), CRect(x - 20 * s, m_plot.bottom, x + 20 * s, m_size.bottom),
                            kCenterText);
    }
    for (double dB : kLevelLinesDb) {
        char label[16];
        std::snprintf(label, sizeof label, dB > 0 ? "+%idb" : "%idb", int(dB));
        const double y = yOfDb(dB);
        context->drawString(label, CRect(m_plot.left + 2 * s, y - 9 * s, m_plot.left + 40 * s, y), kLeftText);
    }
}

void CPlotDisplay::drawSpectrum(CDrawContext* context) {
    const double range = m_analyser.range(), width = m_plot.width(), height = m_plot.height();
    auto trace = [&](bool peaks) {
        m_points.clear();
        m_points.push_back({m_plot.left, m_plot.bottom});
        for (size_t x = 0; x < m_columnHz.size(); ++x) {
            const double hz = m_columnHz[x];
            const double level = peaks ? m_analyser.peakLevelAt(hz) : m_analyser.shownLevelAt(hz);
            const double share = std::clamp((level + range) / range * kSpectrumHeightShare, 0.0, 1.0);
            m_points.push_back({m_plot.left + double(x), std::round(m_plot.bottom - share * height)});
        }
        m_points.push_back({m_plot.left + width, m_plot.bottom});
    };
    // The spectrum as a filled area (its anti-aliased top edge is its outline), the peaks as a line.
    trace(false);
    context->setFillColor(CColor{150, 190, 235, 64});
    context->drawPolygon(m_points.data(), int32_t(m_points.size()), kDrawFilled);
    context->setLineWidth(1.0 * m_scale);
    trace(true);
    context->setFrameColor(CColor{200, 220, 245, 70});
    context->drawPolygon(m_points.data() + 1, int32_t(m_points.size()) - 2, kDrawStroked, false);
}

void CPlotDisplay::drawCurve(CDrawContext* context, Curve curve, bool modulated) {
    const std::vector<double>& dB = m_curves[size_t(curve)];
    if (dB.empty()) return;
    const CColor color = curve == kLowPass || curve == kLowModulated ? kLowPassColor : kHighPassColor;
    const double step = m_plot.width() / double(dB.size());
    m_points.clear();
    for (size_t i = 0; i < dB.size(); ++i) m_points.push_back({m_plot.left + double(i) * step, yOfDb(dB[i])});
    m_points.push_back({m_plot.right, m_points.back().y});
    context->setLineWidth((modulated ? 1.0 : 1.7) * m_scale);
    context->setFrameColor(withAlpha(color, modulated ? 150 : 255));
    context->drawPolygon(m_points.data(), int32_t(m_points.size()), kDrawStroked, false);
}

// A faint wash under a static curve, so the pass band reads at a glance.
void CPlotDisplay::drawWash(CDrawContext* context, Curve curve) {
    const std::vector<double>& dB = m_curves[size_t(curve)];
    if (dB.empty()) return;
    const double step = m_plot.width() / double(dB.size());
    m_points.clear();
    for (size_t i = 0; i < dB.size(); ++i) m_points.push_back({m_plot.left + double(i) * step, yOfDb(dB[i])});
    m_points.push_back({m_plot.right, m_points.back().y});
    m_points.push_back({m_plot.right, m_plot.bottom});
    m_points.push_back({m_plot.left, m_plot.bottom});
    context->setFillColor(withAlpha(curve == kLowPass ? kLowPassColor : kHighPassColor, 26));
    context->drawPolygon(m_points.data(), int32_t(m_points.size()), kDrawFilled);
}

} // namespace Mirda
