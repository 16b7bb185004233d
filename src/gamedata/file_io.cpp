#include "file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
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

namespace fs = std::filesystem;

// Not an errno: the content gave up before it was complete.
constexpr int kNotMade = -1;

std::string Reason(int error) {
    return error == kNotMade ? kContentNotMade : std::strerror(error);
}

// Gathers a content's pieces into numbered writes of kWriteChunkSize bytes
// (the last one shorter; an empty content is one write of nothing), so that
// however the content comes, the file is written the same way and only one
// chunk is held.
class ChunkedWriter {
public:
    // Writes bytes at an offset of the file; 0 or the errno it failed with.
    using Put = std::function<int(const std::uint8_t* data, std::size_t size, std::size_t at)>;

    ChunkedWriter(Put put, const WriteFaultInjector& injectFault)
        : put_(std::move(put)), injectFault_(injectFault) {
        chunk_.reserve(kWriteChunkSize);
    }

    bool add(ByteView bytes) {
        while (!bytes.empty() && error_ == 0) {
            const std::size_t take = std::min(kWriteChunkSize - chunk_.size(), bytes.size());
            chunk_.insert(chunk_.end(), bytes.begin(),
                          bytes.begin() + static_cast<std::ptrdiff_t>(take));
            bytes = bytes.subspan(take);
            if (chunk_.size() == kWriteChunkSize) {
                write();
            }
        }
        return error_ == 0;
    }

    // Asks `content` for its pieces and writes them all: 0, the errno of the
    // first failed write, or kNotMade.
    int writeAll(const FileContent& content) {
        const bool made = content([this](ByteView piece) { return add(piece); });
        if (error_ == 0 && !made) {
            return kNotMade;
        }
        if (error_ == 0 && (!chunk_.empty() || writeNumber_ == 0)) {
            write();
        }
        return error_;
    }

private:
    void write() {
        ++writeNumber_;
        error_ = injectFault_ ? injectFault_(writeNumber_) : 0;
        if (error_ == 0 && !chunk_.empty()) {
            error_ = put_(chunk_.data(), chunk_.size(), written_);
        }
        written_ += chunk_.size();
        chunk_.clear();
    }

    Put put_;
    const WriteFaultInjector& injectFault_;
    Bytes chunk_;
    std::size_t written_ = 0;
    int writeNumber_ = 0;
    int error_ = 0;
};

FileContent WholeContent(ByteView bytes) {
    return [bytes](const PieceWriter& write) { return write(bytes); };
}

// As the shell does, a save through a link goes to the file the link leads
// to, so the link keeps leading there. The last file need not exist yet.
constexpr int kMaxLinkHops = 40;

std::optional<fs::path> FollowLinks(fs::path path, std::error_code& error) {
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        std::error_code ignored;
        if (!fs::is_symlink(fs::symlink_status(path, ignored))) {
            return path;
        }
        const fs::path leadsTo = fs::read_symlink(path, error);
        if (error) {
            return std::nullopt;
        }
        path = leadsTo.is_absolute() ? leadsTo : path.parent_path() / leadsTo;
    }
    error = std::make_error_code(std::errc::too_many_symbolic_link_levels);
    return std::nullopt;
}

// A hidden name short enough to fit beside any name the file system takes.
std::string ShortHiddenName() {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string name = ".km";
    for (int i = 0; i < 6; ++i) {
        name += kLetters[pick(random)];
    }
    return name;
}

#ifndef _WIN32

// The new bytes go to a file beside the target, so that the final rename
// stays on one file system and is atomic. Where the file system allows it the
// file has no name until the bytes are safely in it, so that a save killed
// part way leaves nothing behind.
struct TempFile {
    int fd = -1;
    std::string path; // empty while the file has no name
};

constexpr int kNameAttempts = 100;

std::optional<TempFile> CreateTempIn(const std::string& folder, int& error) {
    if (::access("/proc/self/fd", X_OK) == 0) {
        const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd >= 0) {
            return TempFile{fd, {}};
        }
    }
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string path = folder + "/" + ShortHiddenName();
        const int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
        if (fd >= 0) {
            return TempFile{fd, std::move(path)};
        }
        if (errno != EEXIST) {
            error = errno;
            return std::nullopt;
        }
    }
    error = EEXIST;
    return std::nullopt;
}

// Gives an unnamed temporary file a short name; it keeps it only for the
// instant until it is renamed over the target.
int NameTemp(TempFile& temp, const std::string& folder) {
    const std::string open = "/proc/self/fd/" + std::to_string(temp.fd);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string path = folder + "/" + ShortHiddenName();
        if (::linkat(AT_FDCWD, open.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            temp.path = std::move(path);
            return 0;
        }
        if (errno != EEXIST) {
            return errno;
        }
    }
    return EEXIST;
}

// A replaced file keeps its owner, group and mode as far as this process may
// set them: a user may not give a file away, but may keep one of their groups.
int TakeOwnerAndMode(int fd, const struct stat& existing) {
    if (::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
        if (errno != EPERM && errno != EINVAL) {
            return errno;
        }
        if (::fchown(fd, static_cast<uid_t>(-1), existing.st_gid) != 0 && errno != EPERM) {
            return errno;
        }
    }
    return ::fchmod(fd, existing.st_mode & 07777) == 0 ? 0 : errno;
}

// Errors that mean an extended attribute is not this process's to set, or
// that the file system keeps none: the file is saved without it.
bool MayNotSetAttribute(int error) {
    return error == EPERM || error == EACCES || error == ENOTSUP;
}

// A replaced file keeps its extended attributes (access lists among them) as
// far as this process may set them.
int TakeExtendedAttributes(int fd, const std::string& target) {
    ssize_t size = ::listxattr(target.c_str(), nullptr, 0);
    std::string names(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    if (size > 0) {
        size = ::listxattr(target.c_str(), names.data(), names.size());
    }
    if (size < 0) {
        return errno == ENOTSUP ? 0 : errno;
    }
    names.resize(static_cast<std::size_t>(size));
    for (std::size_t at = 0; at < names.size(); at += std::strlen(names.c_str() + at) + 1) {
        const char* name = names.c_str() + at;
        const ssize_t wanted = ::getxattr(target.c_str(), name, nullptr, 0);
        std::string value(wanted > 0 ? static_cast<std::size_t>(wanted) : 0, '\0');
        const ssize_t length =
            wanted > 0 ? ::getxattr(target.c_str(), name, value.data(), value.size()) : wanted;
        if (length < 0) {
            if (MayNotSetAttribute(errno) || errno == ENODATA) {
                continue;
            }
            return errno;
        }
        if (::fsetxattr(fd, name, value.data(), static_cast<std::size_t>(length), 0) != 0 &&
            !MayNotSetAttribute(errno)) {
            return errno;
        }
    }
    return 0;
}

// Writes `content` at the start of `fd`.
int WriteAll(int fd, const FileContent& content, const WriteFaultInjector& injectFault) {
    const auto put = [fd](const std::uint8_t* data, std::size_t size, std::size_t at) {
        std::size_t done = 0;
        while (done < size) {
            const ssize_t written =
                ::pwrite(fd, data + done, size - done, static_cast<off_t>(at + done));
            if (written < 0 && errno != EINTR) {
                return errno;
            }
            done += static_cast<std::size_t>(std::max<ssize_t>(written, 0));
        }
        return 0;
    };
    return ChunkedWriter(put, injectFault).writeAll(content);
}

int ReadAll(int fd, Bytes& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got =
            ::pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got < 0 ? errno : EIO;
        }
        done += static_cast<std::size_t>(got);
    }
    return 0;
}

// The bytes become the whole content of the open file `fd`, on disk.
int Overwrite(int fd, ByteView bytes, const WriteFaultInjector& injectFault) {
    int error = WriteAll(fd, WholeContent(bytes), injectFault);
    if (error == 0 && ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0) {
        error = errno;
    }
    if (error == 0 && ::fsync(fd) != 0) {
        error = errno;
    }
    return error;
}

// For a file that a rename cannot replace: one with other names (which would
// keep the old content) or one in a folder this process may not write to.
// The new and the old content are held in memory, and the old is written back
// if anything fails.
std::optional<std::string> WriteInPlace(const std::string& target, const FileContent& content,
                                        const WriteFaultInjector& injectFault) {
    Bytes bytes;
    if (!content([&bytes](ByteView piece) {
            bytes.insert(bytes.end(), piece.begin(), piece.end());
            return true;
        })) {
        return kContentNotMade;
    }
    const int fd = ::open(target.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return Reason(errno);
    }
    struct stat existing;
    int error = ::fstat(fd, &existing) == 0 ? 0 : errno;
    Bytes old(error == 0 ? static_cast<std::size_t>(existing.st_size) : 0);
    if (error == 0) {
        error = ReadAll(fd, old);
    }
    // Room for the longer content is taken before a byte changes, so that a
    // full disk is found while the file is still whole.
    if (error == 0 && bytes.size() > old.size() &&
        ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(bytes.size())) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS) {
        error = errno;
    }
    if (error != 0) {
        ::close(fd);
        return Reason(error);
    }
    error = Overwrite(fd, bytes, injectFault);
    std::optional<std::string> reason;
    if (error != 0) {
        reason = Reason(error);
        if (const int restoreError = Overwrite(fd, old, {})) {
            *reason +=
                ", and putting the old content back failed too (" + Reason(restoreError) + ")";
        }
    }
    if (::close(fd) != 0 && !reason) {
        reason = Reason(errno);
    }
    return reason;
}

// The usual way: a complete new file renamed over the target (or made where
// none was), so that every moment the target holds either the old or the new
// content.
std::optional<std::string> WriteAndRename(const std::string& target, const struct stat* existing,
                                          const FileContent& content,
                                          const WriteFaultInjector& injectFault) {
    const std::string parent = fs::path(target).parent_path().string();
    const std::string folder = parent.empty() ? "." : parent;
    int error = 0;
    auto temp = CreateTempIn(folder, error);
    if (!temp) {
        if (error != EACCES) {
            return Reason(error);
        }
        if (!existing) {
            return "the folder it is in may not be written to";
        }
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES) {
            return "neither the file nor the folder it is in may be written to";
        }
        return WriteInPlace(target, content, injectFault);
    }
    if (existing) {
        error = TakeOwnerAndMode(temp->fd, *existing);
    }
    if (existing && error == 0) {
        error = TakeExtendedAttributes(temp->fd, target);
    }
    if (error == 0) {
        error = WriteAll(temp->fd, content, injectFault);
    }
    if (error == 0 && ::fsync(temp->fd) != 0) {
        error = errno;
    }
    if (error == 0 && temp->path.empty()) {
        error = NameTemp(*temp, folder);
    }
    if (::close(temp->fd) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && ::rename(temp->path.c_str(), target.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        if (!temp->path.empty()) {
            ::unlink(temp->path.c_str());
        }
        // Another user's file in a shared folder (one with the sticky bit,
        // as /tmp) may be written but not replaced.
        if (error == EPERM && existing) {
            return WriteInPlace(target, content, injectFault);
        }
        return Reason(error);
    }
    // The new name on disk too; the save has happened, so a folder that
    // cannot be flushed changes nothing the user could act on.
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return std::nullopt;
}

#endif

} // namespace

std::optional<std::string> WriteFileSafely(const std::string& path, ByteView bytes,
                                           const WriteFaultInjector& injectFault) {
    return WriteFileSafely(path, WholeContent(bytes), injectFault);
}

std::optional<std::string> WriteFileSafely(const std::string& path, const FileContent& content,
                                           const WriteFaultInjector& injectFault) {
    std::error_code linkError;
    const auto followed = FollowLinks(path, linkError);
    if (!followed) {
        return linkError.message();
    }
    const std::string target = followed->string();
    std::error_code ignored;
    const fs::file_status status = fs::status(target, ignored);
    if (fs::is_directory(status)) {
        return "it is a folder";
    }
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        return "it is not a regular file";
    }
#ifndef _WIN32
    struct stat existing;
    if (::stat(target.c_str(), &existing) != 0) {
        return WriteAndRename(target, nullptr, content, injectFault);
    }
    if (existing.st_nlink > 1) {
        return WriteInPlace(target, content, injectFault);
    }
    return WriteAndRename(target, &existing, content, injectFault);
#else
    const fs::path tempPath = followed->parent_path() / ShortHiddenName();
    std::FILE* file = std::fopen(tempPath.string().c_str(), "wb");
    if (!file) {
        return Reason(errno);
    }
    const auto put = [file](const std::uint8_t* data, std::size_t size, std::size_t) {
        return std::fwrite(data, 1, size, file) == size ? 0 : (errno ? errno : EIO);
    };
    int error = ChunkedWriter(put, injectFault).writeAll(content);
    if (std::fclose(file) != 0 && error == 0) {
        error = errno ? errno : EIO;
    }
    std::optional<std::string> reason;
    if (error != 0) {
        reason = Reason(error);
    } else {
        std::error_code renameError;
        fs::rename(tempPath, *followed, renameError);
        if (renameError) {
            reason = renameError.message();
        }
    }
    if (reason) {
        fs::remove(tempPath, ignored);
        return reason;
    }
    return std::nullopt;
#endif
}

} // namespace kmission
