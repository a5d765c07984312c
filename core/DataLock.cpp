#include "DataLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "FileIoErrors.h"

namespace tmf {

using detail::ErrnoText;
using detail::SetError;

namespace {

std::function<void(DataLockStep)> gStepHook;

void Step(DataLockStep step) {
    if (gStepHook) gStepHook(step);
}

bool SameInode(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

void WriteHolder(int fd, std::string_view program) {
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    const std::string text = std::to_string(::getpid()) + "\n" + std::string(program) + "\n" + host + "\n";
    // Only information: a lock whose text could not be written still holds.
    if (::ftruncate(fd, 0) == 0) {
        [[maybe_unused]] const ssize_t written = ::pwrite(fd, text.data(), text.size(), 0);
    }
}

}  // namespace

void SetDataLockStepHookForTesting(std::function<void(DataLockStep)> hook) { gStepHook = std::move(hook); }

DataLock::Result DataLock::take(const std::string& dataDir, std::string_view program, IoError* error) {
    if (held()) return Result::Taken;
    const auto folder = ResolveForWriting(dataDir, error);
    if (!folder) return Result::Failed;
    const std::string path = *folder + "/" + kDataLockFileName;
    // A round goes on to the next only when the file it opened was removed
    // by its holder in between; the next round opens the file now there.
    for (int round = 0; round < 1000; ++round) {
        // 0600: another user who could open it could lock it and keep the
        // program from starting.
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600);
        if (fd < 0) {
            SetError(error, ErrnoText(errno));
            return Result::Failed;
        }
        struct stat own {};
        if (::fstat(fd, &own) != 0 || !S_ISREG(own.st_mode)) {
            SetError(error, detail::NotRegularText(own.st_mode));
            ::close(fd);
            return Result::Failed;
        }
        Step(DataLockStep::Opened);
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int err = errno;
            ::close(fd);
            if (err == EWOULDBLOCK) return Result::Held;
            if (err == EINTR) continue;
            SetError(error, ErrnoText(err));
            return Result::Failed;
        }
        Step(DataLockStep::Locked);
        // A file no longer at the name locks nothing: the next run opens
        // the new one. Only a holder removes the file, so once the name is
        // seen to lead to the locked file it stays so until release().
        struct stat now {};
        if (::lstat(path.c_str(), &now) != 0 || !SameInode(now, own)) {
            ::close(fd);
            continue;
        }
        WriteHolder(fd, program);
        fd_ = fd;
        path_ = path;
        return Result::Taken;
    }
    return Result::Held;
}

void DataLock::release() {
    if (fd_ < 0) return;
    // Removed while still locked, so that no one can take the file and then
    // lose it; a file put at the name by someone else stays.
    struct stat own {}, now {};
    if (::fstat(fd_, &own) == 0 && ::lstat(path_.c_str(), &now) == 0 && SameInode(own, now)) ::unlink(path_.c_str());
    Step(DataLockStep::Removed);
    ::close(fd_);
    fd_ = -1;
    path_.clear();
}

std::optional<LockHolder> ReadLockHolder(const std::string& dataDir) {
    const auto text = ReadFileStart(dataDir + kDataLockFileName, 512);
    if (!text) return std::nullopt;
    const auto firstEnd = text->find('\n');
    const auto secondEnd = firstEnd == std::string::npos ? std::string::npos : text->find('\n', firstEnd + 1);
    if (secondEnd == std::string::npos) return std::nullopt;
    LockHolder holder;
    char* end = nullptr;
    holder.pid = std::strtol(text->c_str(), &end, 10);
    if (end != text->c_str() + firstEnd || holder.pid <= 0) return std::nullopt;
    holder.program = text->substr(firstEnd + 1, secondEnd - firstEnd - 1);
    return holder;
}

}  // namespace tmf
