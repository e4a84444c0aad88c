#include "shell/program.h"

#include "shell/menus.h"
#include "shell/process.h"

namespace shell {

int runProgram(Console& console, FileSystem& files) {
  Process process(console, files);
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
