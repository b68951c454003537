#pragma once
// CUpdateInfoIcon: the small "Update available" sign that a found update shows when the editor asks
// quietly; a click on it opens the download question.

#include "gui/View.h"

#include <functional>

namespace Pellu {

class CUpdateInfoIcon : public Mirda::CView {
public:
    CUpdateInfoIcon(const Mirda::CRect& size, std::function<void()> onClick);

    void draw(Mirda::CDrawContext* context) override;
    int32_t onMouseDown(Mirda::CPoint& where, int32_t buttons) override;

    bool isTypeOf(const char* className) const override;
    const char* getClassName() const override { return "CUpdateInfoIcon"; }

private:
    std::function<void()> m_onClick;
};

} // namespace Pellu
