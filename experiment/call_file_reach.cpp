#include "experiment/call_file_reach.h"

#include <algorithm>
#include <string_view>

#include "base/decimal_number.h"

namespace experiment {

namespace {

// What one read of a run takes: up to a newline, or 99 characters.
constexpr std::size_t kReadLimit = 99;

}  // namespace

std::int64_t latestListedStart(const std::vector<SourcePlan>& sources) {
  std::int64_t lastRead = 0;
  std::int64_t gaps = 0;
  for (const SourcePlan& source : sources) {
    const std::string_view text = source.calls;
    std::int64_t reads = 0;
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t newline = text.find('\n', at);
      // A read that meets the end of the file ends the source without a call.
      if (newline == std::string_view::npos && text.size() - at < kReadLimit) break;
      const std::size_t end =
          std::min(newline == std::string_view::npos ? text.size() : newline + 1, at + kReadLimit);
      const std::string_view piece = text.substr(at, end - at);
      const std::int32_t gap = base::leadingDecimal(piece.substr(0, piece.find_first_of("\t\n")));
      gaps += std::max(gap, 0);
      ++reads;
      at = end;
    }
    lastRead = std::max(lastRead, reads - 1);
  }
  return lastRead + gaps;
}

}  // namespace experiment
