#include "archive.h"

#include "text.h"

namespace kmission {

namespace {

std::string TextAt(ByteView file, std::int64_t position, std::size_t size) {
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        const auto p = position + static_cast<std::int64_t>(i);
        if (p >= 0 && p < static_cast<std::int64_t>(file.size())) {
            text[i] = static_cast<char>(file[static_cast<std::size_t>(p)]);
        }
    }
    return text;
}

// A 64-byte field as written: cut, or padded with NULs when a caller built a
// record with a shorter text.
std::string PadTo64(const std::string& text) {
    std::string field = text.substr(0, 64);
    field.resize(64, '\0');
    return field;
}

bool DirectoryFits(ByteView file, std::int32_t count, std::int32_t trailerSize) {
    const auto length = static_cast<std::int64_t>(file.size());
    return length - trailerSize - kDirectoryRecordSize * count >= 0;
}

} // namespace

TrailerResult ReadTrailer(ByteView file, TrailerForms forms) {
    const auto length = static_cast<std::int64_t>(file.size());
    TrailerResult result;
    const std::int32_t last = Int32At(file, length - 4);
    if (last >= 1 && last <= kMaxArchiveEntries) {
        if (!DirectoryFits(file, last, 8)) {
            result.error = TrailerError::DirectoryBeyondFile;
            return result;
        }
        result.trailer = Trailer{last, 8};
        return result;
    }
    if (forms == TrailerForms::StandardOnly) {
        result.error = TrailerError::CountOutOfRange;
        return result;
    }
    const std::int32_t alternate = Int32At(file, length - 8);
    if (alternate == 0) {
        result.error = TrailerError::AlternateCountZero;
        return result;
    }
    // The alternate form only requires a non-zero count; a negative count, or
    // one whose records the file cannot hold, is refused rather than read.
    if (alternate < 0 || alternate > kMaxArchiveEntries || !DirectoryFits(file, alternate, 12)) {
        result.error = TrailerError::DirectoryBeyondFile;
        return result;
    }
    result.trailer = Trailer{alternate, 12};
    return result;
}

std::vector<ArchiveEntry> ReadDirectory(ByteView file, const Trailer& trailer) {
    const auto length = static_cast<std::int64_t>(file.size());
    const std::int64_t start = length - trailer.trailerSize - kDirectoryRecordSize * trailer.count;
    std::vector<ArchiveEntry> directory(static_cast<std::size_t>(trailer.count));
    for (std::int32_t i = 0; i < trailer.count; ++i) {
        const std::int64_t at = start + kDirectoryRecordSize * i;
        ArchiveEntry& e = directory[static_cast<std::size_t>(i)];
        ReadInt32At(file, at, e.offset);
        ReadInt32At(file, at + 4, e.size);
        e.name = TextAt(file, at + 8, 64);
        ReadInt32At(file, at + 72, e.aux1);
        e.auxText = TextAt(file, at + 76, 64);
        ReadInt16At(file, at + 140, e.aux2);
        ReadInt16At(file, at + 142, e.aux3);
        ReadInt16At(file, at + 144, e.aux4);
        ReadInt16At(file, at + 146, e.aux5);
    }
    return directory;
}

int FindEntry(const std::vector<ArchiveEntry>& directory, std::string_view name) {
    int found = -1;
    for (std::size_t i = 0; i < directory.size(); ++i) {
        if (CleanText(directory[i].name) == name) {
            found = static_cast<int>(i);
        }
    }
    return found;
}

void WriteDirectoryAndTrailer(ByteWriter& out, const std::vector<ArchiveEntry>& directory) {
    for (const ArchiveEntry& e : directory) {
        out.int32(e.offset);
        out.int32(e.size);
        out.bytes(PadTo64(e.name));
        out.int32(e.aux1);
        out.bytes(PadTo64(e.auxText));
        out.int16(e.aux2);
        out.int16(e.aux3);
        out.int16(e.aux4);
        out.int16(e.aux5);
    }
    out.int32(1);
    out.int32(static_cast<std::int32_t>(directory.size()));
}

Bytes WriteArchive(std::vector<ArchiveEntry>& directory, const std::vector<Bytes>& entryBytes) {
    Bytes out;
    ByteWriter writer(out);
    for (std::size_t i = 0; i < directory.size(); ++i) {
        const auto start = writer.position();
        if (i < entryBytes.size()) {
            out.insert(out.end(), entryBytes[i].begin(), entryBytes[i].end());
        }
        directory[i].offset = static_cast<std::int32_t>(start);
        directory[i].size = static_cast<std::int32_t>(writer.position() - start);
    }
    WriteDirectoryAndTrailer(writer, directory);
    return out;
}

} // namespace kmission
