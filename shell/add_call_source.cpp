#include "shell/add_call_source.h"

namespace shell {

namespace {

void waitForKey(base::Console& console) {
  console.discardPending();
  console.readKey();
}

}  // namespace

void addCallSource(Process& process, EjecutarPair& pair) {
  base::Console& console = process.console;
  console.write("\nOrigen: ");
  console.readNumber(pair.origin);
  console.write("Destino: ");
  console.readNumber(pair.destination);
  if (!process.session.pairInRange(pair.origin, pair.destination)) {
    console.write("\nNodo origen o destino fuera de rango...[]");
    waitForKey(console);
    return;
  }
  console.write("\nNombre de fichero de llamadas: ");
  console.discardPending();
  console.readWord(process.callFileName);
  if (process.session.addSource(pair.origin, pair.destination, process.callFileName) == nullptr) {
    return;
  }
  waitForKey(console);
}

}  // namespace shell
