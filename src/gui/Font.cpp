#include "gui/Font.h"

#include "gui/FontEngine.h"
#include "gui/Utf8.h"

#include "core/CResourceStore.h"
#include "mirda_fonts.h"

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

FontEngine::FontEngine() : m_engine(8), m_cache(m_engine) {
    m_engine.flip_y(true);
    m_engine.hinting(true);
}

FontEngine* FontEngine::get() {
    static FontEngine engine;
    return &engine;
}

bool FontEngine::select(int32_t style, double pixelSize) {
    const std::string name = fontFileForStyle(style);
    auto it = m_fontBytes.find(name);
    if (it == m_fontBytes.end()) {
        std::vector<uint8_t> bytes = providerSlot() ? providerSlot()(name) : readEmbeddedFont(name);
        if (bytes.empty()) return false;
        it = m_fontBytes.emplace(name, std::move(bytes)).first;
    }
    if (!m_engine.load_font(name.c_str(), 0, agg::glyph_ren_agg_gray8,
                            reinterpret_cast<const char*>(it->second.data()),
                            static_cast<long>(it->second.size())))
        return false;
    m_engine.height(pixelSize);
    m_engine.width(pixelSize);
    return true;
}

double FontEngine::stringWidth(const std::string& utf8) {
    double x = 0, y = 0;
    m_cache.reset_last_glyph();
    for (size_t pos = 0; pos < utf8.size();) {
        const char32_t cp = decodeUtf8(utf8, pos);
        const agg::glyph_cache* glyph = m_cache.glyph(cp);
        if (!glyph) continue;
        m_cache.add_kerning(&x, &y);
        x += glyph->advance_x;
    }
    return x;
}

} // namespace detail
} // namespace Mirda
