// The benchmark scenarios: NSFNET under heavy load, a large random network, a quick one.
#include "bench/workload.h"

#include <algorithm>
#include <deque>
#include <fstream>
#include <stdexcept>
#include <utility>

namespace bench {

namespace {

// The NSFNET rows, 14 nodes and 21 links both ways, without regenerators.
constexpr const char* kNsfnetRows[] = {
    "- 0 0 - - - - 0 - - - - - -", "0 - 0 0 - - - - - - - - - -", "0 0 - - - 0 - - - - - - - -",
    "- 0 - - 0 - - - - - 0 - - -", "- - - 0 - 0 0 - - - - - - -", "- - 0 - 0 - - - - 0 - - - 0",
    "- - - - 0 - - 0 - - - - - -", "0 - - - - - 0 - 0 - - - - -", "- - - - - - - 0 - 0 - 0 0 -",
    "- - - - - 0 - - 0 - - - - -", "- - - 0 - - - - - - - 0 0 -", "- - - - - - - - 0 - 0 - - 0",
    "- - - - - - - - 0 - 0 - - 0", "- - - - - 0 - - - - - 0 0 -",
};

constexpr std::int32_t kMaxGap = 40;
constexpr std::int32_t kMinDuration = 1;
constexpr std::int32_t kMaxDuration = 40;

std::string topologyText(const std::string& title, const std::vector<std::string>& rows) {
  std::string text = title + "\n*tabla: ;\n";
  for (const std::string& row : rows) text += "*" + row + ";\n";
  return text;
}

std::vector<CallLine> callLines(SeededDraw& draw, int count) {
  std::vector<CallLine> lines(static_cast<std::size_t>(count));
  for (CallLine& line : lines) {
    line.gap = draw.between(0, kMaxGap);
    line.duration = draw.between(kMinDuration, kMaxDuration);
  }
  return lines;
}

Source makeSource(SeededDraw& draw, std::int32_t origin, std::int32_t destination, int lines) {
  std::string fileName = "c";
  fileName.append(std::to_string(origin)).append("_").append(std::to_string(destination));
  fileName.append(".txt");
  return Source{origin, destination, std::move(fileName), callLines(draw, lines)};
}

// Every `step`-th ordered pair of distinct nodes, in row order, from the first.
std::vector<std::pair<std::int32_t, std::int32_t>> everyNthPair(std::int32_t nodes, int step) {
  std::vector<std::pair<std::int32_t, std::int32_t>> pairs;
  int index = 0;
  for (std::int32_t origin = 0; origin < nodes; ++origin) {
    for (std::int32_t destination = 0; destination < nodes; ++destination) {
      if (origin == destination) continue;
      if (index++ % step == 0) pairs.emplace_back(origin, destination);
    }
  }
  return pairs;
}

Workload nsfnet(std::uint32_t seed, int pairStep, int lines) {
  Workload workload;
  workload.topologyName = "NSFNET";
  workload.topologyText =
      topologyText("NSFNET, 14 nodes and 21 links",
                   std::vector<std::string>(std::begin(kNsfnetRows), std::end(kNsfnetRows)));
  workload.nodeCount = 14;
  workload.lambdaCount = 16;
  workload.fiberCount = 1;
  workload.policies = {1, 2, 3, 4};
  workload.intervals = {0, 10};
  SeededDraw draw(seed);
  for (const auto& [origin, destination] : everyNthPair(workload.nodeCount, pairStep)) {
    workload.sources.push_back(makeSource(draw, origin, destination, lines));
  }
  return workload;
}

// A connected network: a random spanning tree, then random extra node pairs; every pair
// is linked both ways, and about one in twenty-five has a regenerator in each direction.
std::vector<std::string> randomRows(SeededDraw& draw, std::int32_t nodes, int pairs) {
  std::vector<std::string> cells(static_cast<std::size_t>(nodes * nodes), "-");
  auto cell = [&](std::int32_t from, std::int32_t to) -> std::string& {
    return cells[static_cast<std::size_t>(from * nodes + to)];
  };
  auto link = [&](std::int32_t a, std::int32_t b) {
    const std::string entry = draw.between(0, 24) == 0 ? "1" : "0";
    cell(a, b) = entry;
    cell(b, a) = entry;
  };
  std::vector<std::int32_t> order(static_cast<std::size_t>(nodes));
  for (std::int32_t i = 0; i < nodes; ++i) order[static_cast<std::size_t>(i)] = i;
  for (std::int32_t i = nodes - 1; i > 0; --i) {
    std::swap(order[static_cast<std::size_t>(i)],
              order[static_cast<std::size_t>(draw.between(0, i))]);
  }
  for (std::int32_t i = 1; i < nodes; ++i) {
    link(order[static_cast<std::size_t>(i)],
         order[static_cast<std::size_t>(draw.between(0, i - 1))]);
  }
  for (int made = nodes - 1; made < pairs;) {
    const std::int32_t a = draw.between(0, nodes - 1);
    const std::int32_t b = draw.between(0, nodes - 1);
    if (a == b || cell(a, b) != "-") continue;
    link(a, b);
    ++made;
  }
  std::vector<std::string> rows;
  for (std::int32_t from = 0; from < nodes; ++from) {
    std::string row;
    for (std::int32_t to = 0; to < nodes; ++to) row += (to == 0 ? "" : " ") + cell(from, to);
    rows.push_back(std::move(row));
  }
  return rows;
}

Workload large(std::uint32_t seed) {
  constexpr std::int32_t kNodes = 200;
  constexpr int kPairs = 800;
  Workload workload;
  SeededDraw draw(seed);
  workload.topologyName = "LARGE";
  workload.topologyText =
      topologyText("Random network, 200 nodes and 800 links", randomRows(draw, kNodes, kPairs));
  workload.nodeCount = kNodes;
  workload.policies = {2};
  workload.intervals = {0};
  for (const auto& [origin, destination] : everyNthPair(kNodes, 10)) {
    workload.sources.push_back(makeSource(draw, origin, destination, 500));
  }
  return workload;
}

void writeFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

std::int32_t SeededDraw::between(std::int32_t low, std::int32_t high) {
  const std::uint64_t span = static_cast<std::uint64_t>(high - low) + 1;
  // Draws in the last incomplete block of `span` values are thrown away, so every value
  // is equally likely.
  const std::uint64_t limit = (std::uint64_t{1} << 32) / span * span;
  std::uint64_t value = engine_();
  while (value >= limit) value = engine_();
  return low + static_cast<std::int32_t>(value % span);
}

std::optional<Workload> makeWorkload(const std::string& scenario, std::uint32_t seed) {
  if (scenario == "nsfnet") return nsfnet(seed, 1, 2000);
  if (scenario == "small") return nsfnet(seed, 18, 200);
  if (scenario == "large") return large(seed);
  return std::nullopt;
}

void writeWorkload(const Workload& workload, const std::filesystem::path& directory) {
  writeFile(directory / (workload.topologyName + ".con"), workload.topologyText);
  for (const Source& source : workload.sources) {
    std::string text;
    for (const CallLine& line : source.lines) {
      text += std::to_string(line.gap) + "\t" + std::to_string(line.duration) + "\n";
    }
    writeFile(directory / source.fileName, text);
  }
}

std::int64_t callLineCount(const Workload& workload) {
  std::int64_t count = 0;
  for (const Source& source : workload.sources) count += std::ssize(source.lines);
  return count;
}

namespace {

struct HeldCall {
  std::int32_t start;
  std::int32_t duration;
};

// The calls one source holds. Starts never decrease in reading order, so the waiting
// calls are all newer than the started ones.
struct HeldCalls {
  std::deque<HeldCall> waiting;
  std::vector<HeldCall> started;  // in reading order
  std::size_t nextLine = 0;

  bool empty() const { return waiting.empty() && started.empty(); }
  std::int32_t newestStart() const {
    return waiting.empty() ? started.back().start : waiting.back().start;
  }
};

}  // namespace

std::int64_t startedCallCount(const Workload& workload) {
  std::vector<HeldCalls> held(workload.sources.size());
  std::int32_t lastStart = 0;
  std::int64_t startedCount = 0;
  bool ended = false;
  for (std::int32_t tick = 0; !ended; ++tick) {
    for (std::size_t s = 0; s < held.size(); ++s) {
      HeldCalls& calls = held[s];
      const std::vector<CallLine>& lines = workload.sources[s].lines;
      if (calls.nextLine < lines.size()) {
        const CallLine& line = lines[calls.nextLine++];
        if (!calls.empty()) lastStart = calls.newestStart();
        calls.waiting.push_back({lastStart + line.gap, line.duration});
      }
      while (!calls.waiting.empty() && calls.waiting.front().start <= tick) {
        calls.started.push_back(calls.waiting.front());
        calls.waiting.pop_front();
        ++startedCount;
      }
      if (calls.empty()) {
        ended = true;
        continue;
      }
      std::erase_if(calls.started,
                    [tick](const HeldCall& call) { return call.start + call.duration <= tick; });
    }
  }
  return startedCount;
}

}  // namespace bench
