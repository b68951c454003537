// The editor's artwork, drawn from code at build time. Each function writes its images into `dir`
// with `suffix` before the extension ("" at 100 %, "@1.5x", "@2x").
#pragma once

#include "artwork/Painter.h"

#include <string>

namespace Artwork {

void drawDials(const std::string& dir, const std::string& suffix, double scale);
void drawSwitches(const std::string& dir, const std::string& suffix, double scale);
void drawBackground(const std::string& dir, const std::string& suffix, double scale);

// Writes the image or throws, so a broken build step fails loudly.
void saveOrThrow(const Painter& painter, const std::string& path);

} // namespace Artwork
