#pragma once
// A lean read of an appointment file for a look that changes nothing: the
// records are decoded one after another into one reused row, through the
// core's record decoding, instead of building the whole entry table. What
// the caller sees, and every message, is what LoadAppointmentFile(name,
// "Alles") would give: the same header, the same dates after validation,
// the same failures and the same short-file cut.
#include <functional>
#include <string>

#include "AppointmentFile.h"
#include "CheckRules.h"
#include "EntryTable.h"

namespace tmf::cli {

struct ScannedEntry {
    EntryState state;  // the date as the load leaves it after validation
    const unsigned char* record = nullptr;  // for DecodeTexts and StoredLoeschen while the call lasts
};

// onHeader is called once before the first entry, onEntry for each entry
// with its row number (from 1), in order. Files may be scanned on several
// threads at once. With onLaterEntry, a long file's later half may go to it
// instead, in order, on another thread at the same time as onEntry gets the
// first half; the messages come as one read gives them.
LoadResult ScanAppointmentFile(const std::string& path, const std::function<void(const Row& header)>& onHeader,
                               const std::function<void(int entry, ScannedEntry& scanned)>& onEntry,
                               const std::function<void(int entry, ScannedEntry& scanned)>& onLaterEntry = {});

}  // namespace tmf::cli
