// The draw command: a network, and optionally where runs' calls were blocked, as an SVG map.
#pragma once

#include <string>
#include <vector>

#include "lab/commands.h"

namespace lab {

struct DrawOptions {
  std::string topology;
  // `run --json` records of runs of one point on this network, averaged; none when empty.
  std::vector<std::string> results;
  std::string output;
  // A name linkMeasureFromName knows.
  std::string colourBy = "blocking";
  // auto, coordinates, circle or force.
  std::string layout = "auto";
  // The topology's file name when empty.
  std::string title;
};

// Writes the map. Throws UsageError, leaving no file, for a topology or record that cannot be
// read, a record of another network, records mapResultOf refuses together, or a layout the
// network cannot have.
int drawCommand(const DrawOptions& options, LabIo& io);

}  // namespace lab
