// A source's call lines made from a traffic model as the run reads them, so that a run
// never holds its traffic whole.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "calls/call_lines.h"
#include "experiment/traffic_model.h"

namespace experiment {

// Sums over the lines read of what the offered load is made of (see offeredLoad).
struct LoadTally {
  double span = 0.0;
  double holding = 0.0;
  // Every line was read.
  bool complete = false;

  double load() const { return span > 0.0 ? holding / span : 0.0; }
};

// The lines of callFileText(generateCalls(model)), read as a call source reads that text.
// They can be read again (copy), each reader on its own.
class GeneratedCallLines final : public calls::CallLines {
 public:
  // `tally`, when given, must outlive the lines; the lines this reader reads are added to it
  // (not those its copies read).
  explicit GeneratedCallLines(const TrafficModel& model, LoadTally* tally = nullptr);

  bool next(calls::CallLine& line) override;
  std::unique_ptr<calls::CallLines> copy() const override;
  bool follow(const calls::CallLines& leader) override;

 private:
  GeneratedCallLines() = default;

  // Short traffic is made whole at once: smaller than the generator's state, and shared
  // between the readers.
  std::shared_ptr<const std::vector<GeneratedCall>> made_;
  std::size_t nextMade_ = 0;
  std::unique_ptr<CallGenerator> generator_;
  LoadTally* tally_ = nullptr;
};

}  // namespace experiment
