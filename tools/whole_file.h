// Files read whole, and written whole or not at all: the content goes to a
// temporary name in the target's own folder, which is renamed over the target
// only once it is complete, so a failed run leaves neither a half-written file
// nor a stray one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// On failure `error` names `path` and the cause.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);

// `write` fills the file at the temporary path it is given and says whether it
// succeeded. On failure `error` names `path` and the cause.
bool ReplaceFile(const std::string& path, const std::function<bool(const std::string& tempPath)>& write,
                 std::string& error);
bool ReplaceFileBytes(const std::string& path, const void* data, size_t size, std::string& error);
