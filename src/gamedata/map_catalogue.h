#pragma once

#include "archive.h"
#include "message.h"
#include "reader_tree.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kmission {

// One map of the catalogue "maps.prd". `name` and `bitmap` are exactly 12
// bytes (cut or padded with spaces); `mpp` is world units per picture pixel;
// `offsetX` / `offsetZ` are the world coordinates at the view's left and top edge.
struct MapInfo {
    std::string name = std::string(12, ' ');
    std::string bitmap = std::string(12, ' ');
    float mpp = 0.0f;
    std::int16_t offsetX = 0;
    std::int16_t offsetY = 0;
    std::int16_t offsetZ = 0;

    friend bool operator==(const MapInfo&, const MapInfo&) = default;
};

inline constexpr std::size_t kMapNameWidth = 12;

struct MapCatalogue {
    std::vector<MapInfo> maps; // map k of the game is maps[k - 1]
    Messages messages;         // "error", "error 2", ... in the order met
};

// Walks the parsed "maps.prd" nodes: after "maps" the next node is skipped; a
// node "9" starts a map record (list count 9, key-count-values layout) and the
// walk goes on 16 nodes later. A key or count node that does not hold the
// expected text gives its message and the record is read on regardless. Nodes
// beyond the last one read as empty texts, so a record cut short by the end of
// the entry gives the messages of its missing keys and empty values.
MapCatalogue BuildMapCatalogue(const NodeList& mapsNodes);

// The shared archive "reader.pbd" read as start-up reads it: both trailer forms,
// the last entry named "maps.prd" (else slot 0) parsed and walked.
struct SharedArchive {
    bool ok = false;                     // false: start-up ends after `messages`
    std::vector<ArchiveEntry> directory; // names cleaned and padded to 64
    NodeList mapsNodes{ReaderNode{}};
    MapCatalogue catalogue;
    Messages messages; // refusal or catalogue messages, in the order shown
};

inline constexpr const char* kSharedArchiveName = "reader.pbd";
inline constexpr const char* kMapCatalogueEntry = "maps.prd";
inline constexpr const char* kPictureFileName = "rimage.pbd";

SharedArchive ReadSharedArchive(ByteView file, const ParseOptions& options = {});

// One record of the index at the head of "rimage.pbd": a 24-byte header whose
// fourth int32 is the record count M, then M records of 40 bytes: char[32]
// name, int32 offset of the picture, int32 extra (not interpreted).
struct PictureIndexEntry {
    std::string name = std::string(32, '\0');
    std::int32_t offset = 0;
    std::int32_t extra = 0;

    friend bool operator==(const PictureIndexEntry&, const PictureIndexEntry&) = default;
};

inline constexpr std::int64_t kPictureIndexHeaderSize = 24;
inline constexpr std::int64_t kPictureIndexRecordSize = 40;

// Reads the index from the first bytes of "rimage.pbd" (`head` may be the whole
// file or just its beginning). A missing,
// empty or short file gives an empty index; a count that is negative or larger
// than the file can hold gives only the records that are really there.
std::vector<PictureIndexEntry> ReadPictureIndex(ByteView head);

// Reads the index from the file at `path` (native path); missing or unreadable: empty.
std::vector<PictureIndexEntry> ReadPictureIndexFile(const std::string& path);

} // namespace kmission
