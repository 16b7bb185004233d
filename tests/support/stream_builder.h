#pragma once

// Builders for test inputs: reader value streams and ".pbd" archives, written
// byte by byte so that a test states exactly what lies in the file, including
// the things a well-formed file never holds (bad tags, lying lengths, gaps).
// Header-only and free of the library under test: the bytes they make do not
// depend on the code they are used to check.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace kmission::test {

using ByteBuffer = std::vector<std::uint8_t>;

inline void AppendInt32(ByteBuffer& out, std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(u >> shift));
    }
}

inline void AppendInt16(ByteBuffer& out, std::int16_t value) {
    const auto u = static_cast<std::uint16_t>(value);
    out.push_back(static_cast<std::uint8_t>(u));
    out.push_back(static_cast<std::uint8_t>(u >> 8));
}

inline void AppendFloat(ByteBuffer& out, float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, 4);
    AppendInt32(out, static_cast<std::int32_t>(bits));
}

inline void AppendBytes(ByteBuffer& out, std::string_view bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

// A reader value stream: each call appends one value (int32 tag and payload).
//   StreamBuilder().list(3).string("name").list(2).string("dunes").bytes()
class StreamBuilder {
public:
    StreamBuilder& integer(std::int32_t value) { return tag(1).int32(value); }
    StreamBuilder& real(float value) {
        tag(2);
        AppendFloat(bytes_, value);
        return *this;
    }
    StreamBuilder& string(std::string_view text) {
        return stringWithLength(static_cast<std::int32_t>(text.size()), text);
    }
    // A string whose stored length need not match the bytes that follow it.
    StreamBuilder& stringWithLength(std::int32_t length, std::string_view text) {
        tag(3).int32(length);
        AppendBytes(bytes_, text);
        return *this;
    }
    StreamBuilder& list(std::int32_t count) { return tag(4).int32(count); }
    StreamBuilder& end() { return tag(0); }
    // A bare tag without payload: tag 0, or a tag the format does not know.
    StreamBuilder& tag(std::int32_t value) { return int32(value); }
    StreamBuilder& int32(std::int32_t value) {
        AppendInt32(bytes_, value);
        return *this;
    }

    const ByteBuffer& bytes() const { return bytes_; }
    std::size_t size() const { return bytes_.size(); }

private:
    ByteBuffer bytes_;
};

// A ".pbd" archive: entry data, 148-byte directory records, trailer. By default
// the entries are packed from offset 0 in directory order, names are padded
// with NULs and the trailer is int32 1, int32 N.
class ArchiveBuilder {
public:
    ArchiveBuilder& entry(std::string name, ByteBuffer data) {
        entries_.push_back({std::move(name), std::move(data)});
        return *this;
    }
    // `count` filler bytes (0xEE) before every entry's data.
    ArchiveBuilder& gapBeforeEach(std::size_t count) {
        gap_ = count;
        return *this;
    }
    // Entry data laid out last entry first, while the directory keeps its order.
    ArchiveBuilder& dataInReverse() {
        reverse_ = true;
        return *this;
    }
    ArchiveBuilder& namePadding(char pad) {
        pad_ = pad;
        return *this;
    }
    // Replaces the trailer: the int32 at L - 8 and the count at L - 4.
    ArchiveBuilder& trailer(std::int32_t first, std::int32_t count) {
        trailerFirst_ = first;
        trailerCount_ = count;
        customTrailer_ = true;
        return *this;
    }

    ByteBuffer build() const {
        ByteBuffer out;
        std::vector<std::int32_t> offsets(entries_.size());
        std::vector<std::size_t> order(entries_.size());
        for (std::size_t i = 0; i < order.size(); ++i) {
            order[i] = reverse_ ? order.size() - 1 - i : i;
        }
        for (std::size_t i : order) {
            out.insert(out.end(), gap_, std::uint8_t{0xEE});
            offsets[i] = static_cast<std::int32_t>(out.size());
            out.insert(out.end(), entries_[i].data.begin(), entries_[i].data.end());
        }
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            AppendInt32(out, offsets[i]);
            AppendInt32(out, static_cast<std::int32_t>(entries_[i].data.size()));
            std::string name = entries_[i].name;
            name.resize(std::max<std::size_t>(name.size(), 64), pad_);
            AppendBytes(out, std::string_view(name).substr(0, 64));
            AppendInt32(out, 0);             // aux1
            out.insert(out.end(), 64, 0);    // auxText
            out.insert(out.end(), 4 * 2, 0); // aux2 ... aux5
        }
        AppendInt32(out, customTrailer_ ? trailerFirst_ : 1);
        AppendInt32(out,
                    customTrailer_ ? trailerCount_ : static_cast<std::int32_t>(entries_.size()));
        return out;
    }

private:
    struct Entry {
        std::string name;
        ByteBuffer data;
    };
    std::vector<Entry> entries_;
    std::size_t gap_ = 0;
    bool reverse_ = false;
    char pad_ = '\0';
    bool customTrailer_ = false;
    std::int32_t trailerFirst_ = 1;
    std::int32_t trailerCount_ = 0;
};

} // namespace kmission::test
