#include "editor/ModuleWindows.h"

#include "core/Process.h"
#include "core/Settings.h"
#include "dsp/CKavren.h"
#include "editor/ScreenLayer.h"
#include "editor/display/LfoPreview.h"
#include "gui/Bitmap.h"
#include "gui/DrawContext.h"
#include "gui/FileSelector.h"
#include "gui/Font.h"
#include "params/KavrenParameters.h"
#include "presets/CPresetInterface.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Mirda {

namespace {

constexpr CColor kLfoColor{150, 230, 170, 255};
constexpr CColor kFrameColor{255, 255, 255, 34};
constexpr CColor kWell{8, 10, 14, 220};
constexpr CColor kText{200, 208, 220, 255};

CRect scaled(const CRect& r, double s) {
    return {std::round(r.left * s), std::round(r.top * s), std::round(r.right * s), std::round(r.bottom * s)};
}

void drawWell(CDrawContext* context, const CRect& r, double s) {
    context->setFillColor(kWell);
    context->drawRect(r, kDrawFilled);
    context->setFrameColor(kFrameColor);
    context->setLineWidth(1.0 * s);
    context->drawRect(r, kDrawStroked);
}

// One filter's envelope over the last blocks, newest on the right, filled with a gradient that fades
// towards the bottom.
class CEnvelopeGraph : public CView {
public:
    CEnvelopeGraph(const CRect& size, const CColor& color, double scale)
        : CView(size), m_color(color), m_scale(scale), m_values(size_t(size.width()) + 10) {
        m_points.reserve(m_values.size() + 2);
        setMouseEnabled(false);
    }

    // Takes the newest values when the effect wrote some since the last pass.
    void update(const CEnvelopeHistory& history, double zoom) {
        if (history.written() == m_lastWritten && zoom == m_zoom) return;
        uint64_t end = 0;
        if (!history.readLatest(m_values.data(), int(m_values.size()), end)) return;
        m_lastWritten = end;
        m_zoom = zoom;
        m_points.clear();
        const double height = m_size.height() - 2 * m_scale;
        for (size_t i = 0; i < m_values.size(); ++i)
            m_points.push_back({m_size.left + double(i) - 9.0,
                                m_size.bottom - std::min(1.0, double(m_values[i]) * zoom) * height});
        setDirty(true);
    }

    void draw(CDrawContext* context) override {
        drawWell(context, m_size, m_scale);
        if (!m_points.empty()) {
            const CRect clip = context->getClipRect();
            CRect inner = CRect(m_size).inset(m_scale, m_scale);
            context->setClipRect(inner.offset(context->getOffset().x, context->getOffset().y).bound(clip));
            const double top = m_size.top, span = m_size.height();
            for (const CPoint& p : m_points) {
                const double t = (p.y - top) / span;
                context->fillVerticalGradient(CRect(p.x, p.y, p.x + 1, m_size.bottom),
                                              withAlpha(m_color, 150 - 135 * t), withAlpha(m_color, 15));
            }
            context->setFrameColor(m_color);
            context->setLineWidth(1.2 * m_scale);
            context->drawPolygon(m_points.data(), int32_t(m_points.size()), kDrawStroked, false);
            context->setClipRect(clip);
        }
        setDirty(false);
    }

private:
    CColor m_color;
    double m_scale;
    std::vector<float> m_values;
    std::vector<CPoint> m_points;
    uint64_t m_lastWritten = ~uint64_t(0);
    double m_zoom = 0.0;
};

class CEnvelopeWindow : public CModuleWindow {
public:
    CEnvelopeWindow(const ModuleWindowPlace& place, Tessu::ParameterProperty* selector,
                    const ModuleWindowContext& context)
        : CModuleWindow(place, selector, context) {
        static constexpr const char* kKeys[] = {"LP Attack", "LP Release", "LP Strength",
                                                "HP Attack", "HP Release", "HP Strength"};
        double y = 16;
        for (int i = 0; i < 6; ++i) {
            addDial(kKeys[i], 5, y, 93);
            y += i == 2 ? 19 : 14;
        }
        addDial("MEASUREPOINT", 100, 103, 97);
        addDial("ENV_BOOST", 100, 117, 97);
        m_zoom.initFromDescriptor(
            {"PPZOOM", "Zoom", "Zoom", 1.0f, 15.0f, 10.0f, 10.0f, false, 0.0f, Tessu::kUnitInteger, 0});
        auto* zoom = new CModuleDial(local(5, 110, 93, 12), scale());
        zoom->listenTo(&m_zoom);
        addView(zoom);
        m_graphs[0] = new CEnvelopeGraph(local(100, 16, 97, 42), kLowPassColor, scale());
        m_graphs[1] = new CEnvelopeGraph(local(100, 61, 97, 38), kHighPassColor, scale());
        for (CEnvelopeGraph* graph : m_graphs) addView(graph);
        for (CView* child : getChildren()) child->setVisible(isOpen());
    }

    void update() override {
        if (!isOpen() || !m_context.effect) return;
        // Zoom 10 shows the envelope as it is; each step up or down scales it by a tenth.
        const double zoom = m_zoom.getValue() / 10.0;
        m_graphs[0]->update(m_context.effect->envelopeHistory(DSP::CEnvelopeFollower::kLowPass), zoom);
        m_graphs[1]->update(m_context.effect->envelopeHistory(DSP::CEnvelopeFollower::kHighPass), zoom);
    }

protected:
    // The Zoom dial listens to m_zoom, which goes before the base releases the children.
    ~CEnvelopeWindow() override { removeAll(true); }

private:
    Tessu::ParameterProperty m_zoom;
    CEnvelopeGraph* m_graphs[2] = {};
};

// One cycle of the LFO, drawn offscreen when shape or shift change and copied at every draw.
class CLfoPreview : public CView {
public:
    CLfoPreview(const CRect& size, double scale) : CView(size), m_scale(scale) { setMouseEnabled(false); }

    void setShape(int shape, double shift) {
        if (m_bitmap && shape == m_shape && shift == m_shift) return;
        m_shape = shape;
        m_shift = shift;
        render();
        setDirty(true);
    }
    int renders() const { return m_renders; }

    void draw(CDrawContext* context) override {
        drawWell(context, m_size, m_scale);
        if (m_bitmap) m_bitmap->drawAlphaBlend(context, m_size, CPoint(), 255);
        setDirty(false);
    }

protected:
    ~CLfoPreview() override {
        if (m_bitmap) m_bitmap->release();
    }

private:
    void render() {
        const int width = int(m_size.width()), height = int(m_size.height());
        if (!m_bitmap) m_bitmap = new CBitmap(width, height);
        auto* context = new CDrawContext(m_bitmap->getPixelBuffer());
        context->clear(CColor{0, 0, 0, 0});
        const double centre = height / 2.0;
        const std::vector<double> cycle = lfoPreviewCycle(width, m_shape, m_shift);
        std::vector<CPoint> outline;
        outline.reserve(cycle.size());
        for (size_t x = 0; x < cycle.size(); ++x) {
            const double y = centre - cycle[x] * 0.9 * (height / 2.0);
            outline.push_back({double(x), y});
            // Opaque at the curve, fading towards the centre line.
            const bool above = y < centre;
            context->fillVerticalGradient(
                CRect(double(x), std::min(y, centre), double(x) + 1, std::max(y, centre)),
                withAlpha(kLfoColor, above ? 150 : 12), withAlpha(kLfoColor, above ? 12 : 150));
        }
        context->setFrameColor(withAlpha(kLfoColor, 60));
        context->setLineWidth(1.0);
        context->drawLine({0, centre}, {double(width), centre});
        context->setFrameColor(kLfoColor);
        context->setLineWidth(2.0 * m_scale);
        context->drawPolygon(outline.data(), int32_t(outline.size()), kDrawStroked, false);
        context->release();
        ++m_renders;
    }

    double m_scale;
    CBitmap* m_bitmap = nullptr;
    int m_shape = -1;
    double m_shift = -1.0;
    int m_renders = 0;
};

class CLFOWindow : public CModuleWindow {
public:
    CLFOWindow(const ModuleWindowPlace& place, Tessu::ParameterProperty* selector,
               const ModuleWindowContext& context)
        : CModuleWindow(place, selector, context) {
        static constexpr const char* kKeys[] = {"LFO Rate", "LFO Shape", "LFO Sync", "LP StrengthLFO",
                                                "HP StrengthLFO"};
        for (int i = 0; i < 5; ++i) addDial(kKeys[i], 5, 18 + 14 * i, 98);
        addDial("LFO Shift", 108, 18, 99);
        addDial("LFO BPM", 108, 32, 99);
        m_preview = new CLfoPreview(local(108, 47, 99, 40), scale());
        addView(m_preview);
        if (context.effect) {
            m_shape = context.effect->findParameterByKey("LFO Shape");
            m_shift = context.effect->findParameterByKey("LFO Shift");
        }
        for (CView* child : getChildren()) child->setVisible(isOpen());
    }

    void update() override {
        if (isOpen() && m_shape && m_shift) m_preview->setShape(m_shape->getIntValue(), m_shift->getValue());
    }

private:
    CLfoPreview* m_preview = nullptr;
    Tessu::ParameterProperty* m_shape = nullptr;
    Tessu::ParameterProperty* m_shift = nullptr;
};

// The System window's own area: the preset folder with its "Open" and "Change" buttons and the support
// entry. Each button flashes when clicked.
class CSystemPanel : public CView {
public:
    CSystemPanel(const CRect& size, double scale, std::function<void()> requestSupport)
        : CView(size), m_scale(scale), m_requestSupport(std::move(requestSupport)),
          m_folder(Tessu::CPresetInterface::defaultPresetFolder()) {
        const double s = scale, right = size.right;
        m_buttons.push_back(
            {CRect(right - 160 * s, size.top + 3 * s, right - 85 * s, size.top + 17 * s), "Open"});
        m_buttons.push_back(
            {CRect(right - 80 * s, size.top + 3 * s, right - 5 * s, size.top + 17 * s), "Change"});
        if (m_requestSupport)
            m_buttons.push_back(
                {CRect(right - 80 * s, size.top + 72 * s, right - 5 * s, size.top + 86 * s), "Support"});
    }

    void draw(CDrawContext* context) override {
        const double s = m_scale;
        const CRect r = m_size;
        context->setFont(CFontDesc::getDefaultFont(), 9 * s, kBoldFace);
        context->setFontColor(kText);
        context->drawString("Preset Folder:", CRect(r.left + 5 * s, r.top + 3 * s, r.right, r.top + 17 * s),
                            kLeftText);
        const CRect line(r.left + 5 * s, r.top + 20 * s, r.right - 5 * s, r.top + 34 * s);
        drawWell(context, line, s);
        context->setFont(CFontDesc::getDefaultFont(), 8.5 * s, kNormalFace);
        context->setFontColor(CColor{255, 214, 130, 255});
        const CRect text = CRect(line).inset(4 * s, 0);
        const std::string shown = fitFolderLine(
            m_folder, text.width(), [&](const std::string& t) { return context->getStringWidth(t.c_str()); });
        context->drawString(shown.c_str(), text, kLeftText);
        if (m_requestSupport) {
            context->setFontColor(CColor{150, 160, 174, 255});
            context->drawString("Support: writes a report of your settings and system to the desktop",
                                CRect(r.left + 5 * s, r.top + 72 * s, r.right - 90 * s, r.top + 86 * s),
                                kLeftText);
        }
        for (Button& button : m_buttons) drawButton(context, button);
        setDirty(false);
    }

    int32_t onMouseDown(CPoint& where, int32_t buttons) override {
        if (!(buttons & kLButton)) return kMouseNotHandled;
        for (Button& button : m_buttons) {
            if (!button.rect.pointInside(where)) continue;
            button.flash = 30;
            setDirty(true);
            press(button.label);
            return kMouseHandledNoFollow;
        }
        return kMouseNotHandled;
    }

    const std::string& folder() const { return m_folder; }
    int flashOf(int index) const { return m_buttons[size_t(index)].flash; }

protected:
    ~CSystemPanel() override {
        if (m_selector) {
            m_selector->cancel();
            m_selector->release();
        }
    }

private:
    struct Button {
        CRect rect;
        const char* label;
        int flash = 0;
    };

    void press(const std::string& label) {
        if (label == "Open") {
            Core::openFolderInFileBrowser(m_folder);
        } else if (label == "Change") {
            if (!m_selector) m_selector = new CFileSelector(getFrame(), FileSelectorStyle::kFolder);
            m_selector->setTitle("Choose the preset folder");
            m_selector->setInitialPath(m_folder);
            m_selector->run([this](const std::vector<std::string>& paths) {
                if (paths.empty()) return;
                Core::writeSetting(Core::settingsKey(Core::kCompanyKey, Core::kProductKey), "PresetFolder",
                                   paths.front().c_str());
                m_folder = Tessu::CPresetInterface::defaultPresetFolder();
                setDirty(true);
            });
        } else if (m_requestSupport) {
            m_requestSupport();
        }
    }

    void drawButton(CDrawContext* context, Button& button) {
        const double s = m_scale;
        const double glow = button.flash * 180.0 / 30.0;
        button.flash = std::max(0, button.flash - 2);
        if (button.flash > 0) setDirty(true);
        context->setFillColor(CColor{40, 48, 60, 255});
        context->drawRoundRect(button.rect, 3 * s, kDrawFilled);
        if (glow > 0) {
            context->setFillColor(withAlpha(kLowPassColor, glow));
            context->drawRoundRect(button.rect, 3 * s, kDrawFilled);
        }
        context->setFrameColor(CColor{255, 255, 255, 60});
        context->setLineWidth(1.0 * s);
        context->drawRoundRect(button.rect, 3 * s, kDrawStroked);
        context->setFont(CFontDesc::getDefaultFont(), 8.5 * s, kBoldFace);
        context->setFontColor(kText);
        context->drawString(button.label, button.rect, kCenterText);
    }

    double m_scale;
    std::function<void()> m_requestSupport;
    std::string m_folder;
    std::vector<Button> m_buttons;
    CFileSelector* m_selector = nullptr;
};

class CSyspageWindow : public CModuleWindow {
public:
    CSyspageWindow(const ModuleWindowPlace& place, Tessu::ParameterProperty* selector,
                   const ModuleWindowContext& context)
        : CModuleWindow(place, selector, context) {
        const CRect body = localBody();
        addView(new CSystemPanel(body, scale(), context.requestSupport));
        addDial("FilterInteria", 5, 15 + 46, 240);
        for (CView* child : getChildren()) child->setVisible(isOpen());
    }
};

// Windows that hold only dials: one column from the top of the body, 14 pixels apart, 5 more after the
// dial `gapAfter`. `labels` name dials whose own names would not say which stage they belong to.
class CDialWindow : public CModuleWindow {
public:
    struct Label {
        const char* key;
        const char* text;
    };

    CDialWindow(const ModuleWindowPlace& place, Tessu::ParameterProperty* selector,
                const ModuleWindowContext& context, std::initializer_list<const char*> keys, int gapAfter,
                std::initializer_list<Label> labels = {})
        : CModuleWindow(place, selector, context) {
        int index = 0;
        for (const char* key : keys) {
            CModuleDial* dial = addDial(key, 5, m_nextY, dialWidth());
            for (const Label& label : labels)
                if (dial && !std::strcmp(label.key, key)) dial->setLabel(label.text);
            m_nextY += ++index == gapAfter ? 19 : 14;
        }
        for (CView* child : getChildren()) child->setVisible(isOpen());
    }

protected:
    double dialWidth() const { return m_place.window.width() - 10; }

    double m_nextY = 4;
};

// The ring and frequency modulators, whose settings a link can pull toward the low-pass cut-off: below
// their dials, a group of root dials shows what the module runs at now. Each root is a property of the
// window with the name, unit and range of the setting it shows; it only displays (no drag).
class CLinkedModWindow : public CDialWindow {
public:
    struct Root {
        const char* copiedKey;
        const char* name;
        float (*current)(const CKavren&);
    };

    CLinkedModWindow(const ModuleWindowPlace& place, Tessu::ParameterProperty* selector,
                     const ModuleWindowContext& context, std::initializer_list<const char*> keys,
                     int gapAfter, std::initializer_list<Root> roots)
        : CDialWindow(place, selector, context, keys, gapAfter), m_roots(roots) {
        double y = m_nextY - 14;
        for (size_t i = 0; i < m_roots.size(); ++i) {
            Tessu::ParameterProperty* copied =
                context.effect ? context.effect->findParameterByKey(m_roots[i].copiedKey) : nullptr;
            if (!copied) continue;
            Tessu::ParameterDescriptor descriptor = kavrenParameterDescriptors()[size_t(copied->getId())];
            descriptor.key = descriptor.name = descriptor.longName = m_roots[i].name;
            descriptor.automatable = false;
            m_properties[i].initFromDescriptor(descriptor);
            auto* dial = new CModuleDial(local(5, y += 14, dialWidth(), 12), scale());
            dial->listenTo(&m_properties[i]);
            dial->setMouseEnabled(false);
            dial->setVisible(isOpen());
            addView(dial);
        }
    }

    void update() override {
        if (!isOpen() || !m_context.effect) return;
        for (size_t i = 0; i < m_roots.size(); ++i) {
            const float now = m_roots[i].current(*m_context.effect);
            if (now != m_properties[i].getValue()) m_properties[i].setValue(now);
        }
    }

protected:
    // The root dials listen to the properties, which go before the base releases the children.
    ~CLinkedModWindow() override { removeAll(true); }

private:
    std::vector<Root> m_roots;
    Tessu::ParameterProperty m_properties[2];
};

} // namespace

CModuleWindow::CModuleWindow(const ModuleWindowPlace& place, Tessu::ParameterProperty* selector,
                             const ModuleWindowContext& context)
    : Mirda_AttachedWindow(scaled(place.window, context.scale), scaled(place.tab, context.scale), place.name,
                           selector, place.page, context.scale),
      m_context(context), m_place(place) {}

CRect CModuleWindow::local(double x, double y, double width, double height) const {
    const double s = scale();
    return CRect::fromSize(std::round(x * s), std::round(y * s), std::round(width * s),
                           std::round(height * s));
}

CModuleDial* CModuleWindow::addDial(const char* key, double x, double y, double width) {
    Tessu::ParameterProperty* parameter =
        m_context.effect ? m_context.effect->findParameterByKey(key) : nullptr;
    if (!parameter) return nullptr;
    auto* dial = new CModuleDial(local(x, y, width, 12), scale());
    if (m_context.poll) m_context.poll(dial, parameter);
    addView(dial);
    return dial;
}

CModuleWindow* makeModuleWindow(const ModuleWindowPlace& place, Tessu::ParameterProperty* selector,
                                const ModuleWindowContext& context) {
    const std::string name = place.name;
    if (name == "Envelope") return new CEnvelopeWindow(place, selector, context);
    if (name == "LFO") return new CLFOWindow(place, selector, context);
    if (name == "System") return new CSyspageWindow(place, selector, context);
    if (name == "Ring Mod.")
        return new CLinkedModWindow(
            place, selector, context, {"RingModFreq", "RingModeStrength", "RinkModLinkFreqPerc."}, 2,
            {{"RingModFreq", "Root Freq.", [](const CKavren& effect) { return effect.ringModFrequency(); }}});
    if (name == "Freq Mod.")
        return new CLinkedModWindow(
            place, selector, context,
            {"FreqModFreq", "FreqModeStrength", "FreqModLinkFreqPerc.", "FreqModLinkMixPercent"}, 4,
            {{"FreqModFreq", "Root Freq.", [](const CKavren& effect) { return effect.freqModRate(); }},
             {"FreqModeStrength", "Root Mix", [](const CKavren& effect) { return effect.freqModMix(); }}});
    if (name == "Distortion")
        return new CDialWindow(place, selector, context,
                               {"DISTLEVEL", "DISTPREPOST", "RATEREDUCE_LEVEL", "RATE_LPLINK", "RATE_PREPOST",
                                "RATE_LINK_AMOUNT"},
                               2, {{"DISTPREPOST", "Drive Pre/Post"}, {"RATE_PREPOST", "Rate Pre/Post"}});
    return new CDialWindow(place, selector, context, {"LimitRelease", "LimiterBypass", "LimiterOutGain"}, 0);
}

std::string fitFolderLine(const std::string& folder, double width,
                          const std::function<double(const std::string&)>& measure) {
    if (measure(folder) <= width) return folder;
    for (size_t length = folder.size(); length-- > 0;) {
        // Cut at a character boundary: never inside a UTF-8 sequence.
        if (length > 0 && (static_cast<unsigned char>(folder[length]) & 0xC0) == 0x80) continue;
        const std::string cut = folder.substr(0, length) + "....";
        if (measure(cut) <= width) return cut;
    }
    return "....";
}

} // namespace Mirda
