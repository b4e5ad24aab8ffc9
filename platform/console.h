// Whether a person sits at the program: a terminal on standard input, output
// or error from which Ctrl-C can reach it. A program started by a spooler has
// none, and nobody can close its dialog.
#pragma once

bool ConsoleIsInteractive();
