#include "picture_decoder.h"

#include "text.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace kmission {

int FindPictureRecord(std::vector<PictureIndexEntry>& pictureIndex, std::string_view mapName) {
    const std::string wanted = ToUpperAscii(mapName);
    int found = 0;
    for (std::size_t i = 0; i < pictureIndex.size(); ++i) {
        std::string cleaned = CleanText(pictureIndex[i].name);
        if (ToUpperAscii(cleaned) == wanted) {
            found = static_cast<int>(i) + 1;
        }
        pictureIndex[i].name = PadText(cleaned, 32);
    }
    return found;
}

std::optional<DecodedPicture> DecodePicture(const ReadAtFn& readAt, std::int64_t fileSize,
                                            std::int64_t offset,
                                            const std::function<void()>& rowDone) {
    if (offset < 0 || offset + kPictureHeaderSize > fileSize) {
        return std::nullopt;
    }
    std::uint8_t header[kPictureHeaderSize];
    if (readAt(offset, header, sizeof header) != sizeof header) {
        return std::nullopt;
    }
    std::int16_t width;
    std::int16_t height;
    std::memcpy(&width, header + 4, 2);
    std::memcpy(&height, header + 6, 2);
    const std::int64_t dataSize = 2 * static_cast<std::int64_t>(width) * height;
    if (width < 1 || height < 1 || offset + kPictureHeaderSize + dataSize > fileSize) {
        return std::nullopt;
    }
    Bytes data(static_cast<std::size_t>(dataSize));
    if (readAt(offset + kPictureHeaderSize, data.data(), data.size()) != data.size()) {
        return std::nullopt;
    }
    DecodedPicture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    std::size_t i = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x, ++i) {
            picture.pixels[i] = PixelToColor(data[2 * i], data[2 * i + 1]);
        }
        if (rowDone) {
            rowDone();
        }
    }
    return picture;
}

std::optional<DecodedPicture> DecodePicture(ByteView file, std::int64_t offset) {
    const auto readAt = [file](std::int64_t position, void* buffer, std::size_t size) {
        const auto length = static_cast<std::int64_t>(file.size());
        if (position < 0 || position >= length) {
            return std::size_t{0};
        }
        const auto got = std::min<std::size_t>(size, static_cast<std::size_t>(length - position));
        std::memcpy(buffer, file.data() + position, got);
        return got;
    };
    return DecodePicture(readAt, static_cast<std::int64_t>(file.size()), offset);
}

std::optional<DecodedPicture> LoadPicture(const std::string& rimagePath,
                                          std::vector<PictureIndexEntry>& pictureIndex,
                                          std::string_view mapName,
                                          const std::function<void()>& rowDone) {
    const int record = FindPictureRecord(pictureIndex, mapName);
    if (record == 0) {
        return std::nullopt;
    }
    std::ifstream in(rimagePath, std::ios::binary);
    std::error_code error;
    const auto fileSize = std::filesystem::file_size(rimagePath, error);
    if (!in || error) {
        return std::nullopt;
    }
    const auto readAt = [&in](std::int64_t position, void* buffer, std::size_t size) {
        in.clear();
        in.seekg(position);
        in.read(static_cast<char*>(buffer), static_cast<std::streamsize>(size));
        return static_cast<std::size_t>(in.gcount());
    };
    return DecodePicture(readAt, static_cast<std::int64_t>(fileSize),
                         pictureIndex[static_cast<std::size_t>(record - 1)].offset, rowDone);
}

} // namespace kmission
