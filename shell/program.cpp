#include "shell/program.h"

#include "shell/menus.h"
#include "shell/process.h"

namespace shell {

int runProgram(Console& console, FileSystem& files, const ProgramOptions& options) {
  Process process(console, files);
  process.eventDrivenRuns = options.eventDrivenRuns;
  int status = 0;
  try {
    startUp(process);
    status = runMainMenu(process);
  } catch (const EndOfInput&) {
    printEnd(console);
  }
  console.flush();
  return status;
}

}  // namespace shell
