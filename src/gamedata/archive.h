#pragma once

#include "byte_io.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kmission {

// One 148-byte directory record of a ".pbd" archive (little-endian on disk):
//   0 int32 offset   4 int32 size   8 char[64] name   72 int32 aux1
//   76 char[64] auxText   140..146 int16 aux2, aux3, aux4, aux5
// `name` and `auxText` hold all 64 bytes as read (padding included) so that a
// record is written back byte for byte; only `offset` and `size` are rewritten.
struct ArchiveEntry {
    std::int32_t offset = 0;
    std::int32_t size = 0;
    std::string name = std::string(64, '\0');
    std::int32_t aux1 = 0;
    std::string auxText = std::string(64, '\0');
    std::int16_t aux2 = 0;
    std::int16_t aux3 = 0;
    std::int16_t aux4 = 0;
    std::int16_t aux5 = 0;

    friend bool operator==(const ArchiveEntry&, const ArchiveEntry&) = default;
};

inline constexpr std::int64_t kDirectoryRecordSize = 148;
inline constexpr std::int32_t kMaxArchiveEntries = 10000;

// Which trailers a reader accepts: mission archives only the standard 8-byte
// form; the shared archive "reader.pbd" also the 12-byte alternate form.
enum class TrailerForms { StandardOnly, StandardOrAlternate };

struct Trailer {
    std::int32_t count = 0;       // N, the number of directory records
    std::int32_t trailerSize = 8; // 8 (standard) or 12 (alternate)
};

enum class TrailerError {
    CountOutOfRange,     // standard form: last int32 outside 1 ... 10000
    AlternateCountZero,  // alternate form: int32 at L - 8 is 0 ("Bad File")
    DirectoryBeyondFile, // the count claims more directory records than the file holds
};

struct TrailerResult {
    std::optional<Trailer> trailer;
    TrailerError error = TrailerError::CountOutOfRange;
};

// Reads the trailer: the int32 at L - 4 in 1 ... 10000 is the count of the
// standard form; otherwise, where allowed, a non-zero int32 at L - 8 is the
// count of the alternate form. A count whose directory would start before the
// beginning of the file is refused rather than read from nowhere.
TrailerResult ReadTrailer(ByteView file, TrailerForms forms);

// Reads the `trailer.count` records that end `trailer.trailerSize` bytes before
// the end of the file, in file order.
std::vector<ArchiveEntry> ReadDirectory(ByteView file, const Trailer& trailer);

// Slot of the last record whose CleanText name equals `name` exactly, or -1.
int FindEntry(const std::vector<ArchiveEntry>& directory, std::string_view name);

// Writes an archive: the entries' bytes packed from offset 0 in directory order,
// then the records with the new `offset` and `size` (every other byte as it was),
// then the standard trailer int32 1, int32 N. `directory[i].offset/size` are
// updated to describe the written file.
Bytes WriteArchive(std::vector<ArchiveEntry>& directory, const std::vector<Bytes>& entryBytes);

// Appends the directory records (148 bytes each) and the standard trailer
// int32 1, int32 N: the end of every archive this program writes.
void WriteDirectoryAndTrailer(ByteWriter& out, const std::vector<ArchiveEntry>& directory);

} // namespace kmission
