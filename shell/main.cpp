// wrnsim: console simulator of connection set-up in wavelength-routed optical networks.
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>

#include "base/script_console.h"
#include "base/terminal_console.h"
#include "shell/program.h"

namespace {

bool utf8Terminal() {
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') {
      return std::strstr(value, "UTF-8") != nullptr || std::strstr(value, "utf8") != nullptr;
    }
  }
  return false;
}

std::unique_ptr<base::Console> makeConsole() {
  if (isatty(STDIN_FILENO) && isatty(STDOUT_FILENO)) {
    return std::make_unique<base::TerminalConsole>(utf8Terminal());
  }
  std::ios::sync_with_stdio(false);
  return std::make_unique<base::ScriptConsole>(std::cin, std::cout, isatty(STDOUT_FILENO));
}

// Files are read whole when opened, so descriptors are not what limits a session; the soft
// limit is raised all the same, for what the system itself opens on the program's behalf.
void raiseOpenFileLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max) return;
  limit.rlim_cur = limit.rlim_max;
  setrlimit(RLIMIT_NOFILE, &limit);
}

}  // namespace

int main() {
  raiseOpenFileLimit();
  auto console = makeConsole();
  base::DiskFileSystem files;
  return shell::runProgram(*console, files);
}
