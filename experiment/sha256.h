// SHA-256 of a text, in lower-case hexadecimal: what names a file's exact content.
#pragma once

#include <string>
#include <string_view>

namespace experiment {

std::string sha256Hex(std::string_view bytes);

}  // namespace experiment
