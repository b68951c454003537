#pragma once
// Encodes a premultiplied BGRA buffer as an RGBA PNG (snapshots, reference images).

#include "gui/PixelBuffer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Mirda {

bool encodePNG(const CPixelBuffer& buffer, std::vector<uint8_t>& out);
bool writePNGFile(const CPixelBuffer& buffer, const std::string& path);

} // namespace Mirda
