// The routings a lab run may ask for, by the names the command line and the records use.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "routing/path_catalogue.h"
#include "session/session.h"

namespace experiment {

// How a run's candidate paths are found: one of the session's searches, or the paths of a
// file (kGiven), read and checked before any run.
struct RoutingChoice {
  session::Routing kind = session::Routing::kConsole;
  // Paths found before the runs and shared by every run that uses them: a file's (always
  // with kGiven), or a search's found once (route_once.h); none for a search in each run.
  std::shared_ptr<const routing::PathCatalogue> paths;
  // Wall-clock seconds it took to find `paths` (for a file, to read and check it).
  double seconds = 0.0;
  // With kGiven: the file as named on the command line, and its SHA-256.
  std::string file;
  std::string sha256;
};

// "console" (the console's own search, the default) or "k-shortest"; "paths" for kGiven.
std::string routingName(session::Routing routing);

// As above, with kGiven named "paths:FILE".
std::string routingName(const RoutingChoice& routing);

// None for a name that is neither "console" nor "k-shortest".
std::optional<session::Routing> routingFromName(std::string_view name);

// The file of a "paths:FILE" name; none for another name or an empty file name.
std::optional<std::string> pathsFileOfName(std::string_view name);

}  // namespace experiment
