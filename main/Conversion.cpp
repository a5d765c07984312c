// "Alte Datei &holen": an appointment file of the older 16-bit edition,
// turned into a text file by the separate converter and read from there.
#include "Conversion.h"
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
    if (Modified == 1) AskSaveIfChanged(CurrentFile());
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
    // The converter writes its output at the target: an appointment file
    // there would be replaced, and the check list must take the new file.
    if (UsedCheckListSlots() >= kCheckListSlots && !SameFile(CurrentFile(), *target)) {
        bool listed = false;
        for (int k = 0; k < kCheckListSlots && !listed; ++k) listed = SameFile(CheckList(k), *target);
        if (!listed) {
            ShowMessage("Prüfliste ist Voll !");
            return;
        }
    }
    RunAndWait(ProgramDir + kConverter, *source + "#" + *target, ProgramDir);
    if (!FileExists(*target)) return;

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

    EditCheckList(*target, "Neu");
    if (!SameFile(CurrentFile(), *target)) return;  // refused: the current file stays as it was
    const int n = static_cast<int>(out.rows.size()) - 1;
    ResizeEntryTable(n);
    for (int i = 0; i <= n; ++i) EntryTable.row(i) = std::move(out.rows[static_cast<std::size_t>(i)]);
    EntryCount = n;
    Modified = 1;
    EntryTable(HeaderSortChoice, 0) = Cell(std::to_string(SortChoiceIndex()));
    SortEntries(static_cast<int>(EntryTable(HeaderSortChoice, 0).asInteger()));
    if (SaveAppointmentFile(CurrentFile(), "Alles", "Datum")) Modified = 0;
    FillGrid();
}
