// The two ways the program writes its files: a whole file replaced through a
// hidden temporary file and a rename, and a few bytes written in place.
// Both write only plain files, and only files the user may write to.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <filesystem>
#include <random>
#include <set>

#include "FileIo.h"
#include "FileIoErrors.h"

namespace tmf {
namespace fs = std::filesystem;

using detail::ErrnoText;
using detail::NotRegularText;
using detail::SetError;

namespace {

std::optional<std::size_t> gFailAfter;

// Every temporary file starts with this and the writing process's id, so
// that a save killed half-way leaves something a later save recognises as
// its own and can clear once that process is gone.
constexpr std::string_view kTempPrefix = ".~tmf98-";

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

// The file a path finally names, through any number of symbolic links,
// also when the last one leads nowhere yet (writing then creates its target,
// as writing through the link would).
fs::path FinalTarget(const fs::path& path) {
    fs::path p = path;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(p, ec)) return p;
        fs::path next = fs::read_symlink(p, ec);
        if (ec) return p;
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
    return p;
}

bool ProcessAlive(long pid) {
    if (pid <= 0 || pid > INT_MAX) return false;
    // EPERM: alive, but another user's.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// The id in a temporary file's name, or -1 for a name that is not one.
long TempOwner(std::string_view name) {
    if (name.substr(0, kTempPrefix.size()) != kTempPrefix) return -1;
    name.remove_prefix(kTempPrefix.size());
    long pid = 0;
    std::size_t i = 0;
    for (; i < name.size() && i < 10 && name[i] >= '0' && name[i] <= '9'; ++i) pid = pid * 10 + (name[i] - '0');
    if (i == 0 || i >= name.size() || name[i] != '-') return -1;
    return pid;
}

// The check a write into the file would make: may this user write it?
// Replacing it by a new file needs only the folder's permission, which would
// let a save overwrite a file the user has made read-only.
// Leftovers can only be of processes that ended before this one looked, so
// one look per folder and run is enough; the check run writes a header into
// every listed file and should not read a folder a hundred times.
void ClearFolderOnce(const std::string& folder) {
    static std::set<std::string> cleared;
    if (cleared.insert(folder).second) RemoveStaleTemporaryFiles(folder);
}

bool MayWriteInto(const std::string& path, IoError* error) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        SetError(error, ErrnoText(errno));
        return false;
    }
    ::close(fd);
    return true;
}

}  // namespace

void SetWriteFailureAfterBytesForTesting(std::optional<std::size_t> bytes) { gFailAfter = bytes; }

int RemoveStaleTemporaryFiles(const std::string& folder) {
    DIR* d = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!d) return 0;
    const int dirFd = ::dirfd(d);
    int removed = 0;
    while (dirent* e = ::readdir(d)) {
        const long pid = TempOwner(e->d_name);
        if (pid < 0 || pid == ::getpid() || ProcessAlive(pid)) continue;
        struct stat st {};
        if (::fstatat(dirFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
        if (::unlinkat(dirFd, e->d_name, 0) == 0) ++removed;
    }
    ::closedir(d);
    return removed;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, IoError* error) {
    // A symbolic link is followed: its target is replaced and the link stays.
    const fs::path target = FinalTarget(fs::path(path));
    fs::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT) {
        SetError(error, ErrnoText(errno));
        return false;
    }
    // A FIFO or a device at the name stays what it is.
    if (exists && !S_ISREG(old.st_mode)) {
        SetError(error, NotRegularText(old.st_mode));
        return false;
    }
    if (exists && !MayWriteInto(target, error)) return false;

    ClearFolderOnce(dir.string());
    std::mt19937_64 rng(std::random_device{}());
    // The name keeps the file's own name where it fits, so that a leftover
    // can be told apart by eye; the file system allows 255 bytes.
    const std::string own = target.filename().string();
    std::string tmp;
    int fd = -1;
    for (int attempt = 0; attempt < 20 && fd < 0; ++attempt) {
        std::string name =
            std::string(kTempPrefix) + std::to_string(::getpid()) + "-" + std::to_string(rng() % 1000000) + "-";
        name += own.substr(0, NAME_MAX - name.size());
        tmp = (dir / name).string();
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        SetError(error, ErrnoText(errno));
        return false;
    }
    if (exists) {
        ::fchmod(fd, old.st_mode & 07777);
        // Only root may give a file away; for root saving another user's
        // file this keeps it the user's.
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
            [[maybe_unused]] const int kept = ::fchown(fd, old.st_uid, old.st_gid);
        }
    }
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
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            SetError(error, NotRegularText(st.st_mode));
            return false;
        }
    } else if (errno != ENOENT) {
        SetError(error, ErrnoText(errno));
        return false;
    }
    // Without O_NONBLOCK a FIFO put there meanwhile would hold the open
    // until a reader comes.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0644);
    if (fd < 0) {
        SetError(error, ErrnoText(errno));
        return false;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        SetError(error, NotRegularText(st.st_mode));
        ::close(fd);
        return false;
    }
    ClearFolderOnce(FinalTarget(fs::path(path)).parent_path().string());
    bool ok = WriteAll(fd, bytes, static_cast<off_t>(offset), true) && ::fsync(fd) == 0;
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) SetError(error, ErrnoText(err));
    return ok;
}

}  // namespace tmf
