#include "shell/process.h"

#include <new>

namespace shell {

namespace {

void reserveBuffer(Process& process, std::string& buffer, std::size_t size, int code) {
  try {
    buffer.reserve(size);
  } catch (const std::bad_alloc&) {
    process.reporter.reportError(code);
  }
}

}  // namespace

void startUp(Process& process) {
  process.config = base::Config{};
  reserveBuffer(process, process.topologyName, 20, 30);
  reserveBuffer(process, process.recordBuffer, 512, 60);
  reserveBuffer(process, process.callFileName, 20, 175);
}

}  // namespace shell
