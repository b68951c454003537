#pragma once
// Translation of X key symbols to the framework's virtual keys.

#include <cstdint>

namespace Mirda {

// The virtual key for an X keysym, 0 when the key is not in the table.
uint8_t virtualKeyFromKeysym(unsigned long keysym);

} // namespace Mirda
