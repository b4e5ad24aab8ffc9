// A bound on how long a PWG or Apple raster stream may go quiet in the middle
// of a page. PAPPL reads the raster straight from the client's request; when
// a chunked request ends before its page does (a client or filter that
// stopped half way), libcups goes on waiting for a next chunk that never
// comes, for the 60 s of its connection timeout, and then once more for each
// of the page's missing lines. While a thread collects a raster page, its
// waits for the client are cut to kRasterQuietSeconds, and once one of them
// has run out the stream counts as ended: the thread's further waits return
// at once, the page ends short and the job says so.
#pragma once

inline constexpr int kRasterQuietSeconds = 5;

// Bounds (true) or frees (false) the calling thread's waits.
void LimitRasterWaits(bool on);
