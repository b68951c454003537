#pragma once
// Making a text fit the width it is given: a smaller type down to a floor, or an ellipsis at a character
// boundary, so that no text is ever cut through a glyph by its clip rect.

#include <functional>
#include <string>

namespace Mirda {

class CDrawContext;

// Measures a text's width in pixels.
using TextMeasure = std::function<double(const std::string&)>;

// The largest size from `size` down to `minimum` (in steps of a twentieth of `size`) at which `text`
// is at most `width` wide with the context's current font face; `minimum` when none is. Leaves that
// size selected in the context.
double fitFontSize(CDrawContext* context, const std::string& text, double width, double size, double minimum);

// `text` whole when it fits into `width`, else its longest start that fits with "…" appended (cut at
// a UTF-8 character boundary, trailing blanks dropped); "…" alone when nothing fits.
std::string ellipsized(const std::string& text, double width, const TextMeasure& measure);

} // namespace Mirda
