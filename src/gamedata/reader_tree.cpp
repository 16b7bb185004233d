#include "reader_tree.h"

#include "text.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kmission {

namespace {

// How many values are read between two calls of the yield callback.
constexpr int kValuesPerYield = 1024;

struct StreamReader {
    ByteView file;
    std::int64_t position;
    bool endOfFile = false;

    std::int32_t int32() {
        std::int32_t value = 0;
        if (!ReadInt32At(file, position, value)) {
            endOfFile = true;
        }
        position += 4;
        return value;
    }

    float float32() {
        const std::int32_t bits = int32();
        float value;
        std::memcpy(&value, &bits, 4);
        return value;
    }

    // Reads up to `count` bytes; fewer when the file ends first.
    std::string_view bytes(std::int32_t count) {
        const auto length = static_cast<std::int64_t>(file.size());
        const std::int64_t start = std::clamp<std::int64_t>(position, 0, length);
        const std::int64_t available = std::max<std::int64_t>(0, length - start);
        const std::int64_t got = std::min<std::int64_t>(count, available);
        if (got < count || position < 0) {
            endOfFile = true;
        }
        position += count;
        return {reinterpret_cast<const char*>(file.data()) + start, static_cast<std::size_t>(got)};
    }
};

// The tag in messages: a blank before a number that is not negative.
std::string SignedText(std::int32_t value) {
    return std::string(value >= 0 ? " " : "").append(IntegerText(value));
}

Message PositionMessage(const ParseFailure& failure) {
    return Message{IntegerText(failure.filePosition), "Fpos"};
}

// Texts that FloatText gives non-finite floats; they are written back as such.
std::optional<float> NonFiniteFloat(std::string_view text) {
    constexpr float inf = std::numeric_limits<float>::infinity();
    if (text == "INF") {
        return inf;
    }
    if (text == "-INF") {
        return -inf;
    }
    if (text == "NAN") {
        return std::numeric_limits<float>::quiet_NaN();
    }
    if (text == "-NAN") {
        return -std::numeric_limits<float>::quiet_NaN();
    }
    return std::nullopt;
}

} // namespace

const std::string& NodeText(const NodeList& nodes, std::int64_t k) {
    static const std::string empty;
    if (k <= 0 || k >= static_cast<std::int64_t>(nodes.size())) {
        return empty;
    }
    return nodes[static_cast<std::size_t>(k)].text;
}

std::optional<ParseFailure> ParseEntry(ByteView file, std::int64_t offset, std::int64_t size,
                                       NodeList& nodes, const ParseOptions& options) {
    nodes.assign(1, ReaderNode{});
    const std::int64_t end = offset + size;
    StreamReader in{file, offset};
    std::int32_t tag = in.int32();
    if (in.endOfFile) {
        return std::nullopt;
    }
    int sinceYield = 0;
    for (;;) {
        switch (tag) {
        case kNodeBlank:
            return std::nullopt;
        case kNodeInteger:
        case kNodeList:
            nodes.push_back({tag, -1, IntegerText(in.int32())});
            break;
        case kNodeFloat:
            nodes.push_back({tag, -1, FloatText(in.float32())});
            break;
        case kNodeString: {
            const std::int32_t length = in.int32();
            if (length < 0) {
                return ParseFailure{ParseError::NegativeStringLength, length, in.position};
            }
            nodes.push_back({tag, length, CleanText(in.bytes(length))});
            break;
        }
        default:
            return ParseFailure{ParseError::BadTag, tag, in.position};
        }
        if (static_cast<std::int64_t>(nodes.size()) - 1 > options.maxNodes) {
            return ParseFailure{ParseError::TooManyNodes, tag, in.position};
        }
        tag = in.int32();
        if (options.yield && ++sinceYield == kValuesPerYield) {
            sinceYield = 0;
            options.yield();
        }
        if (in.endOfFile || in.position > end) {
            return std::nullopt;
        }
    }
}

std::optional<SerializeFailure> SerializeNodes(const NodeList& nodes, Bytes& out) {
    ByteWriter writer(out);
    for (std::size_t k = 1; k < nodes.size(); ++k) {
        const ReaderNode& node = nodes[k];
        const auto refuse = [&] {
            return SerializeFailure{static_cast<std::int64_t>(k), node.text};
        };
        switch (node.type) {
        case kNodeBlank:
            writer.int32(kNodeBlank);
            return std::nullopt;
        case kNodeInteger:
        case kNodeList: {
            const double value = RoundHalfEven(TextToNumber(node.text));
            if (!(value >= std::numeric_limits<std::int32_t>::min() &&
                  value <= std::numeric_limits<std::int32_t>::max())) {
                return refuse();
            }
            writer.int32(node.type);
            writer.int32(static_cast<std::int32_t>(value));
            break;
        }
        case kNodeFloat: {
            float value = 0.0f;
            if (const auto special = NonFiniteFloat(node.text)) {
                value = *special;
            } else {
                value = static_cast<float>(TextToNumber(node.text));
                if (!std::isfinite(value)) {
                    return refuse();
                }
            }
            writer.int32(node.type);
            writer.float32(value);
            break;
        }
        case kNodeString:
            writer.int32(node.type);
            writer.int32(static_cast<std::int32_t>(node.text.size()));
            writer.bytes(node.text);
            break;
        default:
            return refuse();
        }
    }
    return std::nullopt;
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
