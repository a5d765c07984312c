#include "OtherCore.h"

#include <utility>

namespace tmf::cli {

bool OtherCore::start(std::function<void()> work) {
    if (running_) return false;
    CPU_ZERO(&allowed_);
    if (::sched_getaffinity(0, sizeof allowed_, &allowed_) != 0) return false;
    cpu_set_t others = allowed_;
    if (const int here = ::sched_getcpu(); here >= 0) CPU_CLR(here, &others);
    if (CPU_COUNT(&others) == 0) return false;
    work_ = std::move(work);
    // Placed there by the attributes, not after it was made: the system
    // tends to run a new thread first on the core of the one that made it,
    // and the maker then waits there until the new thread is done.
    pthread_attr_t attributes;
    if (::pthread_attr_init(&attributes) != 0) return false;
    ::pthread_attr_setaffinity_np(&attributes, sizeof others, &others);
    running_ = ::pthread_create(&thread_, &attributes, Run, this) == 0;
    ::pthread_attr_destroy(&attributes);
    return running_;
}

void OtherCore::join() {
    if (!running_) return;
    ::pthread_join(thread_, nullptr);
    running_ = false;
}

void OtherCore::letGo() const { ::pthread_setaffinity_np(::pthread_self(), sizeof allowed_, &allowed_); }

void* OtherCore::Run(void* self) {
    static_cast<OtherCore*>(self)->work_();
    return nullptr;
}

}  // namespace tmf::cli
