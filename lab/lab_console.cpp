#include "lab/lab_console.h"

namespace lab {

LabConsole::~LabConsole() {
  flush();
}

void LabConsole::emit(std::string_view bytes) {
  if (trace_ != nullptr) trace_->write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace lab
