#include "shell/menus.h"

#include <string_view>

#include "shell/ejecutar_menu.h"

namespace shell {

namespace {

void showMenu(base::Console& console, std::string_view title, std::string_view options,
              std::string_view prompt = "\n\n OPCION->") {
  console.clearScreen();
  console.write("\n");
  console.write(title);
  console.write("\n");
  console.write(options);
  console.write("\t9 - FIN\n");
  console.write(prompt);
}

void askNumber(base::Console& console, std::string_view prompt, std::int32_t& value) {
  console.discardPending();
  console.write(prompt);
  console.readNumber(value);
}

void redMenu(Process& process) {
  base::Console& console = process.console;
  for (;;) {
    showMenu(console, "******* MENU RED *******", "\t1 - Lamdas\n\t2 - Fibras\n");
    switch (readMenuKey(console)) {
      case 1:
        askNumber(console, "\n\tNumero de lamdas (por defecto 20): ", process.config.lambdaCount);
        break;
      case 2:
        askNumber(console, "\n\tNumero de fibras (por defecto 2): ", process.config.fiberCount);
        break;
      case 9:
        return;
      default:
        break;
    }
  }
}

void spfMenu(Process& process) {
  base::Console& console = process.console;
  for (;;) {
    showMenu(console, "******* MENU OSPF *******",
             "\t1 - Numero de caminos\n\t2 - Maximas concidencias\n");
    switch (readMenuKey(console)) {
      case 1:
        askNumber(console, "\n\tNumero CAMINOS (por defecto 4): ", process.config.pathCount);
        break;
      case 2:
        askNumber(console,
                  "\n\tMaximas coincidencias (por defecto 2): ", process.config.maxCoincidences);
        break;
      case 9:
        return;
      default:
        break;
    }
  }
}

void selectionMenu(Process& process) {
  base::Console& console = process.console;
  showMenu(console, "******* MENU SELECCION *******",
           "\t1 - Aleatorio\n\t2 - Balanceado\n\t3 - Least Loaded corto\n"
           "\t4 - Least Loaded balanceado\n");
  console.write("\n\tPor defecto opcion 2: ");
  const int key = readMenuKey(console);
  // Any other key leaves the policy as it was: the run loop knows only 1 to 4.
  if (key >= 1 && key <= 4) process.config.pathPolicy = key;
}

void updateIntervalEntry(Process& process) {
  process.console.write("\n\tIntroduzca el tiempo de actualizaci\xF3n (por defecto 0): ");
  process.console.discardPending();
  process.console.readNumber(process.config.updateInterval);
}

}  // namespace

int readMenuKey(base::Console& console) {
  console.discardPending();
  const int key = console.readKey();
  return key >= '0' && key <= '9' ? key - '0' : 0;
}

void printBanner(Process& process) {
  const base::Config& config = process.config;
  base::Console& console = process.console;
  const std::string_view stars =
      "*********************************************************************";
  console.write("\n");
  console.write(stars);
  console.write("\nFibras: ");
  console.writeInt(config.fiberCount);
  console.write(" Lamdas: ");
  console.writeInt(config.lambdaCount);
  console.write(" Caminos: ");
  console.writeInt(config.pathCount);
  console.write(" \nSeleccion camino: ");
  console.writeInt(config.pathPolicy);
  console.write(" Tiempo actualizacion: ");
  console.writeInt(config.updateInterval);
  console.write(" MAX concidencias: ");
  console.writeInt(config.maxCoincidences);
  console.write(" \n");
  console.write(stars);
}

void configurationMenu(Process& process) {
  for (;;) {
    showMenu(process.console, "******* MENU CONFIGURACION *******",
             "\t1 - Red\n\t2 - SPF\n\t3 - Seleccion de camino\n\t4 - Actualizacion\n",
             "\n\n OPCIO->");
    switch (readMenuKey(process.console)) {
      case 1:
        redMenu(process);
        break;
      case 2:
        spfMenu(process);
        break;
      case 3:
        selectionMenu(process);
        break;
      case 4:
        updateIntervalEntry(process);
        break;
      case 9:
        return;
      default:
        break;
    }
  }
}

void printEnd(base::Console& console) {
  console.clearScreen();
  console.write("END!!!");
}

int runMainMenu(Process& process) {
  base::Console& console = process.console;
  for (;;) {
    console.clearScreen();
    console.write(
        "\n******* MENU PRINCIPAL *******\n\n\t1 - Configuracion\n\t2 - EJECUTAR\n\t9 - FIN\n"
        "\n\n OPCION->");
    switch (readMenuKey(console)) {
      case 1:
        configurationMenu(process);
        break;
      case 2:
        if (runEjecutarMenu(process) == EjecutarOutcome::kProgramEnded) return 1;
        break;
      case 9:
        printEnd(console);
        return 0;
      default:
        break;
    }
  }
}

}  // namespace shell
