// The dial filmstrips: one square frame per value step, stacked top to bottom, from the minimum to the
// maximum. Every dial is a dark cap inside a recessed track; the value is an arc along the track that
// ends in a light pointer across it, so the setting reads at a glance even when the cap is covered.
#include "artwork/Artwork.h"

#include "editor/KavrenLayout.h"

#include <algorithm>
#include <cmath>

namespace Artwork {
namespace {

constexpr double kStartAngle = 135.0;
constexpr double kSweep = 270.0;

CPoint polar(double cx, double cy, double radius, double degrees) {
    const double a = degrees * M_PI / 180.0;
    return {cx + radius * std::cos(a), cy + radius * std::sin(a)};
}

struct DialStyle {
    double size;
    double trackRadius, trackWidth;
    double capRadius, faceRadius;
    CColor accent, accentHot;
    int ticks;       // scale marks outside the track (0: none)
    bool capPointer; // a pointer line on the cap instead of across the track
};

void drawDial(Painter& p, const DialStyle& s, double top, double value) {
    const double c = s.size / 2, cy = top + c;
    const double angle = kStartAngle + kSweep * value;
    for (int i = 0; i < s.ticks; ++i) {
        const double a = kStartAngle + kSweep * i / (s.ticks - 1);
        const bool end = i == 0 || i == s.ticks - 1 || i == s.ticks / 2;
        const double outer = s.trackRadius + s.trackWidth / 2 + (end ? 5.2 : 4.2);
        p.line(polar(c, cy, s.trackRadius + s.trackWidth / 2 + 2.2, a), polar(c, cy, outer, a),
               end ? 1.3 : 1.0, end ? Palette::kLabel : Palette::kLabelDim);
    }
    // Recessed track: a dark groove with a faint lit lower lip.
    p.arc(c, cy, s.trackRadius, s.trackWidth + 2.0, 0, 360, CColor{8, 9, 11, 255});
    p.arc(c, cy, s.trackRadius + s.trackWidth / 2 + 0.6, 1.0, 20, 160, CColor{255, 255, 255, 18});
    p.arc(c, cy, s.trackRadius, s.trackWidth, kStartAngle, kStartAngle + kSweep, CColor{30, 32, 37, 255});
    // The value: a soft glow under a bright arc.
    if (value > 0.0) {
        p.arc(c, cy, s.trackRadius, s.trackWidth + 4.0, kStartAngle, angle, withAlpha(s.accent, 40));
        p.arc(c, cy, s.trackRadius, s.trackWidth - 0.6, kStartAngle, angle, s.accent);
    }
    // The cap.
    p.discShadow(c, cy, s.capRadius, 3.0, 120);
    p.disc(c, cy, s.capRadius + 0.8, CColor{6, 7, 9, 255});
    p.litDisc(c, cy, s.capRadius, CColor{92, 97, 107, 255}, CColor{30, 32, 37, 255});
    if (s.faceRadius > 0) {
        p.disc(c, cy, s.faceRadius + 0.8, CColor{14, 15, 18, 255});
        p.litDisc(c, cy, s.faceRadius, CColor{44, 47, 54, 255}, CColor{25, 27, 31, 255});
    }
    if (s.capPointer) {
        p.line(polar(c, cy, s.capRadius * 0.35, angle), polar(c, cy, s.capRadius - 1.6, angle), 2.0,
               CColor{246, 246, 246, 255});
    } else {
        const double inner = s.capRadius + 0.2, outer = s.trackRadius + s.trackWidth / 2 + 1.0;
        p.line(polar(c, cy, inner, angle), polar(c, cy, outer, angle), 3.4, CColor{0, 0, 0, 120});
        p.line(polar(c, cy, inner, angle), polar(c, cy, outer, angle), 2.0, s.accentHot);
    }
}

void drawStrip(const std::string& path, const DialStyle& style, double scale) {
    const int size = static_cast<int>(style.size);
    // Frames must be whole device pixels tall: round the frame size and draw at the scale that gives it.
    const double frameScale = std::round(style.size * scale) / style.size;
    const int frames = std::min(KavrenLayout::kDialFrames, static_cast<int>(KavrenLayout::kMaxBitmapHeight /
                                                                            std::round(style.size * scale)));
    Painter p(size, size * frames, frameScale);
    for (int f = 0; f < frames; ++f)
        drawDial(p, style, f * style.size, static_cast<double>(f) / (frames - 1));
    saveOrThrow(p, path);
}

} // namespace

void drawDials(const std::string& dir, const std::string& suffix, double scale) {
    using namespace KavrenLayout;
    drawStrip(dir + "/dial87px" + suffix + ".png",
              {kBigDialSize, 34.0, 4.0, 28.5, 25.0, Palette::kAccent, Palette::kAccentHot, 11, false}, scale);
    drawStrip(dir + "/dial54px_small" + suffix + ".png",
              {kSmallDialSize, 22.8, 3.4, 18.5, 16.0, Palette::kCool, Palette::kCoolHot, 0, false}, scale);
    drawStrip(dir + "/MixDialFilmstrip" + suffix + ".png",
              {kMixDialSize, 10.6, 2.6, 7.6, 0.0, Palette::kAccent, Palette::kAccentHot, 0, true}, scale);
}

} // namespace Artwork
