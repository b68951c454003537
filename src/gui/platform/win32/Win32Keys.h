#pragma once
// Translation of Windows virtual-key codes to the framework's virtual keys. Keys that type a character
// reach the framework through WM_CHAR instead (which carries the input method's and the keyboard
// layout's text); WM_KEYDOWN only brings the keys that do not.

#include "gui/KeyCodes.h"

#include <cstdint>

namespace Mirda {

// The framework's virtual key for a Windows one, 0 when the key is not in the table.
uint8_t virtualKeyFromWin32(unsigned int windowsKey);
// True for keys whose press also arrives as a printable WM_CHAR (space, the keypad's digits and signs).
bool typesCharacter(unsigned int windowsKey);
// The modifier bits of the keys held down now.
uint8_t heldModifiers();

} // namespace Mirda
