// A ppdev device in user space: a FUSE file system whose files answer the
// kernel's ppdev ioctls (they all carry _IO/_IOR/_IOW numbers of fixed size,
// so FUSE passes them to a regular file as restricted ioctls), each with the
// virtual printer's device model behind its registers. Bound over
// /dev/parportN in a private mount namespace it lets libieee1284, and the
// engine above it, drive the printer through the kernel.
//
// The kernel's rules are followed: register ioctls need a claim (EINVAL
// without); a claim while another opener (or "another program", --hold)
// holds the port waits until the holder releases or closes, and a signal
// ends the wait with EINTR (FUSE_INTERRUPT); closing releases.
//
//   ppdev_emulator MOUNTDIR READY LOG [option...]
//     --port NAME[=OPTIONS]   a device NAME with a virtual printer made from
//                             OPTIONS (as after VYR_PORT=virtual:)
//     --hold NAME             another program holds NAME's claim throughout
//     --deny NAME             opening NAME fails with EACCES (no group lp)
//     --term-waiter           SIGTERM to a process whose claim has to wait
//     --term-after-lines N    SIGTERM to the process driving a printer once it
//                             has received N image lines
// READY is a FIFO that gets one line once the file system is mounted. LOG
// gets one line per open, claim, wait, release and close, and at the end the
// register accesses each device served beside the printer's own counts.
// SIGTERM or SIGINT unmounts, closes the printers (their files complete) and
// exits.

#define FUSE_USE_VERSION 35

#include <fuse_lowlevel.h>
#include <sys/ioctl.h>
#include <sys/time.h>
#include <linux/ppdev.h>
#include <linux/parport.h>
#include <signal.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "vprinter/virtual_printer.h"

namespace {

constexpr int kHeldByOther = -2;
constexpr int kFree = -1;

struct Waiter {
  fuse_req_t req;
  uint64_t fh;
  bool interrupted = false;
};

struct Device {
  std::string name;
  VirtualPrinter* vp = nullptr;
  PortBackend bus;
  uint16_t base = 0x378;
  bool deny = false;
  int64_t owner = kFree;  // the claiming opener, kFree or kHeldByOther
  std::deque<Waiter*> waiters;
  uint8_t control = 0x0C;  // the kernel's soft copy of the control register
  uint64_t statusReads = 0, dataWrites = 0, controlWrites = 0, otherAccesses = 0;
  bool termSent = false;
};

struct Opener {
  size_t device;
  pid_t pid;
};

std::vector<Device> g_devices;
std::map<uint64_t, Opener> g_openers;
uint64_t g_nextFh = 1;
FILE* g_log = nullptr;
bool g_termWaiter = false;
std::set<pid_t> g_termed;
uint32_t g_termAfterLines = 0;

void Log(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void Log(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::vfprintf(g_log, fmt, ap);
  va_end(ap);
  std::fputc('\n', g_log);
  std::fflush(g_log);
}

// Inode 1 is the folder, 2 + i device i.
size_t DeviceOf(fuse_ino_t ino) { return size_t(ino - 2); }

void Stat(fuse_ino_t ino, struct stat* st) {
  std::memset(st, 0, sizeof *st);
  st->st_ino = ino;
  if (ino == FUSE_ROOT_ID) {
    st->st_mode = S_IFDIR | 0755;
    st->st_nlink = 2;
  } else {
    st->st_mode = S_IFREG | 0660;
    st->st_nlink = 1;
  }
}

void OnLookup(fuse_req_t req, fuse_ino_t parent, const char* name) {
  for (size_t i = 0; i < g_devices.size(); ++i) {
    if (parent != FUSE_ROOT_ID || g_devices[i].name != name) continue;
    struct fuse_entry_param e {};
    e.ino = 2 + i;
    Stat(e.ino, &e.attr);
    fuse_reply_entry(req, &e);
    return;
  }
  fuse_reply_err(req, ENOENT);
}

void OnGetattr(fuse_req_t req, fuse_ino_t ino, struct fuse_file_info*) {
  if (ino != FUSE_ROOT_ID && DeviceOf(ino) >= g_devices.size()) {
    fuse_reply_err(req, ENOENT);
    return;
  }
  struct stat st;
  Stat(ino, &st);
  fuse_reply_attr(req, &st, 0);
}

void OnOpen(fuse_req_t req, fuse_ino_t ino, struct fuse_file_info* fi) {
  if (ino == FUSE_ROOT_ID || DeviceOf(ino) >= g_devices.size()) {
    fuse_reply_err(req, EISDIR);
    return;
  }
  Device& d = g_devices[DeviceOf(ino)];
  if (d.deny) {
    Log("denied %s", d.name.c_str());
    fuse_reply_err(req, EACCES);
    return;
  }
  fi->fh = g_nextFh++;
  fi->direct_io = 1;
  g_openers[fi->fh] = {DeviceOf(ino), fuse_req_ctx(req)->pid};
  Log("open %s #%llu", d.name.c_str(), (unsigned long long)fi->fh);
  fuse_reply_open(req, fi);
}

// The first waiter whose wait was not interrupted gets the port.
void GrantNext(Device& d) {
  for (auto it = d.waiters.begin(); it != d.waiters.end() && d.owner == kFree; ++it) {
    Waiter* w = *it;
    if (w->interrupted) continue;  // answered with EINTR after this request
    d.waiters.erase(it);
    d.owner = int64_t(w->fh);
    Log("claim %s #%llu (after waiting)", d.name.c_str(), (unsigned long long)w->fh);
    fuse_reply_ioctl(w->req, 0, nullptr, 0);
    delete w;
    return;
  }
}

void OnRelease(fuse_req_t req, fuse_ino_t, struct fuse_file_info* fi) {
  auto it = g_openers.find(fi->fh);
  if (it != g_openers.end()) {
    Device& d = g_devices[it->second.device];
    const bool held = d.owner == int64_t(fi->fh);
    Log("close %s #%llu%s", d.name.c_str(), (unsigned long long)fi->fh, held ? " (releasing its claim)" : "");
    if (held) d.owner = kFree;
    g_openers.erase(it);
    GrantNext(d);
  }
  fuse_reply_err(req, 0);
}

// Interrupted waits are answered after the request that interrupted them has
// been handled, outside libfuse's locks.
std::vector<Waiter*> g_toInterrupt;

void OnInterrupt(fuse_req_t, void* data) {
  Waiter* w = static_cast<Waiter*>(data);
  if (!w->interrupted) {
    w->interrupted = true;
    g_toInterrupt.push_back(w);
  }
}

void AnswerInterrupted() {
  for (Waiter* w : g_toInterrupt) {
    for (Device& d : g_devices) {
      for (auto it = d.waiters.begin(); it != d.waiters.end(); ++it) {
        if (*it != w) continue;
        d.waiters.erase(it);
        Log("interrupted %s #%llu", d.name.c_str(), (unsigned long long)w->fh);
        fuse_reply_err(w->req, EINTR);
        delete w;
        break;
      }
    }
  }
  g_toInterrupt.clear();
}

uint8_t ReadRegister(Device& d, int reg) { return d.bus.ops->read(d.bus.ctx, uint16_t(d.base + reg)); }

void WriteRegister(Device& d, int reg, uint8_t value) {
  d.bus.ops->write(d.bus.ctx, uint16_t(d.base + reg), value);
  if (g_termAfterLines == 0 || d.termSent || !d.vp) return;
  const int copies = VirtualPrinterCopyCount(d.vp);
  if (copies > 0 && VirtualPrinterCopyLineLengths(d.vp, copies - 1).size() >= g_termAfterLines) {
    d.termSent = true;
    for (const auto& [fh, o] : g_openers) {
      if (&g_devices[o.device] != &d || d.owner != int64_t(fh)) continue;
      Log("close request to the opener of %s #%llu", d.name.c_str(), (unsigned long long)fh);
      kill(o.pid, SIGTERM);
    }
  }
}

// The kernel keeps a soft copy of the control register and writes it whole.
void WriteControl(Device& d, uint8_t value) {
  ++d.controlWrites;
  d.control = value;
  WriteRegister(d, 2, value);
}

int InInt(const void* in) {
  int v = 0;
  std::memcpy(&v, in, sizeof v);
  return v;
}

void OnIoctl(fuse_req_t req, fuse_ino_t, unsigned int cmd, void*, struct fuse_file_info* fi, unsigned,
             const void* in, size_t, size_t) {
  auto it = g_openers.find(fi->fh);
  if (it == g_openers.end()) {
    fuse_reply_err(req, EBADF);
    return;
  }
  Device& d = g_devices[it->second.device];
  const bool claimed = d.owner == int64_t(fi->fh);
  auto replyByte = [&](uint8_t v) { fuse_reply_ioctl(req, 0, &v, 1); };
  auto replyInt = [&](int v) { fuse_reply_ioctl(req, 0, &v, sizeof v); };
  const uint8_t inByte = in ? *static_cast<const uint8_t*>(in) : 0;
  switch (cmd) {
    case PPCLAIM:
      if (claimed) {
        fuse_reply_err(req, EBUSY);
      } else if (d.owner == kFree) {
        d.owner = int64_t(fi->fh);
        Log("claim %s #%llu", d.name.c_str(), (unsigned long long)fi->fh);
        fuse_reply_ioctl(req, 0, nullptr, 0);
      } else {
        Waiter* w = new Waiter{req, fi->fh};
        d.waiters.push_back(w);
        Log("wait %s #%llu (held by %s)", d.name.c_str(), (unsigned long long)fi->fh,
            d.owner == kHeldByOther ? "another program" : "another opener");
        fuse_req_interrupt_func(req, OnInterrupt, w);
        // One close request per process, as a user closes a dialog once.
        if (g_termWaiter && g_termed.insert(it->second.pid).second) {
          Log("close request to the opener of %s #%llu", d.name.c_str(), (unsigned long long)fi->fh);
          kill(it->second.pid, SIGTERM);
        }
      }
      return;
    case PPEXCL:
    case PPSETMODE:
    case PPSETPHASE:
    case PPSETFLAGS:
      fuse_reply_ioctl(req, 0, nullptr, 0);
      return;
    case PPGETMODES:
      replyInt(PARPORT_MODE_PCSPP);
      return;
    case PPGETMODE:
      replyInt(IEEE1284_MODE_COMPAT);
      return;
    case PPGETPHASE:
    case PPGETFLAGS:
      replyInt(0);
      return;
    default:
      break;
  }
  // Everything else needs the claim, as in the kernel.
  if (!claimed) {
    Log("refused %s #%llu: ioctl 0x%X without a claim", d.name.c_str(), (unsigned long long)fi->fh, cmd);
    fuse_reply_err(req, EINVAL);
    return;
  }
  switch (cmd) {
    case PPRELEASE:
      d.owner = kFree;
      Log("release %s #%llu", d.name.c_str(), (unsigned long long)fi->fh);
      fuse_reply_ioctl(req, 0, nullptr, 0);
      GrantNext(d);
      return;
    case PPRSTATUS:
      ++d.statusReads;
      replyByte(ReadRegister(d, 1));
      return;
    case PPRDATA:
      ++d.otherAccesses;
      replyByte(ReadRegister(d, 0));
      return;
    case PPRCONTROL:
      // The kernel answers from its soft copy, the four output lines only.
      ++d.otherAccesses;
      replyByte(d.control & 0x0F);
      return;
    case PPWDATA:
      ++d.dataWrites;
      WriteRegister(d, 0, inByte);
      fuse_reply_ioctl(req, 0, nullptr, 0);
      return;
    case PPWCONTROL:
      WriteControl(d, inByte);
      fuse_reply_ioctl(req, 0, nullptr, 0);
      return;
    case PPFCONTROL: {
      const auto* frob = static_cast<const struct ppdev_frob_struct*>(in);
      WriteControl(d, uint8_t((d.control & ~frob->mask) ^ frob->val));
      fuse_reply_ioctl(req, 0, nullptr, 0);
      return;
    }
    case PPDATADIR:
      WriteControl(d, uint8_t((d.control & ~0x20) | (InInt(in) ? 0x20 : 0)));
      fuse_reply_ioctl(req, 0, nullptr, 0);
      return;
    case PPNEGOT: {
      // Only compatibility mode: the printer negotiates nothing.
      if (InInt(in) == IEEE1284_MODE_COMPAT) fuse_reply_ioctl(req, 0, nullptr, 0);
      else fuse_reply_err(req, EIO);
      return;
    }
    case PPYIELD:
    case PPWCTLONIRQ:
    case PPSETTIME:
      fuse_reply_ioctl(req, 0, nullptr, 0);
      return;
    case PPCLRIRQ:
      replyInt(0);
      return;
    default:
      fuse_reply_err(req, ENOTTY);
  }
}

void Usage() {
  std::fprintf(stderr, "usage: ppdev_emulator MOUNTDIR READY LOG [--port NAME[=OPTIONS]] [--hold NAME] "
                       "[--deny NAME] [--term-waiter] [--term-after-lines N]\n");
  std::exit(2);
}

Device* Named(const std::string& name) {
  for (Device& d : g_devices)
    if (d.name == name) return &d;
  std::fprintf(stderr, "ppdev_emulator: no device %s\n", name.c_str());
  std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) Usage();
  const char* mountDir = argv[1];
  const char* ready = argv[2];
  g_log = std::fopen(argv[3], "w");
  if (!g_log) {
    std::perror(argv[3]);
    return 1;
  }
  ClockSelect(ClockKind::Virtual);
  // Devices first, so that --hold and --deny find them.
  g_devices.reserve(8);
  for (int i = 4; i < argc; ++i) {
    if (std::strcmp(argv[i], "--port") != 0 || i + 1 >= argc) continue;
    std::string port_arg = argv[++i];
    Device d;
    const size_t eq = port_arg.find('=');
    d.name = port_arg.substr(0, eq);
    std::string error;
    d.vp = VirtualPrinterCreate(eq == std::string::npos ? "" : port_arg.c_str() + eq + 1, &error);
    if (!d.vp) {
      std::fprintf(stderr, "ppdev_emulator: %s\n", error.c_str());
      return 2;
    }
    d.bus = VirtualPrinterBackend(d.vp);
    // The printer answers at its own base; find it from the port's point of view.
    for (uint16_t b : kParallelPortBases)
      if (d.bus.ops->is_port_base(d.bus.ctx, b)) d.base = b;
    g_devices.push_back(std::move(d));
  }
  for (int i = 4; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--port") ++i;
    else if (a == "--hold" && i + 1 < argc) Named(argv[++i])->owner = kHeldByOther;
    else if (a == "--deny" && i + 1 < argc) Named(argv[++i])->deny = true;
    else if (a == "--term-waiter") g_termWaiter = true;
    else if (a == "--term-after-lines" && i + 1 < argc) g_termAfterLines = uint32_t(std::atoi(argv[++i]));
    else Usage();
  }
  if (g_devices.empty()) Usage();

  struct fuse_lowlevel_ops ops {};
  ops.lookup = OnLookup;
  ops.getattr = OnGetattr;
  ops.open = OnOpen;
  ops.release = OnRelease;
  ops.ioctl = OnIoctl;
  char arg0[] = "ppdev_emulator";
  char* fuseArgv[] = {arg0, nullptr};
  struct fuse_args args = FUSE_ARGS_INIT(1, fuseArgv);
  struct fuse_session* se = fuse_session_new(&args, &ops, sizeof ops, nullptr);
  fuse_opt_free_args(&args);
  if (!se || fuse_set_signal_handlers(se) != 0 || fuse_session_mount(se, mountDir) != 0) {
    std::fprintf(stderr, "ppdev_emulator: cannot mount on %s\n", mountDir);
    return 1;
  }
  if (FILE* r = std::fopen(ready, "w")) {
    std::fputs("ready\n", r);
    std::fclose(r);
  }
  // The session loop by hand, so that interrupted claims are answered
  // between requests.
  struct fuse_buf buf {};
  while (!fuse_session_exited(se)) {
    const int res = fuse_session_receive_buf(se, &buf);
    if (res == -EINTR) continue;
    if (res <= 0) break;
    fuse_session_process_buf(se, &buf);
    AnswerInterrupted();
  }
  std::free(buf.mem);
  fuse_session_unmount(se);
  fuse_remove_signal_handlers(se);
  fuse_session_destroy(se);
  for (Device& d : g_devices) {
    const uint64_t total = d.statusReads + d.dataWrites + d.controlWrites + d.otherAccesses;
    Log("registers %s: %llu (status reads %llu, data writes %llu, control writes %llu, other %llu); "
        "the printer counted status reads %llu, data writes %llu, control writes %llu",
        d.name.c_str(), (unsigned long long)total, (unsigned long long)d.statusReads,
        (unsigned long long)d.dataWrites, (unsigned long long)d.controlWrites,
        (unsigned long long)d.otherAccesses, (unsigned long long)VirtualPrinterStatusReads(d.vp),
        (unsigned long long)VirtualPrinterDataWrites(d.vp), (unsigned long long)VirtualPrinterControlWrites(d.vp));
    if (d.bus.ops->close) d.bus.ops->close(d.bus.ctx);
    VirtualPrinterDestroy(d.vp);
  }
  std::fclose(g_log);
  return 0;
}
