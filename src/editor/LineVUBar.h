// A stereo level meter at an edge of the central display: two columns of thin segments from −48 dB at
// the bottom to +7 dB at the top, lit up to the level, with the held peak in its own colour.
#pragma once

#include "editor/display/LevelMeter.h"
#include "gui/View.h"

#include <array>

namespace Mirda {

class CLineVUBar : public CView {
public:
    // `size` in the parent's device pixels; `scale` device pixels per editor pixel.
    CLineVUBar(const CRect& size, double scale);

    // One idle pass: the linear peak of each channel since the last pass, at nowMs.
    void update(double left, double right, double nowMs);
    const CLevelMeterChannel& channel(int index) const { return m_channels[size_t(index)]; }

    void draw(CDrawContext* context) override;
    bool hitTest(const CPoint&, int32_t) const override { return false; }
    const char* getClassName() const override { return "CLineVUBar"; }

private:
    double m_scale;
    std::array<CLevelMeterChannel, 2> m_channels;
};

} // namespace Mirda
