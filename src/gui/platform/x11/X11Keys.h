#pragma once
// Translation of X key symbols to the framework's virtual keys.

#include "gui/KeyCodes.h"

#include <cstdint>

union _XEvent;

namespace Mirda {

// The virtual key for an X keysym, 0 when the key is not in the table.
uint8_t virtualKeyFromKeysym(unsigned long keysym);
// Translates a KeyPress or KeyRelease event; false for keys that have neither a virtual key nor a
// character.
bool keyCodeFromEvent(_XEvent& event, VstKeyCode& key);

} // namespace Mirda
