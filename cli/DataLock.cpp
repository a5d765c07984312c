#include "DataLock.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "FileIo.h"
#include "FileIoErrors.h"

namespace tmf::cli {

namespace {

bool ProcessAlive(const std::string& firstLine) {
    char* end = nullptr;
    errno = 0;
    const long pid = std::strtol(firstLine.c_str(), &end, 10);
    if (errno != 0 || end == firstLine.c_str() || pid <= 0 || pid > INT_MAX) return false;
    // EPERM: the process exists but belongs to another user.
    return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace

bool LockHeld(const std::string& dataDir) {
    const auto content = ReadFileStart(dataDir + kLockFileName, 256);
    if (!content) return false;
    return ProcessAlive(content->substr(0, content->find('\n')));
}

DataLock::Result DataLock::take(const std::string& dataDir, const std::string& programName, std::string* errorText) {
    const std::string path = dataDir + kLockFileName;
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    const std::string content = std::to_string(getpid()) + "\n" + programName + "\n" + host + "\n";
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            const bool written = write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
            const int error = errno;
            close(fd);
            if (!written) {
                unlink(path.c_str());
                if (errorText) *errorText = detail::ErrnoText(error);
                return Result::Failed;
            }
            path_ = path;
            return Result::Taken;
        }
        if (errno != EEXIST) {
            if (errorText) *errorText = detail::ErrnoText(errno);
            return Result::Failed;
        }
        if (LockHeld(dataDir)) return Result::Held;
        // Left by a process that ended: take it over.
        if (unlink(path.c_str()) != 0 && errno != ENOENT) {
            if (errorText) *errorText = detail::ErrnoText(errno);
            return Result::Failed;
        }
    }
    return Result::Held;
}

void DataLock::release() {
    if (path_.empty()) return;
    unlink(path_.c_str());
    path_.clear();
}

}  // namespace tmf::cli
