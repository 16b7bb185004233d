#pragma once

#include "byte_io.h"
#include "message.h"
#include "reader_node.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kmission {

// A flat node array in stream order; element 0 is the blank node 0, so node k
// of the entry is nodes[k]. List nesting is never built.
using NodeList = std::vector<ReaderNode>;

// The text of node k, or the empty text when k is not a node of the list
// (0 and everything beyond the last node read as blank).
std::string_view NodeText(const NodeList& nodes, std::int64_t k);

// One parsed entry of the open mission archive.
struct EntryTree {
    std::string name; // CleanText of the directory name, padded with spaces to 64
    NodeList nodes{ReaderNode{}};

    int nodeCount() const { return static_cast<int>(nodes.size()) - 1; }
    friend bool operator==(const EntryTree&, const EntryTree&) = default;
};

inline constexpr int kMaxEntryNodes = 32767; // an entry's node count is 16-bit

// Why a parse failed. A tag outside 0 ... 4 is the game's "corrupt entry"; the
// other two are refusals of ours for streams the game's format cannot describe.
enum class ParseError {
    BadTag,               // `tag` holds the tag read
    NegativeStringLength, // `tag` holds the negative length
    TooManyNodes,         // more nodes than the caller's limit
};

struct ParseFailure {
    ParseError error = ParseError::BadTag;
    std::int32_t tag = 0;
    std::int64_t filePosition = 0; // 0-based offset of the first byte not yet read
};

struct ParseOptions {
    std::int64_t maxNodes = INT64_MAX;
    // Called now and then while values are read, so that a window can let its
    // events run; how often it really does anything is the caller's business.
    std::function<void()> yield;
};

// Parses the entry at [offset, offset + size) of `file` into `nodes` (which
// start as the blank node 0 alone). Stops at tag 0, at the end of the file
// (a short read; missing bytes are zero) or once the position is beyond
// offset + size, tested after each value and its following tag: a tag ending
// exactly at offset + size is still processed. A string length larger than the
// rest of the file reads what is there (the node keeps the length read).
std::optional<ParseFailure> ParseEntry(ByteView file, std::int64_t offset, std::int64_t size,
                                       NodeList& nodes, const ParseOptions& options = {});

// Part of a file held in memory: its bytes from `start` on, of a file of
// `fileSize` bytes.
struct FilePart {
    ByteView bytes;
    std::int64_t start = 0;
    std::int64_t fileSize = 0;
};

// ParseEntry on a part of the file. Where the entry reads bytes of the file
// that the part does not hold, it stops at once and sets `needsMore`: the
// nodes are then not the entry's, and it must be parsed again on a part that
// holds more.
std::optional<ParseFailure> ParseEntryIn(const FilePart& part, std::int64_t offset,
                                         std::int64_t size, NodeList& nodes,
                                         const ParseOptions& options, bool& needsMore);

// Why a node cannot be written as its type.
struct SerializeFailure {
    std::int64_t node = 0; // node number, 1-based
    std::string text;
};

// Entries are written in parts of about this many bytes, which stay in the
// processor's cache between being made and being written.
inline constexpr std::size_t kSerializedPartSize = 32 * 1024;

// Writes at the start of `room` (grown when too small; its size is room, not
// content) the value stream of the nodes from `first` on, up to about
// kSerializedPartSize bytes: types 1 and 4 as the nearest int32 of
// TextToNumber(text) (halves to even), type 2 as the nearest float32, type 3
// as the text's length and bytes. No closing tag 0 is written, except that a
// blank node (type 0) is written as its tag and ends the stream. A text whose
// number does not fit an int32 (types 1, 4) or a float32 (type 2) is refused;
// "INF", "-INF", "NAN" and "-NAN" are the texts of non-finite floats and are
// written as such, so non-finite values survive a save.
struct SerializedPart {
    std::size_t size = 0; // bytes written
    std::size_t next = 0; // the node the stream goes on from; nodes.size() when it is done
    std::optional<SerializeFailure> failure;
};
SerializedPart SerializeNodes(const NodeList& nodes, std::size_t first, Bytes& room);

// Messages of a failed parse, for the caller to show: the first box, then the
// file position with the title "Fpos". `entryName` (cleaned) is named in the
// refusals of ours.
Messages StartupParseMessages(const ParseFailure& failure);
Messages MissionParseMessages(const ParseFailure& failure, std::string_view entryName);

} // namespace kmission
