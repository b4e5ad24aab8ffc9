#include "printer-app/engine_programs.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <sstream>

extern char** environ;

namespace {

std::string ProgramFolder() {
  char path[4096];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  path[n] = '\0';
  std::string s(path);
  size_t slash = s.rfind('/');
  return slash == std::string::npos ? "." : s.substr(0, slash);
}

}  // namespace

std::string EngineProgram(const char* name) { return ProgramFolder() + "/" + name; }

int RunTool(const std::vector<std::string>& args, std::string* out) {
  int pipes[2];
  if (pipe2(pipes, O_CLOEXEC) != 0) return -1;
  const std::string tool = EngineProgram("vyrtool");
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(tool.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipes[1], 1);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  pid_t pid;
  int rc = posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipes[1]);
  if (rc != 0) {
    close(pipes[0]);
    return -1;
  }
  char buffer[4096];
  ssize_t n;
  while ((n = read(pipes[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
    if (n > 0 && out) out->append(buffer, static_cast<size_t>(n));
  close(pipes[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool InitEngineDisk(const std::string& dir, std::string* error) {
  std::string out;
  int rc = RunTool({"init-root", dir}, &out);
  if (rc == 0) return true;
  *error = "vyrtool init-root " + dir + " failed (status " + std::to_string(rc) + ")";
  return false;
}

namespace {

// The port names `vyrtool find-printer ARGS` prints, one a line; its status 1
// (no printer answered, or no port) is an empty list.
bool PortNamesOf(const std::vector<std::string>& args, std::vector<std::string>* names,
                 std::string* error) {
  std::string out;
  int rc = RunTool(args, &out);
  if (rc != 0 && rc != 1) {
    *error = "vyrtool find-printer failed (status " + std::to_string(rc) + ")";
    return false;
  }
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line))
    if (!line.empty()) names->push_back(line);
  return true;
}

}  // namespace

bool FindPrinterPorts(std::vector<std::string>* names, std::string* error) {
  return PortNamesOf({"find-printer"}, names, error);
}

bool MachinePortNames(std::vector<std::string>* names, std::string* error) {
  return PortNamesOf({"find-printer", "--ports"}, names, error);
}
