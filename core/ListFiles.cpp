#include "ListFiles.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

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
// 121 lines, each at most a marked line of 255 four-byte characters (two
// letters a byte, marker, alphabet, padding) and CR LF: anything larger is
// no list file (lines beyond 121 are ignored, but a file this large is
// something else).
constexpr std::size_t kMaxListFileSize = static_cast<std::size_t>(kListLineCount) * (2 * 4 * kMaxLine + 8);

// Set when "Liste.dat" was there but could not be read, or held no list, in
// this run: the settings then start from their defaults, and the first
// write must keep the old file instead of replacing it.
bool gKeepOldList = false;

// Moves the unreadable "Liste.dat" aside under a free name. False when that
// fails; the old file must not be written over then.
bool SetOldListAside(const std::string& path) {
    // A folder, pipe or device there is no list to keep; the writer refuses
    // it and leaves it as it is.
    if (KindOfPath(path) != PathKind::File) return true;
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

// Something that is there but cannot be checked is not "vanished": the user
// would look for a file that was deleted.
std::string NoAppointmentFileText(PathKind kind) {
    switch (kind) {
        case PathKind::Directory:
            return "ist ein Ordner, keine Termindatei, und wird aus der Prüfliste entfernt !";
        case PathKind::Special:
            return "ist vorhanden, aber keine Termindatei (sondern eine Pipe, ein Gerät oder ein Socket) "
                   "und wird aus der Prüfliste entfernt !";
        case PathKind::DanglingLink:
            return "ist eine Verknüpfung, deren Ziel fehlt, keine Termindatei, und wird aus der Prüfliste "
                   "entfernt !";
        default:
            return "Datei ist nicht mehr vorhanden und wird aus der Prüfliste entfernt !";
    }
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

namespace {

// A text that Windows-1252 cannot hold exactly (a path with other
// characters, or bytes that are no UTF-8 at all: on Linux a path is whatever
// bytes the file system took) is stored as a marked line: a marker byte, the
// first letter of one of four 16-letter alphabets, then every byte of the
// text as two letters of that alphabet, then up to three padding characters.
// - The marker is NUL in a line of up to 255 bytes. An older reader cuts a
//   longer line to 255 bytes and unscrambles it with the key of 255, so
//   there the marker is the byte that this reading turns into NUL.
// - A text of the Windows-1252 form is written plain whenever its plain
//   line reads back as that text; only one that would read as a marked line
//   (it starts with NUL, which paths and settings never do, followed by
//   what a marked line holds) is marked instead. So every line an older
//   writer made, or damage left, is written back as the bytes it was.
// - An older reader sees a name that starts with NUL, which names no file:
//   it drops the slot as a vanished file instead of opening another one.
// - The alphabet and the padding are chosen so that no byte of the
//   scrambled line is CR, LF or the end-of-file byte 26: the line can never
//   break, whatever the path, for this reader or an older one.
constexpr std::array<unsigned char, 4> kAlphabets = {0x30, 0x41, 0x51, 0x61};  // '0', 'A', 'Q', 'a'
constexpr unsigned char kPadFirst = 0x20, kPadLast = 0x2F;                     // outside every alphabet

unsigned char Marker(std::size_t length) {
    return length <= kMaxLine ? 0 : ScrambleKey(length) ^ ScrambleKey(kMaxLine);
}

bool BreaksLines(unsigned char plain, unsigned char key) {
    const unsigned char b = plain ^ key;
    return b == '\n' || b == '\r' || b == 26;
}

std::string EncodeMarked(std::string_view text) {
    for (std::size_t pad = 0; pad < 4; ++pad) {
        const std::size_t length = 2 + 2 * text.size() + pad;
        const unsigned char key = ScrambleKey(length);
        const unsigned char marker = Marker(length);
        if (BreaksLines(marker, key)) continue;
        for (unsigned char base : kAlphabets) {
            bool clean = true;
            for (unsigned v = 0; v < 16 && clean; ++v)
                clean = !BreaksLines(static_cast<unsigned char>(base + v), key);
            unsigned char padChar = kPadFirst;
            while (pad > 0 && padChar <= kPadLast && BreaksLines(padChar, key)) ++padChar;
            if (!clean || padChar > kPadLast) continue;
            std::string line(1, static_cast<char>(marker));
            line.reserve(length);
            line.push_back(static_cast<char>(base));
            for (char c : text) {
                const auto b = static_cast<unsigned char>(c);
                line.push_back(static_cast<char>(base + (b >> 4)));
                line.push_back(static_cast<char>(base + (b & 0x0F)));
            }
            line.append(pad, static_cast<char>(padChar));
            return ScrambleText(line);
        }
    }
    // Four alphabets against three bad bytes, over at least two keys: one
    // of them always fits.
    return ScrambleText(Utf8ToCp1252(text));
}

std::optional<std::string> DecodeMarked(std::string_view bytes) {
    if (bytes.size() < 2) return std::nullopt;
    const std::string line = ScrambleText(bytes);
    const auto base = static_cast<unsigned char>(line[1]);
    if (static_cast<unsigned char>(line[0]) != Marker(bytes.size()) ||
        std::find(kAlphabets.begin(), kAlphabets.end(), base) == kAlphabets.end())
        return std::nullopt;
    auto digit = [&](std::size_t i) {
        return static_cast<unsigned>(static_cast<unsigned char>(line[i]) - base);
    };
    std::string text;
    std::size_t i = 2;
    for (; i + 1 < line.size() && digit(i) < 16 && digit(i + 1) < 16; i += 2)
        text.push_back(static_cast<char>(digit(i) << 4 | digit(i + 1)));
    for (; i < line.size(); ++i)
        if (static_cast<unsigned char>(line[i]) < kPadFirst || static_cast<unsigned char>(line[i]) > kPadLast)
            return std::nullopt;
    return text;
}

}  // namespace

std::string DecodeListLine(std::string_view bytes) {
    if (auto marked = DecodeMarked(bytes)) return Utf8Left(*marked, kMaxLine);
    // A longer line than any writer of the plain form makes is read as its
    // first 255 bytes, as a line of its own: that is what writing the text
    // back gives.
    if (bytes.size() > kMaxLine) return DecodeListLine(bytes.substr(0, kMaxLine));
    return Cp1252ToUtf8(ScrambleText(bytes));
}

std::string EncodeListLine(std::string_view utf8) {
    const std::string text = Utf8Left(utf8, kMaxLine);
    std::string cp1252 = Utf8ToCp1252(text);
    if (Cp1252ToUtf8(cp1252) == text) {
        ScrambleInPlace(cp1252.data(), cp1252.size());
        if (!DecodeMarked(cp1252)) return cp1252;
    }
    return EncodeMarked(text);
}

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
        gKeepOldList = KindOfPath(path) == PathKind::File;
        ShowMessage("Die Datei " + path + " konnte nicht gelesen werden !\r\n" + error.reason +
                        (gKeepOldList ? "\r\nDie Einstellungen beginnen neu; die alte Datei wird als " +
                                            ExtractFileName(path) + ".defekt aufbewahrt."
                                      : std::string()),
                    MessageKind::Error);
        return false;
    }
    for (int k = 0; k < kListLineCount; ++k)
        ListLines[static_cast<std::size_t>(k)] =
            static_cast<std::size_t>(k) < lines.size() ? DecodeListLine(lines[static_cast<std::size_t>(k)]) : std::string();

    bool removed = false;
    for (int slot = 0; slot < kCheckListSlots;) {
        const std::string name = CheckList(slot);
        const PathKind kind = name.empty() ? PathKind::File : KindOfPath(name);
        if (kind == PathKind::File) {
            ++slot;
            continue;
        }
        PlaySound("fehler", 1);
        ShowMessage(name + "\r\n" + NoAppointmentFileText(kind));
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
