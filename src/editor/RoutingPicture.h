// The picture under "ROUTING": the two filters' slopes as the active routing combines them. In series
// (SER) the high-pass slope and the low-pass slope meet in one pass band; in parallel (PAR) the low-pass
// and the high-pass each pass their own side and the picture shows them crossing.
#pragma once

#include "gui/Control.h"

class CRoutingPicture : public Mirda::CControl {
public:
    // `scale` device pixels per editor pixel; bind FILTERMODE (polled by the editor).
    CRoutingPicture(const Mirda::CRect& size, double scale);

    bool isParallel() const { return m_value >= 0.5; }
    void draw(Mirda::CDrawContext* context) override;
    const char* getClassName() const override { return "CRoutingPicture"; }

private:
    double m_scale;
};
