// wrnsim-lab: traffic generation, batch experiments and blocking curves over wrnsim's libraries.
#include <unistd.h>

#include <iostream>

#include "lab/lab_cli.h"
#include "lab/machine_fit.h"

int main(int argc, char** argv) {
  lab::LabIo io{std::cout, std::cerr, isatty(STDERR_FILENO) != 0, {}, lab::physicalMemory()};
  return lab::runLab(argc, argv, io);
}
