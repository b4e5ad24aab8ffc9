// Opening and deleting files strictly beneath a folder. Every component of a
// path, symbolic links included, is resolved inside the folder: a link that
// stays inside works, one that leads out of it (a relative link climbing past
// the folder, an absolute link elsewhere) makes the path count as missing.
// An absolute link whose target lies inside the folder works.
//
// Where the kernel has openat2 with RESOLVE_BENEATH it checks the resolution
// itself; otherwise (and for absolute links, which it refuses) the path is
// walked component by component, each opened with O_NOFOLLOW and every link
// read and followed by hand.
#pragma once

#include <string>
#include <sys/types.h>

// open(2) of `relative` beneath `root` with `flags` and `mode`; -1 and errno
// on failure (ENOENT when the path leaves the folder).
int OpenBeneath(const std::string& root, const std::string& relative, int flags, mode_t mode);

// unlink(2) of `relative` beneath `root`: the folders on the way are resolved
// beneath it, the last component is removed as it is (a link, not its target).
int UnlinkBeneath(const std::string& root, const std::string& relative);

// Tests: resolve by the walk even where the kernel could (true), or let the
// kernel do it where it can (false, the default).
void BeneathUseWalkOnly(bool walkOnly);
