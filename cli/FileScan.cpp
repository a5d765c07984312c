#include "FileScan.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <limits>

#include "Cell.h"
#include "Dates.h"
#include "Ports.h"

namespace tmf::cli {

namespace {

// The file is mapped rather than read: the bytes are not copied, and the
// pages stay shared with the system's file cache. The windowed program
// replaces a file by renaming a new one over it, so a mapped file is never
// cut short under the look.
class MappedFile {
public:
    explicit MappedFile(const std::string& path) {
        // Not blocking on a FIFO; only a regular file is an appointment file.
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) return;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
            size_ = static_cast<std::size_t>(st.st_size);
            void* map = size_ == 0 ? MAP_FAILED : ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
            if (map != MAP_FAILED) data_ = static_cast<const unsigned char*>(map);
        }
        ::close(fd);
    }
    ~MappedFile() {
        if (data_) ::munmap(const_cast<unsigned char*>(data_), size_);
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    const unsigned char* data() const { return data_; }
    std::size_t size() const { return data_ ? size_ : 0; }

private:
    const unsigned char* data_ = nullptr;
    std::size_t size_ = 0;
};

// The load validates every stored date; a date already in its normalised
// form that the validation passes unchanged needs no call.
void ValidateLoadedDate(Cell& termin) {
    const std::string* date = termin.textIf();
    if (date && IsNormalizedDate(*date) && !((*date)[0] == '2' && (*date)[1] == '9' && (*date)[3] == '0' && (*date)[4] == '2') &&
        !((*date)[6] == '0' && (*date)[7] == '0'))
        return;
    termin = Cell(ValidateDate(date ? *date : termin.asText()));
}

}  // namespace

LoadResult ScanAppointmentFile(const std::string& path, const std::function<void(const Row& header)>& onHeader,
                               const std::function<void(int entry, Row& row, const unsigned char* record)>& onEntry) {
    const MappedFile file(path);
    if (file.size() < kRecordSize) {
        ShowMessage(path + " konnte nicht geladen werden !");
        return LoadResult::Failed;
    }
    Row row;
    DecodeRecord(file.data(), row);
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
    for (std::int32_t e = 1; e <= rows; ++e) {
        const unsigned char* record = file.data() + static_cast<std::size_t>(e) * kRecordSize;
        DecodeCheckFields(record, row);
        ValidateLoadedDate(row[TerminAm]);
        onEntry(e, row, record);
    }
    if (rows < n) {
        ShowMessage("Dateiende bei " + std::to_string(rows) + " einträgen erreicht !");
        return LoadResult::Truncated;
    }
    return LoadResult::Loaded;
}

}  // namespace tmf::cli
