#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kmission {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

// Little-endian reads from a file held in memory. A read that reaches past the
// end gives what is there with the missing bytes as zero and reports `false`,
// the way a short read from a file does.
bool ReadInt32At(ByteView file, std::int64_t position, std::int32_t& value);
bool ReadInt16At(ByteView file, std::int64_t position, std::int16_t& value);
std::int32_t Int32At(ByteView file, std::int64_t position);

// Appends little-endian values to a byte buffer.
class ByteWriter {
public:
    explicit ByteWriter(Bytes& out) : out_(out) {}

    void int32(std::int32_t value) { raw(&value, 4); }
    void int16(std::int16_t value) { raw(&value, 2); }
    void float32(float value) { raw(&value, 4); }
    void bytes(std::string_view text) { raw(text.data(), text.size()); }
    std::size_t position() const { return out_.size(); }

private:
    void raw(const void* data, std::size_t size) {
        static_assert(std::endian::native == std::endian::little, "little-endian hosts only");
        const auto* p = static_cast<const std::uint8_t*>(data);
        out_.insert(out_.end(), p, p + size);
    }
    Bytes& out_;
};

} // namespace kmission
