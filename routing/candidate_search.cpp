#include "routing/candidate_search.h"

#include <algorithm>
#include <deque>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "routing/neighbour_index.h"

namespace routing {

namespace {

// Error codes of the records a search allocates (the neighbour index stands in for the
// neighbour scan; a walk is an item of the working list, its nodes those of a path).
constexpr int kNeighbourScanError = 150;
constexpr int kWorkingItemError = 70;
constexpr int kPathNodeError = 110;

// Keeps walk indexes within 32 bits whatever limits the caller gives: the stored walks are
// the working list plus one walk per pass.
constexpr std::int64_t kMaxStoredWalks = std::int64_t{1} << 29;

// A path's directed links with how often each occurs, sorted by link. The links two paths
// share is the sum, over the links they have in common, of the product of the two counts.
using LinkCounts = std::vector<std::pair<std::uint64_t, std::int64_t>>;

std::uint64_t linkKey(NodeId from, NodeId to) {
  return (std::uint64_t{static_cast<std::uint32_t>(from)} << 32) | static_cast<std::uint32_t>(to);
}

LinkCounts linkCountsOf(const Path& path) {
  std::vector<std::uint64_t> keys;
  keys.reserve(path.size());
  for (std::size_t i = 1; i < path.size(); ++i) keys.push_back(linkKey(path[i - 1], path[i]));
  std::sort(keys.begin(), keys.end());
  LinkCounts counts;
  for (std::uint64_t key : keys) {
    if (counts.empty() || counts.back().first != key) {
      counts.emplace_back(key, 1);
    } else {
      ++counts.back().second;
    }
  }
  return counts;
}

std::int64_t sharedLinks(const LinkCounts& a, const LinkCounts& b) {
  std::int64_t shared = 0;
  auto i = a.begin();
  auto j = b.begin();
  while (i != a.end() && j != b.end()) {
    if (i->first < j->first) {
      ++i;
    } else if (j->first < i->first) {
      ++j;
    } else {
      shared += (i++)->second * (j++)->second;
    }
  }
  return shared;
}

template <typename Body>
bool guarded(base::ErrorReporter& reporter, int code, Body&& body) {
  try {
    body();
    return true;
  } catch (const std::bad_alloc&) {
    reporter.reportError(code);
    return false;
  }
}

// One walk of the working list: its last node and the walk it extends, so that walks
// share their prefixes. Walks are stored in the order they were appended, which is the
// working list's order; the list itself is the stored walks from `head_` on.
struct Walk {
  NodeId node;
  std::int32_t parent;
};

// A walk that passed the overlap test and shares at most maxCoincidences links with
// itself: every later examination accepts it again, until it leaves the working list.
struct RepeatedWalk {
  std::int64_t index;
  Path path;
};

class Search {
 public:
  Search(PathSet& result, const network::LinkTable& linkTable, const network::NodeList& nodeList,
         NodeId origin, NodeId destination, std::int32_t maxCoincidences, std::int32_t pathCount,
         base::KeySource* keys, base::ErrorReporter& reporter, const SearchLimits& limits)
      : result_(result),
        linkTable_(linkTable),
        nodeList_(nodeList),
        origin_(origin),
        destination_(destination),
        maxCoincidences_(maxCoincidences),
        pathCount_(pathCount),
        keys_(keys),
        reporter_(reporter),
        limits_(limits) {}

  SearchOutcome run();

 private:
  bool start();
  bool expand();
  bool examine();
  bool examineNewWalk(std::int64_t index);
  bool accept(const Path& path);
  bool overlapsResult(const LinkCounts& counts);
  Path materialise(std::int64_t index);
  bool endOfPass(SearchEnd& end);
  bool limitReached() const;
  std::int64_t workingListSize() const { return static_cast<std::int64_t>(walks_.size()) - head_; }

  PathSet& result_;
  const network::LinkTable& linkTable_;
  const network::NodeList& nodeList_;
  NodeId origin_;
  NodeId destination_;
  std::int64_t maxCoincidences_;
  std::int32_t pathCount_;
  base::KeySource* keys_;
  base::ErrorReporter& reporter_;
  const SearchLimits& limits_;

  std::optional<NeighbourIndex> neighbours_;
  std::vector<Walk> walks_;
  std::int64_t current_ = 0;
  std::int64_t head_ = 0;
  // Walks before this index have been examined at least once.
  std::int64_t examinedUpTo_ = 0;
  // The distinct paths of the result, which decide every overlap test.
  std::vector<LinkCounts> resultLinks_;
  std::deque<RepeatedWalk> repeated_;
  SearchOutcome outcome_;
  std::int64_t steps_ = 0;
};

bool Search::start() {
  if (!guarded(reporter_, kNeighbourScanError,
               [&] { neighbours_.emplace(linkTable_, nodeList_); })) {
    return false;
  }
  if (!guarded(reporter_, kPathNodeError, [&] {
        resultLinks_.reserve(result_.size());
        for (const PathSetItem& item : result_) resultLinks_.push_back(linkCountsOf(item.path));
      })) {
    return false;
  }
  return guarded(reporter_, kWorkingItemError, [&] { walks_.push_back(Walk{origin_, -1}); });
}

// The current walk's children, in NodeList order, never turning straight back.
bool Search::expand() {
  const Walk walk = walks_[static_cast<std::size_t>(current_)];
  const NodeId previous =
      walk.parent < 0 ? network::kNoNode : walks_[static_cast<std::size_t>(walk.parent)].node;
  const auto parent = static_cast<std::int32_t>(current_);
  return guarded(reporter_, kWorkingItemError, [&] {
    for (NodeId next : neighbours_->of(walk.node)) {
      if (next == previous) continue;
      walks_.push_back(Walk{next, parent});
      ++steps_;
    }
  });
}

// Goes over the working list from its head in order. Only a walk's first examination
// needs an overlap test: a rejected walk stays rejected (the result only grows), and an
// accepted one is rejected from then on by its own copy, unless it shares at most
// maxCoincidences links with itself, when every later path was checked against it and
// it is accepted again. So only the repeated walks and the walks appended since the last
// pass that end at the destination need any work.
bool Search::examine() {
  while (!repeated_.empty() && repeated_.front().index < head_) repeated_.pop_front();
  for (const RepeatedWalk& walk : repeated_) {
    if (!accept(walk.path)) return false;
  }
  const auto size = static_cast<std::int64_t>(walks_.size());
  for (std::int64_t i = examinedUpTo_; i < size; ++i) {
    if (walks_[static_cast<std::size_t>(i)].node != destination_) continue;
    if (!examineNewWalk(i)) return false;
  }
  examinedUpTo_ = size;
  return true;
}

bool Search::examineNewWalk(std::int64_t index) {
  Path path;
  LinkCounts counts;
  if (!guarded(reporter_, kPathNodeError, [&] {
        path = materialise(index);
        counts = linkCountsOf(path);
      })) {
    return false;
  }
  steps_ += static_cast<std::int64_t>(path.size());
  if (overlapsResult(counts)) return true;
  if (!accept(path)) return false;
  const bool repeats = sharedLinks(counts, counts) <= maxCoincidences_;
  return guarded(reporter_, kPathNodeError, [&] {
    resultLinks_.push_back(std::move(counts));
    if (repeats) repeated_.push_back(RepeatedWalk{index, std::move(path)});
  });
}

bool Search::overlapsResult(const LinkCounts& counts) {
  for (const LinkCounts& accepted : resultLinks_) {
    steps_ += static_cast<std::int64_t>(counts.size() + accepted.size()) + 1;
    if (sharedLinks(counts, accepted) > maxCoincidences_) return true;
  }
  return false;
}

// A copy at the tail of the result; a copy that could not be made whole is removed.
bool Search::accept(const Path& path) {
  const std::size_t before = result_.size();
  PathSetItem* item = copyPath(result_, path, reporter_);
  if (item == nullptr || item->path.size() != path.size()) {
    if (result_.size() > before) result_.pop_back();
    return false;
  }
  ++outcome_.accepted;
  steps_ += static_cast<std::int64_t>(path.size());
  return true;
}

Path Search::materialise(std::int64_t index) {
  Path path;
  for (auto i = static_cast<std::int32_t>(index); i >= 0;
       i = walks_[static_cast<std::size_t>(i)].parent) {
    path.push_back(walks_[static_cast<std::size_t>(i)].node);
  }
  std::reverse(path.begin(), path.end());
  steps_ += 2 * static_cast<std::int64_t>(path.size());
  return path;
}

// Advance, the count, the abort key and the limits, in that order; true when the search
// ends, with the reason in `end`.
bool Search::endOfPass(SearchEnd& end) {
  bool ended = false;
  if (current_ + 1 >= static_cast<std::int64_t>(walks_.size())) {
    ended = true;
    end = SearchEnd::kExhausted;
  } else {
    // The walk just extended becomes the head; the ones before it are done with.
    head_ = current_++;
  }
  if (!ended && outcome_.accepted >= pathCount_) {
    ended = true;
    end = SearchEnd::kPathCount;
  }
  if (keys_ != nullptr && keys_->keyWaiting() && keys_->readKey() == 's' && !ended) {
    ended = true;
    end = SearchEnd::kAbortKey;
  }
  if (!ended && limitReached()) {
    ended = true;
    end = SearchEnd::kLimit;
  }
  return ended;
}

bool Search::limitReached() const {
  return outcome_.passes >= std::min(limits_.maxPasses, kMaxStoredWalks) ||
         workingListSize() >= std::min(limits_.maxWorkingList, kMaxStoredWalks) ||
         outcome_.accepted >= limits_.maxAccepted || steps_ >= limits_.maxSteps;
}

SearchOutcome Search::run() {
  if (!start()) {
    outcome_.end = SearchEnd::kAllocationFailure;
    return outcome_;
  }
  for (;;) {
    ++outcome_.passes;
    ++steps_;
    if (!expand() || !examine()) {
      outcome_.end = SearchEnd::kAllocationFailure;
      break;
    }
    outcome_.peakWorkingList = std::max(outcome_.peakWorkingList, workingListSize());
    if (endOfPass(outcome_.end)) break;
  }
  return outcome_;
}

}  // namespace

SearchOutcome searchCandidatePaths(PathSet& result, const network::LinkTable& linkTable,
                                   const network::NodeList& nodeList, NodeId origin,
                                   NodeId destination, std::int32_t maxCoincidences,
                                   std::int32_t pathCount, base::KeySource* keys,
                                   base::ErrorReporter& reporter, const SearchLimits& limits) {
  std::optional<Search> search;
  try {
    search.emplace(result, linkTable, nodeList, origin, destination, maxCoincidences, pathCount,
                   keys, reporter, limits);
  } catch (const std::bad_alloc&) {
    // The search's own records, which its scan record stands for.
    reporter.reportError(140);
    return SearchOutcome{SearchEnd::kAllocationFailure};
  }
  return search->run();
}

void printSearchLimitNotice(const SearchOutcome& outcome, base::Output& output) {
  if (outcome.stoppedAtLimit()) output.write("\nBusqueda detenida en su limite...");
}

}  // namespace routing
