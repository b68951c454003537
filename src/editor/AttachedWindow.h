// A module window of the central display: a title tab that is always shown and a body with the module's
// dials that shows while the window is open. Windows are grouped into pages by a page selector; a
// window opens when its selector takes its page and closes when the selector moves elsewhere, so at most
// one page per selector is open and windows of the same page open together.
#pragma once

#include "gui/MiniDial.h"
#include "gui/ViewContainer.h"
#include "params/ParameterProperty.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Mirda {

// The small control inside module windows: the parameter's name on the left, its value on the right and
// a thin bar along the bottom showing where the value sits in its range.
class CModuleDial : public Mirda_MiniDial {
public:
    CModuleDial(const CRect& size, double scale);

    void draw(CDrawContext* context) override;
    // Bound to a parameter of the effect: the editor's idle pass updates it, it never listens.
    void bindParameter(Tessu::ParameterProperty* parameter) override;
    // Bound to a window's own property, which only the GUI thread changes: listening is safe.
    void listenTo(Tessu::ParameterProperty* property);
    // The name shown and read out in place of the parameter's (which may not say which stage it
    // belongs to); not owned.
    void setLabel(const char* label) { m_label = label; }
    std::string getReadoutText() const override;

    const char* getClassName() const override { return "CModuleDial"; }

protected:
    ~CModuleDial() override;

private:
    const char* label() const;

    double m_scale;
    bool m_listening = false;
    const char* m_label = nullptr;
};

class Mirda_AttachedWindow : public CViewContainer, public Tessu::ParameterChangeListener {
public:
    // The open/close transition takes this many draws: about 125 ms at the editor's idle rate, and the
    // same picture whatever the clock, so offscreen drawings are repeatable.
    static constexpr int kTransitionDraws = 5;

    // Rects in the parent's device pixels; the tab lies inside the window rect, on its top or bottom edge.
    Mirda_AttachedWindow(const CRect& window, const CRect& tab, const char* name,
                         Tessu::ParameterProperty* selector, int32_t page, double scale);

    // Opening sets the selector to the window's page (which opens the page's other windows too).
    void setOpen(bool open);
    bool isOpen() const { return m_open; }
    int32_t getPage() const { return m_page; }
    const char* getName() const { return m_name; }
    // Selectors set to 0 when this window opens by its tab (windows that would cover it).
    void addRival(Tessu::ParameterProperty* selector) { m_rivals.push_back(selector); }
    // Keeps the body inside `area` (parent coordinates): clear of the other windows' tabs.
    void limitBody(const CRect& area) { m_bodyArea = area; }
    // The tab and the body, in the parent's coordinates.
    const CRect& tabRect() const { return m_tab; }
    CRect bodyRect() const;
    // 0 (closed) … 1 (open) along the open/close transition.
    double openness() const;

    void parameterChanged(Tessu::IPluginParameter* parameter) override;
    bool hitTest(const CPoint& where, int32_t buttons = -1) const override;
    int32_t onMouseDown(CPoint& where, int32_t buttons) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;

    const char* getClassName() const override { return "Mirda_AttachedWindow"; }

protected:
    ~Mirda_AttachedWindow() override;
    double scale() const { return m_scale; }
    // The window's own coordinates of the body's inner area (for placing children).
    CRect localBody() const;

private:
    void show(bool open);
    void drawTab(CDrawContext* context);

    CRect m_tab;
    CRect m_bodyArea{-1e9, -1e9, 1e9, 1e9};
    const char* m_name;
    Tessu::ParameterProperty* m_selector;
    int32_t m_page;
    double m_scale;
    bool m_open = false;
    int m_transition = 0; // draws left of the transition
    std::vector<Tessu::ParameterProperty*> m_rivals;
};

} // namespace Mirda
