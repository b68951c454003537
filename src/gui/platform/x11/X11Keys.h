#pragma once
// Translation of X key symbols to the framework's virtual keys.

#include "gui/KeyCodes.h"

#include <cstdint>
#include <vector>

union _XEvent;
struct _XIC;

namespace Mirda {

// The virtual key for an X keysym, 0 when the key is not in the table.
uint8_t virtualKeyFromKeysym(unsigned long keysym);
// Translates a KeyPress or KeyRelease event; false for keys that have neither a virtual key nor a
// character.
bool keyCodeFromEvent(_XEvent& event, VstKeyCode& key);
// Translates a key event through an input context (may be null) when there is one: a press yields the
// text the input method composed, one key event per character, the first also carrying the virtual
// key; a dead key alone yields nothing.
std::vector<VstKeyCode> keyCodesFromEvent(_XEvent& event, _XIC* ic);

} // namespace Mirda
