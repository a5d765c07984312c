// termif98-check: the check of Termifolio98 in a terminal. It reads the check
// list from the windowed program's data folder (or takes the files given),
// prints the findings and ends; only with --stempeln does it write.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "CheckFiles.h"
#include "CliPlatform.h"
#include "DataLock.h"
#include "Exchange.h"
#include "Dates.h"
#include "FileIo.h"
#include "ListFiles.h"
#include "Report.h"
#include "State.h"

using namespace tmf;
using namespace tmf::cli;

namespace {

constexpr int kExitFailed = 1;   // a file could not be read or saved
constexpr int kExitUsage = 2;
constexpr int kExitLocked = 3;   // the windowed program (or another run) works on the data

constexpr const char* kHelp =
    "Aufruf: termif98-check [Optionen] [Datei.tmf ...]\n"
    "\n"
    "Prüft die Termindateien der Prüfliste von Termifolio98 (oder die angegebenen\n"
    "Dateien) und zeigt, nach Dateien geordnet, Warnungen, heutige und übergangene\n"
    "Termine. Ohne -s wird nichts geschrieben.\n"
    "\n"
    "  -d, --datum TT.MM.JJJJ  prüft zu diesem Tag statt heute\n"
    "  -t, --tage N            zeigt auch jeden Termin der nächsten N Tage (0 bis 366)\n"
    "                          mit dem Alter, das erreicht wird\n"
    "  -s, --stempeln          prüft wie das Programm selbst: merkt gegebene Warnungen,\n"
    "                          setzt das Prüfdatum und speichert geänderte Dateien;\n"
    "                          zu löschende Einträge werden nur genannt\n"
    "      --vcard DATEI.vcf --in ZIEL.tmf\n"
    "                          fügt die Geburts- und Jahrestage eines Adreßbuchs\n"
    "                          (vCard) der Termindatei hinzu und speichert sie\n"
    "      --ics AUSGABE.ics [DATEI.tmf]\n"
    "                          schreibt die Termine der Datei (ohne Angabe: der\n"
    "                          aktuellen Datei der Prüfliste) als iCalendar-Datei\n"
    "  -h, --help              zeigt diese Hilfe\n"
    "  -V, --version           zeigt die Version\n"
    "\n"
    "Rückgabewert: 0 alles geprüft, 1 eine Datei war nicht lesbar oder nicht\n"
    "speicherbar, 2 falscher Aufruf, 3 Termifolio98 (oder ein anderer Aufruf, auf\n"
    "den bis zu fünf Sekunden gewartet wird) arbeitet gerade mit den Daten.\n";

struct Options {
    bool help = false;
    bool version = false;
    bool stamp = false;
    std::string date;
    int aheadDays = -1;
    std::vector<std::string> files;
    std::string vcard, vcardTarget, ics;
};

int UsageError(const std::string& text) {
    std::fprintf(stderr, "termif98-check: %s\nHilfe mit: termif98-check --help\n", text.c_str());
    return kExitUsage;
}

bool ParseDays(const std::string& text, int& days) {
    if (text.empty() || text.size() > 3) return false;
    days = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        days = days * 10 + (c - '0');
    }
    return days <= 366;
}

// Reads the options; an error text when they are not understood.
std::string ParseOptions(int argc, char** argv, Options& o) {
    bool onlyFiles = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (onlyFiles || arg.empty() || arg[0] != '-' || arg == "-") {
            o.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            onlyFiles = true;
            continue;
        }
        std::string name = arg, value;
        bool hasValue = false;
        if (arg.rfind("--", 0) == 0) {
            if (const auto eq = arg.find('='); eq != std::string::npos) {
                name = arg.substr(0, eq);
                value = arg.substr(eq + 1);
                hasValue = true;
            }
        } else if (arg.size() > 2) {
            name = arg.substr(0, 2);
            value = arg.substr(2);
            hasValue = true;
        }
        const bool takesValue = name == "-d" || name == "--datum" || name == "-t" || name == "--tage" ||
                                name == "--vcard" || name == "--in" || name == "--ics";
        if (takesValue && !hasValue) {
            if (i + 1 >= argc) return "Bei " + name + " fehlt der Wert.";
            value = argv[++i];
        } else if (!takesValue && hasValue) {
            return "Unbekannte Option: " + arg;
        }
        if (name == "-h" || name == "--help") o.help = true;
        else if (name == "-V" || name == "--version") o.version = true;
        else if (name == "-s" || name == "--stempeln") o.stamp = true;
        else if (name == "-d" || name == "--datum") o.date = value;
        else if (name == "--vcard") o.vcard = value;
        else if (name == "--in") o.vcardTarget = value;
        else if (name == "--ics") o.ics = value;
        else if (name == "-t" || name == "--tage") {
            if (!ParseDays(value, o.aheadDays)) return "Bei " + name + " wird eine Zahl von 0 bis 366 erwartet: " + value;
        } else {
            return "Unbekannte Option: " + arg;
        }
    }
    if (o.vcard.empty() != o.vcardTarget.empty()) return "--vcard und --in gehören zusammen.";
    if (!o.vcard.empty() && !o.ics.empty()) return "--vcard und --ics gehen nur einzeln.";
    if (!o.vcard.empty() && !o.files.empty()) return "Zu --vcard gehört keine weitere Datei.";
    if (!o.ics.empty() && o.files.size() > 1) return "Zu --ics gehört höchstens eine Termindatei.";
    return {};
}

// The files of the check list in "Liste.dat", slot 0 first, without writing
// anything (the windowed program drops vanished files from it; a look must
// not). False when the list cannot be read.
bool ReadCheckList(std::vector<std::string>& files) {
    const std::string path = DataDir + kCheckListFileName;
    IoError error;
    const auto data = ReadWholeFile(path, &error);
    if (!data) {
        ShowMessage("Die Datei " + path + " konnte nicht gelesen werden !\r\n" + error.reason, MessageKind::Error);
        return false;
    }
    const auto lines = SplitCrLfLines(*data);
    // Slots are filled from slot 0 without gaps.
    for (std::size_t line = kSettingsLineCount; line < lines.size() && line < kListLineCount; ++line) {
        std::string file = DecodeListLine(lines[line]);
        if (file.empty()) break;
        files.push_back(std::move(file));
    }
    return true;
}

// Takes the data folder's lock for a run that writes; 0 when it is taken,
// otherwise the exit status after saying why (what: what is not done then).
// Another termif98-check is done in a moment and is waited for; the windowed
// program holds the lock for as long as it runs.
int TakeLock(DataLock& lock, const char* what) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(kDataLockWaitMs);
    IoError error;
    for (;;) {
        switch (lock.take(DataDir, kCheckProgramName, &error)) {
            case DataLock::Result::Taken: return 0;
            case DataLock::Result::Failed:
                std::fprintf(stderr, "termif98-check: Die Sperrdatei in %s kann nicht angelegt werden: %s\n%s.\n",
                             DataDir.c_str(), error.reason.c_str(), what);
                return kExitFailed;
            case DataLock::Result::Held: break;
        }
        // The holder's text is only a hint: a wrong one costs a wait or
        // ends the run early, it never lets two runs write.
        const auto holder = ReadLockHolder(DataDir);
        const bool windowed = holder && holder->program == kWindowedProgramName;
        if (windowed || std::chrono::steady_clock::now() >= giveUp) {
            if (holder && holder->program == kCheckProgramName)
                std::fprintf(stderr,
                             "termif98-check: Ein anderer Aufruf von termif98-check (Prozeß %ld) arbeitet gerade mit "
                             "den Daten in %s.\n%s; versuchen Sie es gleich noch einmal.\n",
                             holder->pid, DataDir.c_str(), what);
            else
                std::fprintf(stderr,
                             "termif98-check: Termifolio98 arbeitet gerade mit den Daten in %s.\n"
                             "%s; beenden Sie das Programm und versuchen Sie es erneut.\n",
                             DataDir.c_str(), what);
            return kExitLocked;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

}  // namespace

int main(int argc, char** argv) {
    TerminalPlatform platform;
    platform.install();

    Options options;
    if (const std::string error = ParseOptions(argc, argv, options); !error.empty()) return UsageError(error);
    if (options.help) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (options.version) {
        std::printf("termif98-check %s\n", kVersionText);
        return 0;
    }
    if (!options.date.empty()) {
        const auto date = ParseDate(options.date);
        if (!date) return UsageError(options.date + " ist kein gültiges Datum (TT.MM.JJJJ).");
        platform.setToday(std::chrono::sys_days{*date});
    }

    DataDir = FindDataFolder();
    if (!options.vcard.empty()) {
        // The windowed program may hold the same file and write it back.
        DataLock importLock;
        if (const int refused = TakeLock(importLock, "Es wird nichts importiert")) return refused;
        return ImportVCard(options.vcard, options.vcardTarget) == 0 ? 0 : kExitFailed;
    }
    std::vector<std::string> files = options.files;
    if (files.empty() && !ReadCheckList(files)) return kExitFailed;
    if (!options.ics.empty()) {
        if (files.empty()) {
            std::fprintf(stderr, "termif98-check: Die Prüfliste in %s ist leer.\n", DataDir.c_str());
            return kExitFailed;
        }
        return ExportICalendarFile(options.ics, files.front()) == 0 ? 0 : kExitFailed;
    }
    if (files.empty()) {
        std::printf("Die Prüfliste in %s ist leer.\n", DataDir.c_str());
        return 0;
    }

    DataLock lock;
    if (options.stamp)
        if (const int refused = TakeLock(lock, "Die Prüfung wird nicht gestempelt")) return refused;

    ReportWriter report(stdout, {WantColour(stdout), options.aheadDays, Today()});
    const CheckOutcome outcome =
        CheckFiles(files, {options.stamp, options.aheadDays,
                           [&platform](const std::string& file) { platform.setFile(file); },
                           [&report](const FileReport& file) { report.file(file); }});
    lock.release();
    report.upcoming(outcome.upcoming);
    // A write that failed on the way leaves its mark even when the last one
    // went through.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) return kExitFailed;
    return outcome.failed ? kExitFailed : 0;
}
