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

// Writes `bytes` to `path` so that no failure can destroy what was there, and
// returns nothing on success or the reason, as text for the user, on failure.
//
// - A link at `path` is followed: the file it leads to gets the bytes and the
//   link stays as it is.
// - A target that exists but is not a regular file (a folder, a device, a
//   pipe, a socket) is refused and left alone.
// - Usually the bytes go to a new file beside the target, which is flushed
//   and renamed over it: the target holds the old or the new content at every
//   moment, even across a crash or a power cut. Where the file system allows
//   it that file has no name until it is complete, so a save killed part way
//   leaves nothing behind; elsewhere it has a short hidden name. Either way
//   any name the file system takes can be saved to. The new file takes the
//   owner, group, mode and extended attributes of the one it replaces, as far
//   as this process may set them.
// - A rename cannot replace a file with several names (hard links: the other
//   names would keep the old content), nor one in a folder this process may
//   not write to, nor another user's file in a shared (sticky) folder. Such a
//   file is written in place, after room for the new content has been taken.
//   After a failure the old content, kept in memory, is written back, so that
//   every name shows the old content complete again (should even that fail,
//   the reason says so). Only a crash during the rewrite can leave it part
//   written.
std::optional<std::string> WriteFileSafely(const std::string& path, ByteView bytes,
                                           const WriteFaultInjector& injectFault = {});

// Content made while it is written, so that a large file is never held whole:
// it passes its pieces in order to `write`, stopping as soon as `write`
// returns false, and returns whether it was made complete. Content that gives
// up leaves the target as it was, and WriteFileSafely then returns
// kContentNotMade. It may be asked for more than once and must give the same
// bytes each time.
using PieceWriter = std::function<bool(ByteView piece)>;
using FileContent = std::function<bool(const PieceWriter& write)>;
inline constexpr const char* kContentNotMade = "its content could not be made";
std::optional<std::string> WriteFileSafely(const std::string& path, const FileContent& content,
                                           const WriteFaultInjector& injectFault = {});

} // namespace kmission
