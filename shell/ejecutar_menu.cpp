#include "shell/ejecutar_menu.h"

namespace shell {

EjecutarOutcome runEjecutarMenu(Process&) {
  return EjecutarOutcome::kBackToMainMenu;
}

}  // namespace shell
