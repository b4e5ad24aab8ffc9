#include "printer-app/job_record.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "printer-app/printer_settings.h"

std::string JobRecordPath(int printer_id, int job_id) {
  return JobFolder(printer_id, job_id) + ".prints";
}

int ReadJobPrints(int printer_id, int job_id) {
  FILE* f = std::fopen(JobRecordPath(printer_id, job_id).c_str(), "r");
  if (!f) return -1;
  int prints = -1;
  if (std::fscanf(f, "%d", &prints) != 1 || prints < 0) prints = 0;
  std::fclose(f);
  return prints;
}

bool WriteJobPrints(int printer_id, int job_id, int prints) {
  const std::string path = JobRecordPath(printer_id, job_id);
  const std::string temp = path + ".new";
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const std::string text = std::to_string(prints) + "\n";
  const bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
                       fsync(fd) == 0;
  if (close(fd) != 0 || !written || std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}
