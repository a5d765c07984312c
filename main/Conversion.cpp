// "Alte Datei &holen": an appointment file of the older 16-bit edition,
// turned into a text file by the separate converter and read from there.
#include "Conversion.h"

#include <sys/stat.h>

#include <optional>

#include "AppointmentFile.h"
#include "CheckListEdit.h"
#include "ConverterOutput.h"
#include "Cp1252.h"
#include "FileIo.h"
#include "Funky.h"
#include "Gebfrm.h"
#include "Grid.h"
#include "Ports.h"
#include "Sort.h"
#include "State.h"
#include "Views.h"

using namespace tmf;

namespace {

constexpr const char* kConverter = "Konverto.exe";

// The converter works with old short names: 8 characters, dot, extension.
// Characters, not bytes: an umlaut is one character of the old name.
bool ShortName(const std::string& path) { return Utf8Length(ExtractFileName(path)) <= 12; }

// What tells one version of a file from another: the converter may reuse
// the inode, but not keep size, change time and inode all the same.
struct Identity {
    dev_t dev;
    ino_t ino;
    off_t size;
    timespec mtime, ctime;
    bool operator==(const Identity& o) const {
        return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
               mtime.tv_nsec == o.mtime.tv_nsec && ctime.tv_sec == o.ctime.tv_sec && ctime.tv_nsec == o.ctime.tv_nsec;
    }
};

std::optional<Identity> FileIdentity(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return Identity{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

bool SamePathIgnoringCase(std::string a, std::string b) {
    for (auto* s : {&a, &b})
        for (char& c : *s)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return a == b || SameFile(a, b);
}

}  // namespace

void TGebF::BitBtn7Click() {
    if (TableOperationRunning()) return;
    TableOperation busy;
    if (!OfferSaveBeforeReplacing()) return;
    if (Ask(kConversionNotice, MessageKind::Confirmation, Buttons::YesNo) != Answer::Yes)
        return;
    auto source = ThePlatform().dialogs->OpenFileName({"Welche Datei soll Umgewandelt werden ?", "", "*.tmf", true});
    if (!source || source->empty()) return;
    if (!ShortName(*source)) {
        ShowMessage("16bit Dateinamen dürfen max. 8 Zeichen + Erweiterung haben !");
        return;
    }
    auto target = ThePlatform().dialogs->SaveFileName({"Umgewandelte Datei Speichern als ?", "", "*.tmf", false});
    if (!target || target->empty()) return;
    if (!ShortName(*target)) {
        ShowMessage("Dateiname zum Umwandeln kann max. 8 Zeichen + Erweiterung haben !");
        return;
    }
    if (SamePathIgnoringCase(*source, *target)) {
        ShowMessage("Die Datei muß einen anderen Namen haben oder in einem anderen Verzeichnis liegen.");
        return;
    }
    if (!FileExists(ProgramDir + kConverter)) {
        ShowMessage("Konverto.exe wurde nicht gefunden !");
        return;
    }
    // The check list must take the target before anything runs: once the
    // converter has run, its output is read and removed, and a refusal then
    // would lose the converted entries.
    int listedSlot = -1;
    for (int k = 0; k < kCheckListSlots && listedSlot < 0; ++k)
        if (!CheckList(k).empty() && SameFile(CheckList(k), *target)) listedSlot = k;
    if (listedSlot < 0 && UsedCheckListSlots() >= kCheckListSlots) {
        ShowMessage("Prüfliste ist Voll !");
        return;
    }
    if (listedSlot < 0 && !FitsCheckList(*target)) return;

    // Only what the converter writes in this run is its output: a file that
    // was at the target before and is still the same afterwards is the
    // user's, and is neither read nor removed.
    const auto before = FileIdentity(*target);
    if (!RunAndWait(ProgramDir + kConverter, *source + "#" + *target, ProgramDir)) return;
    const auto after = FileIdentity(*target);
    if (!after) return;
    if (before && *before == *after) {
        ShowMessage(std::string(kConverter) + " hat keine Datei geschrieben.\r\nDie aktuelle Datei bleibt unverändert.");
        return;
    }

    IoError error;
    auto bytes = ReadWholeFile(*target, &error);
    ConverterOutput out;
    if (bytes) out = ParseConverterOutput(*bytes);
    else out.error = "Die umgewandelte Datei " + *target + " konnte nicht gelesen werden !\r\n" + error.reason;
    DeleteFile(*target);
    if (!out.ok) {
        ShowMessage(out.error + "\r\nDie aktuelle Datei bleibt unverändert.", MessageKind::Error);
        return;
    }
    if (out.numbersReplaced)
        ShowMessage("In der umgewandelten Datei standen Warnungen, die keine ganzen Zahlen sind; sie wurden als 0 übernommen.");

    if (listedSlot >= 0) EditCheckList(std::to_string(listedSlot), "Vorne");
    else EditCheckList(*target, "Neu");
    if (!SameFile(CurrentFile(), *target)) return;  // refused: the current file stays as it was
    ForgetLoadFailure(*target);  // the user chose to replace it
    const int n = static_cast<int>(out.rows.size()) - 1;
    ResizeEntryTable(n);
    for (int i = 0; i <= n; ++i) EntryTable.row(i) = std::move(out.rows[static_cast<std::size_t>(i)]);
    EntryCount = n;
    Modified = 1;
    EntryTable(HeaderSortChoice, 0) = Cell(std::to_string(SortChoiceIndex()));
    SortEntriesByFileChoice();
    if (SaveAppointmentFile(CurrentFile(), "Alles", "Datum")) Modified = 0;
    FillGrid();
}
