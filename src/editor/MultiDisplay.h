// The central display: the container that will hold the filter curve, the level meters and the module
// windows. For now it holds the module windows' title tabs; a click on a tab opens that page of its
// side (PAGELEFT / PAGERIGHT) or closes it again, and the tab of an open page is lit.
#pragma once

#include "gui/ViewContainer.h"
#include "params/ParameterProperty.h"

#include <vector>

class CModuleTab;

class CMultiDisplay : public Mirda::CViewContainer {
public:
    // `size` in device pixels; `scale` device pixels per editor pixel.
    CMultiDisplay(const Mirda::CRect& size, double scale);

    Tessu::ParameterProperty& pageLeft() { return m_pageLeft; }
    Tessu::ParameterProperty& pageRight() { return m_pageRight; }
    // Toggles the page: opens it (closing the side's other pages) or closes it when it is open.
    void togglePage(Tessu::ParameterProperty& selector, int page);

    const char* getClassName() const override { return "CMultiDisplay"; }

protected:
    ~CMultiDisplay() override = default;

private:
    Tessu::ParameterProperty m_pageLeft;
    Tessu::ParameterProperty m_pageRight;
    Tessu::ParameterProperty m_systemPage;
};

// A module window's title tab, hanging from the top edge or standing on the bottom edge of the display.
class CModuleTab : public Mirda::CView {
public:
    CModuleTab(const Mirda::CRect& size, const char* title, Tessu::ParameterProperty& selector, int page,
               bool onTopEdge, double scale);

    void draw(Mirda::CDrawContext* context) override;
    int32_t onMouseDown(Mirda::CPoint& where, int32_t buttons) override;
    bool isOpen() const { return m_selector.getIntValue() == m_page; }

    const char* getClassName() const override { return "CModuleTab"; }

private:
    const char* m_title;
    Tessu::ParameterProperty& m_selector;
    int m_page;
    bool m_onTopEdge;
    double m_scale;
};
