#pragma once
// A second thread for a look that splits its work, placed on another core
// than the caller's before it runs its first instruction.
#include <pthread.h>
#include <sched.h>

#include <functional>

namespace tmf::cli {

class OtherCore {
public:
    OtherCore() = default;
    ~OtherCore() { join(); }
    OtherCore(const OtherCore&) = delete;
    OtherCore& operator=(const OtherCore&) = delete;

    // Runs work, which must not throw, on a thread of its own. False when
    // there is no other core to have, or no thread: the caller does the work
    // itself then.
    bool start(std::function<void()> work);
    void join();
    // From the thread itself: from now on any core it may run on will do.
    void letGo() const;

private:
    static void* Run(void* self);

    std::function<void()> work_;
    pthread_t thread_{};
    bool running_ = false;
    cpu_set_t allowed_{};
};

}  // namespace tmf::cli
