// Text in the lab's SVG pictures: escaping, numbers, and lines that fit a width.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lab {

// The text with &, < and > escaped, safe inside an SVG element or attribute in quotes
// (double quotes are escaped too).
std::string svgEscaped(std::string_view text);

// Six significant digits at most, without trailing zeros: 0.03, 1e-05.
std::string svgNumber(double value);

// The width the text takes in a sans-serif font of `fontSize` pixels, never less than
// common renderers draw it (UTF-8 aware; a character it does not know counts as wide).
double textWidth(std::string_view text, double fontSize);

// The text broken at spaces into lines each at most `width` wide at `fontSize`; a single
// word wider than that is broken inside itself. No line is empty; none for empty text.
std::vector<std::string> wrapText(std::string_view text, double width, double fontSize);

}  // namespace lab
