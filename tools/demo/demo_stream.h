#pragma once

#include "byte_io.h"

#include <cstdint>
#include <string_view>
#include <utility>

namespace kmission::demo {

// Writes a reader value stream the way the game lays out its data: every
// value is an int32 tag and its payload, a named setting is the key, a list
// header whose count is the number of values plus one, then the values.
// The demo files are written with this rather than with the editor's own
// serialiser, so that reading them back tests the editor against an
// independent writer.
class ValueStream {
public:
    ValueStream& integer(std::int32_t value) {
        out_.int32(1);
        out_.int32(value);
        return *this;
    }
    // Callers pass values of at most six significant digits, whose seven-digit
    // text reads back to the same float: the demo files stay canonical.
    ValueStream& real(float value) {
        out_.int32(2);
        out_.float32(value);
        return *this;
    }
    ValueStream& string(std::string_view text) {
        out_.int32(3);
        out_.int32(static_cast<std::int32_t>(text.size()));
        out_.bytes(text);
        return *this;
    }
    ValueStream& list(std::int32_t count) {
        out_.int32(4);
        out_.int32(count);
        return *this;
    }
    // The key and the list header of a setting with `valueCount` values; the
    // caller appends the values.
    ValueStream& key(std::string_view name, std::int32_t valueCount) {
        return string(name).list(valueCount + 1);
    }

    Bytes take() { return std::move(bytes_); }

private:
    Bytes bytes_;
    ByteWriter out_{bytes_};
};

} // namespace kmission::demo
