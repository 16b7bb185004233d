#include "reader_node.h"

#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

namespace kmission {

ReaderNode::ReaderNode(ReaderNode&& other) noexcept {
    std::memcpy(static_cast<void*>(this), &other, sizeof(ReaderNode));
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
        std::memcpy(static_cast<void*>(this), &other, sizeof(ReaderNode));
        other.form_ = 0;
    }
    return *this;
}

void ReaderNode::setText(std::string_view text) {
    // Built aside first: the new text may be part of the old one.
    ReaderNode replacement(type(), length(), text);
    *this = std::move(replacement);
}

void ReaderNode::assignBlock(std::int32_t type, std::int32_t length, std::string_view text) {
    if (text.size() > std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("a node text of more than 4 GiB");
    }
    void* memory = ::operator new(sizeof(Block) + text.size());
    Block* held = new (memory) Block{type, length, static_cast<std::uint32_t>(text.size())};
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
