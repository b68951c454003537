#include "editor/MultiDisplay.h"

#include "dsp/CKavren.h"
#include "editor/LineVUBar.h"
#include "editor/PlotDisplay.h"
#include "editor/ScreenLayer.h"
#include "gui/DrawContext.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace Mirda;

namespace {

constexpr const char* kCurveKeys[] = {"LOWPASSFREQ",   "HIGHPASSFREQ", "LOWPASSSLOPE",  "HIGHPASSSLOPE",
                                      "LOWPASSQ",      "HIGHPASSQ",    "LOWPASSQWIDTH", "HIGHPASSQWIDTH",
                                      "FILTERMODE",    "LP Strength",  "HP Strength",   "LP StrengthLFO",
                                      "HP StrengthLFO"};

void initSelector(Tessu::ParameterProperty& selector, const char* key, float maximum, int32_t id) {
    selector.initFromDescriptor(
        {key, key, key, 0.0f, maximum, 0.0f, 0.0f, false, 0.0f, Tessu::kUnitInteger, id});
}

constexpr int32_t fourCC(const char (&text)[5]) {
    return (text[0] << 24) | (text[1] << 16) | (text[2] << 8) | text[3];
}

CRect scaledBox(double left, double top, double right, double bottom, double s) {
    return {std::round(left * s), std::round(top * s), std::round(right * s), std::round(bottom * s)};
}

double peakOf(float low, float high) {
    return std::max(std::fabs(double(low)), std::fabs(double(high)));
}

} // namespace

CMultiDisplay::CMultiDisplay(const CRect& size, const ModuleWindowContext& context)
    : CViewContainer(size), m_effect(context.effect), m_scale(context.scale) {
    setTransparency(true);
    initSelector(m_pageLeft, "PAGELEFT", 10.0f, fourCC("PGEL"));
    initSelector(m_pageRight, "PAGERIGHT", 10.0f, fourCC("PGER"));
    initSelector(m_systemPage, "SYSPAGE", 1.0f, fourCC("PGES"));
    const double s = m_scale, width = size.width() / s, height = size.height() / s;
    m_meters[0] = new CLineVUBar(scaledBox(5, 15, 25, height - 15, s), s);
    m_meters[1] = new CLineVUBar(scaledBox(width - 25, 15, width - 5, height - 15, s), s);
    const CRect screen(0, 0, size.width(), size.height());
    m_plot = new CPlotDisplay(scaledBox(27, 15, width - 27, height - 15, s), screen, s,
                              m_effect ? m_effect->getSampleRate() : 44100.0);
    m_backdrop.resize(int32_t(size.width()), int32_t(size.height()));
    auto* backdrop = new CDrawContext(m_backdrop.desc());
    paintScreen(backdrop, screen, screen);
    backdrop->release();
    addView(m_plot);
    for (CLineVUBar* meter : m_meters) addView(meter);
    for (const ModuleWindowPlace& place : kModuleWindows) {
        Tessu::ParameterProperty* selector = place.side == ModuleSide::kLeft    ? &m_pageLeft
                                             : place.side == ModuleSide::kRight ? &m_pageRight
                                                                                : &m_systemPage;
        CModuleWindow* window = makeModuleWindow(place, selector, context);
        // The System window covers both sides: it and the module pages close each other.
        if (place.side == ModuleSide::kSystem) {
            window->addRival(&m_pageLeft);
            window->addRival(&m_pageRight);
        } else {
            window->addRival(&m_systemPage);
        }
        window->limitBody(scaledBox(0, 15, width, 143, s)); // between the two rows of tabs
        m_windows.push_back(window);
    }
    // Drawn last, on top; the System window above all others.
    for (CModuleWindow* window : m_windows) addView(window);
    if (m_effect) {
        for (size_t i = 0; i < m_curveParameters.size(); ++i)
            m_curveParameters[i] = m_effect->findParameterByKey(kCurveKeys[i]);
        m_effect->setAnalysisRequested(true);
        // The meters did not run while no display showed them: whatever they held is old.
        m_effect->takeInputPeaks();
        m_effect->takeOutputPeaks();
    }
    updateCurves();
}

CMultiDisplay::~CMultiDisplay() {
    if (m_effect) m_effect->setAnalysisRequested(false);
    // The windows listen to the selectors, which are members: they go first.
    removeAll(true);
}

CModuleWindow* CMultiDisplay::window(const char* name) const {
    for (CModuleWindow* window : m_windows)
        if (std::strcmp(window->getName(), name) == 0) return window;
    return nullptr;
}

void CMultiDisplay::updateCurves() {
    if (std::any_of(m_curveParameters.begin(), m_curveParameters.end(), [](auto* p) { return !p; })) return;
    auto value = [&](int i) { return double(m_curveParameters[size_t(i)]->getValue()); };
    PlotInputs inputs;
    for (int side = 0; side < 2; ++side) {
        FilterCurveSettings& settings = side == 0 ? inputs.lowPass : inputs.highPass;
        settings.cutoffHz = value(0 + side);
        settings.slopeSetting = m_curveParameters[size_t(2 + side)]->getIntValue();
        settings.resonance = value(4 + side);
        settings.resonanceWidth = value(6 + side);
        settings.highPass = side == 1;
        // The modulated curve shows where envelope and LFO move the cut-off; none without modulation.
        const bool modulated = value(9 + side) != 0.0 || value(11 + side) != 0.0;
        const double hz =
            m_effect->modulatedCutoff(side == 0 ? DSP::CFilterStage::LowPass : DSP::CFilterStage::HighPass);
        (side == 0 ? inputs.lowModulatedHz : inputs.highModulatedHz) =
            modulated ? hz : std::numeric_limits<double>::quiet_NaN();
    }
    m_plot->setInputs(inputs);
}

void CMultiDisplay::update(double nowMs) {
    if (m_effect) {
        updateCurves();
        m_plot->analyser().update(m_effect->spectrumFeed());
        const CGainStage::Peaks in = m_effect->takeInputPeaks();
        // While bypassed the input query answers the bypass peaks, and the output shows the same.
        const CGainStage::Peaks processed = m_effect->takeOutputPeaks();
        const CGainStage::Peaks out = m_effect->isBypassed() ? in : processed;
        m_meters[0]->update(peakOf(in.minLeft, in.maxLeft), peakOf(in.minRight, in.maxRight), nowMs);
        m_meters[1]->update(peakOf(out.minLeft, out.maxLeft), peakOf(out.minRight, out.maxRight), nowMs);
    }
    for (CModuleWindow* window : m_windows) window->update();
    setDirty(true);
    invalid();
}

void CMultiDisplay::drawRect(CDrawContext* context, const CRect& updateRect) {
    copyOpaque(context, m_backdrop.desc(), m_size);
    CViewContainer::drawRect(context, updateRect);
}
