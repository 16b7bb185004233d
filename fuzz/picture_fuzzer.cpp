// "rimage.pbd" on any bytes: the index at its head, the look-up by name and
// the decoding of every picture the index points at.

#include "fuzz_check.h"
#include "map_catalogue.h"
#include "picture_decoder.h"
#include "text.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace kmission {
namespace {

// Index records whose pictures are decoded for one input; an index that
// points a thousand times at one large picture would otherwise only slow the
// search down.
constexpr std::size_t kPicturesPerInput = 8;

std::uint8_t ByteAt(ByteView file, std::int64_t position) {
    return file[static_cast<std::size_t>(position)];
}

void CheckPicture(ByteView file, std::int64_t offset, const DecodedPicture& picture) {
    FUZZ_CHECK(picture.width >= 1 && picture.height >= 1);
    const std::int64_t pixels = static_cast<std::int64_t>(picture.width) * picture.height;
    FUZZ_CHECK(static_cast<std::int64_t>(picture.pixels.size()) == pixels);
    const std::int64_t data = offset + kPictureHeaderSize;
    FUZZ_CHECK(data + 2 * pixels <= static_cast<std::int64_t>(file.size()));
    for (const std::int64_t i : {std::int64_t{0}, pixels / 2, pixels - 1}) {
        const std::uint32_t colour = picture.pixels[static_cast<std::size_t>(i)];
        FUZZ_CHECK(colour ==
                   PixelToColor(ByteAt(file, data + 2 * i), ByteAt(file, data + 2 * i + 1)));
        // The fixed low parts of the widened channels and the empty top byte.
        FUZZ_CHECK((colour & 0xFF000000u) == 0 && (colour & 0x070307u) == 0x070307u);
    }
}

} // namespace
} // namespace kmission

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kmission;
    const ByteView file(data, size);
    std::vector<PictureIndexEntry> index = ReadPictureIndex(file);
    FUZZ_CHECK(static_cast<std::int64_t>(index.size()) * kPictureIndexRecordSize +
                   kPictureIndexHeaderSize <=
               std::max<std::int64_t>(static_cast<std::int64_t>(size), kPictureIndexHeaderSize));

    const std::size_t looked = std::min(index.size(), kPicturesPerInput);
    for (std::size_t j = 0; j < looked; ++j) {
        const std::string name = CleanText(index[j].name);
        const int record = FindPictureRecord(index, ToLowerAscii(name));
        // The last record of the same name wins, so it is this one or a later one.
        FUZZ_CHECK(record >= static_cast<int>(j) + 1);
        FUZZ_CHECK(index[j].name.size() == 32);
        const std::int64_t offset = index[static_cast<std::size_t>(record - 1)].offset;

        int rows = 0;
        const auto readAt = [file](std::int64_t position, void* buffer, std::size_t wanted) {
            const auto length = static_cast<std::int64_t>(file.size());
            if (position < 0 || position >= length) {
                return std::size_t{0};
            }
            const auto got =
                std::min<std::size_t>(wanted, static_cast<std::size_t>(length - position));
            std::memcpy(buffer, file.data() + position, got);
            return got;
        };
        const auto streamed =
            DecodePicture(readAt, static_cast<std::int64_t>(size), offset, [&rows] { ++rows; });
        const auto inMemory = DecodePicture(file, offset);
        FUZZ_CHECK(streamed.has_value() == inMemory.has_value());
        if (inMemory) {
            CheckPicture(file, offset, *inMemory);
            FUZZ_CHECK(rows == inMemory->height);
            FUZZ_CHECK(streamed->pixels == inMemory->pixels);
        }
    }
    return 0;
}
