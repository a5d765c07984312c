#include "ReadAhead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tmf::cli {

namespace {

// The whole of a plain file of at most maxSize bytes, or false. Anything
// unusual is left to the caller's own read, which names it.
bool ReadSmallFile(const std::string& path, std::size_t maxSize, std::vector<unsigned char>& bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st {};
    bool read = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<std::size_t>(st.st_size) <= maxSize;
    if (read) {
        const auto size = static_cast<std::size_t>(st.st_size);
        bytes.resize(size);
        std::size_t done = 0;
        while (read && done < size) {
            const ssize_t got = ::pread(fd, bytes.data() + done, size - done, static_cast<off_t>(done));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) read = false;
            else done += static_cast<std::size_t>(got);
        }
    }
    ::close(fd);
    return read;
}

}  // namespace

ReadAhead::ReadAhead(std::vector<std::string> paths, std::size_t maxSize)
    : paths_(std::move(paths)), maxSize_(maxSize), thread_([this] { readAll(); }) {}

ReadAhead::~ReadAhead() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    freed_.notify_one();
    thread_.join();
}

void ReadAhead::readAll() {
    for (std::size_t file = 0; file < paths_.size(); ++file) {
        Slot& slot = slots_[file % kSlots];
        {
            // The slot is free once the file before it there is done with.
            std::unique_lock lock(mutex_);
            freed_.wait(lock, [&] { return stop_ || file < taken_ + kSlots - 1; });
            if (stop_) return;
        }
        bool read = false;
        try {
            read = ReadSmallFile(paths_[file], maxSize_, slot.bytes);
        } catch (...) {
            // Out of memory: the caller reads it itself.
        }
        {
            std::lock_guard lock(mutex_);
            slot.read = read;
            slot.file = file;
        }
        filled_.notify_one();
    }
}

const std::vector<unsigned char>* ReadAhead::next() {
    std::unique_lock lock(mutex_);
    if (taken_ >= paths_.size()) return nullptr;
    const std::size_t file = taken_++;
    freed_.notify_one();
    Slot& slot = slots_[file % kSlots];
    filled_.wait(lock, [&] { return slot.file == file; });
    return slot.read ? &slot.bytes : nullptr;
}

}  // namespace tmf::cli
