// "vCard importieren ..." and "iCalendar exportieren ...": the current file's
// entries to and from the address book and the calendar the user keeps
// elsewhere.
#include <QDir>

#include "AppointmentFile.h"
#include "CheckRun.h"
#include "FileIo.h"
#include "Gebfrm.h"
#include "Grid.h"
#include "ICalendar.h"
#include "Ports.h"
#include "State.h"
#include "VCardImport.h"

using namespace tmf;

namespace {

std::string HomeFolder() { return QDir::homePath().toStdString() + "/"; }

}  // namespace

void TGebF::VCardImportClick() {
    if (TableOperationRunning() || CheckRunning()) return;
    Dialogs::FileRequest request{"vCard importieren", HomeFolder(), "*.vcf", false};
    request.filter = "vCard-Dateien (*.vcf *.vcard)";
    request.defaultSuffix = "vcf";
    const auto chosen = ThePlatform().dialogs->OpenFileName(request);
    if (!chosen || chosen->empty()) return;
    TableOperation busy;
    // The import writes the whole table: changes not yet saved would go into
    // the file with it. The user decides first, as before every command that
    // writes or replaces the table; "Nein" leaves both as they are.
    if (Modified == 1 && AskSaveIfChangedOutcome(CurrentFile()) != SavePrompt::Saved) return;
    const std::string target = CurrentFile();
    VCardImportCounts counts;
    const auto outcome = ImportVCardFile(*chosen, target, counts, [&](const VCardImportCounts& c) {
        const std::string entries = c.added == 1 ? "1 neuen Eintrag" : std::to_string(c.added) + " neue Einträge";
        const std::string question = entries + " aus " + ExtractFileName(*chosen) +
                                     " in " + ExtractFileName(target) + " übernehmen und die Datei speichern ?";
        return Ask(question, MessageKind::Confirmation, Buttons::YesNo) == Answer::Yes;
    });
    if (outcome == VCardImportOutcome::Imported) FillGrid();
    if (outcome == VCardImportOutcome::Imported || outcome == VCardImportOutcome::NothingToAdd)
        ShowMessage(VCardImportSummary(counts, *chosen));
}

void TGebF::ICalendarExportClick() {
    if (TableOperationRunning() || CheckRunning()) return;
    std::string name = ExtractFileName(CurrentFile());
    if (const auto dot = name.rfind('.'); dot != std::string::npos) name.erase(dot);
    Dialogs::FileRequest request{"iCalendar exportieren", HomeFolder(), (name.empty() ? "Termine" : name) + ".ics", false};
    request.filter = "iCalendar-Dateien (*.ics)";
    request.defaultSuffix = "ics";
    const auto chosen = ThePlatform().dialogs->SaveFileName(request);
    if (!chosen || chosen->empty()) return;
    if (ExportICalendar(*chosen)) ShowMessage(ICalendarSummary(EntryCount, *chosen));
}
