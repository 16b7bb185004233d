#include "reader_node.h"

#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

namespace kmission {

ReaderNode::ReaderNode(std::int32_t type, std::int32_t length, std::string_view text)
    : type_(type) {
    assign(length, text);
}

ReaderNode::ReaderNode(ReaderNode&& other) noexcept : type_(other.type_), form_(other.form_) {
    std::memcpy(bytes_, other.bytes_, kInlineBytes);
    other.form_ = 0;
}

ReaderNode& ReaderNode::operator=(const ReaderNode& other) {
    if (this != &other) {
        ReaderNode copy(other);
        *this = std::move(copy);
    }
    return *this;
}

ReaderNode& ReaderNode::operator=(ReaderNode&& other) noexcept {
    if (this != &other) {
        release();
        type_ = other.type_;
        form_ = other.form_;
        std::memcpy(bytes_, other.bytes_, kInlineBytes);
        other.form_ = 0;
    }
    return *this;
}

void ReaderNode::setText(std::string_view text) {
    // Built aside first: the new text may be part of the old one.
    ReaderNode replacement(type_, length(), text);
    *this = std::move(replacement);
}

namespace {

// Copies a text of at most 11 bytes with copies of fixed sizes, which the
// compiler turns into a few moves: a mission builds millions of nodes, and a
// call of memcpy for each took a tenth of opening one.
void CopyShort(char* to, std::string_view text) {
    const char* from = text.data();
    const std::size_t size = text.size();
    if (size >= 8) {
        std::memcpy(to, from, 8);
        std::memcpy(to + size - 8, from + size - 8, 8);
    } else if (size >= 4) {
        std::memcpy(to, from, 4);
        std::memcpy(to + size - 4, from + size - 4, 4);
    } else {
        for (std::size_t i = 0; i < size; ++i) {
            to[i] = from[i];
        }
    }
}

} // namespace

void ReaderNode::assign(std::int32_t length, std::string_view text) {
    if (text.size() <= kInlineBytes && length == usualLength(text.size())) {
        form_ = static_cast<std::uint8_t>(text.size());
        CopyShort(bytes_, text);
        return;
    }
    if (text.size() > std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("a node text of more than 4 GiB");
    }
    void* memory = ::operator new(sizeof(Block) + text.size());
    Block* held = new (memory) Block{length, static_cast<std::uint32_t>(text.size())};
    if (!text.empty()) {
        std::memcpy(held->chars(), text.data(), text.size());
    }
    std::memcpy(bytes_, &held, sizeof held);
    form_ = kInBlock;
}

void ReaderNode::release() {
    if (form_ == kInBlock) {
        ::operator delete(block());
    }
    form_ = 0;
}

} // namespace kmission
