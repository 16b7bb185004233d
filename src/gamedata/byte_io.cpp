#include "byte_io.h"

namespace kmission {

namespace {

// Copies the bytes of [position, position + size) that lie inside the file,
// zero elsewhere; false when any byte was missing.
bool CopyAt(ByteView file, std::int64_t position, void* out, std::size_t size) {
    auto* dst = static_cast<std::uint8_t*>(out);
    std::memset(dst, 0, size);
    const auto length = static_cast<std::int64_t>(file.size());
    const auto end = position + static_cast<std::int64_t>(size);
    if (position >= 0 && end <= length) {
        std::memcpy(dst, file.data() + position, size);
        return true;
    }
    for (std::int64_t p = position; p < end; ++p) {
        if (p >= 0 && p < length) {
            dst[p - position] = file[static_cast<std::size_t>(p)];
        }
    }
    return false;
}

} // namespace

bool ReadInt32At(ByteView file, std::int64_t position, std::int32_t& value) {
    return CopyAt(file, position, &value, 4);
}

bool ReadInt16At(ByteView file, std::int64_t position, std::int16_t& value) {
    return CopyAt(file, position, &value, 2);
}

std::int32_t Int32At(ByteView file, std::int64_t position) {
    std::int32_t value = 0;
    ReadInt32At(file, position, value);
    return value;
}

} // namespace kmission
