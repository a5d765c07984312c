#include "ListFiles.h"

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
    if (!data) {
        ShowMessage("Die Datei " + path + " konnte nicht gelesen werden !\r\n" + error.reason, MessageKind::Error);
        return false;
    }
    auto lines = SplitCrLfLines(*data);
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

bool SaveCheckList() { return WriteLines(DataDir + kCheckListFileName, ListLines.data(), ListLines.size()); }

void LoadTermNames() {
    const std::string path = DataDir + kTermNamesFileName;
    // Only when nothing is there: a folder or a FIFO of that name is
    // reported as unreadable below, and left as it is.
    if (KindOfPath(path) == PathKind::Missing) {
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
