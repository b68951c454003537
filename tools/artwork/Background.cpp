// The editor's background: a dark panel with a header (read-out, mix, preset browser), the display bezel,
// three panels for the low-pass side, the routing switches and the high-pass side, and a footer. Every label
// sits next to the control it names; the positions come from the editor's layout table.
#include "artwork/Artwork.h"

#include "editor/KavrenLayout.h"

#include <algorithm>
#include <cmath>

namespace Artwork {
namespace {

using namespace KavrenLayout;

CRect rectOf(const Box& b) {
    return CRect::fromSize(b.x, b.y, b.width, b.height);
}

void caption(Painter& p, const std::string& text, double centreX, double top,
             const CColor& c = Palette::kLabel) {
    p.text(text, CRect(centreX - 60, top, centreX + 60, top + 10), 8.5, c, true, Mirda::kCenterText, 1.4);
}

// A row header: an accent mark, the title and a hairline that runs from it towards `lineEnd`.
void header(Painter& p, const std::string& title, double x, double y, double lineEnd, bool rightAligned) {
    const double width = p.textWidth(title, 9, true, 1.6);
    const double direction = rightAligned ? -1 : 1;
    const double markX = rightAligned ? x - 2.5 : x;
    p.fillRect(CRect(markX, y + 1.5, markX + 2.5, y + 8.5), Palette::kAccent);
    const double textStart = x + direction * 7, textEnd = textStart + direction * width;
    p.text(title, CRect(std::min(textStart, textEnd), y, std::max(textStart, textEnd), y + 10), 9,
           Palette::kLabel, true, Mirda::kCenterText, 1.6);
    const double lineStart = textEnd + direction * 6;
    p.fillRect(CRect(std::min(lineStart, lineEnd), y + 5, std::max(lineStart, lineEnd), y + 6),
               Palette::kEdgeLight);
}

void well(Painter& p, const CRect& r, double radius) {
    p.roundRect(CRect(r).inset(-1, -1), radius + 1, CColor{255, 255, 255, 20});
    p.roundRect(r, radius, CColor{5, 6, 8, 255});
    p.gradient(CRect(r).inset(1, 1), CColor{10, 11, 13, 255}, CColor{17, 18, 22, 255});
}

void panel(Painter& p, const Box& b) {
    const CRect r = rectOf(b);
    p.rectShadow(r, 6, 4, 140);
    p.roundRect(r, 6, CColor{10, 11, 13, 255});
    p.roundRect(CRect(r).inset(1, 1), 5, CColor{255, 255, 255, 26});
    p.roundRect(CRect(r.left + 1, r.top + 2, r.right - 1, r.bottom - 1), 5, Palette::kSectionBottom);
    p.gradient(CRect(r.left + 3, r.top + 3, r.right - 3, r.bottom - 3), Palette::kSectionTop,
               Palette::kSectionBottom);
}

void screw(Painter& p, double cx, double cy) {
    p.discShadow(cx, cy, 4.2, 1.5, 110);
    p.litDisc(cx, cy, 4.2, CColor{130, 136, 146, 255}, CColor{52, 55, 62, 255});
    p.line(CPoint(cx - 2.6, cy + 1.2), CPoint(cx + 2.6, cy - 1.2), 1.1, CColor{22, 24, 28, 255});
}

void drawHeader(Painter& p) {
    p.gradient(CRect(0, 0, kWidth, 46), CColor{24, 26, 30, 255}, CColor{19, 20, 24, 255});
    p.fillRect(CRect(0, 46, kWidth, 47), CColor{0, 0, 0, 160});
    p.fillRect(CRect(0, 47, kWidth, 48), Palette::kEdgeLight);
    // The read-out line: an amber-tinted glass.
    const CRect readout = rectOf(kReadout).inset(-3, -2);
    well(p, readout, 4);
    p.gradient(CRect(readout).inset(2, 2), CColor{22, 18, 10, 255}, CColor{14, 12, 9, 255});
    // Mix.
    const Dial& mix = kDials[0];
    p.text("DRY/WET", CRect(mix.x - 70, mix.y + 8, mix.x - 6, mix.y + 24), 8.5, Palette::kLabel, true,
           Mirda::kRightText, 1.2);
    // The preset browser: a neutral glass beside the mix; the product's name is in the footer.
    const CRect browser = rectOf(kPresetBrowser).inset(-3, -2);
    well(p, browser, 4);
    p.gradient(CRect(browser).inset(2, 2), CColor{20, 22, 26, 255}, CColor{12, 13, 16, 255});
}

void drawDisplayBezel(Painter& p) {
    const CRect screen = rectOf(kDisplay);
    p.roundRect(CRect(screen).inset(-5, -5), 8, CColor{255, 255, 255, 16});
    p.roundRect(CRect(screen).inset(-4, -4), 7, CColor{4, 5, 6, 255});
    p.gradient(screen, CColor{15, 20, 27, 255}, CColor{8, 10, 14, 255});
    // Faint frequency grid (decades of a 20 Hz to 20 kHz scale) and level lines.
    const double fLeft = std::log10(20.0), fRight = std::log10(20000.0);
    for (double decade = 10; decade <= 10000; decade *= 10)
        for (int k = 1; k < 10; ++k) {
            const double f = decade * k;
            if (f < 30 || f > 19000) continue;
            const double x = screen.left + (std::log10(f) - fLeft) / (fRight - fLeft) * screen.width();
            p.fillRect(CRect(x, screen.top + 1, x + (k == 1 ? 1.0 : 0.6), screen.bottom - 1),
                       CColor{120, 170, 230, static_cast<uint8_t>(k == 1 ? 26 : 12)});
        }
    for (int i = 1; i < 4; ++i) {
        const double y = screen.top + screen.height() * i / 4;
        p.fillRect(CRect(screen.left + 1, y, screen.right - 1, y + (i == 2 ? 1.0 : 0.6)),
                   CColor{120, 170, 230, static_cast<uint8_t>(i == 2 ? 22 : 12)});
    }
    // Glass: a soft highlight along the top.
    p.gradient(CRect(screen.left, screen.top, screen.right, screen.top + 24), CColor{255, 255, 255, 14},
               CColor{255, 255, 255, 0});
}

void slopeLabels(Painter& p, const Box& leds, bool labelsRight) {
    for (size_t i = 0; i < kSlopeNames.size(); ++i) {
        const double top = leds.y + kLedPitch * static_cast<double>(i);
        const CRect r =
            labelsRight ? CRect(leds.right() + 3, top, leds.right() + 3 + kSlopeLabelWidth, top + kLedHeight)
                        : CRect(leds.x - 3 - kSlopeLabelWidth, top, leds.x - 3, top + kLedHeight);
        p.text(kSlopeNames[i], r, 9, Palette::kLabel, true,
               labelsRight ? Mirda::kLeftText : Mirda::kRightText);
    }
    // "SLOPE dB/oct", centred over the LEDs as one line.
    const double title = p.textWidth("SLOPE", 8.5, true, 1.4), unit = p.textWidth("dB/oct", 7.5, true, 0.6);
    const double left = leds.centerX() - (title + 5 + unit) / 2;
    p.text("SLOPE", CRect(left, leds.y - 14, left + title, leds.y - 4), 8.5, Palette::kLabel, true,
           Mirda::kLeftText, 1.4);
    p.text("dB/oct", CRect(left + title + 5, leds.y - 14, left + title + 5 + unit, leds.y - 4), 7.5,
           Palette::kLabelDim, true, Mirda::kLeftText, 0.6);
}

void drawLowerPanels(Painter& p) {
    panel(p, kLeftPanel);
    panel(p, kCentrePanel);
    panel(p, kRightPanel);
    const auto dialCentre = [](int index) {
        return kDials[static_cast<size_t>(index)].x + kBigDialSize / 2.0;
    };
    // Upper row: gains and slopes.
    caption(p, "INPUT", dialCentre(1), kDials[1].y + kBigDialSize + 1);
    caption(p, "OUTPUT", dialCentre(8), kDials[8].y + kBigDialSize + 1);
    slopeLabels(p, kLowSlope, true);
    slopeLabels(p, kHighSlope, false);
    // Lower row: the two filters.
    const double row = kRowDivider + 2;
    header(p, "LOW PASS", kLeftPanel.x + 8, row, valueLabel(kDials[3]).x - 4, false);
    header(p, "HIGH PASS", kRightPanel.right() - 8, row, valueLabel(kDials[5]).right() + 4, true);
    const double captionTop = kDials[2].y + kBigDialSize + 2;
    caption(p, "CUTOFF", dialCentre(2), captionTop);
    caption(p, "RES / WIDTH", dialCentre(3), captionTop);
    caption(p, "RES / WIDTH", dialCentre(5), captionTop);
    caption(p, "CUTOFF", dialCentre(7), captionTop);
    // Routing.
    const double centreX = kCentrePanel.centerX();
    caption(p, "ROUTING", centreX, kCentrePanel.y + 7);
    // The routing picture itself is drawn live by the editor, above this baseline.
    const double iconBottom = kRoutingPicture.bottom();
    p.fillRect(CRect(centreX - 38, iconBottom + 1, centreX + 38, iconBottom + 2), Palette::kEdgeLight);
    caption(p, "FILTERS", centreX, kLinkSwitch.y - 13, Palette::kLabelDim);
    caption(p, "MODE", kModeSwitch.centerX(), kModeSwitch.y - 14);
    const double halfWidth = kModeSwitch.width / 2.0;
    p.text("SER",
           CRect(kModeSwitch.x - 6, kModeSwitch.bottom() + 3, kModeSwitch.x + halfWidth + 2,
                 kModeSwitch.bottom() + 12),
           7.5, Palette::kLabelDim, true);
    p.text("PAR",
           CRect(kModeSwitch.x + halfWidth - 2, kModeSwitch.bottom() + 3, kModeSwitch.right() + 6,
                 kModeSwitch.bottom() + 12),
           7.5, Palette::kLabelDim, true);
}

void drawFooter(Painter& p) {
    const double top = kLeftPanel.bottom() + 6;
    p.fillRect(CRect(0, top, kWidth, top + 1), CColor{0, 0, 0, 120});
    p.fillRect(CRect(0, top + 1, kWidth, top + 2), Palette::kEdgeLight);
    const double middle = (top + kHeight) / 2 + 1;
    screw(p, 14, middle);
    screw(p, kWidth - 14, middle);
    p.text("QUILLMARK", CRect(28, middle - 6, 160, middle + 6), 9, Palette::kLabelDim, true, Mirda::kLeftText,
           3.0);
    p.text("KAVREN XL", CRect(kWidth - 160, middle - 6, kWidth - 28, middle + 6), 9, Palette::kLabelDim, true,
           Mirda::kRightText, 3.0);
}

} // namespace

void drawBackground(const std::string& dir, const std::string& suffix, double scale) {
    Painter p(kWidth, kHeight, scale);
    p.gradient(CRect(0, 0, kWidth, kHeight), Palette::kPanelTop, Palette::kPanelBottom);
    p.grain(CRect(0, 0, kWidth, kHeight), 3, 7);
    drawHeader(p);
    drawDisplayBezel(p);
    drawLowerPanels(p);
    drawFooter(p);
    saveOrThrow(p, dir + "/Background" + suffix + ".png");
}

} // namespace Artwork
