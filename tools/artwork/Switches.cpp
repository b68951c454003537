// LEDs, the link button, the mode slide switch and the browser arrows. Two-state images hold the off
// state on top of the on state.
#include "artwork/Artwork.h"

#include "editor/KavrenLayout.h"

#include <cmath>

namespace Artwork {
namespace {

void drawLed(const std::string& path, bool on, double scale) {
    using namespace KavrenLayout;
    Painter p(kLedWidth, kLedHeight, scale);
    const CRect pill(2, 3, kLedWidth - 2, kLedHeight - 2);
    if (on) {
        p.roundRect(CRect(pill).inset(-2.5, -2.5), 7, withAlpha(Palette::kAccent, 36));
        p.roundRect(CRect(pill).inset(-1.2, -1.2), 6, withAlpha(Palette::kAccent, 60));
        p.roundRect(pill, 5, Palette::kAccent);
        p.roundRect(CRect(pill.left + 2, pill.top + 1, pill.right - 2, pill.top + 4.5), 2,
                    withAlpha(Palette::kAccentHot, 200));
    } else {
        p.roundRect(CRect(pill).inset(-1, -1), 6, CColor{255, 255, 255, 20});
        p.roundRect(pill, 5, CColor{8, 9, 11, 255});
        p.gradient(CRect(pill).inset(1.5, 1.5), CColor{26, 28, 33, 255}, CColor{40, 36, 30, 255});
        p.roundRect(CRect(pill.left + 3, pill.bottom - 3.5, pill.right - 3, pill.bottom - 2), 1,
                    withAlpha(Palette::kAccent, 40));
    }
    saveOrThrow(p, path);
}

void drawButtonFace(Painter& p, const CRect& r, bool pressed) {
    p.rectShadow(r, 4, 2.5, 110);
    p.roundRect(CRect(r).inset(-1, -1), 5, CColor{6, 7, 9, 255});
    p.roundRect(r, 4, CColor{255, 255, 255, 34});
    if (pressed)
        p.gradient(CRect(r).inset(1, 1), CColor{34, 36, 41, 255}, CColor{50, 53, 60, 255});
    else
        p.gradient(CRect(r).inset(1, 1), CColor{68, 72, 80, 255}, CColor{42, 45, 51, 255});
}

// A two-state image of `box`'s size: `drawState` paints each state into the box of its half.
template <class DrawState>
void drawTwoStates(const std::string& path, const KavrenLayout::Box& box, double scale, DrawState drawState) {
    const double w = box.width, h = box.height;
    Painter p(box.width, 2 * box.height, scale);
    for (int state = 0; state < 2; ++state) drawState(p, state * h, w, h, state == 1);
    saveOrThrow(p, path);
}

void drawLink(const std::string& path, double scale) {
    drawTwoStates(
        path, KavrenLayout::kLinkSwitch, scale, [](Painter& p, double top, double w, double h, bool on) {
            const int state = on ? 1 : 0;
            const CRect face(3, top + 3, w - 3, top + h - 4);
            drawButtonFace(p, face, state == 1);
            const double ledX = face.left + 11, ledY = (face.top + face.bottom) / 2;
            if (state == 1) {
                p.disc(ledX, ledY, 6.0, withAlpha(Palette::kAccent, 50));
                p.disc(ledX, ledY, 3.2, Palette::kAccent);
                p.disc(ledX - 0.8, ledY - 0.9, 1.3, Palette::kAccentHot);
            } else {
                p.disc(ledX, ledY, 3.4, CColor{10, 11, 13, 255});
                p.disc(ledX, ledY, 2.6, CColor{52, 44, 34, 255});
            }
            p.text("LINK", CRect(face.left + 18, face.top, face.right - 4, face.bottom), 10,
                   state == 1 ? Palette::kAccentHot : Palette::kLabel, true, Mirda::kCenterText, 1.6);
        });
}

void drawModeSwitch(const std::string& path, double scale) {
    drawTwoStates(
        path, KavrenLayout::kModeSwitch, scale, [](Painter& p, double top, double w, double h, bool on) {
            const CRect slot(1, top + 2, w - 1, top + h - 2);
            p.roundRect(CRect(slot).inset(-1, -1), 8, CColor{255, 255, 255, 22});
            p.roundRect(slot, 7, CColor{8, 9, 11, 255});
            p.gradient(CRect(slot).inset(2, 2), CColor{16, 17, 20, 255}, CColor{30, 32, 37, 255});
            const double thumbWidth = 20;
            const double x = on ? slot.right - 2 - thumbWidth : slot.left + 2;
            const CRect thumb(x, slot.top + 1.5, x + thumbWidth, slot.bottom - 1.5);
            p.rectShadow(thumb, 5, 1.5, 120);
            p.roundRect(thumb, 5, CColor{10, 11, 13, 255});
            p.gradient(CRect(thumb).inset(1, 1), CColor{112, 118, 130, 255}, CColor{56, 60, 68, 255});
            for (int i = -1; i <= 1; ++i) {
                const double gx = (thumb.left + thumb.right) / 2 + i * 3.5;
                p.fillRect(CRect(gx - 0.5, thumb.top + 3.5, gx + 0.5, thumb.bottom - 3.5),
                           CColor{20, 22, 26, 200});
            }
        });
}

void drawArrow(const std::string& path, double angle, double scale) {
    const double s = KavrenLayout::kArrowSize, c = s / 2;
    Painter p(static_cast<int>(s), static_cast<int>(s), scale);
    // A chevron pointing right, turned by `angle` degrees about the centre.
    const CPoint shape[6] = {{-2.5, -5}, {2.5, 0}, {-2.5, 5}, {-4.8, 5}, {0.2, 0}, {-4.8, -5}};
    CPoint turned[6];
    const double a = angle * M_PI / 180.0;
    for (int i = 0; i < 6; ++i)
        turned[i] = {c + shape[i].x * std::cos(a) - shape[i].y * std::sin(a),
                     c + shape[i].x * std::sin(a) + shape[i].y * std::cos(a)};
    p.polygon(turned, 6, Palette::kLabel);
    saveOrThrow(p, path);
}

} // namespace

void drawSwitches(const std::string& dir, const std::string& suffix, double scale) {
    drawLed(dir + "/ledOn" + suffix + ".png", true, scale);
    drawLed(dir + "/ledOff" + suffix + ".png", false, scale);
    drawLink(dir + "/linkBtn" + suffix + ".png", scale);
    drawModeSwitch(dir + "/HorizontalDip" + suffix + ".png", scale);
    drawArrow(dir + "/ArrowRightBig" + suffix + ".png", 0, scale);
    drawArrow(dir + "/ArrowDownBig" + suffix + ".png", 90, scale);
    drawArrow(dir + "/ArrowLeftBig" + suffix + ".png", 180, scale);
}

} // namespace Artwork
