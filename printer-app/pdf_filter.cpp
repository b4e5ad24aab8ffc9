#include "printer-app/pdf_filter.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr char kRenderer[] = "/usr/bin/pdftoppm";
// The long side of the drawn page in pixels: twice the frame's, so the
// picture is reduced, never enlarged, on its way into the frame.
constexpr int kRenderLongSide = 1280;
constexpr int kRenderPpi = 300;

// A binary PPM (P6, maxval 255) into `pixels`.
bool ReadPpm(const std::string& path, std::vector<unsigned char>* pixels, int* width, int* height) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  int maxval = 0;
  bool ok = std::fscanf(f, "P6 %d %d %d", width, height, &maxval) == 3 && maxval == 255 &&
            *width > 0 && *height > 0 && *width <= 4 * kRenderLongSide &&
            *height <= 4 * kRenderLongSide && std::fgetc(f) != EOF;
  if (ok) {
    pixels->resize(static_cast<size_t>(*width) * static_cast<size_t>(*height) * 3);
    ok = std::fread(pixels->data(), 1, pixels->size(), f) == pixels->size();
  }
  std::fclose(f);
  return ok;
}

bool Render(pappl_job_t* job, const std::string& pdf, const std::string& prefix) {
  const std::string side = std::to_string(kRenderLongSide);
  const char* argv[] = {kRenderer, "-f", "1", "-l", "1", "-singlefile", "-scale-to",
                        side.c_str(), pdf.c_str(), prefix.c_str(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid;
  int rc = posix_spawn(&pid, kRenderer, &actions, nullptr, const_cast<char**>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "cannot run %s: %s", kRenderer, std::strerror(rc));
    return false;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool PrintPdf(pappl_job_t* job, pappl_device_t* device, void* /*data*/) {
  char folder[] = "/tmp/vyr-pdf-XXXXXX";
  if (!mkdtemp(folder)) {
    papplJobSetMessage(job, "Cannot make a folder to draw the PDF page in.");
    return false;
  }
  const std::string prefix = std::string(folder) + "/page";
  std::vector<unsigned char> pixels;
  int width = 0, height = 0;
  bool ok = Render(job, papplJobGetFilename(job), prefix) &&
            ReadPpm(prefix + ".ppm", &pixels, &width, &height);
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  if (!ok) {
    papplJobSetMessage(job, "The PDF document could not be drawn (damaged, or no pages).");
    return false;
  }
  pappl_pr_options_t* options = papplJobCreatePrintOptions(job, 1, true);
  ok = papplJobFilterImage(job, device, options, pixels.data(), width, height, 3, kRenderPpi, true);
  papplJobDeletePrintOptions(options);
  return ok;
}

}  // namespace

void AddPdfFilter(pappl_system_t* system) {
  if (access(kRenderer, X_OK) != 0) return;  // without poppler-utils: no PDF
  papplSystemAddMIMEFilter(system, "application/pdf", "image/pwg-raster", PrintPdf, nullptr);
}
