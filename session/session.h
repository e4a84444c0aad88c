// A simulation session: the networks, views, routes, call sources and blocking counts that
// the console and wrnsim-lab drive, with every check and limit the two share.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/config.h"
#include "base/error_reporter.h"
#include "base/input_file.h"
#include "base/key_source.h"
#include "base/output.h"
#include "calls/blocking_stats.h"
#include "calls/call_source.h"
#include "calls/random_generator.h"
#include "network/link_state_view.h"
#include "routing/candidate_search.h"
#include "routing/k_shortest_paths.h"
#include "routing/path_catalogue.h"
#include "routing/route_table.h"
#include "run/run_loop.h"
#include "session/limits.h"

namespace session {

// How a source's candidate paths are found: the console's breadth-first search (the only
// one the console uses), simple paths in order of hop count (routing/k_shortest_paths.h), or
// paths given from outside (Session::setSharedPaths).
enum class Routing { kConsole, kKShortest, kGiven };

// Each ordered pair's (origin, destination) candidate paths, first choice first.
using GivenPaths =
    std::map<std::pair<network::NodeId, network::NodeId>, std::vector<routing::Path>>;

// What the session talks to; everything must outlive it. Without keys nobody is asked:
// searches run to their end and the run does not wait after its report.
struct Surroundings {
  base::Output& output;
  base::KeySource* keys;
  base::ErrorReporter& reporter;
  base::FileSystem& files;
};

// The view numbering, the route ids, the random generator and the blocking counts carry on
// across the networks a session opens, as they do across the console's visits to EJECUTAR.
// At most one network is open at a time.
class Session {
 public:
  explicit Session(const Surroundings& surroundings,
                   const routing::SearchLimits& searchLimits = {});
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session();

  // Makes the records of an empty network with the configuration's wavelengths and fibres,
  // which hold until closeNetwork(); the configuration is kept for the sources and runs on
  // it. False after reporting 1650 when they cannot be made or the wavelengths exceed
  // kMaxWavelengths. No network may be open.
  bool openNetwork(const base::Config& config);

  // Reads NAME.con into the open network, which must hold none yet, and pairs the live
  // network with it. Returns the node count; -1 when the file cannot be read or holds no
  // table, -2 when the live network cannot be made (code 20 reported). After a failure the
  // network is empty again and another load may be tried.
  int loadNetwork(const std::string& name);

  // True when both nodes are nodes of the loaded network.
  bool pairInRange(std::int32_t origin, std::int32_t destination) const;

  // A call source on an in-range pair reading the named call file, with its pair's view,
  // its candidate paths (printed after "\nCreando SPF..."; the source tells whether the
  // search ended at its limit) and their route entries. When the
  // file cannot be opened, prints "Dato introducido erroneo. File error.", reports 301 and
  // returns none; when the view or the source cannot be made, returns none with nothing
  // left half-made.
  calls::CallSource* addSource(std::int32_t origin, std::int32_t destination,
                               const std::string& callFileName);
  // The same with lines from elsewhere (made as they are read, say); without memory for the
  // source it prints "error 510" and returns none.
  calls::CallSource* addSource(std::int32_t origin, std::int32_t destination,
                               std::unique_ptr<calls::CallLines> lines);

  // Runs every source to its end, prints the trace and the report, asks for a key, and
  // consumes the sources: the network is then as loaded, without sources.
  run::RunSummary run();

  // Drops the sources that no run consumed, with their views and route entries.
  void releaseSources();

  // Releases the sources and the network; a new one may then be opened.
  void closeNetwork();

  std::int32_t nodeCount() const { return network_ ? network_->nodeCount : 0; }
  std::size_t sourceCount() const { return network_ ? network_->callSources.size() : 0; }

  // The routing of the sources added from now on; the console's search until set.
  void setRouting(Routing routing) { routing_ = routing; }
  Routing routing() const { return routing_; }

  // Paths found before, for many sessions at once: a source whose pair the catalogue lists
  // takes every path of it, in order, as the searches append theirs, with its `limited` mark
  // (printed and routed as after a search), whatever the routing. Other pairs are searched
  // as the routing says; under Routing::kGiven they get none. Each path must run from its
  // pair's origin to its destination over links of the loaded network. The catalogue must
  // outlive the sources added; none to search again.
  void setSharedPaths(const routing::PathCatalogue* paths) { sharedPaths_ = paths; }

  // Whether the runs from now on let pairs read the live network at a refresh interval of
  // 0 rather than keep copies (run::RunSettings::viewsFollowLive); the console keeps them.
  void setViewsFollowLive(bool follow) { viewsFollowLive_ = follow; }
  // How many lines read ahead the runs from now on keep as read (run::RunSettings::keptLines).
  void setKeptLines(std::size_t lines) { keptLines_ = lines; }

  // The loop that steps the runs: the program's own when none is given. Tests give the
  // plain tick-by-tick loop to check the program's against.
  void setRunDriver(run::RunDriver driver) { runDriver_ = driver; }

  // Told of every call and live change of the runs from now on; none to stop. It must
  // outlive the runs it is told of.
  void setRunObserver(run::RunObserver* observer) { runObserver_ = observer; }

  // The policies the runs from now on decide with; none for the built-in ones, as the
  // console has them. They must outlive those runs.
  void setPolicies(const run::PolicyMakers* policies) { policies_ = policies; }

  // The open network, its tables and its sources in run order. A network must be open.
  const run::NetworkState& network() const { return *network_; }

 private:
  run::RunResources runResources();
  network::LinkStateView* viewOfPair(std::int32_t origin, std::int32_t destination, bool& created);
  calls::CallSource* withPaths(calls::CallSource* source, bool viewCreated);
  void findCandidatePaths(calls::CallSource& source);
  routing::SearchOutcome findKShortestPaths(calls::CallSource& source);
  routing::SearchOutcome copySharedPaths(calls::CallSource& source,
                                         const routing::PathCatalogue::Pair& pair);
  void releaseNetwork();

  Surroundings io_;
  routing::SearchLimits searchLimits_;
  base::Config config_;
  std::optional<run::NetworkState> network_;
  network::LinkStateViews views_;
  routing::RouteTable routeTable_;
  calls::BlockingTypes blockingTypes_;
  calls::RandomGenerator random_;
  run::RunDriver runDriver_ = nullptr;
  run::RunObserver* runObserver_ = nullptr;
  const run::PolicyMakers* policies_ = nullptr;
  Routing routing_ = Routing::kConsole;
  const routing::PathCatalogue* sharedPaths_ = nullptr;
  bool viewsFollowLive_ = false;
  std::size_t keptLines_ = run::kKeptLines;
  // The k-shortest searches of the open network, made at its first; they keep what they
  // learnt of a destination for the next source.
  std::unique_ptr<routing::KShortestSearch> kShortest_;
};

}  // namespace session
