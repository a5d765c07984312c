#include "ListFiles.h"

#include <cstdio>

#include "CheckListEdit.h"
#include "Cp1252.h"
#include "FileIo.h"
#include "Funky.h"
#include "Ports.h"
#include "Scramble.h"
#include "State.h"

namespace tmf {
namespace {

constexpr std::size_t kMaxLine = 255;
// 121 lines of at most 255 bytes and CR LF: anything larger is no list file
// (lines beyond 121 are ignored, but a file this large is something else).
constexpr std::size_t kMaxListFileSize = static_cast<std::size_t>(kListLineCount) * (kMaxLine + 2);

// Set when "Liste.dat" was there but could not be read, or held no list, in
// this run: the settings then start from their defaults, and the first
// write must keep the old file instead of replacing it.
bool gKeepOldList = false;

// Moves the unreadable "Liste.dat" aside under a free name. False when that
// fails; the old file must not be written over then.
bool SetOldListAside(const std::string& path) {
    std::string aside = path + ".defekt";
    for (int n = 2; FileExists(aside) && n < 1000; ++n) aside = path + ".defekt" + std::to_string(n);
    if (std::rename(path.c_str(), aside.c_str()) != 0 && FileExists(path)) {
        ShowMessage("Die Datei " + path + " ließ sich nicht lesen und wird nicht überschrieben.\r\n"
                    "Die Einstellungen dieses Programmlaufs werden nicht gespeichert.",
                    MessageKind::Error);
        return false;
    }
    return true;
}

bool WriteLines(const std::string& path, const std::string* lines, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        out += EncodeListLine(lines[i]);
        out += "\r\n";
    }
    IoError error;
    if (WriteFileAtomically(path, out, &error)) return true;
    ShowMessage("Die Datei " + path + " konnte nicht gespeichert werden !\r\n" + error.reason, MessageKind::Error);
    return false;
}

}  // namespace

std::vector<std::string_view> SplitCrLfLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(bytes.substr(start));
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::string DecodeListLine(std::string_view bytes) {
    return Cp1252ToUtf8(ScrambleText(bytes.substr(0, kMaxLine)));
}

std::string EncodeListLine(std::string_view utf8) { return ScrambleText(Utf8ToCp1252(utf8, kMaxLine)); }

bool SurvivesListFile(std::string_view utf8) { return EncodeListLine(utf8).find("\r\n") == std::string::npos; }

bool LoadCheckList() {
    const std::string path = DataDir + kCheckListFileName;
    IoError error;
    auto data = ReadWholeFile(path, &error);
    std::vector<std::string_view> lines;
    if (data) {
        lines = SplitCrLfLines(*data);
        if (data->size() > kMaxListFileSize) {
            data.reset();
            error.reason = "Sie ist keine Prüflisten-Datei.";
        }
    }
    if (!data) {
        gKeepOldList = true;
        ShowMessage("Die Datei " + path + " konnte nicht gelesen werden !\r\n" + error.reason +
                        "\r\nDie Einstellungen beginnen neu; die alte Datei wird als " +
                        ExtractFileName(path) + ".defekt aufbewahrt.",
                    MessageKind::Error);
        return false;
    }
    for (int k = 0; k < kListLineCount; ++k)
        ListLines[static_cast<std::size_t>(k)] =
            static_cast<std::size_t>(k) < lines.size() ? DecodeListLine(lines[static_cast<std::size_t>(k)]) : std::string();

    bool removed = false;
    for (int slot = 0; slot < kCheckListSlots;) {
        const std::string name = CheckList(slot);
        if (name.empty() || FileExists(name)) {
            ++slot;
            continue;
        }
        PlaySound("fehler", 1);
        ShowMessage(name + "\r\nDatei ist nicht mehr vorhanden und wird aus der Prüfliste entfernt !");
        EditCheckList(std::to_string(slot), "Raus");
        removed = true;  // the same slot number is examined again
    }
    if (removed) SaveCheckList();
    return true;
}

bool SaveCheckList() {
    const std::string path = DataDir + kCheckListFileName;
    if (gKeepOldList) {
        if (!SetOldListAside(path)) return false;
        gKeepOldList = false;
    }
    return WriteLines(path, ListLines.data(), ListLines.size());
}

void ForgetListLoadFailure() { gKeepOldList = false; }

void LoadTermNames() {
    const std::string path = DataDir + kTermNamesFileName;
    if (!FileExists(path)) {
        ShowMessage("Datei >Termin.dat< nicht gefunden. Leere Datei wird angelegt.\r"
                    "Geben Sie Terminbezeichnungen über ANFÜGEN ein.");
        SaveTermNames();
        return;
    }
    IoError error;
    auto data = ReadWholeFile(path, &error);
    if (!data) {
        ShowMessage("Die Datei " + path + " konnte nicht gelesen werden !\r\n" + error.reason, MessageKind::Error);
        return;
    }
    auto lines = SplitCrLfLines(*data);
    for (std::size_t k = 0; k < static_cast<std::size_t>(kTermNameSlots) && k < lines.size(); ++k) {
        if (lines[k].empty()) break;
        TermNames[k] = Utf8Left(DecodeListLine(lines[k]), 15);
    }
}

bool SaveTermNames() {
    std::size_t count = 0;
    while (count < TermNames.size() && !TermNames[count].empty()) ++count;
    return WriteLines(DataDir + kTermNamesFileName, TermNames.data(), count);
}

}  // namespace tmf
