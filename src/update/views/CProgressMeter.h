#pragma once
// CProgressMeter: how much of the installer has arrived, as a filled bar.

#include "gui/View.h"

namespace Pellu {

class CProgressMeter : public Mirda::CView {
public:
    explicit CProgressMeter(const Mirda::CRect& size) : CView(size) { setMouseEnabled(false); }

    /** 0 to 1; redraws only when the bar moves by a pixel. */
    void setProgress(double progress);
    double getProgress() const { return m_progress; }

    void draw(Mirda::CDrawContext* context) override;

    bool isTypeOf(const char* className) const override;
    const char* getClassName() const override { return "CProgressMeter"; }

private:
    double barWidth(double progress) const;

    double m_progress = 0;
};

} // namespace Pellu
