#include "experiment/paths_file.h"

#include <algorithm>
#include <charconv>
#include <set>
#include <utility>

namespace experiment {

namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";

std::vector<std::string_view> wordsOf(std::string_view line) {
  std::vector<std::string_view> words;
  for (std::size_t at = line.find_first_not_of(kBlanks); at != line.npos;
       at = line.find_first_not_of(kBlanks, at)) {
    const std::size_t end = std::min(line.find_first_of(kBlanks, at), line.size());
    words.push_back(line.substr(at, end - at));
    at = end;
  }
  return words;
}

// The word as a message may show it: short, and nothing a terminal would act on.
std::string clipped(std::string_view word) {
  constexpr std::size_t kLongest = 24;
  std::string text;
  for (char c : word.substr(0, kLongest)) text += c >= ' ' && c <= '~' ? c : '?';
  if (word.size() > kLongest) text += "...";
  return text;
}

using Links = std::set<std::pair<network::NodeId, network::NodeId>>;

struct PathLine {
  network::NodeId origin = 0;
  network::NodeId destination = 0;
  routing::Path path;
};

class LineReader {
 public:
  LineReader(const PlannedRoutes& network, std::size_t line) : network_(network), line_(line) {}

  PathLine read(const std::vector<std::string_view>& words, const Links& links) const {
    std::vector<network::NodeId> numbers;
    for (std::string_view word : words) numbers.push_back(node(word));
    if (numbers.size() < 4) {
      fail("a line is the origin, the destination and the path's nodes (at least 2), not " +
           std::to_string(numbers.size()) + (numbers.size() == 1 ? " number" : " numbers"));
    }
    PathLine line{numbers[0], numbers[1], {numbers.begin() + 2, numbers.end()}};
    if (line.origin == line.destination) {
      fail("the origin and the destination must be two different nodes, not " +
           std::to_string(line.origin) + " twice");
    }
    if (line.path.front() != line.origin) {
      fail("the path starts at " + std::to_string(line.path.front()) + ", not at its origin " +
           std::to_string(line.origin));
    }
    if (line.path.back() != line.destination) {
      fail("the path ends at " + std::to_string(line.path.back()) + ", not at its destination " +
           std::to_string(line.destination));
    }
    for (std::size_t k = 0; k + 1 < line.path.size(); ++k) {
      if (links.count({line.path[k], line.path[k + 1]}) == 0) {
        fail(std::to_string(line.path[k]) + "-" + std::to_string(line.path[k + 1]) +
             " is not a link of the network");
      }
    }
    return line;
  }

 private:
  network::NodeId node(std::string_view word) const {
    long long value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    const bool number = end == word.data() + word.size() &&
                        (error == std::errc() || error == std::errc::result_out_of_range);
    if (!number) fail("'" + clipped(word) + "' is not a node number");
    if (error != std::errc() || value < 0 || value >= network_.nodeCount) {
      fail("node " + clipped(word) + " is outside nodes 0 to " +
           std::to_string(network_.nodeCount - 1));
    }
    return static_cast<network::NodeId>(value);
  }

  [[noreturn]] void fail(const std::string& why) const { throw PathsFileError(line_, why); }

  const PlannedRoutes& network_;
  std::size_t line_;
};

}  // namespace

PathsFileError::PathsFileError(std::size_t line, const std::string& why)
    : std::runtime_error(line == 0 ? why : "line " + std::to_string(line) + ": " + why),
      line(line) {}

session::GivenPaths readPathsFile(std::string_view text, const PlannedRoutes& network) {
  Links links;
  for (const PlannedLink& link : network.links) links.emplace(link.from, link.to);
  session::GivenPaths paths;
  bool any = false;
  for (std::size_t number = 1; !text.empty(); ++number) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::vector<std::string_view> words = wordsOf(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    if (words.empty() || words.front().starts_with('#')) continue;
    PathLine line = LineReader(network, number).read(words, links);
    paths[{line.origin, line.destination}].push_back(std::move(line.path));
    any = true;
  }
  if (!any) {
    throw PathsFileError(0, "it holds no path (a line is ORIGIN DESTINATION NODE NODE ...)");
  }
  return paths;
}

std::string pathsFileText(const std::vector<std::string>& header,
                          const session::GivenPaths& paths) {
  std::string text;
  // A line break in a header line (a file name may hold one) must not end its comment.
  for (const std::string& line : header) {
    text += "# ";
    for (char c : line) text += c == '\n' || c == '\r' ? ' ' : c;
    text += "\n";
  }
  for (const auto& [pair, list] : paths) {
    std::string ends = std::to_string(pair.first);
    ends += ' ';
    ends += std::to_string(pair.second);
    if (list.empty()) {
      text += "# ";
      text += ends;
      text += ": no path\n";
    }
    for (const routing::Path& path : list) {
      text += ends;
      for (std::size_t k = 0; k < path.size(); ++k) {
        text += k == 0 ? '\t' : ' ';
        text += std::to_string(path[k]);
      }
      text += '\n';
    }
  }
  return text;
}

routing::PathCatalogue pathCatalogue(const session::GivenPaths& paths) {
  routing::PathCatalogue catalogue;
  for (const auto& [pair, list] : paths) catalogue.add(pair.first, pair.second, list, false);
  return catalogue;
}

}  // namespace experiment
