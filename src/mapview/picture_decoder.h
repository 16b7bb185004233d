#pragma once

#include "map_catalogue.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kmission {

// One stored 5-6-5 pixel (bytes in file order) as a 32-bit value laid out as a
// 32-bit device-independent bitmap: blue | green << 8 | red << 16, top byte 0.
// Channels are widened by shifting and adding a fixed low part: red * 8 + 7,
// green * 4 + 3, blue * 8 + 7, so 0x0000 is (7, 3, 7) and 0xFFFF white.
constexpr std::uint32_t PixelToColor(std::uint8_t b0, std::uint8_t b1) {
    const std::uint32_t blue = (b0 & 31u) * 8u + 7u;
    const std::uint32_t green = (((b1 & 7u) * 8u) + (b0 >> 5)) * 4u + 3u;
    const std::uint32_t red = (b1 >> 3) * 8u + 7u;
    return blue | green << 8 | red << 16;
}

// The 1-based index of the last record whose cleaned name equals `mapName`
// ignoring case, or 0 when none does. The record names are left cleaned and
// padded to 32 bytes, as the lookup leaves them.
int FindPictureRecord(std::vector<PictureIndexEntry>& pictureIndex, std::string_view mapName);

// A decoded map picture: pixel (x, y) is pixels[y * width + x], top row first.
struct DecodedPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

inline constexpr std::int64_t kPictureHeaderSize = 16;

// Decodes the picture whose 16-byte header starts at `offset` of "rimage.pbd"
// (header: int32 unused, int16 width, int16 height, 8 unused bytes; then
// width * height 16-bit pixels, rows top-down) from a file of `fileSize` bytes.
// `readAt` reads `size` bytes at a file position into the buffer and returns
// how many it got. Nothing comes back when the header lies: a width or height
// below 1, or pixel data that the file does not hold (checked before anything
// is allocated). `rowDone` runs after every decoded row.
using ReadAtFn = std::function<std::size_t(std::int64_t position, void* buffer, std::size_t size)>;
std::optional<DecodedPicture> DecodePicture(const ReadAtFn& readAt, std::int64_t fileSize,
                                            std::int64_t offset,
                                            const std::function<void()>& rowDone = {});

// Decodes from a file in memory.
std::optional<DecodedPicture> DecodePicture(ByteView file, std::int64_t offset);

// Looks the map up in the index and decodes its picture from the file at
// `rimagePath` (native path). Nothing when there is no record, no readable
// file, or the header lies.
std::optional<DecodedPicture> LoadPicture(const std::string& rimagePath,
                                          std::vector<PictureIndexEntry>& pictureIndex,
                                          std::string_view mapName,
                                          const std::function<void()>& rowDone = {});

} // namespace kmission
