#pragma once

#include "byte_io.h"
#include "reader_tree.h"

#include <cstdint>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

namespace kmission {

// Reads a large file a part at a time: its end once, then for each entry a
// part of at least kPartSize bytes from the entry's start, kept while the
// entries that follow lie in it; the whole file only for an entry that reads
// beyond its part. So a large mission is never held whole beside its nodes.
class FileParts {
public:
    static constexpr std::int64_t kPartSize = 1024 * 1024;

    // `yield` runs between the pieces of a whole file's reading.
    FileParts(std::string path, std::int64_t fileSize, const std::function<void()>& yield);

    // The last `size` bytes of the file (all of it when it is shorter).
    std::optional<Bytes> tail(std::int64_t size);

    // A part holding at least [offset, offset + size) as far as the file has
    // it, or with `whole` the whole file; nothing when it cannot be read.
    std::optional<FilePart> part(std::int64_t offset, std::int64_t size, bool whole);

private:
    bool read(std::int64_t from, std::int64_t size, Bytes& bytes);

    std::string path_;
    std::int64_t fileSize_;
    const std::function<void()>& yield_;
    std::ifstream in_;
    Bytes part_;
    std::int64_t partStart_ = 0;
    std::optional<Bytes> whole_;
};

} // namespace kmission
