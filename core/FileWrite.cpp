// The two ways the program writes its files: a whole file replaced through a
// hidden temporary file and a rename, and a few bytes written in place.
// Both write only plain files, and only files the user may write to.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <deque>
#include <filesystem>
#include <random>
#include <set>
#include <vector>

#include "FileIo.h"
#include "FileIoErrors.h"

namespace tmf {
namespace fs = std::filesystem;

using detail::ErrnoText;
using detail::NotRegularText;
using detail::SetError;

namespace {

std::optional<std::size_t> gFailAfter;
WriteFault gFault = WriteFault::None;
std::function<void(const std::string&)> gTemporaryObserver;

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

// Without it a power cut after the rename can leave an empty file in the
// old one's place.
bool SyncFile(int fd) {
    if (gFault == WriteFault::FailingSync) {
        errno = EIO;
        return false;
    }
    return ::fsync(fd) == 0;
}

void SyncDirectory(const std::string& dir) {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Whether the system's protection of shared folders would follow this link
// (the kernel's protected_symlinks rule, with the effective user as the
// follower): a link of the user's own, one in a folder that is not both
// writable for everybody and sticky, or one owned by that folder's owner.
// Checked here because the program resolves the links of the file it
// writes itself, and the kernel does not watch that, nor is the protection
// switched on everywhere.
bool MayFollowLink(const struct stat& link, const std::string& folder) {
    if (link.st_uid == ::geteuid()) return true;
    struct stat dir {};
    if (::stat(folder.c_str(), &dir) != 0) return false;
    if ((dir.st_mode & (S_ISVTX | S_IWOTH)) != (S_ISVTX | S_IWOTH)) return true;
    return dir.st_uid == link.st_uid;
}

std::optional<std::string> ReadLink(const std::string& path) {
    std::string target(PATH_MAX, '\0');
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n < 0 || static_cast<std::size_t>(n) >= target.size()) return std::nullopt;
    target.resize(static_cast<std::size_t>(n));
    return target;
}

// Puts the parts of a path in front of the parts still to walk.
void PushParts(std::deque<std::string>& rest, const std::string& path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t slash = std::min(path.find('/', start), path.size());
        if (slash > start) parts.emplace_back(path, start, slash - start);
        start = slash + 1;
    }
    rest.insert(rest.begin(), parts.begin(), parts.end());
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
    int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW);
    if (fd < 0) {
        SetError(error, ErrnoText(errno));
        return false;
    }
    ::close(fd);
    return true;
}

}  // namespace

void SetWriteFailureAfterBytesForTesting(std::optional<std::size_t> bytes) { gFailAfter = bytes; }
void SetWriteFaultForTesting(WriteFault fault) { gFault = fault; }
void SetTemporaryFileObserverForTesting(std::function<void(const std::string& path)> observer) {
    gTemporaryObserver = std::move(observer);
}

std::optional<std::string> ResolveForWriting(const std::string& path, IoError* error) {
    std::deque<std::string> rest;
    std::string done;  // resolved so far, free of links; "" is the root
    PushParts(rest, path);
    if (path.empty() || path[0] != '/') {
        std::error_code ec;
        const fs::path here = fs::current_path(ec);
        if (ec) {
            SetError(error, ErrnoText(ec.value()));
            return std::nullopt;
        }
        PushParts(rest, here.string());
    }
    for (int links = 0; !rest.empty();) {
        const std::string part = std::move(rest.front());
        rest.pop_front();
        if (part == ".") continue;
        if (part == "..") {
            done.resize(done.rfind('/') == std::string::npos ? 0 : done.rfind('/'));
            continue;
        }
        const std::string next = done + "/" + part;
        struct stat st {};
        // Whatever is missing or unreadable on the way, the write itself
        // will meet and report.
        if (::lstat(next.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            done = next;
            continue;
        }
        if (!MayFollowLink(st, done.empty() ? "/" : done)) {
            SetError(error, detail::ForeignLinkText());
            return std::nullopt;
        }
        const auto target = ReadLink(next);
        if (++links > 40 || !target) {
            SetError(error, ErrnoText(target ? ELOOP : errno));
            return std::nullopt;
        }
        if (!target->empty() && (*target)[0] == '/') done.clear();
        PushParts(rest, *target);
    }
    return done.empty() ? "/" : done;
}

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
    const auto resolved = ResolveForWriting(path, error);
    if (!resolved) return false;
    const fs::path target(*resolved);
    const fs::path dir = target.parent_path();
    struct stat old {};
    const bool exists = ::lstat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT) {
        SetError(error, ErrnoText(errno));
        return false;
    }
    // A link put there since it was resolved is not followed blindly.
    if (exists && S_ISLNK(old.st_mode)) {
        SetError(error, detail::ForeignLinkText());
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
    // Made with the owner's bits of the file's mode only, so that at no
    // moment may more people read the new entries than may read the old
    // ones (the umask can only take bits away); the group's and the
    // others' bits follow once the file is its owner's.
    const mode_t finalMode = exists ? (old.st_mode & 07777) : 0644;
    const mode_t createMode = exists ? (finalMode & 0700) : 0644;
    std::string tmp;
    int fd = -1;
    for (int attempt = 0; attempt < 20 && fd < 0; ++attempt) {
        std::string name =
            std::string(kTempPrefix) + std::to_string(::getpid()) + "-" + std::to_string(rng() % 1000000) + "-";
        name += own.substr(0, NAME_MAX - name.size());
        tmp = (dir / name).string();
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, createMode);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        SetError(error, ErrnoText(errno));
        return false;
    }
    if (gTemporaryObserver) gTemporaryObserver(tmp);
    if (exists) {
        // Only root may give a file away; for root saving another user's
        // file this keeps it the user's.
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
            [[maybe_unused]] const int kept = ::fchown(fd, old.st_uid, old.st_gid);
        }
        ::fchmod(fd, finalMode);
    }
    bool ok = false;
    if (gFault == WriteFault::NoSpaceForNewFiles && !bytes.empty()) errno = ENOSPC;
    else ok = WriteAll(fd, bytes, 0, false) && SyncFile(fd);
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
    const auto target = ResolveForWriting(path, error);
    if (!target) return false;
    struct stat st {};
    if (::stat(target->c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            SetError(error, NotRegularText(st.st_mode));
            return false;
        }
    } else if (errno != ENOENT) {
        SetError(error, ErrnoText(errno));
        return false;
    }
    // Without O_NONBLOCK a FIFO put there meanwhile would hold the open
    // until a reader comes; a link put there meanwhile is not followed.
    int fd = ::open(target->c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW, 0644);
    if (fd < 0) {
        SetError(error, errno == ELOOP ? detail::ForeignLinkText() : ErrnoText(errno));
        return false;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        SetError(error, NotRegularText(st.st_mode));
        ::close(fd);
        return false;
    }
    ClearFolderOnce(fs::path(*target).parent_path().string());
    bool ok = WriteAll(fd, bytes, static_cast<off_t>(offset), true) && SyncFile(fd);
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) SetError(error, ErrnoText(err));
    return ok;
}

}  // namespace tmf
