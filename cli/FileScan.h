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
#include "EntryTable.h"

namespace tmf::cli {

// onHeader is called once before the first entry. Each entry comes with its
// row number (from 1), a row that holds only the fields the check decides
// on (DecodeCheckFields, the date validated), and its record, from which
// DecodeRecord gives the rest while the call lasts.
LoadResult ScanAppointmentFile(const std::string& path, const std::function<void(const Row& header)>& onHeader,
                               const std::function<void(int entry, Row& row, const unsigned char* record)>& onEntry);

}  // namespace tmf::cli
