// The millisecond tick count: the one counter behind GetTickCount and
// timeGetTime. 32 bits, wrapping after about 49.7 days.
//
// Two clocks stand behind it, chosen by VYR_CLOCK at first use:
//   real     (default) the monotonic clock of the machine;
//   virtual  time moves only when it is read or waited for: every read
//            returns the current count and then advances it by 1 ms, and a
//            wait (ClockWaitUntil) jumps straight to its deadline. A job with
//            minutes of mandated pauses runs in well under a second, and the
//            same job always sees the same ticks.
#pragma once

#include <cstdint>

// Milliseconds since the clock started. On the virtual clock each call
// advances time by 1 ms after reading it, so busy waits always end.
uint32_t GetTickCount();
// The multimedia timer of the link library: the same counter.
uint32_t timeGetTime();

enum class ClockKind { Real, Virtual };

// Pick the clock explicitly (tests do this before anything reads the time);
// without a call the first read picks it from VYR_CLOCK.
void ClockSelect(ClockKind kind);
ClockKind ClockCurrentKind();

// Blocks until the tick count has reached `tick` (unsigned distance, so the
// wrap is harmless). Real clock: sleeps. Virtual clock: jumps there at once.
// Used by timer loops, never by the engine's busy waits.
void ClockWaitUntil(uint32_t tick);

// The current count without advancing the virtual clock: for observers such as
// the virtual printer, whose looking must not change the time.
uint32_t ClockPeek();

// Virtual clock only: set and step.
void VirtualClockSet(uint32_t tick);
void VirtualClockAdvance(uint32_t ms);
