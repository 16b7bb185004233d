#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace kmission {

// Value tags of the reader data format. Each value is an int32 tag and its payload:
// 0 ends the entry; 1 int32; 2 float32; 3 int32 n and n bytes; 4 int32 list count.
enum NodeType : std::int32_t {
    kNodeBlank = 0,
    kNodeInteger = 1,
    kNodeFloat = 2,
    kNodeString = 3,
    kNodeList = 4,
};

// One value of an entry, held as text. `length` is the byte count read for a
// string (before cleaning), -1 for the numbers and lists and 0 for the blank
// node. `text` is the decimal number (types 1 and 4), the general float text
// (type 2) or the CleanText of the string's bytes (type 3), in the game's 8-bit
// code page.
//
// A mission holds millions of values, so a node takes 16 bytes: one byte for
// the type and the text's size, and a text of up to 15 bytes (every number,
// floats in exponent form included, and nearly every key) in the node itself.
// The length is not held when it is the usual one for the type (the text's
// size for a string). Anything else goes to a block of its own on the heap.
class ReaderNode {
public:
    ReaderNode() = default;
    // Inline: a mission builds millions of nodes, nearly all held inline.
    ReaderNode(std::int32_t type, std::int32_t length, std::string_view text) {
        assign(type, length, text);
    }
    ReaderNode(const ReaderNode& other) {
        if (other.form_ == kInBlock) {
            assignBlock(other.type(), other.length(), other.text());
        } else {
            std::memcpy(static_cast<void*>(this), &other, sizeof(ReaderNode));
        }
    }
    ReaderNode(ReaderNode&& other) noexcept;
    ReaderNode& operator=(const ReaderNode& other);
    ReaderNode& operator=(ReaderNode&& other) noexcept;
    ~ReaderNode() { release(); }

    std::int32_t type() const { return form_ == kInBlock ? block()->type : form_ >> kTypeShift; }
    std::int32_t length() const {
        return form_ == kInBlock ? block()->length : UsualLength(type(), form_ & kSizeMask);
    }
    std::string_view text() const {
        if (form_ == kInBlock) {
            Block* held = block();
            return {held->chars(), held->size};
        }
        return {bytes_, static_cast<std::size_t>(form_ & kSizeMask)};
    }

    // Replaces the text; the type and the length read stay as they are.
    void setText(std::string_view text);

    // A text is held inline exactly when it is short and has its usual type
    // and length, so nodes held differently differ, and inline ones are equal
    // when their type, size and text bytes are: the first 1 + size bytes of
    // the node, compared as two words (the map view compares every region
    // and unit node on every repaint).
    friend bool operator==(const ReaderNode& a, const ReaderNode& b) {
        if (a.form_ == kInBlock || b.form_ == kInBlock) {
            return a.form_ == b.form_ && a.type() == b.type() && a.length() == b.length() &&
                   a.text() == b.text();
        }
        static_assert(std::endian::native == std::endian::little, "little-endian hosts only");
        static_assert(offsetof(ReaderNode, form_) == 0 && offsetof(ReaderNode, bytes_) == 1);
        std::uint64_t words[2][2];
        std::memcpy(words[0], &a, sizeof(ReaderNode));
        std::memcpy(words[1], &b, sizeof(ReaderNode));
        const unsigned meaningful = 1 + (a.form_ & kSizeMask); // 1 ... 16 bytes
        const std::uint64_t low = meaningful >= 8 ? ~0ull : (1ull << (8 * meaningful)) - 1;
        const std::uint64_t high = meaningful <= 8    ? 0ull
                                   : meaningful >= 16 ? ~0ull
                                                      : (1ull << (8 * (meaningful - 8))) - 1;
        return ((words[0][0] ^ words[1][0]) & low) == 0 &&
               ((words[0][1] ^ words[1][1]) & high) == 0;
    }

private:
    struct Block {
        std::int32_t type;
        std::int32_t length;
        std::uint32_t size;
        char* chars() { return reinterpret_cast<char*>(this + 1); }
    };
    static constexpr std::size_t kInlineBytes = 15;
    // An inline node's form is its type times 16 plus its text's size.
    static constexpr unsigned kTypeShift = 4;
    static constexpr std::uint8_t kSizeMask = 0x0F;
    static constexpr std::uint8_t kInBlock = 0xFF;

    // The length a node of this type and text has unless it says otherwise.
    static std::int32_t UsualLength(std::int32_t type, std::size_t textSize) {
        if (type == kNodeString) {
            return static_cast<std::int32_t>(textSize);
        }
        return type == kNodeBlank ? 0 : -1;
    }
    Block* block() const {
        Block* held;
        std::memcpy(&held, bytes_, sizeof held);
        return held;
    }
    void assign(std::int32_t type, std::int32_t length, std::string_view text) {
        if (text.size() <= kInlineBytes && type >= kNodeBlank && type <= kNodeList &&
            length == UsualLength(type, text.size())) {
            form_ = static_cast<std::uint8_t>((type << kTypeShift) | text.size());
            CopyShort(bytes_, text);
            return;
        }
        assignBlock(type, length, text);
    }
    void assignBlock(std::int32_t type, std::int32_t length, std::string_view text);
    void release();

    // Copies a text of at most 15 bytes with copies of fixed sizes, which the
    // compiler turns into a few moves: a call of memcpy for each node took a
    // tenth of opening a mission.
    static void CopyShort(char* to, std::string_view text) {
        const char* from = text.data();
        const std::size_t size = text.size();
        if (size >= 8) {
            std::memcpy(to, from, 8);
            std::memcpy(to + size - 8, from + size - 8, 8);
        } else if (size >= 4) {
            std::memcpy(to, from, 4);
            std::memcpy(to + size - 4, from + size - 4, 4);
        } else if (size > 0) {
            to[0] = from[0];
            to[size / 2] = from[size / 2];
            to[size - 1] = from[size - 1];
        }
    }

    std::uint8_t form_ = 0;         // type and size of an inline text, or kInBlock
    char bytes_[kInlineBytes] = {}; // the text held inline, or the Block's address
};

static_assert(sizeof(ReaderNode) == 16);

} // namespace kmission
