// How late a call of given call files can start, read from the files alone.
#pragma once

#include <cstdint>
#include <vector>

#include "experiment/experiment.h"

namespace experiment {

// A tick no call of the sources' files can start after, whatever their durations and
// whatever other sources share the run: the last tick a line is read at plus every
// positive gap of every file (a call starts at its base plus its gap, and its base is the
// start of an earlier call of some source). Files are read as a run reads them: pieces of
// at most 99 characters, a last line without a newline never used.
std::int64_t latestListedStart(const std::vector<SourcePlan>& sources);

}  // namespace experiment
