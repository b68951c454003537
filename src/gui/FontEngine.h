#pragma once
// Internal: the process-wide FreeType font engine and its cache of rendered glyphs (GUI thread only).

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

struct FT_LibraryRec_;
struct FT_FaceRec_;

namespace Mirda::detail {

// A glyph's coverage (one byte per pixel, rows `width` apart) and where it sits: `left` and `top` from
// the pen position on the baseline, y growing downwards.
struct GlyphImage {
    int32_t left = 0, top = 0, width = 0, height = 0;
    double advance = 0;
    std::vector<uint8_t> coverage;
};

// A glyph of a laid-out string; `x` is its pen position from the string's start.
struct PlacedGlyph {
    const GlyphImage* image;
    double x;
};

class FontEngine {
public:
    // The engine, or null when FreeType could not start.
    static FontEngine* get();
    ~FontEngine();
    FontEngine(const FontEngine&) = delete;
    FontEngine& operator=(const FontEngine&) = delete;

    // Selects the face for `style` at `pixelSize`; false when the font bytes are unavailable.
    bool select(int32_t style, double pixelSize);
    double stringWidth(const std::string& utf8);
    // Placed glyphs of `utf8` in the selected face and their total advance. The images stay valid until
    // the next call to layout() or stringWidth().
    double layout(const std::string& utf8, std::vector<PlacedGlyph>& glyphs);
    // Ascender and (negative) descender of the selected face, shares of the selected size in proportion
    // to the face's line height (line gap included).
    double ascender() const { return m_ascender; }
    double descender() const { return m_descender; }

private:
    FontEngine() = default;
    const GlyphImage* glyph(uint32_t glyphIndex);

    FT_LibraryRec_* m_library = nullptr;
    struct Face;
    std::map<std::string, std::unique_ptr<Face>> m_faces;
    Face* m_face = nullptr;
    uint32_t m_pixels = 0;
    double m_ascender = 0, m_descender = 0;
    // Keyed by face, pixel size and glyph index; emptied when it grows past a few thousand.
    std::map<std::tuple<const Face*, uint32_t, uint32_t>, GlyphImage> m_glyphs;
    std::vector<PlacedGlyph> m_measured;
};

} // namespace Mirda::detail
