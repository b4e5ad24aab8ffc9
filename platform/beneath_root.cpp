// Resolution beneath a folder: the kernel's openat2 where it has it, a walk of
// our own everywhere else. The walk keeps a stack of open folders, so ".."
// only ever returns to a folder it came through, and it reads each link
// instead of letting the kernel follow it.
#include "platform/beneath_root.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

// Links followed along one path before giving up, the kernel's own limit.
constexpr int kMaxLinks = 40;

std::atomic<bool> g_walkOnly{false};

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(Fd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  Fd& operator=(Fd&&) = delete;
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

// Appends the components of `path` to the stack of those still to resolve,
// last first, so that the next to take is at the back.
void PushComponents(std::string_view path, std::vector<std::string>* pending) {
  std::vector<std::string_view> parts;
  size_t pos = 0;
  while (pos <= path.size()) {
    size_t end = path.find('/', pos);
    if (end == std::string_view::npos) end = path.size();
    if (end > pos) parts.push_back(path.substr(pos, end - pos));
    pos = end + 1;
  }
  for (auto it = parts.rbegin(); it != parts.rend(); ++it) pending->emplace_back(*it);
}

// An absolute link target that names a place inside the folder, as the folder
// was given or as it really is: the rest of the target after the folder.
bool InsideFolder(std::string_view target, const std::string& root, std::string_view* rest) {
  std::vector<std::string> names{root};
  if (char* real = realpath(root.c_str(), nullptr)) {
    names.emplace_back(real);
    std::free(real);
  }
  for (const std::string& name : names) {
    if (name == "/") {
      *rest = target;
      return true;
    }
    if (target.substr(0, name.size()) == name &&
        (target.size() == name.size() || target[name.size()] == '/')) {
      *rest = target.substr(name.size());
      return true;
    }
  }
  return false;
}

int OpenByKernel(int rootFd, const std::string& relative, int flags, mode_t mode) {
  open_how how{};
  how.flags = static_cast<uint64_t>(flags | O_CLOEXEC);
  how.mode = (flags & O_CREAT) ? mode : 0;
  how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
  return static_cast<int>(syscall(SYS_openat2, rootFd, relative.c_str(), &how, sizeof how));
}

int OpenByWalk(int rootFd, const std::string& root, std::string_view relative, int flags, mode_t mode) {
  std::vector<std::string> pending;
  PushComponents(relative, &pending);
  std::vector<Fd> folders;  // the folders below the root on the way so far
  int links = 0;
  while (!pending.empty()) {
    const std::string name = std::move(pending.back());
    pending.pop_back();
    if (name == ".") continue;
    if (name == "..") {
      if (folders.empty()) {  // it would climb out of the folder
        errno = ENOENT;
        return -1;
      }
      folders.pop_back();
      continue;
    }
    const int at = folders.empty() ? rootFd : folders.back().get();
    const bool last = pending.empty();
    const int fd = openat(at, name.c_str(), (last ? flags : O_PATH | O_DIRECTORY) | O_NOFOLLOW | O_CLOEXEC,
                          mode);
    if (fd >= 0) {
      if (last) return fd;
      folders.emplace_back(fd);
      continue;
    }
    // O_NOFOLLOW refuses a link with ELOOP, O_DIRECTORY with ENOTDIR: read it.
    const int openError = errno;
    if (openError != ELOOP && openError != ENOTDIR) return -1;
    char target[PATH_MAX];
    const ssize_t length = readlinkat(at, name.c_str(), target, sizeof target);
    if (length <= 0 || length == static_cast<ssize_t>(sizeof target)) {
      errno = openError;  // not a link: the open's own answer
      return -1;
    }
    if (++links > kMaxLinks) {
      errno = ELOOP;
      return -1;
    }
    std::string_view to(target, static_cast<size_t>(length));
    if (to.front() == '/') {
      std::string_view rest;
      if (!InsideFolder(to, root, &rest)) {
        errno = ENOENT;
        return -1;
      }
      to = rest;
      folders.clear();
    }
    PushComponents(to, &pending);
  }
  // The path ended at a folder (a link to one, or a last "." or "..").
  return openat(folders.empty() ? rootFd : folders.back().get(), ".", flags | O_CLOEXEC, mode);
}

}  // namespace

int OpenBeneath(const std::string& root, const std::string& relative, int flags, mode_t mode) {
  Fd rootFd(open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (rootFd.get() < 0) return -1;
  if (!g_walkOnly.load()) {
    const int fd = OpenByKernel(rootFd.get(), relative.empty() ? "." : relative, flags, mode);
    // EXDEV: the kernel saw a way out, or an absolute link, which the walk
    // follows when it stays inside. ENOSYS, EPERM: no openat2 here.
    if (fd >= 0 || (errno != EXDEV && errno != ENOSYS && errno != EPERM)) return fd;
  }
  return OpenByWalk(rootFd.get(), root, relative, flags, mode);
}

int UnlinkBeneath(const std::string& root, const std::string& relative) {
  const size_t slash = relative.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : relative.substr(0, slash);
  const std::string name = slash == std::string::npos ? relative : relative.substr(slash + 1);
  if (name.empty() || name == "." || name == "..") {
    errno = EISDIR;
    return -1;
  }
  Fd at(OpenBeneath(root, folder, O_PATH | O_DIRECTORY, 0));
  if (at.get() < 0) return -1;
  return unlinkat(at.get(), name.c_str(), 0);
}

void BeneathUseWalkOnly(bool walkOnly) { g_walkOnly.store(walkOnly); }
