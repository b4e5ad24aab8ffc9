// The console the program may have been started from: whether a person sits at
// it, its width, the close signals (Ctrl-C's SIGINT, and SIGTERM from whatever
// runs the program), and reading an answer typed on it.
#pragma once

#include <cstdio>

// Whether a person sits at the program: a terminal on standard input, output
// or error from which Ctrl-C can reach it. A program started by a spooler has
// none, and nobody can close its dialog.
bool ConsoleIsInteractive();

// Whether `stream` (standard input, output or error) is a terminal.
bool ConsoleIsTerminal(std::FILE* stream);

// The width in columns of the terminal on `stream`, or 80 when it cannot be told.
int ConsoleColumns(std::FILE* stream);

// From now on SIGINT (Ctrl-C) and SIGTERM only set a flag for
// ConsoleTakeInterrupt (any flag left from before is cleared); a second one
// before the first is taken ends the program the default way for that signal.
// A read or write in progress gives up on the signal (EINTR) instead of being
// restarted.
void ConsoleCatchInterrupt();

// Puts back the SIGINT and SIGTERM handling ConsoleCatchInterrupt found, and
// clears the flag.
void ConsoleReleaseInterrupt();

// True once for each close signal caught and not yet taken; taking it clears
// the flag.
bool ConsoleTakeInterrupt();

// True while a close signal waits to be taken; looking does not take it.
bool ConsoleInterruptPending();

// A write to a pipe nobody reads any more fails (EPIPE) instead of ending the
// program with SIGPIPE.
void ConsoleIgnoreBrokenPipe();

// Reads one line (at most size - 1 bytes, newline kept) from standard input
// into `line`; false at end of input or when a close signal interrupts the
// read, which is then forgotten so that a later read can go ahead.
bool ConsoleReadLine(char* line, int size);
