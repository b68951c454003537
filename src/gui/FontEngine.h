#pragma once
// Internal: the process-wide AGG FreeType font engine and glyph cache (GUI thread only).

#include <agg_font_cache_manager.h>
#include <agg_font_freetype.h>

#include <map>
#include <string>
#include <vector>

namespace Mirda::detail {

class FontEngine {
public:
    using Engine = agg::font_engine_freetype_int32;
    using Cache = agg::font_cache_manager<Engine>;

    // The engine, or null when FreeType could not start.
    static FontEngine* get();

    // Selects the face for `style` at `pixelSize`; false when the font bytes are unavailable.
    bool select(int32_t style, double pixelSize);
    double stringWidth(const std::string& utf8);
    double ascender() { return m_engine.ascender(); }
    double descender() { return m_engine.descender(); }
    Cache& cache() { return m_cache; }

private:
    FontEngine();
    Engine m_engine;
    Cache m_cache;
    std::map<std::string, std::vector<uint8_t>> m_fontBytes;
};

} // namespace Mirda::detail
