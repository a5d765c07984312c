#pragma once
// The data folder's lock for termif98-sync: the one the windowed program and
// termif98-check hold. Reached through this one function, so that the lock's
// home can move without the command noticing.
#include <memory>
#include <string>

#include "DataLock.h"

namespace tmf::sync {

using DataFolderLock = tmf::DataLock;

enum class LockOutcome { Taken, Held, Failed };

// Takes the lock of dataDir into lock; why says what failed.
inline LockOutcome TakeDataFolderLock(DataFolderLock& lock, const std::string& dataDir, const std::string& program,
                                      std::string* why) {
    IoError error;
    switch (lock.take(dataDir, program, &error)) {
        case DataFolderLock::Result::Taken: return LockOutcome::Taken;
        case DataFolderLock::Result::Held: return LockOutcome::Held;
        case DataFolderLock::Result::Failed: break;
    }
    if (why) *why = error.reason;
    return LockOutcome::Failed;
}

}  // namespace tmf::sync
