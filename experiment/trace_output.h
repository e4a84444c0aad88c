// Where a run without menus writes its trace: a stream, or nowhere.
#pragma once

#include <ostream>

#include "base/output.h"

namespace experiment {

class TraceOutput : public base::Output {
 public:
  // Without a stream everything written is dropped. The stream must outlive the output,
  // which flushes into it when destroyed.
  explicit TraceOutput(std::ostream* trace = nullptr) : trace_(trace) {}
  ~TraceOutput() override;
  bool discards() const override { return trace_ == nullptr; }

 protected:
  bool emit(std::string_view bytes) override;

 private:
  std::ostream* trace_;
};

}  // namespace experiment
