#pragma once
// A lean read of an appointment file for a look that changes nothing: the
// records are decoded one after another into one reused row, through the
// core's record decoding, instead of building the whole entry table. What
// the caller sees, and every message, is what LoadAppointmentFile(name,
// "Alles") would give: the same header, the same dates after validation,
// the same failures and the same short-file cut.
#include <functional>
#include <string>
#include <vector>

#include "AppointmentFile.h"
#include "CheckRules.h"
#include "EntryTable.h"

namespace tmf::cli {

struct ScannedEntry {
    EntryState state;  // the date as the load leaves it after validation
    bool loeschen = false;
    const unsigned char* record = nullptr;  // for DecodeRecord while the call lasts
};

// A file up to this size is read in one go: mapping it and taking the
// mapping down again costs more than copying it. A larger one is mapped.
inline constexpr std::size_t kReadInOneGo = 256 * 1024;

// onHeader is called once before the first entry, onEntry for each entry
// with its row number (from 1). readAhead, when given, is the file's whole
// content, read already.
LoadResult ScanAppointmentFile(const std::string& path, const std::function<void(const Row& header)>& onHeader,
                               const std::function<void(int entry, ScannedEntry& scanned)>& onEntry,
                               const std::vector<unsigned char>* readAhead = nullptr);

}  // namespace tmf::cli
