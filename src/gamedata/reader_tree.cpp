#include "reader_tree.h"

#include "text.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace kmission {

namespace {

// How many values are read between two calls of the yield callback.
constexpr int kValuesPerYield = 1024;

// Every value takes at least 8 bytes (its tag and a 4-byte payload), so the
// bytes an entry has in the file bound its node count; the nodes are reserved
// up to this many at once, so that they are not moved while the entry grows.
constexpr std::int64_t kMostNodesReserved = 1 << 16;

std::int64_t NodesBound(std::int64_t fileSize, std::int64_t offset, std::int64_t end,
                        std::int64_t maxNodes) {
    const std::int64_t first = std::max<std::int64_t>(offset, 0);
    const std::int64_t last = std::min<std::int64_t>(end, fileSize);
    const std::int64_t bound = std::max<std::int64_t>(last - first, 0) / 8 + 2;
    return std::min({bound, maxNodes, kMostNodesReserved});
}

// An entry that ended far short of its bytes (a tag 0 early on, or entries
// overlapping in the file) gives back what it reserved, so that a mission
// never holds more than twice the nodes it has.
void ReleaseUnused(NodeList& nodes) {
    if (nodes.size() < nodes.capacity() / 2) {
        nodes.shrink_to_fit();
    }
}

// Reads a file's values from the part of it held in memory. A read of bytes
// beyond the file gives zeros for them and marks the end of the file; a read
// of bytes of the file that the part does not hold marks `outside`.
struct StreamReader {
    FilePart part;
    std::int64_t position;
    bool endOfFile = false;
    bool outside = false;

    std::int32_t int32() {
        std::int32_t value = 0;
        const std::int64_t at = position - part.start;
        if (at >= 0 && at <= static_cast<std::int64_t>(part.bytes.size()) - 4) {
            std::memcpy(&value, part.bytes.data() + at, 4);
        } else if (held(position, 4) && !ReadInt32At(part.bytes, at, value)) {
            endOfFile = true; // what the part lacks here is beyond the file
        }
        position += 4;
        return value;
    }

    // Whether the part holds every byte of the file in [from, from + count).
    bool held(std::int64_t from, std::int64_t count) {
        const std::int64_t first = std::clamp<std::int64_t>(from, 0, part.fileSize);
        const std::int64_t end = std::clamp<std::int64_t>(from + count, 0, part.fileSize);
        const bool inPart =
            first >= end || (first >= part.start && end <= part.start + std::ssize(part.bytes));
        outside = outside || !inPart;
        return inPart;
    }

    float float32() {
        const std::int32_t bits = int32();
        float value;
        std::memcpy(&value, &bits, 4);
        return value;
    }

    // Reads up to `count` bytes; fewer when the file ends first.
    std::string_view bytes(std::int32_t count) {
        const std::int64_t length = part.fileSize;
        const std::int64_t start = std::clamp<std::int64_t>(position, 0, length);
        const std::int64_t available = std::max<std::int64_t>(0, length - start);
        const std::int64_t got = std::min<std::int64_t>(count, available);
        if (got > 0 && !held(start, got)) {
            return {};
        }
        if (got < count || position < 0) {
            endOfFile = true;
        }
        position += count;
        return {reinterpret_cast<const char*>(part.bytes.data()) + (start - part.start),
                static_cast<std::size_t>(got)};
    }
};

// The tag in messages: a blank before a number that is not negative.
std::string SignedText(std::int32_t value) {
    return std::string(value >= 0 ? " " : "").append(IntegerText(value));
}

Message PositionMessage(const ParseFailure& failure) {
    return Message{IntegerText(failure.filePosition), "Fpos"};
}

// The decimal text of a value (as IntegerText), without a string in between.
struct IntegerChars {
    char digits[12];
    std::string_view text;

    explicit IntegerChars(std::int32_t value) {
        const auto result = std::to_chars(digits, digits + sizeof digits, value);
        text = std::string_view(digits, static_cast<std::size_t>(result.ptr - digits));
    }
};

// Appends the string node of `bytes`, read for `length`, with its text
// cleaned: nearly every string holds no control byte and no outer space and
// is kept as it is.
void AppendString(NodeList& nodes, std::int32_t length, std::string_view bytes) {
    if (bytes.empty() ||
        (bytes.front() != ' ' && bytes.back() != ' ' && !HoldsControlByte(bytes))) {
        nodes.emplace_back(kNodeString, length, bytes);
        return;
    }
    nodes.emplace_back(kNodeString, length, CleanText(bytes));
}

// The int32 of an integer text as the parser writes it (an optional minus
// sign and at most nine digits): exactly what rounding TextToNumber gives,
// without going through a double. False for any other text. (Not an
// optional, whose flag, stored and read back with the value as one word,
// stalled every integer of a save.)
bool PlainInteger(std::string_view text, std::int32_t& value) {
    const bool negative = !text.empty() && text.front() == '-';
    const std::string_view digits = text.substr(negative ? 1 : 0);
    if (digits.empty() || digits.size() > 9) {
        return false;
    }
    std::int32_t magnitude = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return false;
        }
        magnitude = magnitude * 10 + (c - '0');
    }
    value = negative ? -magnitude : magnitude;
    return true;
}

} // namespace

std::string_view NodeText(const NodeList& nodes, std::int64_t k) {
    if (k <= 0 || k >= static_cast<std::int64_t>(nodes.size())) {
        return {};
    }
    return nodes[static_cast<std::size_t>(k)].text();
}

std::optional<ParseFailure> ParseEntry(ByteView file, std::int64_t offset, std::int64_t size,
                                       NodeList& nodes, const ParseOptions& options) {
    bool needsMore = false; // the part is the whole file
    return ParseEntryIn({file, 0, std::ssize(file)}, offset, size, nodes, options, needsMore);
}

std::optional<ParseFailure> ParseEntryIn(const FilePart& part, std::int64_t offset,
                                         std::int64_t size, NodeList& nodes,
                                         const ParseOptions& options, bool& needsMore) {
    nodes.assign(1, ReaderNode{});
    needsMore = false;
    const std::int64_t end = offset + size;
    // Each entry starts with a yield, so that a mission of many small entries
    // lets events run as often as one of a few large ones.
    if (options.yield) {
        options.yield();
    }
    StreamReader in{part, offset};
    const auto stopped = [&in, &needsMore] {
        needsMore = in.outside;
        return needsMore;
    };
    std::int32_t tag = in.int32();
    if (stopped() || in.endOfFile) {
        return std::nullopt;
    }
    nodes.reserve(
        static_cast<std::size_t>(1 + NodesBound(part.fileSize, offset, end, options.maxNodes)));
    int sinceYield = 0;
    const bool yields = static_cast<bool>(options.yield);
    // Where a value and the tag after it lie inside both the part and the
    // entry, and the node limit is not near, none of the checks at the edges
    // below can stop the entry: such runs, nearly all of a mission, are read
    // straight from the bytes. Anything else is left to those checks.
    const std::int64_t lastPlain =
        std::min(part.start + std::ssize(part.bytes), end) - 8; // the last such value's start
    for (;;) {
        while (in.position >= part.start && in.position <= lastPlain &&
               static_cast<std::int64_t>(nodes.size()) <= options.maxNodes) {
            const std::uint8_t* const at = part.bytes.data() + (in.position - part.start);
            std::int32_t payload;
            std::memcpy(&payload, at, 4);
            std::int64_t size = 4;
            if (tag == kNodeFloat) {
                FloatTextBuffer text;
                nodes.emplace_back(tag, -1, FloatText(std::bit_cast<float>(payload), text));
            } else if (tag == kNodeInteger || tag == kNodeList) {
                nodes.emplace_back(tag, -1, IntegerChars(payload).text);
            } else if (tag == kNodeString && payload >= 0 && payload <= lastPlain - in.position) {
                AppendString(
                    nodes, payload,
                    {reinterpret_cast<const char*>(at) + 4, static_cast<std::size_t>(payload)});
                size += payload;
            } else {
                break;
            }
            std::memcpy(&tag, at + size, 4);
            in.position += size + 4;
            if (yields && ++sinceYield == kValuesPerYield) {
                sinceYield = 0;
                options.yield();
            }
        }
        switch (tag) {
        case kNodeBlank:
            ReleaseUnused(nodes);
            return std::nullopt;
        case kNodeInteger:
        case kNodeList:
            nodes.emplace_back(tag, -1, IntegerChars(in.int32()).text);
            break;
        case kNodeFloat: {
            FloatTextBuffer text;
            nodes.emplace_back(tag, -1, FloatText(in.float32(), text));
            break;
        }
        case kNodeString: {
            const std::int32_t length = in.int32();
            if (length < 0) {
                return ParseFailure{ParseError::NegativeStringLength, length, in.position};
            }
            AppendString(nodes, length, in.bytes(length));
            break;
        }
        default:
            return ParseFailure{ParseError::BadTag, tag, in.position};
        }
        if (stopped()) {
            return std::nullopt;
        }
        if (static_cast<std::int64_t>(nodes.size()) - 1 > options.maxNodes) {
            return ParseFailure{ParseError::TooManyNodes, tag, in.position};
        }
        tag = in.int32();
        if (stopped()) {
            return std::nullopt;
        }
        if (yields && ++sinceYield == kValuesPerYield) {
            sinceYield = 0;
            options.yield();
        }
        if (in.endOfFile || in.position > end) {
            ReleaseUnused(nodes);
            return std::nullopt;
        }
    }
}

namespace {

// Writes at the start of `room` without growing it value by value: a save
// writes millions of values, and growing bytes for each cost more than the
// values themselves. `room` keeps its size between parts, so it is not
// filled with zeros again for each one.
class RoomWriter {
public:
    RoomWriter(Bytes& room, std::size_t size) : room_(room) {
        if (room_.size() < size) {
            room_.resize(size);
        }
        begin_ = at_ = room_.data();
        end_ = room_.data() + room_.size();
    }
    void makeRoom(std::size_t size) {
        if (static_cast<std::size_t>(end_ - at_) < size) {
            const std::size_t used = written();
            room_.resize(used + size);
            begin_ = room_.data();
            at_ = room_.data() + used;
            end_ = room_.data() + room_.size();
        }
    }
    void int32(std::int32_t value) { raw(&value, 4); }
    // A tag and its 4-byte payload, as one 8-byte store.
    void value(std::int32_t tag, std::int32_t payload) {
        const std::uint64_t both = static_cast<std::uint32_t>(tag) |
                                   static_cast<std::uint64_t>(static_cast<std::uint32_t>(payload))
                                       << 32;
        raw(&both, 8);
    }
    void bytes(std::string_view text) { raw(text.data(), text.size()); }
    std::size_t written() const { return static_cast<std::size_t>(at_ - begin_); }

private:
    void raw(const void* data, std::size_t size) {
        static_assert(std::endian::native == std::endian::little, "little-endian hosts only");
        std::memcpy(at_, data, size);
        at_ += size;
    }
    // Pointers rather than the vector's size: every byte written could be
    // the vector's own fields as far as the compiler knows, so it would read
    // them again after each value.
    Bytes& room_;
    std::uint8_t* begin_;
    std::uint8_t* at_;
    std::uint8_t* end_;
};

} // namespace

SerializedPart SerializeNodes(const NodeList& nodes, std::size_t first, Bytes& room) {
    // Every value takes 8 bytes but a string, which takes 8 and its text: the
    // room for a part's numbers is made once, a longer string makes its own.
    RoomWriter writer(room, kSerializedPartSize + 8);
    // The nodes' address and count in locals: the bytes written could be the
    // vector's own fields as far as the compiler knows.
    const ReaderNode* const node = nodes.data();
    const std::size_t count = nodes.size();
    SerializedPart part;
    std::size_t k = first;
    for (; k < count && writer.written() < kSerializedPartSize; ++k) {
        const std::int32_t type = node[k].type();
        const std::string_view text = node[k].text();
        const auto refuse = [&] {
            part.failure = SerializeFailure{static_cast<std::int64_t>(k), std::string(text)};
        };
        switch (type) {
        case kNodeBlank:
            writer.int32(kNodeBlank);
            part.size = writer.written();
            part.next = count;
            return part;
        case kNodeInteger:
        case kNodeList: {
            if (std::int32_t plain = 0; PlainInteger(text, plain)) {
                writer.value(type, plain);
                break;
            }
            const double value = RoundHalfEven(TextToNumber(text));
            if (!(value >= std::numeric_limits<std::int32_t>::min() &&
                  value <= std::numeric_limits<std::int32_t>::max())) {
                refuse();
                return part;
            }
            writer.value(type, static_cast<std::int32_t>(value));
            break;
        }
        case kNodeFloat:
            if (float value = 0.0f; FloatOfText(text, value)) {
                writer.value(type, std::bit_cast<std::int32_t>(value));
                break;
            }
            refuse();
            return part;
        case kNodeString:
            writer.makeRoom(8 + text.size());
            writer.value(type, static_cast<std::int32_t>(text.size()));
            writer.bytes(text);
            break;
        default:
            refuse();
            return part;
        }
    }
    part.size = writer.written();
    part.next = k;
    return part;
}

Messages StartupParseMessages(const ParseFailure& failure) {
    std::string text;
    switch (failure.error) {
    case ParseError::BadTag:
        text = "new type found!" + SignedText(failure.tag) + "\nOr error.";
        break;
    case ParseError::NegativeStringLength:
        text = "Bad File: \"maps.prd\" holds a string of negative length " +
               IntegerText(failure.tag) + ".";
        break;
    case ParseError::TooManyNodes:
        text = "Bad File";
        break;
    }
    return {Message{text}, PositionMessage(failure)};
}

Messages MissionParseMessages(const ParseFailure& failure, std::string_view entryName) {
    std::string text;
    switch (failure.error) {
    case ParseError::BadTag:
        text = "Corrupted Mission! " + SignedText(failure.tag);
        break;
    case ParseError::NegativeStringLength:
        text = "Corrupted Mission! The entry \"" + std::string(entryName) +
               "\" holds a string of negative length " + IntegerText(failure.tag) + ".";
        break;
    case ParseError::TooManyNodes:
        text = "Corrupted Mission! The entry \"" + std::string(entryName) +
               "\" holds more values than the editor can keep (" + IntegerText(kMaxEntryNodes) +
               ").";
        break;
    }
    return {Message{text}, PositionMessage(failure)};
}

} // namespace kmission
