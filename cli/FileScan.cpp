#include "FileScan.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <limits>
#include <exception>
#include <mutex>
#include <optional>
#include <vector>

#include "Cell.h"
#include "CheckRules.h"
#include "Dates.h"
#include "OtherCore.h"
#include "Ports.h"

namespace tmf::cli {

namespace {

// Records are read through a mapping of the file, a window at a time: no
// byte is copied, and memory stays small whatever the file's size. Where the
// file cannot be mapped, the window is read into a buffer instead. Reading
// every window into one reused buffer was measured too: the copy costs more
// than the mapping, for files written in one go and for files written a
// record at a time alike. A window's pages count to the process's memory
// while it is mapped, on each of the two threads of a long list; beyond
// 2 MiB, larger windows saved no time.
// A window holds the records that start in one stretch of 2 MiB of the
// file, and is mapped from the stretch's start: a file that came into the
// cache in large pieces is then mapped a stretch at a time, in one step
// each, instead of page by page.
constexpr std::size_t kWindowBytes = 2 * 1024 * 1024;
// A small file is read in one go: mapping it and taking the mapping down
// again costs more than copying it.
constexpr std::size_t kReadBelow = 256 * 1024;
constexpr std::int32_t kPrefetchAhead = 8;  // records
// From how many entries a file is looked at in two halves at once: below,
// starting a thread costs more than it saves.
constexpr std::int32_t kSplitFrom = 4096;

// A file that another program cuts short while it is mapped makes the touch
// of a page beyond its new end raise SIGBUS, which would end the process. The
// handler puts a page of zeros there instead and notes it; the read then
// counts as failed and nothing of it is shown. The signal comes to the
// thread that touched the page, so each thread keeps its own window.
thread_local std::uintptr_t tWindowFrom = 0;
thread_local std::uintptr_t tWindowTo = 0;
thread_local bool tCutWhileMapped = false;

// The handler is the process's while any file is mapped, by any thread.
std::mutex gGuardMutex;
int gGuardUsers = 0;
struct sigaction gBeforeGuard {};
std::uintptr_t gPageSize = 4096;  // as the system says, before the handler is in place

void OnBusError(int, siginfo_t* info, void*) {
    const auto at = reinterpret_cast<std::uintptr_t>(info->si_addr);
    if (at >= tWindowFrom && at < tWindowTo) {
        void* page = reinterpret_cast<void*>(at & ~(gPageSize - 1));
        if (::mmap(page, gPageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED) {
            tCutWhileMapped = true;
            return;
        }
    }
    // Not a page of ours: whoever handled it before (or the default action)
    // gets it when the access is retried.
    ::sigaction(SIGBUS, &gBeforeGuard, nullptr);
}

bool TakeGuard() {
    const std::lock_guard lock(gGuardMutex);
    if (gGuardUsers == 0) {
        gPageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
        struct sigaction onBus {};
        onBus.sa_sigaction = OnBusError;
        onBus.sa_flags = SA_SIGINFO;
        sigemptyset(&onBus.sa_mask);
        if (::sigaction(SIGBUS, &onBus, &gBeforeGuard) != 0) return false;
    }
    ++gGuardUsers;
    return true;
}

void ReleaseGuard() {
    const std::lock_guard lock(gGuardMutex);
    if (--gGuardUsers == 0) ::sigaction(SIGBUS, &gBeforeGuard, nullptr);
}

class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::string& path) {
        // Not blocking on a FIFO; only a regular file is an appointment file.
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        struct stat st {};
        if (fd_ >= 0 && (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))) {
            ::close(fd_);
            fd_ = -1;
        }
        if (fd_ < 0) return;
        size_ = static_cast<std::size_t>(st.st_size);
    }
    ~ReadOnlyFile() {
        unmap();
        if (guarded_) ReleaseGuard();
        if (fd_ >= 0) ::close(fd_);
    }
    // The same open file again, for another thread to map on its own: the
    // file as this one opened it, even if its name is given to another.
    struct Again {};
    ReadOnlyFile(const ReadOnlyFile& other, Again) : size_(other.size_) {
        if (other.fd_ >= 0) fd_ = ::fcntl(other.fd_, F_DUPFD_CLOEXEC, 0);
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    std::size_t size() const { return fd_ >= 0 ? size_ : 0; }

    // The n bytes at offset, valid until a call for bytes beyond the last
    // ones; nullptr when they cannot be had. A mapping starts at the
    // stretch of the file the offset lies in.
    const unsigned char* bytes(std::size_t offset, std::size_t n) {
        if (offset + n > size_) return nullptr;
        if (data_ && offset >= dataOffset_ && offset + n <= dataOffset_ + dataLength_)
            return data_ + (offset - dataOffset_);
        unmap();
        data_ = nullptr;
        if (size_ > kReadBelow && guard()) {
            const std::size_t from = offset & ~(kWindowBytes - 1);
            void* map = ::mmap(nullptr, offset + n - from, PROT_READ, MAP_PRIVATE, fd_, static_cast<off_t>(from));
            if (map != MAP_FAILED) {
                map_ = map;
                mapLength_ = offset + n - from;
                tWindowFrom = reinterpret_cast<std::uintptr_t>(map_);
                tWindowTo = tWindowFrom + mapLength_;
                return view(static_cast<const unsigned char*>(map_), from, mapLength_, offset);
            }
        }
        buffer_.resize(n);
        std::size_t done = 0;
        while (done < n) {
            const ssize_t got = ::pread(fd_, buffer_.data() + done, n - done, static_cast<off_t>(offset + done));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return nullptr;
            done += static_cast<std::size_t>(got);
        }
        return view(buffer_.data(), offset, n, offset);
    }

    // False once the file was cut short below `end` since it was opened: the
    // bytes read from it may then be zeros that were never in the file.
    bool holds(std::size_t end) const {
        // What pread gave was in the file.
        if (!guarded_) return true;
        struct stat st {};
        return !tCutWhileMapped && ::fstat(fd_, &st) == 0 && static_cast<std::size_t>(st.st_size) >= end;
    }

private:
    // Installs the handler for a file cut short before the first mapping.
    bool guard() {
        if (guarded_) return true;
        tCutWhileMapped = false;
        guarded_ = TakeGuard();
        return guarded_;
    }
    const unsigned char* view(const unsigned char* data, std::size_t from, std::size_t length, std::size_t offset) {
        data_ = data;
        dataOffset_ = from;
        dataLength_ = length;
        return data_ + (offset - from);
    }
    void unmap() {
        if (!map_) return;
        tWindowFrom = 0;
        tWindowTo = 0;
        ::munmap(map_, mapLength_);
        map_ = nullptr;
    }

    int fd_ = -1;
    std::size_t size_ = 0;
    bool guarded_ = false;
    void* map_ = nullptr;
    std::size_t mapLength_ = 0;
    const unsigned char* data_ = nullptr;  // the bytes last had, mapped or read
    std::size_t dataOffset_ = 0;
    std::size_t dataLength_ = 0;
    // One buffer for every file read: a new one for each file would come as
    // fresh pages from the system, to be cleared first.
    static inline thread_local std::vector<unsigned char> buffer_;
};

// The date of an entry that is not in the normal form, as the load leaves it
// after the validation: the first few dates that are none get their message,
// the rest are counted for the summary.
// held: where the messages go instead, to be shown later.
std::chrono::year_month_day ValidatedDate(const unsigned char* record, Row& scratch, std::int32_t& dateErrors,
                                          std::vector<std::string>* held) {
    using namespace std::chrono;
    DecodeRecord(record, scratch);
    int code = 0;
    const std::string checked = CheckDateText(*scratch[TerminAm].textIf(), code);
    if (code == 0) return ParseDate(checked).value_or(year{100} / January / 1);
    if (++dateErrors <= kDateMessagesPerFile) {
        if (held) held->push_back(DateErrorMessage(code, checked));
        else ShowMessage(DateErrorMessage(code, checked));
    }
    return year{100} / January / 1;
}

using EntryVisit = std::function<void(int entry, ScannedEntry& scanned)>;

// Entries first..last (from 1): false when their bytes cannot be had whole.
bool ScanEntries(ReadOnlyFile& file, std::int32_t first, std::int32_t last, const EntryVisit& onEntry,
                 std::int32_t& dateErrors, std::vector<std::string>* held) {
    CheckFields fields;
    ScannedEntry scanned;
    Row row;
    for (std::int32_t from = first, inWindow = 0; from <= last; from += inWindow) {
        const std::size_t offset = static_cast<std::size_t>(from) * kRecordSize;
        const std::size_t stretchEnd = (offset / kWindowBytes + 1) * kWindowBytes;
        inWindow = static_cast<std::int32_t>(
            std::min<std::size_t>(last - from + 1, (stretchEnd - offset + kRecordSize - 1) / kRecordSize));
        const unsigned char* records = file.bytes(offset, static_cast<std::size_t>(inWindow) * kRecordSize);
        if (!records) return false;
        for (std::int32_t k = 0; k < inWindow; ++k) {
            scanned.record = records + static_cast<std::size_t>(k) * kRecordSize;
            if (k + kPrefetchAhead < inWindow) PrefetchCheckFields(scanned.record + kPrefetchAhead * kRecordSize);
            DecodeCheckFields(scanned.record, fields);
            scanned.state = EntryState{};
            if (fields.date) {
                scanned.state.date = *fields.date;
            } else {
                // The validation's message must not be about bytes the file
                // no longer has.
                if (!file.holds(offset + static_cast<std::size_t>(k + 1) * kRecordSize)) return false;
                scanned.state.date = ValidatedDate(scanned.record, row, dateErrors, held);
            }
            scanned.state.warnung1 = fields.warnung1;
            scanned.state.warnung2 = fields.warnung2;
            scanned.state.erreicht = fields.erreicht;
            onEntry(from + k, scanned);
        }
    }
    return file.holds(static_cast<std::size_t>(last + 1) * kRecordSize);
}

}  // namespace

LoadResult ScanAppointmentFile(const std::string& path, const std::function<void(const Row& header)>& onHeader,
                               const EntryVisit& onEntry, const EntryVisit& onLaterEntry) {
    ReadOnlyFile file(path);
    const auto cannotLoad = [&path] {
        ShowMessage(path + " konnte nicht geladen werden !");
        return LoadResult::Failed;
    };
    // The header comes with the first window of records: one mapping for a
    // file of up to a window's entries.
    const unsigned char* first =
        file.size() >= kRecordSize ? file.bytes(0, std::min(file.size(), kWindowBytes + kRecordSize))
                                   : nullptr;
    if (!first) return cannotLoad();
    Row row;
    DecodeRecord(first, row);
    if (!file.holds(kRecordSize)) return cannotLoad();
    const auto count = ParseInteger(row[HeaderCount].asText());
    if (!count || *count < 0 || *count > std::numeric_limits<std::int32_t>::max()) {
        ShowMessage("Keine Termifolio98 Datei !");
        return LoadResult::NotAppointmentFile;
    }
    const auto n = static_cast<std::int32_t>(*count);
    const auto available = static_cast<std::int32_t>(
        std::min<std::size_t>(file.size() / kRecordSize - 1, std::numeric_limits<std::int32_t>::max()));
    const std::int32_t rows = std::min(n, available);
    onHeader(row);
    std::int32_t dateErrors = 0;
    // A long file is looked at in two halves at once where there is a core
    // for each: the later half on the other thread, through a mapping of
    // its own of the same open file.
    OtherCore second;
    std::int32_t split = rows + 1;
    bool laterRead = true;
    std::int32_t laterErrors = 0;
    std::vector<std::string> laterMessages;
    std::exception_ptr laterFailure;
    std::optional<ReadOnlyFile> again;
    if (onLaterEntry && rows >= kSplitFrom) again.emplace(file, ReadOnlyFile::Again{});
    if (again && again->size() == file.size()) {
        const std::int32_t middle = 1 + rows / 2;
        const bool started = second.start([&, middle] {
            try {
                laterRead = ScanEntries(*again, middle, rows, onLaterEntry, laterErrors, &laterMessages);
            } catch (...) {
                laterFailure = std::current_exception();
            }
        });
        if (started) split = middle;
    }
    bool read = false;
    std::exception_ptr failure;
    try {
        read = ScanEntries(file, 1, split - 1, onEntry, dateErrors, nullptr);
    } catch (...) {
        failure = std::current_exception();
    }
    second.join();
    if (failure) std::rethrow_exception(failure);
    if (laterFailure) std::rethrow_exception(laterFailure);
    if (!read || !laterRead) return cannotLoad();
    // The later half's messages after the first's, as one read would give them.
    for (const std::string& message : laterMessages)
        if (++dateErrors <= kDateMessagesPerFile) ShowMessage(message);
    dateErrors += laterErrors - static_cast<std::int32_t>(laterMessages.size());
    if (dateErrors > kDateMessagesPerFile) ShowMessage(DateErrorSummary(path, dateErrors - kDateMessagesPerFile));
    if (rows < n) {
        ShowMessage("Dateiende bei " + std::to_string(rows) + " einträgen erreicht !");
        return LoadResult::Truncated;
    }
    return LoadResult::Loaded;
}

}  // namespace tmf::cli
