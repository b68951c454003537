#include "gui/Font.h"

#include "gui/FontEngine.h"
#include "gui/Utf8.h"

#include "core/CResourceStore.h"
#include "mirda_fonts.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>

namespace Mirda {
namespace {

std::vector<uint8_t> readEmbeddedFont(const std::string& fileName) {
    Core::CResourceStore& store = embeddedFontStore();
    std::int32_t size = 0;
    std::uint8_t* bytes = store.read(fileName.c_str(), size);
    if (!bytes) return {};
    std::vector<uint8_t> copy(bytes, bytes + size);
    store.release(bytes);
    return copy;
}

FontProvider& providerSlot() {
    static FontProvider provider;
    return provider;
}

} // namespace

void setFontProvider(FontProvider provider) {
    providerSlot() = std::move(provider);
}

Core::CResourceStore& embeddedFontStore() {
    static Core::CResourceStore store;
    if (!store.isOpen()) store.open(mirda_fonts_block());
    return store;
}

const char* fontFileForStyle(int32_t style) {
    return (style & kBoldFace) ? "arialbd.ttf" : "arial.ttf";
}

// The shared objects below are freed when the library is unloaded: hosts load and unload a plug-in
// library many times in one process.
CFontDesc* CFontDesc::getDefaultFont() {
    static const struct Holder {
        CFontDesc* font = new CFontDesc("Arial", 12.0, kNormalFace);
        ~Holder() { font->release(); }
    } holder;
    return holder.font;
}

namespace detail {

struct FontEngine::Face {
    std::vector<uint8_t> bytes; // FreeType reads the face from here for as long as it lives
    FT_Face face = nullptr;
    FT_UInt pixels = 0; // the size last set on `face`, which FreeType takes some work to change
    ~Face() {
        if (face) FT_Done_Face(face);
    }
};

FontEngine* FontEngine::get() {
    static FontEngine engine;
    if (!engine.m_library && FT_Init_FreeType(&engine.m_library) != 0) {
        engine.m_library = nullptr;
        return nullptr;
    }
    return &engine;
}

FontEngine::~FontEngine() {
    m_glyphs.clear();
    m_faces.clear();
    if (m_library) FT_Done_FreeType(m_library);
}

bool FontEngine::select(int32_t style, double pixelSize) {
    const std::string name = fontFileForStyle(style);
    auto it = m_faces.find(name);
    if (it == m_faces.end()) {
        auto face = std::make_unique<Face>();
        face->bytes = providerSlot() ? providerSlot()(name) : readEmbeddedFont(name);
        if (face->bytes.empty() ||
            FT_New_Memory_Face(m_library, face->bytes.data(), static_cast<FT_Long>(face->bytes.size()), 0,
                               &face->face) != 0) {
            face->face = nullptr;
            return false;
        }
        it = m_faces.emplace(name, std::move(face)).first;
    }
    // Glyphs come in whole pixel sizes (8.5 draws at 8): the layout and the letter-spaced artwork labels
    // are fitted to the widths of those.
    const double size = std::clamp(std::isnan(pixelSize) ? 1.0 : pixelSize, 1.0, 1000.0);
    const auto pixels = static_cast<FT_UInt>(size);
    FT_Face face = it->second->face;
    if (it->second->pixels != pixels) {
        if (FT_Set_Pixel_Sizes(face, 0, pixels) != 0) return false;
        it->second->pixels = pixels;
    }
    m_face = it->second.get();
    m_pixels = pixels;
    const double scale = size / std::max<double>(face->height, 1);
    m_ascender = face->ascender * scale;
    m_descender = face->descender * scale;
    return true;
}

const GlyphImage* FontEngine::glyph(uint32_t glyphIndex) {
    const auto key = std::make_tuple(static_cast<const Face*>(m_face), m_pixels, glyphIndex);
    if (auto it = m_glyphs.find(key); it != m_glyphs.end()) return &it->second;
    FT_Face face = m_face->face;
    // Hinted outlines, as TrueType hinting fits stems and heights to the pixel grid at small sizes.
    if (FT_Load_Glyph(face, glyphIndex, FT_LOAD_DEFAULT) != 0 ||
        FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0)
        return nullptr;
    const FT_GlyphSlot slot = face->glyph;
    GlyphImage image;
    image.advance = slot->advance.x / 64.0;
    image.left = slot->bitmap_left;
    image.top = -slot->bitmap_top;
    if (slot->bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
        image.width = static_cast<int32_t>(slot->bitmap.width);
        image.height = static_cast<int32_t>(slot->bitmap.rows);
        image.coverage.resize(static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
        for (int32_t y = 0; y < image.height; ++y) {
            const uint8_t* row = slot->bitmap.buffer + static_cast<std::ptrdiff_t>(y) * slot->bitmap.pitch;
            std::copy(row, row + image.width,
                      image.coverage.begin() + static_cast<std::ptrdiff_t>(y) * image.width);
        }
    }
    return &m_glyphs.emplace(key, std::move(image)).first->second;
}

double FontEngine::layout(const std::string& utf8, std::vector<PlacedGlyph>& glyphs) {
    glyphs.clear();
    if (!m_face) return 0;
    // Glyphs of every size ever asked for pile up otherwise; clearing here leaves no placed glyph dangling.
    if (m_glyphs.size() > 4096) m_glyphs.clear();
    FT_Face face = m_face->face;
    const bool kerning = FT_HAS_KERNING(face);
    double x = 0;
    FT_UInt previous = 0;
    for (size_t pos = 0; pos < utf8.size();) {
        const FT_UInt index = FT_Get_Char_Index(face, decodeUtf8(utf8, pos));
        const GlyphImage* image = glyph(index);
        if (!image) continue;
        FT_Vector delta{};
        if (kerning && previous && index &&
            FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &delta) == 0)
            x += delta.x / 64.0;
        glyphs.push_back({image, x});
        x += image->advance;
        previous = index;
    }
    return x;
}

double FontEngine::stringWidth(const std::string& utf8) {
    return layout(utf8, m_measured);
}

} // namespace detail
} // namespace Mirda
