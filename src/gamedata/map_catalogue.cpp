#include "map_catalogue.h"

#include "file_io.h"
#include "text.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace kmission {

namespace {

// Checks a key or count node of a map record; the record is read on either way.
void Expect(const NodeList& nodes, std::int64_t k, const char* expected, const char* message,
            Messages& messages) {
    if (NodeText(nodes, k) != expected) {
        messages.push_back(Message{message});
    }
}

MapInfo ReadMapRecord(const NodeList& nodes, std::int64_t k, Messages& messages) {
    MapInfo map;
    Expect(nodes, k + 1, "name", "error", messages);
    Expect(nodes, k + 2, "2", "error 2", messages);
    map.name = PadText(NodeText(nodes, k + 3), kMapNameWidth);
    Expect(nodes, k + 4, "bitmap", "error", messages);
    Expect(nodes, k + 5, "2", "error 22", messages);
    map.bitmap = PadText(NodeText(nodes, k + 6), kMapNameWidth);
    Expect(nodes, k + 7, "mpp", "error", messages);
    Expect(nodes, k + 8, "2", "error 23", messages);
    map.mpp = static_cast<float>(TextToNumber(NodeText(nodes, k + 9)));
    Expect(nodes, k + 10, "offset", "error", messages);
    Expect(nodes, k + 11, "4", "error 24", messages);
    // Offsets that do not fit 16 bits are clamped to the nearest end of the range.
    map.offsetX = ToInt16(TextToNumber(NodeText(nodes, k + 12)));
    map.offsetY = ToInt16(TextToNumber(NodeText(nodes, k + 13)));
    map.offsetZ = ToInt16(TextToNumber(NodeText(nodes, k + 14)));
    return map;
}

} // namespace

MapCatalogue BuildMapCatalogue(const NodeList& mapsNodes) {
    MapCatalogue catalogue;
    const std::int64_t count = static_cast<std::int64_t>(mapsNodes.size()) - 1;
    std::int64_t i = 0;
    do {
        ++i;
        const std::string_view s = NodeText(mapsNodes, i);
        if (s == "maps") {
            ++i;
        } else if (s == "9") {
            catalogue.maps.push_back(ReadMapRecord(mapsNodes, i, catalogue.messages));
            i += 15;
        }
    } while (i < count);
    return catalogue;
}

SharedArchive ReadSharedArchive(ByteView file, const ParseOptions& options) {
    SharedArchive shared;
    const TrailerResult trailer = ReadTrailer(file, TrailerForms::StandardOrAlternate);
    if (!trailer.trailer) {
        shared.messages.push_back(Message{"Bad File"});
        return shared;
    }
    shared.directory = ReadDirectory(file, *trailer.trailer);
    for (ArchiveEntry& entry : shared.directory) {
        entry.name = PadText(CleanText(entry.name), 64);
    }
    int slot = FindEntry(shared.directory, kMapCatalogueEntry);
    if (slot < 0) {
        slot = 0;
    }
    const ArchiveEntry& maps = shared.directory[static_cast<std::size_t>(slot)];
    if (const auto failure = ParseEntry(file, maps.offset, maps.size, shared.mapsNodes, options)) {
        shared.messages = StartupParseMessages(*failure);
        shared.mapsNodes.assign(1, ReaderNode{});
        return shared;
    }
    shared.catalogue = BuildMapCatalogue(shared.mapsNodes);
    shared.messages = shared.catalogue.messages;
    shared.ok = true;
    return shared;
}

std::vector<PictureIndexEntry> ReadPictureIndex(ByteView head) {
    std::vector<PictureIndexEntry> index;
    if (static_cast<std::int64_t>(head.size()) < kPictureIndexHeaderSize) {
        return index;
    }
    const std::int32_t count = Int32At(head, 12);
    const std::int64_t present =
        (static_cast<std::int64_t>(head.size()) - kPictureIndexHeaderSize) /
        kPictureIndexRecordSize;
    const std::int64_t records = std::clamp<std::int64_t>(count, 0, present);
    index.resize(static_cast<std::size_t>(records));
    for (std::int64_t j = 0; j < records; ++j) {
        const std::int64_t at = kPictureIndexHeaderSize + kPictureIndexRecordSize * j;
        PictureIndexEntry& entry = index[static_cast<std::size_t>(j)];
        entry.name.assign(reinterpret_cast<const char*>(head.data() + at), 32);
        entry.offset = Int32At(head, at + 32);
        entry.extra = Int32At(head, at + 36);
    }
    return index;
}

std::vector<PictureIndexEntry> ReadPictureIndexFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {};
    }
    Bytes head(static_cast<std::size_t>(kPictureIndexHeaderSize));
    in.read(reinterpret_cast<char*>(head.data()), kPictureIndexHeaderSize);
    if (in.gcount() != kPictureIndexHeaderSize) {
        return {};
    }
    // Read only as many records as the header announces and the file holds.
    std::error_code error;
    const auto fileSize = static_cast<std::int64_t>(std::filesystem::file_size(path, error));
    const std::int64_t count = error ? 0 : Int32At(head, 12);
    const std::int64_t present =
        error ? 0 : (fileSize - kPictureIndexHeaderSize) / kPictureIndexRecordSize;
    if (count > 0 && present > 0) {
        const auto wanted =
            static_cast<std::size_t>(std::min(count, present) * kPictureIndexRecordSize);
        head.resize(head.size() + wanted);
        in.read(reinterpret_cast<char*>(head.data()) + kPictureIndexHeaderSize,
                static_cast<std::streamsize>(wanted));
        head.resize(static_cast<std::size_t>(kPictureIndexHeaderSize + in.gcount()));
    }
    return ReadPictureIndex(head);
}

} // namespace kmission
