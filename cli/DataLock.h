#pragma once
// The one-copy lock of a data folder, shared with the windowed program: the
// file ".termif98.lock" holding "PID\nprogram\nhost\n". It is held while the
// file exists and its process lives; a lock left by a process that ended is
// taken over.
#include <string>

namespace tmf::cli {

inline constexpr const char* kLockFileName = ".termif98.lock";

// True when a living process holds the lock of the folder.
bool LockHeld(const std::string& dataDir);

class DataLock {
public:
    DataLock() = default;
    ~DataLock() { release(); }
    DataLock(const DataLock&) = delete;
    DataLock& operator=(const DataLock&) = delete;

    enum class Result { Taken, Held, Failed };
    // Takes the lock of the folder. Held: another process has it; Failed:
    // the lock file cannot be written (errorText says why).
    Result take(const std::string& dataDir, const std::string& programName, std::string* errorText = nullptr);
    void release();

private:
    std::string path_;
};

}  // namespace tmf::cli
