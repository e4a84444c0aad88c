// Routing and wavelength assignment policies: what a policy sees when a call starts, what
// it may answer, and what a run does with the answer. This header and plugin.h are the
// whole of what a policy may rely on; they use the C++20 standard library alone.
//
// When a call starts, the run asks its path policy for one of the pair's candidate paths,
// then its wavelength policy for a wavelength on every hop of that path. Both decide on the
// pair's view of the links, which may be stale: the run refreshes a pair's view from the
// live network every `Settings::refreshInterval` ticks (at every tick with 0). The run
// checks every answer against that view before anything is reserved (see WavelengthPolicy),
// then reserves the hops on the live network, where a hop that the stale view showed free
// but the live network has no room for is refused (an update error).
//
// Lifetime: a run makes one object of each of its policies before its first call, through
// the factory that registered it, and destroys them after its last call. An object is only
// ever called from the thread of its run, one call at a time; the factories may be called
// from several threads at once (a sweep runs its runs in parallel), so they must not share
// unguarded state. Nothing a policy is given (views, spans, the generator) may be kept past
// the call that gave it.
//
// Building: compile against these headers with a C++20 compiler and the same C++ standard
// library as the program (a policy object crosses the boundary as a C++ object).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace wrnsim {

// The version of this interface; a plug-in built against another is refused.
inline constexpr int kPolicyInterfaceVersion = 1;

// A starting call.
struct Call {
  std::int32_t origin = 0;
  std::int32_t destination = 0;
  // Ticks since the run's start.
  std::int64_t tick = 0;
  // The call's source by its position among the run's sources (0 for the first), and the
  // call by its position among the calls that source has started (0 for the first).
  std::int64_t source = 0;
  std::int64_t number = 0;
};

// One directed link as the pair's view shows it: read-only, valid during the call alone.
class LinkView {
 public:
  LinkView(std::int32_t from, std::int32_t to, const std::int32_t* freeFibres,
           std::int32_t wavelengths, const std::int32_t* freeRegenerators)
      : from_(from),
        to_(to),
        freeFibres_(freeFibres),
        wavelengths_(wavelengths),
        freeRegenerators_(freeRegenerators) {}

  std::int32_t from() const { return from_; }
  std::int32_t to() const { return to_; }
  // Free fibres of wavelength w (0 <= w < Settings::wavelengths) as the view shows them.
  // Only a value above 0 is free: a stale view may show 0 or less.
  std::int32_t freeFibres(std::int32_t w) const { return freeFibres_[w]; }
  // All of them, entry w for wavelength w.
  std::span<const std::int32_t> freeFibres() const {
    return {freeFibres_, static_cast<std::size_t>(wavelengths_)};
  }
  // Regenerators of the link the view shows free (above 0: one may be taken).
  std::int32_t freeRegenerators() const { return *freeRegenerators_; }

 private:
  std::int32_t from_;
  std::int32_t to_;
  const std::int32_t* freeFibres_;
  std::int32_t wavelengths_;
  const std::int32_t* freeRegenerators_;
};

// The position, in PairView::links(), of a hop's link that the network does not hold; such
// a hop can carry nothing.
inline constexpr std::int32_t kNoLink = -1;

// One candidate path: its nodes from origin to destination, and for each hop k (from
// nodes[k] to nodes[k + 1]) the position of its link in PairView::links(), or kNoLink.
struct CandidatePath {
  std::span<const std::int32_t> nodes;
  std::span<const std::int32_t> links;
  std::size_t hopCount() const { return links.size(); }
};

// What the pair of a starting call knows: its candidate paths, in the order the routing
// gave them (first = preferred), and every link they use, as the pair's view shows them.
class PairView {
 public:
  PairView(std::span<const CandidatePath> paths, std::span<const LinkView> links, std::int64_t age)
      : paths_(paths), links_(links), age_(age) {}

  // Possibly none: the routing may find no path for the pair.
  std::span<const CandidatePath> paths() const { return paths_; }
  std::span<const LinkView> links() const { return links_; }
  // The link of hop k of candidate p; the hop's link must not be kNoLink.
  const LinkView& link(std::size_t p, std::size_t k) const {
    return links_[static_cast<std::size_t>(paths_[p].links[k])];
  }
  // Ticks since the view was last refreshed from the live network: 0 when it is current,
  // so that a policy may distrust an old view.
  std::int64_t age() const { return age_; }

 private:
  std::span<const CandidatePath> paths_;
  std::span<const LinkView> links_;
  std::int64_t age_;
};

// The run's settings, fixed for the run.
struct Settings {
  std::int32_t wavelengths = 0;
  std::int32_t fibres = 0;
  // Candidate paths asked of the routing per pair (a pair may have fewer).
  std::int32_t paths = 0;
  // Most links two candidate paths of a pair may share.
  std::int32_t maxSharedLinks = 0;
  std::int32_t refreshInterval = 0;
};

// The run's pseudo-random generator, shared by its policies (the built-in random path
// policy draws from it too). It starts from the same state in every run, so a run with
// the same settings and traffic draws the same numbers: a policy that takes its random
// choices from here is reproducible.
class Random {
 public:
  // A value from 0 to 32767.
  std::int32_t draw() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<std::int32_t>((state_ >> 16) & 0x7fffu);
  }

 private:
  std::uint32_t state_ = 1;
};

// What a path policy is asked.
struct PathRequest {
  const Call& call;
  const PairView& view;
  Random& random;
};

// The answer for no path: the call is blocked as "without path".
inline constexpr std::int32_t kNoPath = -1;

class PathPolicy {
 public:
  virtual ~PathPolicy() = default;
  // The position of the chosen path in request.view.paths(), or kNoPath. Any other value
  // blocks the call as a policy error.
  virtual std::int32_t choosePath(const PathRequest& request) = 0;
};

// One hop's wavelength; `regenerate` takes one of the hop's link's regenerators, which
// the hop needs when its wavelength differs from the previous hop's.
struct HopChoice {
  std::int32_t wavelength = 0;
  bool regenerate = false;
};

// Why a wavelength policy found no assignment, when it says so: the causes the run counts
// (the first four are the built-in rule's), each at a hop of the path.
enum class Blocking {
  kNoWavelength = 0,                 // no wavelength free on the hop
  kNoRegenerator = 1,                // a wavelength is free, but the link has no regenerator
  kNoWavelengthNoRegenerator = 2,    // neither
  kNoWavelengthWithRegenerator = 3,  // a regenerator, but no wavelength free
  kUnstated = 4,                     // counted as "no assignment"
};

// Where a wavelength policy writes its answer: room for at least one hop more than the
// path has, so that a wrong count is seen. Hops past the room are counted, not stored.
class HopAnswer {
 public:
  HopAnswer(HopChoice* room, std::size_t capacity) : room_(room), capacity_(capacity) {}

  // The next hop, in path order.
  void add(std::int32_t wavelength, bool regenerate = false) {
    if (count_ < capacity_) room_[count_] = HopChoice{wavelength, regenerate};
    ++count_;
  }
  // For a policy that answers no assignment: why, and at which hop of the path.
  void blockAt(std::size_t hop, Blocking why) {
    blockedHop_ = hop;
    blocking_ = why;
  }

  std::size_t size() const { return count_; }
  std::span<const HopChoice> hops() const {
    return {room_, count_ < capacity_ ? count_ : capacity_};
  }
  Blocking blocking() const { return blocking_; }
  std::size_t blockedHop() const { return blockedHop_; }

 private:
  HopChoice* room_;
  std::size_t capacity_;
  std::size_t count_ = 0;
  std::size_t blockedHop_ = 0;
  Blocking blocking_ = Blocking::kUnstated;
};

// What a wavelength policy is asked: an assignment for candidate `path` of the view.
struct WavelengthRequest {
  const Call& call;
  const PairView& view;
  std::size_t path;
  Random& random;
};

class WavelengthPolicy {
 public:
  virtual ~WavelengthPolicy() = default;
  // True with one HopChoice added per hop of the path, in order; false for no assignment
  // (then `answer.blockAt` may say why; without it the call counts as "no assignment").
  //
  // The run checks a true answer against the view the policy was given, and blocks the
  // call as a policy error, reserving nothing, when: the count of hops differs from the
  // path's; a wavelength is outside 0 to wavelengths - 1; the view shows the hop's
  // wavelength without a free fibre; a hop changes wavelength without `regenerate`; a hop
  // regenerates where the view shows no free regenerator; a hop's link is kNoLink. A
  // false answer whose stated hop is not a hop of the path is a policy error too.
  virtual bool assign(const WavelengthRequest& request, HopAnswer& answer) = 0;
};

}  // namespace wrnsim
