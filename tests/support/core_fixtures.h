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
    const auto u = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(u >> shift));
}

inline void AppendInt16(Bytes& out, std::int16_t value) {
    const auto u = static_cast<std::uint16_t>(value);
    out.push_back(static_cast<std::uint8_t>(u));
    out.push_back(static_cast<std::uint8_t>(u >> 8));
}

inline void AppendText(Bytes& out, std::string_view bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

inline void Append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}

// Little-endian decoding done by hand, independent of the library's readers.
inline std::int32_t Int32In(const Bytes& bytes, std::size_t position) {
    if (position + 4 > bytes.size())
        throw std::out_of_range("int32 beyond the end of the bytes");
    std::uint32_t u = 0;
    for (int i = 3; i >= 0; --i)
        u = u << 8 | bytes[position + static_cast<std::size_t>(i)];
    return static_cast<std::int32_t>(u);
}

inline std::int16_t Int16In(const Bytes& bytes, std::size_t position) {
    if (position + 2 > bytes.size())
        throw std::out_of_range("int16 beyond the end of the bytes");
    return static_cast<std::int16_t>(bytes[position] | bytes[position + 1] << 8);
}

inline std::string TextIn(const Bytes& bytes, std::size_t position, std::size_t size) {
    if (position + size > bytes.size())
        throw std::out_of_range("text beyond the end of the bytes");
    return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(position),
                       bytes.begin() + static_cast<std::ptrdiff_t>(position + size));
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
    ValueStream& integer(std::int32_t value) {
        AppendInt32(bytes_, kNodeInteger);
        AppendInt32(bytes_, value);
        return *this;
    }
    ValueStream& real(float value) { return realBits(FloatBits(value)); }
    ValueStream& realBits(std::uint32_t bits) {
        AppendInt32(bytes_, kNodeFloat);
        AppendInt32(bytes_, static_cast<std::int32_t>(bits));
        return *this;
    }
    ValueStream& text(std::string_view bytes) {
        return textWithLength(static_cast<std::int32_t>(bytes.size()), bytes);
    }
    // A string whose stored length need not match the bytes that follow.
    ValueStream& textWithLength(std::int32_t length, std::string_view bytes) {
        AppendInt32(bytes_, kNodeString);
        AppendInt32(bytes_, length);
        AppendText(bytes_, bytes);
        return *this;
    }
    ValueStream& list(std::int32_t count) {
        AppendInt32(bytes_, kNodeList);
        AppendInt32(bytes_, count);
        return *this;
    }
    // A named setting in key-count-values layout: key, list count + 1, values.
    ValueStream& setting(std::string_view key, std::initializer_list<std::string_view> values) {
        text(key);
        list(static_cast<std::int32_t>(values.size()) + 1);
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

// The bytes of one 148-byte directory record.
inline Bytes RecordBytes(const ArchiveEntry& record) {
    Bytes out;
    AppendInt32(out, record.offset);
    AppendInt32(out, record.size);
    AppendText(out, Padded(record.name, 64));
    AppendInt32(out, record.aux1);
    AppendText(out, Padded(record.auxText, 64));
    AppendInt16(out, record.aux2);
    AppendInt16(out, record.aux3);
    AppendInt16(out, record.aux4);
    AppendInt16(out, record.aux5);
    return out;
}

// A directory record with recognisable values in every carried-through field.
inline ArchiveEntry Record(std::string_view name, std::int32_t offset = 0, std::int32_t size = 0,
                           char pad = '\0') {
    ArchiveEntry record;
    record.offset = offset;
    record.size = size;
    record.name = Padded(name, 64, pad);
    record.aux1 = -123456;
    record.auxText = Padded(std::string("aux \x01\xE9\xFF text of ") + std::string(name), 64, ' ');
    record.aux2 = -2;
    record.aux3 = 3;
    record.aux4 = 0x7ABC;
    record.aux5 = -32768;
    return record;
}

// Builds an archive: entry data (with optional gaps) first, then the directory
// records in the order they were added, then a trailer of either form.
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
        records_.push_back(Record(name, at, static_cast<std::int32_t>(bytes.size()), pad));
        return *this;
    }
    ArchiveBuilder& record(const ArchiveEntry& record) {
        records_.push_back(record);
        return *this;
    }

    std::vector<ArchiveEntry>& records() { return records_; }

    // Standard form: int32 `first`, int32 `count` (default: the records added).
    Bytes standard(std::int32_t first = 1) const {
        return standardWithCount(static_cast<std::int32_t>(records_.size()), first);
    }
    Bytes standardWithCount(std::int32_t count, std::int32_t first = 1) const {
        Bytes out = body();
        AppendInt32(out, first);
        AppendInt32(out, count);
        return out;
    }
    // Alternate form: int32 `first`, int32 `count`, int32 `last` (outside 1 ... 10000).
    Bytes alternate(std::int32_t last = 0, std::int32_t first = 0x5A5A5A5A) const {
        return alternateWithCount(static_cast<std::int32_t>(records_.size()), last, first);
    }
    Bytes alternateWithCount(std::int32_t count, std::int32_t last = 0,
                             std::int32_t first = 0x5A5A5A5A) const {
        Bytes out = body();
        AppendInt32(out, first);
        AppendInt32(out, count);
        AppendInt32(out, last);
        return out;
    }

private:
    Bytes body() const {
        Bytes out = data_;
        for (const ArchiveEntry& record : records_)
            Append(out, RecordBytes(record));
        return out;
    }

    Bytes data_;
    std::vector<ArchiveEntry> records_;
};

// One decoded directory record of an archive in the standard form.
inline ArchiveEntry RecordIn(const Bytes& file, std::size_t position) {
    ArchiveEntry record;
    record.offset = Int32In(file, position);
    record.size = Int32In(file, position + 4);
    record.name = TextIn(file, position + 8, 64);
    record.aux1 = Int32In(file, position + 72);
    record.auxText = TextIn(file, position + 76, 64);
    record.aux2 = Int16In(file, position + 140);
    record.aux3 = Int16In(file, position + 142);
    record.aux4 = Int16In(file, position + 144);
    record.aux5 = Int16In(file, position + 146);
    return record;
}

// The directory of a standard-form archive decoded by hand.
inline std::vector<ArchiveEntry> DirectoryIn(const Bytes& file) {
    const std::int32_t count = Int32In(file, file.size() - 4);
    const std::size_t start = file.size() - 8 - 148 * static_cast<std::size_t>(count);
    std::vector<ArchiveEntry> records;
    for (std::int32_t i = 0; i < count; ++i)
        records.push_back(RecordIn(file, start + 148 * static_cast<std::size_t>(i)));
    return records;
}

// A node list built from (type, length, text) triples after the blank node 0.
inline NodeList Nodes(std::initializer_list<ReaderNode> nodes) {
    NodeList list{ReaderNode{}};
    list.insert(list.end(), nodes.begin(), nodes.end());
    return list;
}

inline ReaderNode IntNode(std::string text) {
    return ReaderNode{kNodeInteger, -1, std::move(text)};
}
inline ReaderNode FloatNode(std::string text) {
    return ReaderNode{kNodeFloat, -1, std::move(text)};
}
inline ReaderNode ListNode(std::string text) {
    return ReaderNode{kNodeList, -1, std::move(text)};
}
inline ReaderNode StringNode(std::string text) {
    const auto length = static_cast<std::int32_t>(text.size());
    return ReaderNode{kNodeString, length, std::move(text)};
}

// The stream of a mission info entry: node 3 "db_name", node 5 the name, then
// one "MAP" setting per map value.
inline Bytes MissionInfo(std::string_view name, std::initializer_list<std::string_view> maps,
                         std::string_view nameKey = "db_name") {
    ValueStream stream;
    stream.list(3 + static_cast<std::int32_t>(maps.size()))
        .list(2)
        .text(nameKey)
        .list(2)
        .text(name);
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
    AppendInt16(out, picture.width);
    AppendInt16(out, picture.height);
    AppendInt32(out, -1);
    AppendInt32(out, 0x0BADF00D);
    for (std::uint16_t pixel : picture.pixels)
        AppendInt16(out, static_cast<std::int16_t>(pixel));
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
        AppendText(out, Padded(pictures[j].name, 32));
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
    // A new folder with a random name; names already taken are passed over.
    TempDir() {
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            auto candidate = std::filesystem::temp_directory_path() /
                             ("kmission-test-" + std::to_string(random()));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) {
                path_ = std::move(candidate);
                return;
            }
        }
        throw std::runtime_error("cannot create a temporary folder");
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
