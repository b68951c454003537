// Where everything sits on the editor, in editor pixels at 100 %. The editor places its controls from
// these tables and the artwork generator draws the panel around the same numbers, so the two cannot
// drift apart.
#pragma once

#include <array>

namespace KavrenLayout {

struct Box {
    int x, y, width, height;
    constexpr int right() const { return x + width; }
    constexpr int bottom() const { return y + height; }
    constexpr double centerX() const { return x + width / 2.0; }
    constexpr double centerY() const { return y + height / 2.0; }
};

inline constexpr int kWidth = 534;
inline constexpr int kHeight = 488;

// Dial kinds: the big ring, the outer ring of a concentric pair, the small inner dial, the mix dial.
enum DialKind { kBigDial = 0, kOuterRing = 1, kInnerDial = 2, kMixDial = 3 };

inline constexpr int kBigDialSize = 87;
inline constexpr int kSmallDialSize = 54;
inline constexpr int kMixDialSize = 26;
inline constexpr int kDialFrames = 128;
// Bitmaps are at most this many pixels tall, so strips at the higher scales hold fewer frames.
inline constexpr int kMaxBitmapHeight = 16384;

struct Dial {
    const char* key;
    int x, y;
    DialKind kind;
    bool detent;
};

inline constexpr std::array<Dial, 9> kDials{{
    {"kDryWetMix", 260, 12, kMixDial, false},
    {"INPUTGAIN", 15, 221, kBigDial, true},
    {"LOWPASSFREQ", 15, 336, kBigDial, false},
    {"LOWPASSQWIDTH", 123, 336, kOuterRing, false},
    {"LOWPASSQ", 140, 354, kInnerDial, false},
    {"HIGHPASSQWIDTH", 318, 336, kOuterRing, false},
    {"HIGHPASSQ", 335, 354, kInnerDial, false},
    {"HIGHPASSFREQ", 426, 336, kBigDial, false},
    {"OUTPUTGAIN", 426, 221, kBigDial, true},
}};

inline constexpr int dialSize(DialKind kind) {
    return kind == kInnerDial ? kSmallDialSize : kind == kMixDial ? kMixDialSize : kBigDialSize;
}

// The value label of a dial: 50 x 18 at (x + 19, y + 38), moved by kind.
inline constexpr Box valueLabel(const Dial& d) {
    const int dx = d.kind == kInnerDial ? -17 : d.kind == kMixDial ? 5 : 0;
    const int dy = d.kind == kOuterRing ? -57 : d.kind == kInnerDial ? -18 : d.kind == kMixDial ? -35 : 0;
    return {d.x + 19 + dx, d.y + 38 + dy, 50, 18};
}

// LED slope selectors: four entries of 30 x 15, one every 20 pixels, top entry the gentlest slope.
inline constexpr Box kLowSlope{149, 233, 30, 76};
inline constexpr Box kHighSlope{344, 233, 30, 76};
inline constexpr int kLedWidth = 30;
inline constexpr int kLedHeight = 15;
inline constexpr int kLedPitch = 20;
inline constexpr std::array<const char*, 4> kSlopeNames{"12", "24", "48", "96"};

inline constexpr Box kLinkSwitch{224, 300, 80, 24};
// The live picture of the routing under the "ROUTING" caption, standing on the panel's hairline.
inline constexpr Box kRoutingPicture{226, 244, 76, 38};
// The slope numbers beside the LEDs (also where a click picks that slope).
inline constexpr int kSlopeLabelWidth = 24;
inline constexpr Box kModeSwitch{262, 370, 40, 18};
inline constexpr Box kDisplay{19, 53, 496, 156};
inline constexpr Box kReadout{47, 11, 154, 22};
// The preset browser sits in the header's free right half, level with the read-out line.
inline constexpr Box kPresetBrowser{344, 11, 176, 22};
inline constexpr Box kUpdateNotifier{219, 450, 96, 22};
inline constexpr int kArrowSize = 16;

// Panels of the lower half and the line that divides their upper and lower rows.
inline constexpr Box kLeftPanel{8, 216, 206, 226};
inline constexpr Box kCentrePanel{217, 216, 94, 226};
inline constexpr Box kRightPanel{314, 216, 212, 226};
inline constexpr int kRowDivider = 321;

} // namespace KavrenLayout
