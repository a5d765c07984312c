#pragma once
// The data folder's lock for termif98-sync: the one the windowed program and
// termif98-check hold. Reached through this one function, so that the lock's
// home can move without the command noticing.
#include <chrono>
#include <memory>
#include <thread>
#include <string>

#include "DataLock.h"

namespace tmf::sync {

using DataFolderLock = tmf::DataLock;

enum class LockOutcome { Taken, Held, Failed };

// Takes the lock of dataDir into lock; why says what failed. A terminal
// check or import holds it only for a moment and is waited for; the windowed
// program holds it for as long as it runs.
inline LockOutcome TakeDataFolderLock(DataFolderLock& lock, const std::string& dataDir, const std::string& program,
                                      std::string* why) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(kDataLockWaitMs);
    for (;;) {
        IoError error;
        switch (lock.take(dataDir, program, &error)) {
            case DataFolderLock::Result::Taken: return LockOutcome::Taken;
            case DataFolderLock::Result::Failed:
                if (why) *why = error.reason;
                return LockOutcome::Failed;
            case DataFolderLock::Result::Held: break;
        }
        const auto holder = ReadLockHolder(dataDir);
        const bool windowed = holder && holder->program == kWindowedProgramName;
        if (windowed || std::chrono::steady_clock::now() >= giveUp) return LockOutcome::Held;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

}  // namespace tmf::sync
