#include "FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "FileIoErrors.h"

namespace tmf {
namespace fs = std::filesystem;

using detail::ErrnoText;
using detail::NotRegularText;
using detail::SetError;

namespace detail {

std::string ErrnoText(int err) {
    switch (err) {
        case ENOSPC: return "Kein Platz mehr auf dem Datenträger.";
        case EDQUOT: return "Der Speicherplatz des Benutzers ist erschöpft.";
        case EACCES:
        case EPERM: return "Keine Berechtigung.";
        case EROFS: return "Der Datenträger ist schreibgeschützt.";
        case ENOENT: return "Datei oder Ordner nicht gefunden.";
        case EISDIR: return "Der Name bezeichnet einen Ordner.";
        case EIO: return "Ein-/Ausgabefehler.";
        case ENXIO: return NotRegularText(S_IFIFO);
        case ELOOP: return "Der Name ist eine symbolische Verknüpfung, der hier nicht gefolgt wird.";
        default: return std::string("Systemfehler ") + std::to_string(err) + ".";
    }
}

std::string NotRegularText(mode_t mode) {
    if (S_ISDIR(mode)) return ErrnoText(EISDIR);
    return "Der Name bezeichnet keine gewöhnliche Datei, sondern eine Pipe, ein Gerät oder einen Socket.";
}

std::string ForeignLinkText() {
    return "Der Name führt über eine symbolische Verknüpfung eines anderen Benutzers in einem Ordner, "
           "in den alle schreiben dürfen; ihr wird nicht gefolgt.";
}

}  // namespace detail

// Opens a plain file for reading; -1 (with the reason) for anything else.
// A FIFO would hold the open until some writer comes, and opening a device
// can have effects of its own, so the kind is looked at first and the open
// itself never waits.
static int OpenForReading(const std::string& path, struct stat& st, IoError* error) {
    if (::stat(path.c_str(), &st) != 0) {
        SetError(error, ErrnoText(errno));
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        SetError(error, NotRegularText(st.st_mode));
        return -1;
    }
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        SetError(error, ErrnoText(errno));
        return -1;
    }
    // Something else may have taken the name in between.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        SetError(error, NotRegularText(st.st_mode));
        ::close(fd);
        return -1;
    }
    return fd;
}

static FileStamp StampFrom(const struct stat& st) {
    return {static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino),
            static_cast<unsigned long long>(st.st_size),
            static_cast<long long>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

std::optional<FileStamp> StampOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return StampFrom(st);
}

PlainFileReader::~PlainFileReader() {
    if (fd_ >= 0) ::close(fd_);
}

bool PlainFileReader::open(const std::string& path, IoError* error) {
    struct stat st {};
    fd_ = OpenForReading(path, st, error);
    size_ = fd_ >= 0 ? static_cast<std::size_t>(st.st_size) : 0;
    if (fd_ >= 0) stamp_ = StampFrom(st);
    if (fd_ >= 0) ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    return fd_ >= 0;
}

std::optional<std::size_t> PlainFileReader::read(void* buffer, std::size_t n, IoError* error) {
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        ssize_t got = ::read(fd_, out + done, n - done);
        if (got < 0) {
            if (errno == EINTR) continue;
            SetError(error, ErrnoText(errno));
            return std::nullopt;
        }
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

std::optional<std::string> ReadFileStart(const std::string& path, std::size_t limit, IoError* error) {
    struct stat st {};
    int fd = OpenForReading(path, st, error);
    if (fd < 0) return std::nullopt;
    std::string data(limit, '\0');
    std::size_t done = 0;
    while (done < limit) {
        ssize_t n = ::read(fd, data.data() + done, limit - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            SetError(error, ErrnoText(errno));
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    data.resize(done);
    ::close(fd);
    return data;
}

std::optional<std::string> ReadWholeFile(const std::string& path, IoError* error) {
    struct stat st {};
    int fd = OpenForReading(path, st, error);
    if (fd < 0) return std::nullopt;
    std::string data;
    data.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    char more[4096];
    while (true) {
        // Once the expected size is in, read on into a small buffer: the file
        // may have grown, and growing the big one now would copy all of it.
        const bool full = done == data.size();
        ssize_t n = full ? ::read(fd, more, sizeof more) : ::read(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            SetError(error, ErrnoText(errno));
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        if (full) data.append(more, static_cast<std::size_t>(n));
        done += static_cast<std::size_t>(n);
    }
    data.resize(done);
    ::close(fd);
    return data;
}

PathKind KindOfPath(const std::string& path) {
    struct stat st {};
    if (path.empty()) return PathKind::Missing;
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISREG(st.st_mode)) return PathKind::File;
        return S_ISDIR(st.st_mode) ? PathKind::Directory : PathKind::Special;
    }
    // A link whose target is gone is still something the user put there.
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) return PathKind::DanglingLink;
    return PathKind::Missing;
}

std::string PathKindText(PathKind kind) {
    switch (kind) {
        case PathKind::File: return {};
        case PathKind::Missing: return ErrnoText(ENOENT);
        case PathKind::Directory: return NotRegularText(S_IFDIR);
        case PathKind::Special: return NotRegularText(S_IFIFO);
        case PathKind::DanglingLink: return "Der Name ist eine symbolische Verknüpfung, deren Ziel fehlt.";
    }
    return {};
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

bool DirectoryExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

bool DeleteFile(const std::string& path) {
    std::error_code ec;
    return fs::remove(path, ec);
}

bool SameFile(const std::string& a, const std::string& b) {
    if (a == b) return true;
    if (a.empty() || b.empty()) return false;
    std::error_code ec;
    if (fs::path(a).lexically_normal() == fs::path(b).lexically_normal()) return true;
    bool same = fs::equivalent(a, b, ec);
    return !ec && same;
}

std::string ExtractFileName(const std::string& path) {
    auto pos = path.find_last_of('/');
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string ExtractFileDir(const std::string& path) {
    auto pos = path.find_last_of('/');
    return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

}  // namespace tmf
