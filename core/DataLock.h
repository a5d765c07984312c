#pragma once
// One program at a time on a data folder: the windowed program holds this
// lock for its whole run, termif98-check while it writes. Two of them on
// the same files would each write back what they had read, and the last one
// would undo the other's changes.
//
// The lock is an exclusive flock() on the open file ".termif98.lock" in the
// folder. The kernel drops it with the process that holds it, however that
// process ends, so there is never a stale lock to recognise or take over,
// and no run decides from the file's text that another is gone. The text
// (process id, program, host) is there for people and messages only.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "FileIo.h"

namespace tmf {

inline constexpr const char* kDataLockFileName = ".termif98.lock";
// What the two programs write into the lock file.
inline constexpr std::string_view kWindowedProgramName = "Termifolio98";
inline constexpr std::string_view kCheckProgramName = "termif98-check";
// How long a start waits for a lock that termif98-check holds: a check or an
// import takes well under that.
inline constexpr int kDataLockWaitMs = 5000;

class DataLock {
public:
    DataLock() = default;
    ~DataLock() { release(); }
    DataLock(const DataLock&) = delete;
    DataLock& operator=(const DataLock&) = delete;

    enum class Result { Taken, Held, Failed };
    // Takes the lock of dataDir (ending in "/") without waiting. Held: some
    // process has it (this one too, through another DataLock); Failed: the
    // lock file cannot be opened, error says why. The file is opened without
    // following a link at its name, and is not handed to programs started
    // from here.
    Result take(const std::string& dataDir, std::string_view program, IoError* error = nullptr);
    bool held() const { return fd_ >= 0; }
    // Removes the file and gives the lock back.
    void release();

private:
    int fd_ = -1;
    std::string path_;
};

struct LockHolder {
    long pid = 0;
    std::string program;
};
// What the last holder wrote into the folder's lock file, for messages.
// Whether the lock is held only DataLock::take can tell.
std::optional<LockHolder> ReadLockHolder(const std::string& dataDir);

// The moments between the steps of taking and giving back the lock, where
// tests let other processes in.
enum class DataLockStep { Opened, Locked, Removed };
void SetDataLockStepHookForTesting(std::function<void(DataLockStep)> hook);

}  // namespace tmf
