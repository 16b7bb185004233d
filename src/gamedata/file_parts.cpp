#include "file_parts.h"

#include "file_io.h"

#include <algorithm>

namespace kmission {

FileParts::FileParts(std::string path, std::int64_t fileSize, const std::function<void()>& yield)
    : path_(std::move(path)), fileSize_(fileSize), yield_(yield), in_(path_, std::ios::binary) {}

std::optional<Bytes> FileParts::tail(std::int64_t size) {
    const std::int64_t taken = std::min(fileSize_, size);
    Bytes bytes;
    return read(fileSize_ - taken, taken, bytes) ? std::optional(std::move(bytes)) : std::nullopt;
}

std::optional<FilePart> FileParts::part(std::int64_t offset, std::int64_t size, bool whole) {
    if (whole && !whole_) {
        whole_ = ReadWholeFile(path_, yield_);
        if (!whole_ || std::ssize(*whole_) != fileSize_) {
            whole_.reset();
            return std::nullopt;
        }
        part_.clear();
        part_.shrink_to_fit();
    }
    if (whole_) {
        return FilePart{*whole_, 0, fileSize_};
    }
    const std::int64_t first = std::clamp<std::int64_t>(offset, 0, fileSize_);
    const std::int64_t end =
        std::clamp<std::int64_t>(offset + std::max<std::int64_t>(size, 0), first, fileSize_);
    if (first < partStart_ || end > partStart_ + std::ssize(part_)) {
        partStart_ = first;
        if (!read(first, std::min(std::max(end - first, kPartSize), fileSize_ - first), part_)) {
            part_.clear();
            return std::nullopt;
        }
    }
    return FilePart{part_, partStart_, fileSize_};
}

// Into `bytes`, whose room is kept from part to part.
bool FileParts::read(std::int64_t from, std::int64_t size, Bytes& bytes) {
    bytes.resize(static_cast<std::size_t>(size));
    in_.clear();
    in_.seekg(from);
    in_.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
    return in_ && in_.gcount() == size;
}

} // namespace kmission
