#include "lab/trace_output.h"

namespace lab {

TraceOutput::~TraceOutput() {
  flush();
}

void TraceOutput::emit(std::string_view bytes) {
  if (trace_ != nullptr) trace_->write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace lab
