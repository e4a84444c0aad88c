#include "experiment/trace_output.h"

namespace experiment {

TraceOutput::~TraceOutput() {
  flush();
}

bool TraceOutput::emit(std::string_view bytes) {
  if (trace_ == nullptr) return true;
  trace_->write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(*trace_);
}

}  // namespace experiment
