// Candidate paths in a text file, as `--routing paths:FILE` reads them and the lab's `paths`
// command writes them: one path per line, "ORIGIN DESTINATION NODE NODE ...", the path's
// nodes from the origin to the destination, whitespace between numbers; a pair's lines first
// choice first; blank lines and lines starting with '#' skipped.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "experiment/experiment.h"
#include "session/session.h"

namespace experiment {

// A fault of the file: what() is "line N: why" (N counted from 1), or the reason alone for a
// fault of the whole file.
struct PathsFileError : std::runtime_error {
  PathsFileError(std::size_t line, const std::string& why);
  // 0 for the whole file.
  std::size_t line = 0;
};

// Every path line of the text, checked against the network (planRoutes without sources gives
// it): each number a node of the network, at least two nodes, the path starting at its origin
// and ending at its destination, origin and destination two different nodes, every hop a
// link in its direction. A node may come twice (the console's own search may give such a
// walk). Lines of one pair need not be together; their order is kept, repeats included.
// Throws PathsFileError for the first line at fault, and for a text that holds no path.
session::GivenPaths readPathsFile(std::string_view text, const PlannedRoutes& network);

// The text of a paths file: each header line as a comment ("# " before it), then each pair's
// paths in pair order; a pair without paths gets a comment saying so. readPathsFile reads it
// back as the same paths.
std::string pathsFileText(const std::vector<std::string>& header, const session::GivenPaths& paths);

// The same paths as a catalogue that runs share (RoutingChoice::paths), none marked limited.
routing::PathCatalogue pathCatalogue(const session::GivenPaths& paths);

}  // namespace experiment
