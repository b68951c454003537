// The editor's bitmap set, shared by all editor instances of the process. The 100 % images come from
// the library's main resource store; the 150 % and 200 % images ("<name>@1.5x.png", "<name>@2x.png")
// from a second store that the library registers at load time. Each scale's set is loaded the first
// time an editor asks for it and kept while any editor instance exists.
#pragma once

#include "core/ResourceBlock.h"

#include <array>

namespace Mirda {
class CBitmap;
}

namespace EditorBitmaps {

enum Id {
    kBackground,
    kBigDial,
    kSmallDial,
    kMixDial,
    kLedOn,
    kLedOff,
    kLinkSwitch,
    kModeSwitch,
    kArrowDown,
    kArrowLeft,
    kArrowRight,
    kCount
};

inline constexpr std::array<const char*, kCount> kNames{
    "Background.png",   "dial87px.png",     "dial54px_small.png", "MixDialFilmstrip.png",
    "ledOn.png",        "ledOff.png",       "linkBtn.png",        "HorizontalDip.png",
    "ArrowDownBig.png", "ArrowLeftBig.png", "ArrowRightBig.png"};

// The block of the high-resolution images; call once before the first editor opens.
void registerHighResolutionStore(const Core::ResourceBlock& block);

// Editor instances hold the set: the first acquire starts the count, the last release frees every bitmap.
void acquire();
void release();
// The image for `scale` (1, 1.5 or 2), loaded on first use; null when the store has no such image.
Mirda::CBitmap* get(Id id, double scale);

} // namespace EditorBitmaps
