#include "lab/svg_text.h"

#include <algorithm>
#include <array>
#include <sstream>

namespace lab {

namespace {

// Advance widths of DejaVu Sans, per mille of the font size, for ' ' to '~': the widest of
// the usual sans-serif fonts, so that a line measured here is never too long elsewhere.
constexpr std::array<int, 95> kAsciiWidths = {
    318, 401, 460, 838, 636, 950, 780, 275, 390, 390, 500, 838, 318, 361,  318, 337, 636, 636, 636,
    636, 636, 636, 636, 636, 636, 636, 337, 337, 838, 838, 838, 531, 1000, 684, 686, 698, 770, 632,
    575, 775, 752, 295, 295, 656, 557, 863, 748, 787, 603, 787, 695, 635,  611, 732, 684, 989, 685,
    611, 685, 390, 337, 390, 838, 500, 500, 613, 635, 550, 635, 615, 352,  635, 634, 278, 278, 579,
    278, 974, 634, 612, 635, 635, 411, 521, 392, 634, 592, 818, 592, 592,  525, 636, 337, 636, 838};
constexpr int kOtherWidth = 1000;

bool continuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The first `count` bytes of the word that fit `width`, ending on a whole character; at least
// one character.
std::size_t fittingPrefix(std::string_view word, double width, double fontSize) {
  std::size_t end = 0;
  while (end < word.size()) {
    std::size_t next = end + 1;
    while (next < word.size() && continuation(word[next])) ++next;
    if (end > 0 && textWidth(word.substr(0, next), fontSize) > width) break;
    end = next;
  }
  return end;
}

}  // namespace

std::string svgEscaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string svgNumber(double value) {
  std::ostringstream text;
  text.precision(6);
  text << value;
  return text.str();
}

double textWidth(std::string_view text, double fontSize) {
  double perMille = 0;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 32 && byte < 127) {
      perMille += kAsciiWidths[byte - 32];
    } else if (!continuation(c)) {
      perMille += kOtherWidth;
    }
  }
  return perMille * fontSize / 1000.0;
}

std::vector<std::string> wrapText(std::string_view text, double width, double fontSize) {
  std::vector<std::string> lines;
  std::string line;
  std::size_t at = 0;
  while (at < text.size()) {
    if (text[at] == ' ') {
      ++at;
      continue;
    }
    const std::size_t end = std::min(text.find(' ', at), text.size());
    std::string_view word = text.substr(at, end - at);
    at = end;
    if (!line.empty() && textWidth(line + ' ' + std::string(word), fontSize) <= width) {
      line += ' ';
      line += word;
      continue;
    }
    if (!line.empty()) lines.push_back(std::move(line));
    line.clear();
    while (textWidth(word, fontSize) > width) {
      const std::size_t cut = fittingPrefix(word, width, fontSize);
      lines.emplace_back(word.substr(0, cut));
      word.remove_prefix(cut);
    }
    line = word;
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

}  // namespace lab
