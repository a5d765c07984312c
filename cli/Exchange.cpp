#include "Exchange.h"

#include <cstdio>

#include "AppointmentFile.h"
#include "FileIo.h"
#include "ICalendar.h"
#include "Ports.h"
#include "State.h"
#include "TerminalText.h"
#include "VCardImport.h"

namespace tmf::cli {
namespace {

void Print(const std::string& text) { std::printf("%s\n", TerminalLines(text).c_str()); }

// A file that is short of its entries must not be saved: the entries that
// could not be read would be gone for good.
bool LoadWhole(const std::string& path) {
    switch (const PathKind kind = KindOfPath(path)) {
        case PathKind::File: break;
        case PathKind::Missing: ShowMessage(path + " ist nicht vorhanden !", MessageKind::Error); return false;
        // Something is there: "nicht vorhanden" would send the user looking
        // for a file that was deleted.
        default:
            ShowMessage(path + " konnte nicht geladen werden !\r\n" + PathKindText(kind), MessageKind::Error);
            return false;
    }
    return LoadAppointmentFile(path, "Alles") == LoadResult::Loaded;
}

}  // namespace

int ImportVCard(const std::string& vcard, const std::string& target) {
    if (!LoadWhole(target)) return 1;
    VCardImportCounts counts;
    switch (ImportVCardFile(vcard, target, counts, nullptr)) {
        case VCardImportOutcome::Imported:
        case VCardImportOutcome::NothingToAdd:
            Print(VCardImportSummary(counts, vcard));
            return 0;
        case VCardImportOutcome::Cancelled:
        case VCardImportOutcome::Failed:
            break;
    }
    return 1;
}

int ExportICalendarFile(const std::string& ics, const std::string& source) {
    if (!LoadWhole(source)) return 1;
    if (!ExportICalendar(ics)) return 1;
    Print(ICalendarSummary(EntryCount, ics));
    return 0;
}

}  // namespace tmf::cli
