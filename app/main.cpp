// The print engine program: vyr [PAGEFILES [COPIES [TEST]]].
//
// The classic command line has no options, so a first argument that begins
// with '-' can only be one of ours, looked at before the command line is read:
// --help (-h) and --version; any other is a usage error (exit status 64)
// with nothing printed and nothing deleted.
#include <cstdio>
#include <cstring>

#include "app/exit_status.h"
#include "app/print_app.h"

namespace {

CPrintApp theApp;

void PrintUsage() {
  std::printf(
      "usage: vyr [PAGEFILES [COPIES [TEST]]]\n"
      "Prints the spooled page c:\\abx.1 ($VYR_ROOT/c/abx.1) on the printer, COPIES times\n"
      "(0 or absent: 1), then deletes the spooled pages abx.1 .. abx.PAGEFILES (default 1).\n"
      "Anything after the two numbers prints the test page vyrtest.bmp instead.\n"
      "Environment: VYR_ROOT, VYR_PORT, VYR_UI (window, terminal, stdio, record:FILE),\n"
      "VYR_CLOCK, VYR_ANSWERS. See vyr(1).\n"
      "  -h, --help     this text\n"
      "      --version  the version\n"
      "Exit status:\n");
  // One line per status, "  CODE  MEANING": scripts read them from here.
  for (const ExitStatusMeaning& row : kExitStatuses) std::printf("  %2d  %s\n", int(row.status), row.meaning);
}

// -1 when argv[1] is no option of ours, else the exit status.
int TakeOption(int argc, char** argv) {
  if (argc < 2 || argv[1][0] != '-') return -1;
  const char* arg = argv[1];
  if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
    PrintUsage();
    return 0;
  }
  if (std::strcmp(arg, "--version") == 0) {
    std::printf("vyr %s\n", VYR_VERSION);
    return 0;
  }
  std::fprintf(stderr, "vyr: unknown option '%s' (try 'vyr --help'); nothing was printed or deleted\n", arg);
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  int status = TakeOption(argc, argv);
  if (status >= 0) return status;
  return RunApplication(argc, argv, theApp);
}
