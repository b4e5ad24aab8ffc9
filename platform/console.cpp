#include "platform/console.h"

#include <unistd.h>

bool ConsoleIsInteractive() {
  return isatty(STDIN_FILENO) == 1 || isatty(STDOUT_FILENO) == 1 || isatty(STDERR_FILENO) == 1;
}
