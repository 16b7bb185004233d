#pragma once

#include "byte_io.h"

#include <functional>
#include <optional>
#include <string>

namespace kmission {

// The whole file at `path` (a native path), or nothing when it cannot be read.
// `pieceRead`, when given, runs after each piece of kReadChunkSize bytes, so
// that a window can let its events run while a large file comes in.
inline constexpr std::size_t kReadChunkSize = 1024 * 1024;
std::optional<Bytes> ReadWholeFile(const std::string& path,
                                   const std::function<void()>& pieceRead = {});

// A test seam for the writer: called before each write with its 1-based number;
// a non-zero result is taken as the errno that write failed with.
using WriteFaultInjector = std::function<int(int writeNumber)>;

// Size of the pieces a file is written in (each piece is one write).
inline constexpr std::size_t kWriteChunkSize = 64 * 1024;

// Writes `bytes` to `path` so that no failure can destroy what was there: the
// bytes go to a new temporary file in the same folder, which is flushed and
// then renamed over the target. On any failure the temporary file is removed,
// an existing target is left exactly as it was, and the reason is returned as
// text for the user. Returns nothing on success.
std::optional<std::string> WriteFileSafely(const std::string& path, ByteView bytes,
                                           const WriteFaultInjector& injectFault = {});

} // namespace kmission
