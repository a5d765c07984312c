#include "FileScan.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <limits>
#include <vector>

#include "Cell.h"
#include "CheckRules.h"
#include "Dates.h"
#include "Ports.h"

namespace tmf::cli {

namespace {

// Records are read a block at a time into one buffer, so that memory stays
// small whatever the file's size. (A mapped file would save the copy, but a
// file cut short by another program while mapped ends the process.)
constexpr std::size_t kRecordsPerBlock = 168;  // about 64 KiB, kept in the cache

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
        if (fd_ >= 0) size_ = static_cast<std::size_t>(st.st_size);
    }
    ~ReadOnlyFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    std::size_t size() const { return fd_ >= 0 ? size_ : 0; }
    // Exactly n bytes at offset, or false.
    bool read(std::size_t offset, unsigned char* out, std::size_t n) const {
        std::size_t done = 0;
        while (done < n) {
            const ssize_t got = ::pread(fd_, out + done, n - done, static_cast<off_t>(offset + done));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return false;
            done += static_cast<std::size_t>(got);
        }
        return true;
    }

private:
    int fd_ = -1;
    std::size_t size_ = 0;
};

// The date of an entry as the load leaves it: a stored date in its normal
// form that the validation passes unchanged is taken as it is; any other goes
// through the validation, with its message, from the record's full decoding.
std::chrono::year_month_day LoadedDate(const CheckFields& fields, const unsigned char* record, Row& scratch) {
    using namespace std::chrono;
    const auto date = ParseNormalizedDate(std::string_view(fields.date, fields.dateLength));
    if (date && !(date->month() == February && date->day() == day{29}) && date->year() >= year{100}) return *date;
    DecodeRecord(record, scratch);
    return ParseDate(ValidateDate(*scratch[TerminAm].textIf())).value_or(year{100} / January / 1);
}

}  // namespace

LoadResult ScanAppointmentFile(const std::string& path, const std::function<void(const Row& header)>& onHeader,
                               const std::function<void(int entry, ScannedEntry& scanned)>& onEntry) {
    const ReadOnlyFile file(path);
    std::vector<unsigned char> block(kRecordSize * kRecordsPerBlock);
    if (file.size() < kRecordSize || !file.read(0, block.data(), kRecordSize)) {
        ShowMessage(path + " konnte nicht geladen werden !");
        return LoadResult::Failed;
    }
    Row row;
    DecodeRecord(block.data(), row);
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
    CheckFields fields;
    ScannedEntry scanned;
    for (std::int32_t first = 1; first <= rows; first += static_cast<std::int32_t>(kRecordsPerBlock)) {
        const std::int32_t inBlock = std::min<std::int32_t>(rows - first + 1, kRecordsPerBlock);
        if (!file.read(static_cast<std::size_t>(first) * kRecordSize, block.data(),
                       static_cast<std::size_t>(inBlock) * kRecordSize)) {
            ShowMessage(path + " konnte nicht geladen werden !");
            return LoadResult::Failed;
        }
        for (std::int32_t k = 0; k < inBlock; ++k) {
            scanned.record = block.data() + static_cast<std::size_t>(k) * kRecordSize;
            DecodeCheckFields(scanned.record, fields);
            scanned.state = EntryState{};
            scanned.state.date = LoadedDate(fields, scanned.record, row);
            scanned.state.warnung1 = fields.warnung1;
            scanned.state.warnung2 = fields.warnung2;
            scanned.state.erreicht = fields.erreicht;
            scanned.loeschen = fields.loeschen != 0;
            onEntry(first + k, scanned);
        }
    }
    if (rows < n) {
        ShowMessage("Dateiende bei " + std::to_string(rows) + " einträgen erreicht !");
        return LoadResult::Truncated;
    }
    return LoadResult::Loaded;
}

}  // namespace tmf::cli
