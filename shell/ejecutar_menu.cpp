#include "shell/ejecutar_menu.h"

#include <cctype>

#include "shell/add_call_source.h"
#include "shell/menus.h"

namespace shell {

namespace {

constexpr int kLoadAttempts = 3;

void printScreenHead(Process& process) {
  process.console.clearScreen();
  process.console.write("\n******* MENU EJECUTAR *******\n");
  printBanner(process);
}

bool loadNetwork(Process& process) {
  base::Console& console = process.console;
  console.write("\n");
  for (int attempt = 0; attempt < kLoadAttempts; ++attempt) {
    console.write("\nNombre de fichero origen: ");
    console.discardPending();
    console.readWord(process.topologyName);
    const int nodes = process.session.loadNetwork(process.topologyName);
    if (nodes < 0) {
      process.reporter.reportError(300);
      continue;
    }
    console.write("\nencontrados ");
    console.writeInt(nodes);
    console.write(" nodos,continuar...[]");
    console.readKey();
    return true;
  }
  return false;
}

void keyLoop(Process& process) {
  base::Console& console = process.console;
  EjecutarPair pair;
  for (;;) {
    console.clearScreen();
    printBanner(process);
    console.write("\nIntroducir fichero...[Si/No/ESC[ejecutar]]");
    console.discardPending();
    const int key = std::toupper(console.readKey());
    if (key == base::kEscapeKey) process.session.run();
    if (key == 'S') addCallSource(process, pair);
    if (key == 'N') return;
  }
}

EjecutarOutcome endProgram(Process& process) {
  printEnd(process.console);
  return EjecutarOutcome::kProgramEnded;
}

}  // namespace

EjecutarOutcome runEjecutarMenu(Process& process) {
  printScreenHead(process);
  if (!process.session.openNetwork(process.config)) return endProgram(process);
  if (!loadNetwork(process)) {
    process.session.closeNetwork();
    return endProgram(process);
  }
  keyLoop(process);
  // Sources that no run consumed go too: the next visit may load another network.
  process.session.closeNetwork();
  return EjecutarOutcome::kBackToMainMenu;
}

}  // namespace shell
