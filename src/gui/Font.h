#pragma once
// Font descriptions and the source of TrueType font bytes.

#include "gui/BaseObject.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Core {
class CResourceStore;
}

namespace Mirda {

enum FontStyle : int32_t {
    kNormalFace = 0,
    kBoldFace = 1,
    kItalicFace = 2,
};

class CFontDesc : public CBaseObject {
public:
    CFontDesc(const char* name = "Arial", double size = 12.0, int32_t style = kNormalFace)
        : m_name(name ? name : "Arial"), m_size(size), m_style(style) {}

    const std::string& getName() const { return m_name; }
    double getSize() const { return m_size; }
    void setSize(double size) { m_size = size; }
    int32_t getStyle() const { return m_style; }
    void setStyle(int32_t style) { m_style = style; }

    // The framework's default font, "Arial" at 12 pixels (shared; do not release).
    static CFontDesc* getDefaultFont();

protected:
    ~CFontDesc() override = default;

private:
    std::string m_name;
    double m_size;
    int32_t m_style;
};

// Returns the bytes of a font file by its name ("arial.ttf", "arialbd.ttf"), empty when unknown.
using FontProvider = std::function<std::vector<uint8_t>(const std::string& fileName)>;

// Replaces the font source. Install it before the first text is drawn: each face is loaded once and
// kept. A null provider means the default, which reads the fonts embedded in the library.
void setFontProvider(FontProvider provider);
// The framework's own store of embedded fonts ("arial.ttf", "arialbd.ttf"); GUI thread only.
Core::CResourceStore& embeddedFontStore();
// The file name under which the framework asks for a font of the given style.
const char* fontFileForStyle(int32_t style);

} // namespace Mirda
