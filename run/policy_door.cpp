#include "run/policy_door.h"

#include <algorithm>
#include <exception>
#include <unordered_map>

#include "run/run_setup.h"

namespace run {

void PolicyDoor::prepare(const PolicyMakers& makers, const wrnsim::Settings& settings,
                         wrnsim::Random& random, const calls::CallSources& sources,
                         PairViews& views) {
  settings_ = settings;
  random_ = &random;
  pathName_ = makers.pathName;
  wavelengthName_ = makers.wavelengthName;
  const auto make = [&settings](const auto& maker, auto& object, const std::string& kind) {
    if (!maker) return;
    try {
      object = maker(settings);
    } catch (const std::exception& error) {
      throw PolicyFailure(kind + " could not be made for the run's settings: " + error.what());
    }
  };
  make(makers.path, path_, "path policy " + pathName_);
  make(makers.wavelength, wavelength_, "wavelength policy " + wavelengthName_);
  if (!path_ && !wavelength_) return;

  // Each pair's links once, in the order its view lists them; sources of a pair share them.
  std::unordered_map<const ViewSync*, std::size_t> firstLinkOf;
  std::vector<std::ptrdiff_t> localOf;
  std::vector<std::size_t> pathStarts;
  sources_.reserve(sources.size());
  for (std::size_t i = 0; i < sources.size(); ++i) {
    const ViewSync& sync = views.syncOf(i);
    const network::LinkTable& table = *sync.table;
    SourceView entry;
    auto [found, added] = firstLinkOf.try_emplace(&sync, links_.size());
    entry.firstLink = found->second;
    entry.linkCount = sync.positions.size();
    if (added) {
      for (const ViewSync::LinkPositions& at : sync.positions) {
        const network::Link& link = table[at.view];
        links_.emplace_back(link.from, link.to, table.freeFibers(link), table.lambdaCount(),
                            &link.regenerators);
      }
    }
    // Where views follow the live network the table is the whole network: clearing it for
    // every source would cost sources x links, so only the entries set are cleared after.
    if (localOf.size() < table.size()) localOf.resize(table.size(), wrnsim::kNoLink);
    for (std::size_t k = 0; k < sync.positions.size(); ++k)
      localOf[sync.positions[k].view] = static_cast<std::ptrdiff_t>(k);
    entry.firstCandidate = pathStarts.size();
    entry.candidateCount = sources[i].paths.size();
    for (const routing::PathSetItem& item : sources[i].paths) {
      pathStarts.push_back(hopLinks_.size());
      for (std::ptrdiff_t inView : views.hopsOf(item.path).inView) {
        hopLinks_.push_back(
            inView < 0 ? wrnsim::kNoLink
                       : static_cast<std::int32_t>(localOf[static_cast<std::size_t>(inView)]));
      }
    }
    for (const ViewSync::LinkPositions& at : sync.positions) localOf[at.view] = wrnsim::kNoLink;
    sources_.push_back(entry);
  }
  // Spans only once the hop lists no longer move.
  candidates_.reserve(pathStarts.size());
  std::size_t next = 0;
  for (const calls::CallSource& source : sources) {
    for (const routing::PathSetItem& item : source.paths) {
      const std::size_t hops = item.path.empty() ? 0 : item.path.size() - 1;
      candidates_.push_back(
          {std::span(item.path), std::span(hopLinks_).subspan(pathStarts[next], hops)});
      ++next;
    }
  }
  room_.resize(views.longestPath() + 1);
  tellReaders(makers, sources.size(), views);
}

void PolicyDoor::tellReaders(const PolicyMakers& makers, std::size_t sourceCount,
                             PairViews& views) {
  auto* pathReader = makers.pathReadsTables ? dynamic_cast<TableReader*>(path_.get()) : nullptr;
  auto* wavelengthReader =
      makers.wavelengthReadsTables ? dynamic_cast<TableReader*>(wavelength_.get()) : nullptr;
  if (pathReader == nullptr && wavelengthReader == nullptr) return;
  std::vector<SourceTable> tables(sourceCount);
  for (std::size_t i = 0; i < sourceCount; ++i) {
    const ViewSync& sync = views.syncOf(i);
    tables[i].table = sync.table;
    tables[i].linkPositions.reserve(sync.positions.size());
    for (const ViewSync::LinkPositions& at : sync.positions)
      tables[i].linkPositions.push_back(static_cast<std::int32_t>(at.view));
  }
  if (pathReader != nullptr) pathReader->tablesReady(tables);
  if (wavelengthReader != nullptr && wavelengthReader != pathReader)
    wavelengthReader->tablesReady(tables);
}

void PolicyDoor::release() {
  path_.reset();
  wavelength_.reset();
}

void PolicyDoor::begin(std::size_t source, const calls::CallSource& from, std::int64_t tick) {
  source_ = source;
  SourceView& entry = sources_[source];
  call_ = wrnsim::Call{from.origin, from.destination, tick, static_cast<std::int64_t>(source),
                       entry.started++};
}

wrnsim::PairView PolicyDoor::viewOf(const ViewSync& sync) const {
  const SourceView& entry = sources_[source_];
  const auto age = static_cast<std::uint32_t>(clockOf(call_.tick)) -
                   static_cast<std::uint32_t>(sync.view->lastRefresh);
  return wrnsim::PairView(
      std::span(candidates_).subspan(entry.firstCandidate, entry.candidateCount),
      std::span(links_).subspan(entry.firstLink, entry.linkCount), age);
}

std::string PolicyDoor::callText() const {
  return "call " + std::to_string(call_.number) + " of source " + std::to_string(call_.source) +
         " (pair " + std::to_string(call_.origin) + "-" + std::to_string(call_.destination) +
         ", tick " + std::to_string(call_.tick) + ")";
}

PolicyDoor::Answer PolicyDoor::fault(const std::string& kind, const std::string& name,
                                     const std::string& what) {
  if (policyErrors_++ == 0) firstPolicyError_ = kind + " " + name + ", " + callText() + ": " + what;
  return Answer::kPolicyError;
}

void PolicyDoor::threw(const std::string& kind, const std::string& name) const {
  std::string what = "an exception that is not a std::exception";
  try {
    throw;
  } catch (const std::exception& error) {
    what = error.what();
  } catch (...) {
  }
  throw PolicyFailure(kind + " " + name + " threw at " + callText() + ": " + what);
}

PolicyDoor::Answer PolicyDoor::choosePath(const ViewSync& sync, const calls::CallSource& source,
                                          const routing::Path*& path) {
  path = nullptr;
  const wrnsim::PairView view = viewOf(sync);
  std::int32_t chosen = wrnsim::kNoPath;
  try {
    chosen = path_->choosePath(wrnsim::PathRequest{call_, view, *random_});
  } catch (...) {
    threw("path policy", pathName_);
  }
  if (chosen == wrnsim::kNoPath) return Answer::kNone;
  const std::size_t count = view.paths().size();
  if (chosen < 0 || static_cast<std::size_t>(chosen) >= count) {
    const std::string allowed =
        count == 0 ? "the pair has no candidate (-1 for none)"
                   : "the candidates are 0 to " + std::to_string(count - 1) + " (-1 for none)";
    return fault("path policy", pathName_,
                 "answered path " + std::to_string(chosen) + ", but " + allowed);
  }
  path = &source.paths[static_cast<std::size_t>(chosen)].path;
  return Answer::kGiven;
}

// A built-in path policy may give a path of another source of the pair, which has the
// same nodes as one of this source's when both were searched alike.
std::ptrdiff_t PolicyDoor::positionOf(const calls::CallSource& source,
                                      const routing::Path& path) const {
  for (std::size_t p = 0; p < source.paths.size(); ++p) {
    if (&source.paths[p].path == &path) return static_cast<std::ptrdiff_t>(p);
  }
  for (std::size_t p = 0; p < source.paths.size(); ++p) {
    if (source.paths[p].path == path) return static_cast<std::ptrdiff_t>(p);
  }
  return -1;
}

namespace {

std::string hopText(std::size_t k, const wrnsim::CandidatePath& path) {
  return "hop " + std::to_string(k) + " (" + std::to_string(path.nodes[k]) + "-" +
         std::to_string(path.nodes[k + 1]) + ")";
}

}  // namespace

PolicyDoor::Answer PolicyDoor::assign(const ViewSync& sync, const calls::CallSource& source,
                                      const routing::Path& path, calls::HopList& hops,
                                      calls::BlockedAt& blocked) {
  hops.clear();
  blocked = calls::BlockedAt{};
  const std::ptrdiff_t position = positionOf(source, path);
  if (position < 0) {
    blocked.cause = kNoAssignment;
    return Answer::kNone;
  }
  const wrnsim::PairView view = viewOf(sync);
  const auto p = static_cast<std::size_t>(position);
  const wrnsim::CandidatePath& candidate = view.paths()[p];
  const std::size_t hopCount = candidate.hopCount();
  wrnsim::HopAnswer answer(room_.data(), room_.size());
  bool assigned = false;
  try {
    assigned = wavelength_->assign(wrnsim::WavelengthRequest{call_, view, p, *random_}, answer);
  } catch (...) {
    threw("wavelength policy", wavelengthName_);
  }
  const auto at = [&](std::size_t k) {
    blocked.from = candidate.nodes[k];
    blocked.to = candidate.nodes[k + 1];
  };
  const auto wrong = [&](const std::string& what) {
    return fault("wavelength policy", wavelengthName_, what);
  };
  if (!assigned) {
    if (answer.blocking() == wrnsim::Blocking::kUnstated) {
      blocked.cause = kNoAssignment;
      return Answer::kNone;
    }
    if (answer.blockedHop() >= hopCount || static_cast<int>(answer.blocking()) < 0 ||
        static_cast<int>(answer.blocking()) > 3) {
      return wrong("blocked at hop " + std::to_string(answer.blockedHop()) + " of a path of " +
                   std::to_string(hopCount) + " hops");
    }
    at(answer.blockedHop());
    blocked.cause = static_cast<int>(answer.blocking());
    return Answer::kNone;
  }
  if (answer.size() != hopCount) {
    return wrong("answered " + std::to_string(answer.size()) + " hops for a path of " +
                 std::to_string(hopCount));
  }
  const std::span<const wrnsim::HopChoice> chosen = answer.hops();
  for (std::size_t k = 0; k < hopCount; ++k) {
    const wrnsim::HopChoice hop = chosen[k];
    at(k);
    if (candidate.links[k] == wrnsim::kNoLink) {
      return wrong(hopText(k, candidate) + " is not a link of the network");
    }
    const wrnsim::LinkView& link = view.link(p, k);
    if (hop.wavelength < 0 || hop.wavelength >= settings_.wavelengths) {
      return wrong("gave " + hopText(k, candidate) + " wavelength " +
                   std::to_string(hop.wavelength) + ", outside 0 to " +
                   std::to_string(settings_.wavelengths - 1));
    }
    if (link.freeFibres(hop.wavelength) <= 0) {
      return wrong("gave " + hopText(k, candidate) + " wavelength " +
                   std::to_string(hop.wavelength) + ", which the view shows without a free fibre");
    }
    if (k > 0 && hop.wavelength != chosen[k - 1].wavelength && !hop.regenerate) {
      return wrong("changed to wavelength " + std::to_string(hop.wavelength) + " at " +
                   hopText(k, candidate) + " without a regenerator");
    }
    if (hop.regenerate && link.freeRegenerators() <= 0) {
      return wrong("regenerates at " + hopText(k, candidate) +
                   ", where the view shows no free regenerator");
    }
  }
  blocked = calls::BlockedAt{};
  for (const wrnsim::HopChoice& hop : chosen)
    hops.push_back(calls::HopAssignment{hop.wavelength, hop.regenerate});
  return Answer::kGiven;
}

}  // namespace run
