#include "gui/TextFit.h"

#include "gui/DrawContext.h"

#include <algorithm>

namespace Mirda {

double fitFontSize(CDrawContext* context, const std::string& text, double width, double size,
                   double minimum) {
    const double step = size / 20.0;
    double chosen = size;
    for (; chosen > minimum; chosen -= step) {
        context->setFont(context->getFont(), chosen);
        if (context->getStringWidth(text.c_str()) <= width) return chosen;
    }
    chosen = std::max(chosen, minimum);
    context->setFont(context->getFont(), chosen);
    return chosen;
}

std::string ellipsized(const std::string& text, double width, const TextMeasure& measure) {
    if (measure(text) <= width) return text;
    static const std::string kEllipsis = "\xE2\x80\xA6";
    for (size_t length = text.size(); length-- > 0;) {
        if ((static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) continue; // inside a character
        std::string cut = text.substr(0, length);
        while (!cut.empty() && cut.back() == ' ') cut.pop_back();
        cut += kEllipsis;
        if (measure(cut) <= width) return cut;
    }
    return kEllipsis;
}

} // namespace Mirda
