// The EJECUTAR menu: load a network, add call sources, run simulations.
#pragma once

#include "shell/process.h"

namespace shell {

enum class EjecutarOutcome { kBackToMainMenu, kProgramEnded };

// Returns kProgramEnded after a fatal failure, once "END!!!" has been printed.
EjecutarOutcome runEjecutarMenu(Process& process);

}  // namespace shell
