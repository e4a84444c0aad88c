// The main menu, the configuration menus and the banner of the EJECUTAR screens.
#pragma once

#include "base/console.h"
#include "shell/process.h"

namespace shell {

// Discards pending input and reads one key; "0" to "9" give 0 to 9, any other key 0.
int readMenuKey(base::Console& console);

void printBanner(Process& process);

void configurationMenu(Process& process);

// Runs the main menu until the program ends; returns the exit status.
int runMainMenu(Process& process);

// Clears the screen and prints "END!!!".
void printEnd(base::Console& console);

}  // namespace shell
