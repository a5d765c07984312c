#include "FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

namespace tmf {
namespace fs = std::filesystem;

namespace {

std::optional<std::size_t> gFailAfter;

void SetError(IoError* error, const std::string& reason) {
    if (error) error->reason = reason;
}

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
        default: return std::string("Systemfehler ") + std::to_string(err) + ".";
    }
}

// Writes everything or fails; honours the test hook.
bool WriteAll(int fd, std::string_view bytes, off_t offset, bool positioned) {
    std::size_t limit = bytes.size();
    if (gFailAfter && *gFailAfter < limit) limit = *gFailAfter;
    std::size_t done = 0;
    while (done < limit) {
        ssize_t n = positioned ? ::pwrite(fd, bytes.data() + done, limit - done, offset + static_cast<off_t>(done))
                               : ::write(fd, bytes.data() + done, limit - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    if (limit < bytes.size()) {
        errno = EIO;
        return false;
    }
    return true;
}

void SyncDirectory(const std::string& dir) {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

void SetWriteFailureAfterBytesForTesting(std::optional<std::size_t> bytes) { gFailAfter = bytes; }

// Opens a plain file for reading; -1 (with the reason) for anything else.
static int OpenForReading(const std::string& path, struct stat& st, IoError* error) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        SetError(error, ErrnoText(errno));
        return -1;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        SetError(error, S_ISDIR(st.st_mode) ? ErrnoText(EISDIR) : ErrnoText(errno));
        ::close(fd);
        return -1;
    }
    return fd;
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

bool WriteFileAtomically(const std::string& path, std::string_view bytes, IoError* error) {
    std::error_code ec;
    fs::path target(path);
    if (fs::is_symlink(target, ec)) {
        fs::path resolved = fs::canonical(target, ec);
        if (!ec) target = resolved;
    }
    fs::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    std::mt19937_64 rng(std::random_device{}());
    std::string tmp;
    int fd = -1;
    for (int attempt = 0; attempt < 20 && fd < 0; ++attempt) {
        tmp = (dir / ("." + target.filename().string() + ".tmp" + std::to_string(rng() % 1000000))).string();
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        SetError(error, ErrnoText(errno));
        return false;
    }
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
    bool ok = WriteAll(fd, bytes, 0, false) && ::fsync(fd) == 0;
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && ::rename(tmp.c_str(), target.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(tmp.c_str());
        SetError(error, ErrnoText(err));
        return false;
    }
    SyncDirectory(dir.string());
    return true;
}

bool WriteFileAt(const std::string& path, std::size_t offset, std::string_view bytes, IoError* error) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        SetError(error, ErrnoText(errno));
        return false;
    }
    bool ok = WriteAll(fd, bytes, static_cast<off_t>(offset), true) && ::fsync(fd) == 0;
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) SetError(error, ErrnoText(err));
    return ok;
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
