#pragma once
// A look over many small files spends much of its time in the system,
// copying each file into memory. ReadAhead does that copying on a second
// thread, a few files ahead of the check, so that it overlaps the check of
// the file before.
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tmf::cli {

class ReadAhead {
public:
    // paths in the order they will be taken; files up to maxSize bytes are
    // read ahead.
    ReadAhead(std::vector<std::string> paths, std::size_t maxSize);
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The whole content of the next file, valid until the next call; nullptr
    // when it was not read ahead (too large, no plain file, an error): the
    // caller then reads it itself and says what is wrong with it.
    const std::vector<unsigned char>* next();

private:
    static constexpr std::size_t kSlots = 4;
    struct Slot {
        std::size_t file = static_cast<std::size_t>(-1);
        bool read = false;
        std::vector<unsigned char> bytes;
    };
    void readAll();

    std::vector<std::string> paths_;
    std::size_t maxSize_;
    Slot slots_[kSlots];
    std::size_t taken_ = 0;  // files handed out; all before the last are done with
    bool stop_ = false;
    std::mutex mutex_;
    std::condition_variable filled_, freed_;
    std::thread thread_;
};

}  // namespace tmf::cli
