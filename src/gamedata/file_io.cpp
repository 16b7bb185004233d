#include "file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kmission {

std::optional<Bytes> ReadWholeFile(const std::string& path,
                                   const std::function<void()>& pieceRead) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error) {
        return std::nullopt;
    }
    // Piece by piece through a small buffer, so that the memory is taken as
    // the bytes arrive (and not cleared first) and the caller gets its turn
    // between pieces.
    Bytes bytes;
    bytes.reserve(static_cast<std::size_t>(size));
    Bytes piece(std::min<std::size_t>(kReadChunkSize, static_cast<std::size_t>(size)));
    while (bytes.size() < size) {
        const std::size_t wanted =
            std::min<std::size_t>(piece.size(), static_cast<std::size_t>(size) - bytes.size());
        in.read(reinterpret_cast<char*>(piece.data()), static_cast<std::streamsize>(wanted));
        if (static_cast<std::size_t>(in.gcount()) != wanted) {
            return std::nullopt;
        }
        bytes.insert(bytes.end(), piece.begin(),
                     piece.begin() + static_cast<std::ptrdiff_t>(wanted));
        if (pieceRead) {
            pieceRead();
        }
    }
    return bytes;
}

namespace {

std::string Reason(int error) {
    return std::strerror(error);
}

#ifndef _WIN32

// A temporary file beside the target, so that the final rename stays on one
// file system and is atomic.
struct TempFile {
    std::string path;
    int fd = -1;
};

std::optional<TempFile> CreateTempBeside(const std::string& target, int& error) {
    std::string pattern = target + ".kmission-XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        error = errno;
        return std::nullopt;
    }
    return TempFile{pattern, fd};
}

// New files get the usual permissions (0666 less the umask); a replaced file
// keeps its own.
void SetPermissions(int fd, const std::string& target) {
    struct stat existing;
    if (::stat(target.c_str(), &existing) == 0) {
        ::fchmod(fd, existing.st_mode & 07777);
        return;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
}

int WriteAll(int fd, ByteView bytes, const WriteFaultInjector& injectFault) {
    std::size_t done = 0;
    int writeNumber = 0;
    while (done < bytes.size() || (bytes.empty() && writeNumber == 0)) {
        const std::size_t piece = std::min(kWriteChunkSize, bytes.size() - done);
        ++writeNumber;
        if (injectFault) {
            if (const int injected = injectFault(writeNumber)) {
                return injected;
            }
        }
        if (piece == 0) {
            break;
        }
        const ssize_t written = ::write(fd, bytes.data() + done, piece);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        done += static_cast<std::size_t>(written);
    }
    return 0;
}

#endif

} // namespace

std::optional<std::string> WriteFileSafely(const std::string& path, ByteView bytes,
                                           const WriteFaultInjector& injectFault) {
    std::error_code fsError;
    if (std::filesystem::is_directory(path, fsError)) {
        return "it is a folder";
    }
#ifndef _WIN32
    int error = 0;
    auto temp = CreateTempBeside(path, error);
    if (!temp) {
        return Reason(error);
    }
    SetPermissions(temp->fd, path);
    error = WriteAll(temp->fd, bytes, injectFault);
    if (error == 0 && ::fsync(temp->fd) != 0) {
        error = errno;
    }
    if (::close(temp->fd) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && ::rename(temp->path.c_str(), path.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temp->path.c_str());
        return Reason(error);
    }
    return std::nullopt;
#else
    const std::string tempPath = path + ".kmission-tmp";
    std::FILE* file = std::fopen(tempPath.c_str(), "wb");
    if (!file) {
        return Reason(errno);
    }
    int error = 0;
    std::size_t done = 0;
    int writeNumber = 0;
    while (error == 0 && done < bytes.size()) {
        const std::size_t piece = std::min(kWriteChunkSize, bytes.size() - done);
        ++writeNumber;
        if (injectFault) {
            error = injectFault(writeNumber);
        }
        if (error == 0 && std::fwrite(bytes.data() + done, 1, piece, file) != piece) {
            error = errno ? errno : EIO;
        }
        done += piece;
    }
    if (std::fclose(file) != 0 && error == 0) {
        error = errno ? errno : EIO;
    }
    if (error == 0) {
        std::filesystem::rename(tempPath, path, fsError);
        if (fsError) {
            error = fsError.value();
        }
    }
    if (error != 0) {
        std::filesystem::remove(tempPath, fsError);
        return Reason(error);
    }
    return std::nullopt;
#endif
}

} // namespace kmission
