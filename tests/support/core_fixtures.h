#pragma once

// Small generators for the core tests: value streams, archives, picture files
// and temporary folders, all built byte by byte here so that no test depends
// on a stored binary file or on the encoders under test.

#include "archive.h"
#include "byte_io.h"
#include "reader_tree.h"

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kmission::fixtures {

inline void AppendInt32(Bytes& out, std::int32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> shift));
}

inline void Append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}

inline Bytes BytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

inline std::uint32_t FloatBits(float value) {
    return std::bit_cast<std::uint32_t>(value);
}

// `text` padded with `pad` (or cut) to `width` bytes, as fixed-width names are stored.
inline std::string Padded(std::string_view text, std::size_t width = 64, char pad = '\0') {
    std::string out(text.substr(0, std::min(text.size(), width)));
    out.resize(width, pad);
    return out;
}

// Builds the value stream of one reader entry.
class ValueStream {
public:
    ValueStream& tag(std::int32_t tag) {
        AppendInt32(bytes_, tag);
        return *this;
    }
    ValueStream& integer(std::int32_t value) { return tag(kNodeInteger).tag(value); }
    ValueStream& real(float value) { return realBits(FloatBits(value)); }
    ValueStream& realBits(std::uint32_t bits) {
        return tag(kNodeFloat).tag(static_cast<std::int32_t>(bits));
    }
    ValueStream& text(std::string_view bytes) {
        return textWithLength(static_cast<std::int32_t>(bytes.size()), bytes);
    }
    // A string whose stored length need not match the bytes that follow.
    ValueStream& textWithLength(std::int32_t length, std::string_view bytes) {
        return tag(kNodeString).tag(length).raw(BytesOf(bytes));
    }
    ValueStream& list(std::int32_t count) { return tag(kNodeList).tag(count); }
    // A named setting in key-count-values layout: key, list count + 1, values.
    ValueStream& setting(std::string_view key, std::initializer_list<std::string_view> values) {
        text(key).list(static_cast<std::int32_t>(values.size()) + 1);
        for (std::string_view value : values)
            text(value);
        return *this;
    }
    ValueStream& end() { return tag(kNodeBlank); }
    ValueStream& raw(const Bytes& more) {
        Append(bytes_, more);
        return *this;
    }

    const Bytes& bytes() const { return bytes_; }
    std::size_t size() const { return bytes_.size(); }

private:
    Bytes bytes_;
};

// A directory record with recognisable values in every carried-through field.
inline ArchiveEntry Record(std::string_view name, std::int32_t offset = 0, std::int32_t size = 0,
                           char pad = '\0') {
    const std::string aux = std::string("aux \x01\xE9\xFF text of ") + std::string(name);
    return ArchiveEntry{offset, size,  Padded(name, 64, pad), -123456, Padded(aux, 64, ' '), -2, 3,
                        0x7ABC, -32768};
}

// Builds an archive: entry data (with optional gaps) first, then the 148-byte
// directory records in the order they were added, then a trailer of either form.
class ArchiveBuilder {
public:
    // Appends bytes to the data area and returns where they start.
    std::int32_t data(const Bytes& bytes) {
        const auto at = static_cast<std::int32_t>(data_.size());
        Append(data_, bytes);
        return at;
    }
    ArchiveBuilder& gap(std::size_t count, std::uint8_t fill = 0xEE) {
        data_.insert(data_.end(), count, fill);
        return *this;
    }
    // Data and a record that describes it exactly.
    ArchiveBuilder& entry(std::string_view name, const Bytes& bytes, char pad = '\0') {
        const std::int32_t at = data(bytes);
        return record(Record(name, at, static_cast<std::int32_t>(bytes.size()), pad));
    }
    ArchiveBuilder& record(const ArchiveEntry& record) {
        records_.push_back(record);
        return *this;
    }

    std::vector<ArchiveEntry>& records() { return records_; }

    // Standard form: int32 `first`, int32 `count` (default: the records added).
    Bytes standard(std::int32_t first = 1) const { return standardWithCount(count(), first); }
    Bytes standardWithCount(std::int32_t count, std::int32_t first = 1) const {
        return body({first, count});
    }
    // Alternate form: int32 `first`, int32 `count`, int32 `last` (outside 1 ... 10000).
    Bytes alternate(std::int32_t last = 0, std::int32_t first = 0x5A5A5A5A) const {
        return alternateWithCount(count(), last, first);
    }
    Bytes alternateWithCount(std::int32_t count, std::int32_t last = 0,
                             std::int32_t first = 0x5A5A5A5A) const {
        return body({first, count, last});
    }

private:
    std::int32_t count() const { return static_cast<std::int32_t>(records_.size()); }
    Bytes body(std::initializer_list<std::int32_t> trailer) const {
        Bytes out = data_;
        for (const ArchiveEntry& r : records_) {
            AppendInt32(out, r.offset);
            AppendInt32(out, r.size);
            Append(out, BytesOf(Padded(r.name)));
            AppendInt32(out, r.aux1);
            Append(out, BytesOf(Padded(r.auxText)));
            AppendInt32(out, static_cast<std::uint16_t>(r.aux2) | r.aux3 << 16);
            AppendInt32(out, static_cast<std::uint16_t>(r.aux4) | r.aux5 << 16);
        }
        for (std::int32_t word : trailer)
            AppendInt32(out, word);
        return out;
    }

    Bytes data_;
    std::vector<ArchiveEntry> records_;
};

// A node list built from the given nodes after the blank node 0.
inline NodeList Nodes(std::initializer_list<ReaderNode> nodes) {
    NodeList list{ReaderNode{}};
    list.insert(list.end(), nodes.begin(), nodes.end());
    return list;
}

// A node of the given type with the length the parser gives it.
inline ReaderNode Node(std::int32_t type, std::string text) {
    const auto length = type == kNodeString ? static_cast<std::int32_t>(text.size()) : -1;
    return ReaderNode{type, length, std::move(text)};
}

// The stream of a mission info entry: node 3 "db_name", node 5 the name, then
// one "MAP" setting per map value.
inline Bytes MissionInfo(std::string_view name, std::initializer_list<std::string_view> maps,
                         std::string_view nameKey = "db_name") {
    ValueStream stream;
    stream.list(3 + static_cast<std::int32_t>(maps.size())).list(2).text(nameKey).list(2);
    stream.text(name);
    for (std::string_view map : maps)
        stream.setting("MAP", {map});
    return stream.bytes();
}

// "rimage.pbd": a 24-byte header whose fourth int32 is the record count, the
// 40-byte index records, then the pictures.
struct PictureSpec {
    std::string name; // stored in the 32-byte name field, NUL padded unless already 32 long
    std::int16_t width = 0;
    std::int16_t height = 0;
    std::vector<std::uint16_t> pixels; // row by row from the top
};

inline Bytes PictureBytes(const PictureSpec& picture) {
    Bytes out;
    AppendInt32(out, 0x13572468); // not used by the reader
    AppendInt32(out, static_cast<std::uint16_t>(picture.width) | picture.height << 16);
    AppendInt32(out, -1);
    AppendInt32(out, 0x0BADF00D);
    for (std::uint16_t pixel : picture.pixels)
        out.insert(out.end(),
                   {static_cast<std::uint8_t>(pixel), static_cast<std::uint8_t>(pixel >> 8)});
    return out;
}

inline Bytes PictureFile(const std::vector<PictureSpec>& pictures) {
    Bytes out;
    for (std::int32_t word : {0x11111111, 0x22222222, 0x33333333})
        AppendInt32(out, word);
    AppendInt32(out, static_cast<std::int32_t>(pictures.size()));
    for (std::int32_t word : {0x55555555, 0x66666666})
        AppendInt32(out, word);
    auto at = static_cast<std::int32_t>(24 + 40 * pictures.size());
    for (std::size_t j = 0; j < pictures.size(); ++j) {
        Append(out, BytesOf(Padded(pictures[j].name, 32)));
        AppendInt32(out, at);
        AppendInt32(out, 1000 + static_cast<std::int32_t>(j));
        at += static_cast<std::int32_t>(PictureBytes(pictures[j]).size());
    }
    for (const PictureSpec& picture : pictures)
        Append(out, PictureBytes(picture));
    return out;
}

// A folder of its own under the system's temporary folder, removed afterwards.
class TempDir {
public:
    // A new folder with a random name; a name already taken is passed over.
    TempDir() {
        std::random_device random;
        do
            path_ = std::filesystem::temp_directory_path() /
                    ("kmission-test-" + std::to_string(random()));
        while (!std::filesystem::create_directory(path_));
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(std::string_view name) const { return (path_ / name).string(); }

    std::string write(std::string_view name, const Bytes& bytes) const {
        const std::string target = file(name);
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out)
            throw std::runtime_error("cannot write a test file");
        return target;
    }

    Bytes read(std::string_view name) const {
        std::ifstream in(file(name), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // Names of everything in the folder (or in one of its sub-folders).
    std::set<std::string> entries(std::string_view sub = {}) const {
        std::set<std::string> names;
        for (const auto& item : std::filesystem::directory_iterator(path_ / sub))
            names.insert(item.path().filename().string());
        return names;
    }

private:
    std::filesystem::path path_;
};

} // namespace kmission::fixtures
