// The draw command: a network, and optionally where a run's calls were blocked, as an SVG map.
#pragma once

#include <string>

#include "lab/commands.h"

namespace lab {

struct DrawOptions {
  std::string topology;
  // A `run --json` record of a run on this network; none when empty.
  std::string result;
  std::string output;
  // "blocking" (blocking events) or "occupancy".
  std::string colourBy = "blocking";
  // auto, coordinates, circle or force.
  std::string layout = "auto";
  // The topology's file name when empty.
  std::string title;
};

// Writes the map. Throws UsageError, leaving no file, for a topology or result that cannot be
// read, a result of another network, or a layout the network cannot have.
int drawCommand(const DrawOptions& options, LabIo& io);

}  // namespace lab
