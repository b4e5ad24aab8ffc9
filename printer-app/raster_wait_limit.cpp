#include "printer-app/raster_wait_limit.h"

#include <dlfcn.h>
#include <poll.h>

namespace {

thread_local bool t_limited = false;
thread_local bool t_ended = false;  // a bounded wait ran out: the stream is over

using PollFn = int (*)(pollfd*, nfds_t, int);

PollFn RealPoll() {
  static const PollFn real = reinterpret_cast<PollFn>(dlsym(RTLD_NEXT, "poll"));
  return real;
}

}  // namespace

void LimitRasterWaits(bool on) {
  t_limited = on;
  t_ended = false;
}

// libcups waits for its peer with poll(); this program's own definition
// comes first for every library (the link exports it), so the waits of a
// thread that collects a raster page are bounded here. Every other wait is
// passed on unchanged.
extern "C" int poll(pollfd* fds, nfds_t nfds, int timeout) {
  if (!t_limited) return RealPoll()(fds, nfds, timeout);
  constexpr int kQuietMs = kRasterQuietSeconds * 1000;
  const int bounded = t_ended ? 0 : (timeout < 0 || timeout > kQuietMs) ? kQuietMs : timeout;
  const int ready = RealPoll()(fds, nfds, bounded);
  if (ready == 0 && bounded < timeout) t_ended = true;
  return ready;
}
