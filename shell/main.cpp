// wrnsim: console simulator of connection set-up in wavelength-routed optical networks.
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

}  // namespace

int main() {
  auto console = makeConsole();
  base::DiskFileSystem files;
  return shell::runProgram(*console, files);
}
