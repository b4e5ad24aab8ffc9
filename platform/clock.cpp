// The millisecond tick count behind GetTickCount and timeGetTime.
//
// The real clock is CLOCK_MONOTONIC in milliseconds, cut to 32 bits, so it
// wraps like the PC's tick count. The virtual clock is a plain counter that
// moves by 1 ms on every read and jumps on a wait; all engine timing is done
// in unsigned differences of ticks, so neither wrap matters.
#include "platform/clock.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

// 0 = not chosen yet, 1 = real, 2 = virtual.
std::atomic<int> g_clockKind{0};
// The virtual count. Starts at 0 and is only moved by reads, waits and the
// test hooks, so a run always sees the same ticks.
std::atomic<uint32_t> g_virtualTick{0};

constexpr int kKindUnset = 0;
constexpr int kKindReal = 1;
constexpr int kKindVirtual = 2;

int KindFromEnvironment() {
  const char* env = std::getenv("VYR_CLOCK");
  if (env == nullptr || *env == '\0' || std::strcmp(env, "real") == 0) return kKindReal;
  if (std::strcmp(env, "virtual") == 0) return kKindVirtual;
  std::fprintf(stderr, "vyr: VYR_CLOCK=%s is neither \"real\" nor \"virtual\"; using the real clock\n",
               env);
  return kKindReal;
}

int Kind() {
  int kind = g_clockKind.load(std::memory_order_acquire);
  if (kind != kKindUnset) return kind;
  int chosen = KindFromEnvironment();
  // Whoever chose first (an explicit ClockSelect included) wins.
  if (g_clockKind.compare_exchange_strong(kind, chosen, std::memory_order_acq_rel)) return chosen;
  return kind;
}

uint64_t MonotonicMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

uint32_t RealTick() { return static_cast<uint32_t>(MonotonicMs()); }

// True when `tick` lies ahead of `now`: the forward distance is taken modulo
// 2^32, and a distance of half the range or more counts as already past.
bool IsAhead(uint32_t tick, uint32_t now) {
  uint32_t distance = tick - now;
  return distance != 0 && distance < 0x80000000u;
}

}  // namespace

uint32_t GetTickCount() {
  if (Kind() == kKindVirtual) return g_virtualTick.fetch_add(1, std::memory_order_relaxed);
  return RealTick();
}

uint32_t timeGetTime() { return GetTickCount(); }

void ClockSelect(ClockKind kind) {
  g_clockKind.store(kind == ClockKind::Virtual ? kKindVirtual : kKindReal, std::memory_order_release);
}

ClockKind ClockCurrentKind() { return Kind() == kKindVirtual ? ClockKind::Virtual : ClockKind::Real; }

void ClockWaitUntil(uint32_t tick) {
  if (Kind() == kKindVirtual) {
    uint32_t now = g_virtualTick.load(std::memory_order_relaxed);
    while (IsAhead(tick, now) &&
           !g_virtualTick.compare_exchange_weak(now, tick, std::memory_order_relaxed)) {
    }
    return;
  }
  // Sleep to an absolute monotonic deadline, so an interrupted sleep resumes
  // without drifting.
  uint64_t nowMs = MonotonicMs();
  uint32_t now = static_cast<uint32_t>(nowMs);
  if (!IsAhead(tick, now)) return;
  uint64_t deadlineMs = nowMs + (tick - now);
  timespec deadline{};
  deadline.tv_sec = static_cast<time_t>(deadlineMs / 1000u);
  deadline.tv_nsec = static_cast<long>((deadlineMs % 1000u) * 1000000u);
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
  }
}

uint32_t ClockPeek() {
  if (Kind() == kKindVirtual) return g_virtualTick.load(std::memory_order_relaxed);
  return RealTick();
}

void VirtualClockSet(uint32_t tick) { g_virtualTick.store(tick, std::memory_order_relaxed); }

void VirtualClockAdvance(uint32_t ms) { g_virtualTick.fetch_add(ms, std::memory_order_relaxed); }
