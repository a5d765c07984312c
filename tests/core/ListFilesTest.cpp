// "Liste.dat" and "Termin.dat": scrambled lines ended by CR LF,
// the removal of vanished files from the check list, the term names.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <stdexcept>

#include "CoreFixture.h"
#include "CheckListEdit.h"
#include "Cp1252.h"
#include "ListFiles.h"
#include "Scramble.h"
#include "State.h"

using namespace tmf;
using namespace std::string_literals;
using tmf::test::CoreTest;

namespace {

// One line as the file holds it: the Windows-1252 bytes, scrambled.
std::string FileLine(const std::string& utf8) {
    return ScrambleText(Utf8ToCp1252(utf8)) + "\r\n";
}

std::string FileOf(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const auto& l : lines) bytes += FileLine(l);
    return bytes;
}

// The lines of a file as the program reads them back.
std::vector<std::string> LinesOf(const std::string& bytes) {
    std::vector<std::string> lines;
    for (auto l : SplitCrLfLines(bytes)) lines.push_back(DecodeListLine(l));
    return lines;
}

std::size_t CountCrLf(const std::string& bytes) {
    std::size_t n = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
        if (bytes[i] == '\r' && bytes[i + 1] == '\n') ++n;
    return n;
}

// A platform that gives up when a load keeps showing messages, so that an
// endless loop fails the test instead of hanging it.
class BoundedPlatform : public test::ScriptedPlatform {
public:
    void ShowMessage(const std::string& text, MessageKind kind) override {
        ScriptedPlatform::ShowMessage(text, kind);
        if (messages.size() > 300) throw std::runtime_error("endless messages");
    }
};

}  // namespace

class ListFiles : public CoreTest {
protected:
    std::string listPath() const { return dir.file("Liste.dat"); }
    std::string termPath() const { return dir.file("Termin.dat"); }
    // Creates a file in the data folder and returns its path.
    std::string existing(const std::string& name) const {
        dir.write(name, "x");
        return dir.file(name);
    }
    // 121 lines: the given settings, the given slots.
    std::vector<std::string> listLines(const std::vector<std::string>& slots) const {
        std::vector<std::string> lines(121);
        lines[10] = "Wuk-Soft98";
        lines[14] = "3";
        lines[16] = "1";
        for (std::size_t k = 0; k < slots.size(); ++k) lines[20 + k] = slots[k];
        return lines;
    }
};

// -------------------------------------------------------- line splitting

TEST(SplitCrLfLines, LinesEndOnlyAtCrLf) {
    using V = std::vector<std::string_view>;
    EXPECT_EQ(SplitCrLfLines(""), V{});
    EXPECT_EQ(SplitCrLfLines("a\r\nb\r\n"), (V{"a", "b"}));
    EXPECT_EQ(SplitCrLfLines("a\r\nb"), (V{"a", "b"}));
    EXPECT_EQ(SplitCrLfLines("\r\n\r\n"), (V{"", ""}));
    EXPECT_EQ(SplitCrLfLines("a\nb\r\n"), (V{"a\nb"}));
    EXPECT_EQ(SplitCrLfLines("a\rb\r\n"), (V{"a\rb"}));
    EXPECT_EQ(SplitCrLfLines("a\r"), (V{"a\r"}));
    EXPECT_EQ(SplitCrLfLines("a\x1a"
                             "b\r\nc"),
              (V{"a\x1a"
                 "b",
                 "c"}));
    EXPECT_EQ(SplitCrLfLines("a\r\r\nb"), (V{"a\r", "b"}));
    EXPECT_EQ(SplitCrLfLines("\n\r\n"), (V{"\n"}));
}

TEST(ListLine, DecodeUnscramblesAtMost255Bytes) {
    EXPECT_EQ(DecodeListLine(ScrambleText("Arial")), "Arial");
    EXPECT_EQ(DecodeListLine(""), "");
    std::string longLine(300, static_cast<char>('x' ^ 128));  // key of 255 characters
    EXPECT_EQ(DecodeListLine(longLine), std::string(255, 'x'));
    EXPECT_EQ(EncodeListLine("ä"), "\x1a");
    EXPECT_EQ(EncodeListLine(std::string(300, 'y')), ScrambleText(std::string(255, 'y')));
}

// -------------------------------------------------------------- Liste.dat

TEST_F(ListFiles, SaveWrites121ScrambledLinesEndedByCrLf) {
    SettingsLines(MarkerLine) = "Wuk-Soft98";
    SettingsLines(FontName) = "Arial";
    CurrentFile() = "/daten/Termif98.tmf";
    ASSERT_TRUE(SaveCheckList());
    const std::string bytes = dir.read("Liste.dat");
    EXPECT_EQ(CountCrLf(bytes), 121u);
    std::string expected;
    for (int k = 0; k < 121; ++k) expected += FileLine(ListLines[static_cast<std::size_t>(k)]);
    EXPECT_EQ(bytes, expected);
    // Line 10 is "Wuk-Soft98", 10 characters, key 245.
    std::string line10;
    for (char c : std::string("Wuk-Soft98"))
        line10.push_back(static_cast<char>(static_cast<unsigned char>(c) ^ 245));
    EXPECT_NE(bytes.find("\r\n" + line10 + "\r\n"), std::string::npos);
    EXPECT_EQ(bytes.substr(0, 20), "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n");  // lines 0..9 empty
}

TEST_F(ListFiles, LineOf241CharactersUsesKey135) {
    SettingsLines(0) = std::string(241, 'a');
    ASSERT_TRUE(SaveCheckList());
    const std::string bytes = dir.read("Liste.dat");
    EXPECT_EQ(bytes.substr(0, 243), std::string(241, static_cast<char>('a' ^ 135)) + "\r\n");
    ResetProgramState();
    ASSERT_TRUE(LoadCheckList());
    EXPECT_EQ(SettingsLines(0), std::string(241, 'a'));
}

TEST_F(ListFiles, SettingsAndSlotsRoundTrip) {
    SettingsLines(MarkerLine) = "Wuk-Soft98";
    SettingsLines(CheckDaily) = "1";
    SettingsLines(FontName) = "Äöü € „Schrift“";
    SettingsLines(WindowOffsetY) = "-12";
    SettingsLines(WindowOffsetX) = "34";
    SettingsLines(11) = "nie gelesen";
    CheckList(0) = existing("Familie.tmf");
    CheckList(1) = existing("Büro.tmf");
    ASSERT_TRUE(SaveCheckList());
    const auto saved = ListLines;
    ResetProgramState();
    ASSERT_TRUE(LoadCheckList());
    EXPECT_EQ(ListLines, saved);
    EXPECT_TRUE(messages().empty());
}

TEST_F(ListFiles, FileOf25LinesLeavesTheRestEmptyAndIsWrittenBackWith121) {
    std::vector<std::string> lines(25);
    for (int k = 0; k < 25; ++k)
        lines[static_cast<std::size_t>(k)] =
            k >= 20 ? existing("s" + std::to_string(k) + ".tmf") : "L" + std::to_string(k);
    dir.write("Liste.dat", FileOf(lines));
    for (auto& l : ListLines) l = "vorher";
    ASSERT_TRUE(LoadCheckList());
    for (int k = 0; k < 25; ++k)
        EXPECT_EQ(ListLines[static_cast<std::size_t>(k)], lines[static_cast<std::size_t>(k)]) << k;
    for (int k = 25; k < 121; ++k) EXPECT_EQ(ListLines[static_cast<std::size_t>(k)], "") << k;
    EXPECT_EQ(CountCrLf(dir.read("Liste.dat")), 25u) << "nothing removed, nothing rewritten";
    ASSERT_TRUE(SaveCheckList());
    const std::string bytes = dir.read("Liste.dat");
    EXPECT_EQ(CountCrLf(bytes), 121u);
    EXPECT_EQ(LinesOf(bytes).size(), 121u);
}

TEST_F(ListFiles, LastLineWithoutCrLfCounts) {
    std::string bytes = FileOf({"null", "eins"}) + ScrambleText("zwei");
    dir.write("Liste.dat", bytes);
    ASSERT_TRUE(LoadCheckList());
    EXPECT_EQ(ListLines[1], "eins");
    EXPECT_EQ(ListLines[2], "zwei");
    EXPECT_EQ(ListLines[3], "");
}

TEST_F(ListFiles, LongerFileReadsOnly121Lines) {
    std::vector<std::string> lines = listLines({});
    lines[120] = existing("letzte.tmf");
    for (int k = 0; k < 9; ++k) lines.push_back("zu viel");
    const std::string bytes = FileOf(lines);
    dir.write("Liste.dat", bytes);
    ASSERT_TRUE(LoadCheckList());
    EXPECT_EQ(CheckList(100), dir.file("letzte.tmf"));
    EXPECT_EQ(SettingsLines(MarkerLine), "Wuk-Soft98");
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(dir.read("Liste.dat"), bytes);
}

TEST_F(ListFiles, LineLongerThan255IsCutAndTheNextLineStaysItsOwn) {
    std::string longLine(300, static_cast<char>('q' ^ 128));
    dir.write("Liste.dat", longLine + "\r\n" + FileLine("zweite"));
    ASSERT_TRUE(LoadCheckList());
    EXPECT_EQ(ListLines[0], std::string(255, 'q'));
    EXPECT_EQ(ListLines[1], "zweite");
}

TEST_F(ListFiles, UmlautInALineOf17CharactersIsTextNotALineBreak) {
    const std::string font = "ä" + std::string(16, 'x');
    ASSERT_EQ(Utf8Length(font), 17u);
    SettingsLines(FontName) = font;
    SettingsLines(16) = "1";
    ASSERT_TRUE(SaveCheckList());
    const std::string bytes = dir.read("Liste.dat");
    EXPECT_EQ(CountCrLf(bytes), 121u);
    EXPECT_NE(bytes.find('\n' + std::string(16, static_cast<char>('x' ^ 238)) + "\r\n"), std::string::npos);
    ResetProgramState();
    ASSERT_TRUE(LoadCheckList());
    EXPECT_EQ(SettingsLines(FontName), font);
    EXPECT_EQ(SettingsLines(16), "1");
    EXPECT_EQ(SettingsLines(17), "");
}

TEST_F(ListFiles, PathWithUmlautInALineOf17CharactersStaysOneLine) {
    // "/tmp/ä" + 7 characters + ".tmf": 17 characters, key 238, ä becomes LF.
    if (!DirectoryExists("/tmp")) GTEST_SKIP() << "no /tmp";
    std::mt19937 rng(std::random_device{}());
    std::string path;
    for (int attempt = 0; attempt < 50 && path.empty(); ++attempt) {
        std::string name;
        for (int i = 0; i < 7; ++i) name.push_back(static_cast<char>('a' + rng() % 26));
        const std::string candidate = "/tmp/ä" + name + ".tmf";
        int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd >= 0) {
            ::close(fd);
            path = candidate;
        }
    }
    ASSERT_FALSE(path.empty());
    struct Remove {
        std::string p;
        ~Remove() { ::unlink(p.c_str()); }
    } remove{path};
    ASSERT_EQ(Utf8Length(path), 17u);
    CurrentFile() = path;
    CheckList(1) = existing("b.tmf");
    ASSERT_TRUE(SaveCheckList());
    const std::string bytes = dir.read("Liste.dat");
    EXPECT_EQ(CountCrLf(bytes), 121u);
    const std::string line20 = ScrambleText(Utf8ToCp1252(path));
    EXPECT_EQ(line20[5], '\n');
    EXPECT_NE(bytes.find(line20 + "\r\n"), std::string::npos);
    ResetProgramState();
    ASSERT_TRUE(LoadCheckList());
    EXPECT_EQ(CurrentFile(), path);
    EXPECT_EQ(CheckList(1), dir.file("b.tmf"));
    EXPECT_TRUE(messages().empty());
}

TEST_F(ListFiles, PathThatScramblesToLfCrAndEofBytesSurvives) {
    // Pick the characters that this path's key turns into 10, 13 and 26.
    std::string base = dir.path() + "abc";
    const std::size_t length = Utf8Length(base) + 3 + 4;  // three special characters and ".tmf"
    const unsigned key = ScrambleKey(length);
    std::string special = Cp1252ToUtf8(
        std::string{static_cast<char>(key ^ 10), static_cast<char>(key ^ 13), static_cast<char>(key ^ 26)});
    const std::string path = base + special + ".tmf";
    ASSERT_EQ(Utf8Length(path), length);
    dir.write(std::filesystem::path(path).filename().string(), "x");
    ASSERT_TRUE(FileExists(path));
    CurrentFile() = path;
    CheckList(1) = existing("b.tmf");
    ASSERT_TRUE(SaveCheckList());
    const std::string bytes = dir.read("Liste.dat");
    const std::string scrambled = ScrambleText(Utf8ToCp1252(path));
    EXPECT_NE(scrambled.find('\n'), std::string::npos);
    EXPECT_NE(scrambled.find('\r'), std::string::npos);
    EXPECT_NE(scrambled.find('\x1a'), std::string::npos);
    ResetProgramState();
    ASSERT_TRUE(LoadCheckList());
    EXPECT_EQ(CurrentFile(), path);
    EXPECT_EQ(CheckList(1), dir.file("b.tmf"));
    EXPECT_TRUE(messages().empty());
}

TEST_F(ListFiles, VanishedFileIsReportedOnceAndRemovedAndTheFileRewritten) {
    const std::string a = existing("A.tmf"), c = existing("C.tmf"), d = existing("D.tmf");
    const std::string b = dir.file("B.tmf");
    dir.write("Liste.dat", FileOf(listLines({a, b, c, d})));
    ASSERT_TRUE(LoadCheckList());
    EXPECT_EQ(messages(),
              std::vector<std::string>{
                  b + "\r\nDatei ist nicht mehr vorhanden und wird aus der Prüfliste entfernt !"});
    EXPECT_EQ(platform.sounds, std::vector<std::string>{SoundDir + "fehler.wav"});
    EXPECT_EQ(platform.soundWaited, std::vector<bool>{true});
    EXPECT_EQ(CheckList(0), a);
    EXPECT_EQ(CheckList(1), c);
    EXPECT_EQ(CheckList(2), d);
    EXPECT_EQ(CheckList(3), "");
    EXPECT_EQ(SettingsLines(MarkerLine), "Wuk-Soft98");
    const auto onDisk = LinesOf(dir.read("Liste.dat"));
    ASSERT_EQ(onDisk.size(), 121u);
    EXPECT_EQ(onDisk[20], a);
    EXPECT_EQ(onDisk[21], c);
    EXPECT_EQ(onDisk[22], d);
    EXPECT_EQ(onDisk[23], "");
    EXPECT_EQ(onDisk[10], "Wuk-Soft98");
}

TEST_F(ListFiles, SoundPlaysBeforeTheMessage) {
    struct Recorder : test::ScriptedPlatform {
        std::vector<std::string> order;
        void ShowMessage(const std::string& t, MessageKind k) override {
            order.push_back("message");
            ScriptedPlatform::ShowMessage(t, k);
        }
        bool Play(const std::string& p, bool w) override {
            order.push_back("sound");
            return ScriptedPlatform::Play(p, w);
        }
    } recorder;
    recorder.install();
    dir.write("Liste.dat", FileOf(listLines({dir.file("weg.tmf")})));
    ASSERT_TRUE(LoadCheckList());
    EXPECT_EQ(recorder.order, (std::vector<std::string>{"sound", "message"}));
}

TEST_F(ListFiles, VanishedCurrentFileIsRemovedAndSlotOneBecomesCurrent) {
    const std::string b = existing("B.tmf");
    dir.write("Liste.dat", FileOf(listLines({dir.file("A.tmf"), b})));
    ASSERT_TRUE(LoadCheckList());
    EXPECT_EQ(CurrentFile(), b);
    EXPECT_EQ(CheckList(1), "");
    EXPECT_EQ(messages().size(), 1u);
}

TEST_F(ListFiles, NeighbouringVanishedFilesAreAllRemoved) {
    const std::string a = existing("A.tmf"), d = existing("D.tmf");
    dir.write("Liste.dat",
              FileOf(listLines({a, dir.file("B.tmf"), dir.file("C.tmf"), d, dir.file("E.tmf")})));
    ASSERT_TRUE(LoadCheckList());
    EXPECT_EQ(
        messages(),
        (std::vector<std::string>{
            dir.file("B.tmf") + "\r\nDatei ist nicht mehr vorhanden und wird aus der Prüfliste entfernt !",
            dir.file("C.tmf") + "\r\nDatei ist nicht mehr vorhanden und wird aus der Prüfliste entfernt !",
            dir.file("E.tmf") + "\r\nDatei ist nicht mehr vorhanden und wird aus der Prüfliste entfernt !"}));
    EXPECT_EQ(platform.sounds.size(), 3u);
    EXPECT_EQ(CheckList(0), a);
    EXPECT_EQ(CheckList(1), d);
    EXPECT_EQ(CheckList(2), "");
}

TEST_F(ListFiles, FullListWithAllFilesVanishedEndsEmpty) {
    std::vector<std::string> slots;
    for (int k = 0; k < 101; ++k) slots.push_back(dir.file("weg" + std::to_string(k) + ".tmf"));
    dir.write("Liste.dat", FileOf(listLines(slots)));
    ASSERT_TRUE(LoadCheckList());
    EXPECT_EQ(messages().size(), 101u);
    for (int k = 0; k < 101; ++k) EXPECT_EQ(CheckList(k), "") << k;
    EXPECT_EQ(messages()[100],
              slots[100] + "\r\nDatei ist nicht mehr vorhanden und wird aus der Prüfliste entfernt !");
}

TEST_F(ListFiles, FolderNamedInTheCheckListCountsAsVanished) {
    std::filesystem::create_directory(dir.file("ordner.tmf"));
    dir.write("Liste.dat", FileOf(listLines({dir.file("ordner.tmf")})));
    ASSERT_TRUE(LoadCheckList());
    EXPECT_EQ(CurrentFile(), "");
    EXPECT_EQ(messages().size(), 1u);
}

TEST_F(ListFiles, ThingsThatAreThereButAreNoAppointmentFilesAreCalledSo) {
    std::filesystem::create_directory(dir.file("ordner.tmf"));
    ASSERT_EQ(::mkfifo(dir.file("rohr.tmf").c_str(), 0644), 0);
    std::filesystem::create_symlink(dir.file("ziel-fehlt.tmf"), dir.file("link.tmf"));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {dir.file("ordner.tmf"), "ist ein Ordner, keine Termindatei, und wird aus der Prüfliste entfernt !"},
        {dir.file("rohr.tmf"), "ist vorhanden, aber keine Termindatei (sondern eine Pipe, ein Gerät oder ein "
                               "Socket) und wird aus der Prüfliste entfernt !"},
        {dir.file("link.tmf"), "ist eine Verknüpfung, deren Ziel fehlt, keine Termindatei, und wird aus der "
                               "Prüfliste entfernt !"},
        {dir.file("weg.tmf"), "Datei ist nicht mehr vorhanden und wird aus der Prüfliste entfernt !"},
    };
    const std::string kept = existing("bleibt.tmf");
    std::vector<std::string> slots = {kept};
    std::vector<std::string> expected;
    for (const auto& [path, text] : cases) {
        slots.push_back(path);
        expected.push_back(path + "\r\n" + text);
    }
    dir.write("Liste.dat", FileOf(listLines(slots)));
    ASSERT_TRUE(LoadCheckList());
    EXPECT_EQ(messages(), expected);
    EXPECT_EQ(CurrentFile(), kept);
    EXPECT_EQ(CheckList(1), "");
    EXPECT_TRUE(std::filesystem::is_fifo(dir.file("rohr.tmf")));
}

TEST_F(ListFiles, GapBeforeAVanishedLastSlotNeitherHangsNorLosesFiles) {
    // Not a file the program writes, but one a crash or an editor can leave.
    BoundedPlatform bounded;
    bounded.install();
    const std::string a = existing("A.tmf"), c = existing("C.tmf");
    std::vector<std::string> slots(101);
    slots[0] = a;
    slots[2] = c;
    slots[3] = dir.file("weg3.tmf");
    slots[100] = dir.file("weg100.tmf");
    dir.write("Liste.dat", FileOf(listLines(slots)));
    bool ok = false;
    ASSERT_NO_THROW(ok = LoadCheckList());
    EXPECT_TRUE(ok);
    EXPECT_EQ(bounded.messages.size(), 2u);
    EXPECT_EQ(CheckList(0), a);
    EXPECT_EQ(CheckList(2), c);
    EXPECT_EQ(CheckList(3), "");
    EXPECT_EQ(CheckList(100), "");
}

TEST_F(ListFiles, GapBeforeAVanishedFileKeepsTheFilesBeforeIt) {
    const std::string a = existing("A.tmf"), c = existing("C.tmf");
    std::vector<std::string> slots(101);
    slots[0] = a;
    slots[2] = c;
    slots[3] = dir.file("weg.tmf");
    dir.write("Liste.dat", FileOf(listLines(slots)));
    ASSERT_TRUE(LoadCheckList());
    EXPECT_EQ(messages().size(), 1u);
    EXPECT_EQ(CheckList(0), a);
    EXPECT_EQ(CheckList(2), c);
    EXPECT_EQ(CheckList(3), "");
}

TEST_F(ListFiles, MissingCheckListFileLeavesTheLinesAndSaysSo) {
    ListLines[10] = "bleibt";
    EXPECT_FALSE(LoadCheckList());
    EXPECT_EQ(ListLines[10], "bleibt");
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].find(listPath()), std::string::npos);
}

TEST_F(ListFiles, SaveFailureIsReportedAndKeepsTheOldFile) {
    dir.write("Liste.dat", "alt");
    SetWriteFailureAfterBytesForTesting(5);
    EXPECT_FALSE(SaveCheckList());
    SetWriteFailureAfterBytesForTesting(std::nullopt);
    EXPECT_EQ(dir.read("Liste.dat"), "alt");
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].rfind("Die Datei " + listPath() + " konnte nicht gespeichert werden !", 0), 0u);
}

// ------------------------------------------------------------- Termin.dat

TEST_F(ListFiles, MissingTermFileIsCreatedEmptyWithTheMessage) {
    LoadTermNames();
    EXPECT_EQ(messages(),
              std::vector<std::string>{"Datei >Termin.dat< nicht gefunden. Leere Datei wird angelegt.\r"
                                       "Geben Sie Terminbezeichnungen über ANFÜGEN ein."});
    ASSERT_TRUE(FileExists(termPath()));
    EXPECT_EQ(dir.read("Termin.dat"), "");
    for (const auto& t : TermNames) EXPECT_EQ(t, "");
}

TEST_F(ListFiles, MissingTermFileIsCreatedWithTheNamesAlreadyHeld) {
    TermNames[0] = "Arzt";
    LoadTermNames();
    EXPECT_EQ(dir.read("Termin.dat"), FileLine("Arzt"));
    EXPECT_EQ(TermNames[0], "Arzt");
}

TEST_F(ListFiles, TermNamesRoundTrip) {
    TermNames[0] = "Geburtstag";
    TermNames[1] = "Hochzeitstag";
    TermNames[2] = "Jubiläum";
    TermNames[3] = "€-Termin „x“";
    ASSERT_TRUE(SaveTermNames());
    EXPECT_EQ(dir.read("Termin.dat"), FileOf({"Geburtstag", "Hochzeitstag", "Jubiläum", "€-Termin „x“"}));
    const auto saved = TermNames;
    ResetProgramState();
    LoadTermNames();
    EXPECT_EQ(TermNames, saved);
    EXPECT_TRUE(messages().empty());
}

TEST_F(ListFiles, SaveStopsAtTheFirstEmptyTermSlot) {
    TermNames[0] = "A";
    TermNames[1] = "B";
    TermNames[3] = "D";
    ASSERT_TRUE(SaveTermNames());
    EXPECT_EQ(dir.read("Termin.dat"), FileOf({"A", "B"}));
}

TEST_F(ListFiles, EmptyThirdTermLineEndsTheList) {
    dir.write("Termin.dat", FileOf({"Arzt", "Zahnarzt", "", "Friseur", "Kino"}));
    TermNames[2] = "vorher2";
    TermNames[3] = "vorher3";
    LoadTermNames();
    EXPECT_EQ(TermNames[0], "Arzt");
    EXPECT_EQ(TermNames[1], "Zahnarzt");
    // Slots after the last line read are left as they are.
    EXPECT_EQ(TermNames[2], "vorher2");
    EXPECT_EQ(TermNames[3], "vorher3");
}

TEST_F(ListFiles, TermLineOf20CharactersGivesItsFirst15) {
    const std::string twenty = "Vorsorgeuntersuchung";
    ASSERT_EQ(twenty.size(), 20u);
    dir.write("Termin.dat", FileLine(twenty) + FileLine("Größenänderungen!!"));
    LoadTermNames();
    EXPECT_EQ(TermNames[0], "Vorsorgeuntersu");
    EXPECT_EQ(TermNames[1], "Größenänderunge");
}

TEST_F(ListFiles, TermFileReadsAtMost101Lines) {
    std::vector<std::string> names;
    for (int k = 0; k < 110; ++k) names.push_back("T" + std::to_string(k));
    dir.write("Termin.dat", FileOf(names));
    LoadTermNames();
    EXPECT_EQ(TermNames[0], "T0");
    EXPECT_EQ(TermNames[100], "T100");
}

TEST_F(ListFiles, TermLastLineWithoutCrLfCounts) {
    dir.write("Termin.dat", FileLine("Arzt") + ScrambleText("Kino"));
    LoadTermNames();
    EXPECT_EQ(TermNames[0], "Arzt");
    EXPECT_EQ(TermNames[1], "Kino");
}

TEST_F(ListFiles, TermNamesThatScrambleToLfCrAndEofBytesSurvive) {
    // One character each: key 254; ô ^ 254 = 10, ó ^ 254 = 13, ä ^ 254 = 26.
    TermNames[0] = "ô";
    TermNames[1] = "ó";
    TermNames[2] = "ä";
    TermNames[3] = "Ende";
    ASSERT_TRUE(SaveTermNames());
    EXPECT_EQ(dir.read("Termin.dat"), "\n\r\n\r\r\n\x1a\r\n"s + ScrambleText("Ende") + "\r\n");
    ResetProgramState();
    LoadTermNames();
    EXPECT_EQ(TermNames[0], "ô");
    EXPECT_EQ(TermNames[1], "ó");
    EXPECT_EQ(TermNames[2], "ä");
    EXPECT_EQ(TermNames[3], "Ende");
}

TEST_F(ListFiles, TextsWhoseScrambledFormHoldsALineEndAreRecognisedAndKeptOffTheCheckList) {
    // Fifteen characters: key 240, and ý ^ 240 = CR, ú ^ 240 = LF.
    const std::string breaking = "abcdefghijklmýú";
    EXPECT_FALSE(SurvivesListFile(breaking));
    EXPECT_TRUE(SurvivesListFile("abcdefghijklmúý"));  // LF CR is harmless
    EXPECT_TRUE(SurvivesListFile(std::string(17, 'x') + "ä"));

    CheckList(0) = dir.file("a.tmf");
    EditCheckList(breaking, "Neu");
    EXPECT_EQ(CheckList(0), dir.file("a.tmf"));
    EXPECT_TRUE(CheckList(1).empty());
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].find("läßt sich in der Prüfliste nicht speichern"), std::string::npos);
}

TEST_F(ListFiles, AListFileThatFailedToLoadIsKeptBesideTheNewOneAndReportedOnce) {
    // Far larger than 121 lines of the longest paths: something else, not a list.
    const std::string junk(300 * 1024, '\x07');
    dir.write("Liste.dat", junk);
    EXPECT_FALSE(LoadCheckList());
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].find("Liste.dat.defekt"), std::string::npos);

    ResetSettings();
    const std::string neu = existing("neu.tmf");
    CheckList(0) = neu;
    EXPECT_TRUE(SaveCheckList());
    EXPECT_TRUE(SaveCheckList());  // the second write replaces only the first
    EXPECT_EQ(dir.read("Liste.dat.defekt"), junk);
    EXPECT_FALSE(FileExists(dir.file("Liste.dat.defekt2")));
    ListLines.fill({});
    EXPECT_TRUE(LoadCheckList());
    EXPECT_EQ(CurrentFile(), neu);
    EXPECT_EQ(messages().size(), 1u);
}

// ------------------------------------------- paths beyond Windows-1252

TEST(ListLine, EveryTextComesBackByteForByteAndNoMarkedLineCanBreak) {
    // Lengths from 1 to 255 bytes meet every key, among them the one that
    // turns NUL into the end-of-file byte; random bytes are no UTF-8 at all.
    std::mt19937 rng(1998);
    std::vector<std::string> texts = {"/home/Łukasz/Termine ☃/daten/Termif98.tmf", "/tmp/\xff\xfe\x80.tmf",
                                      "/tmp/zwei\r\nZeilen.tmf", "/tmp/€uro ß.tmf", std::string(255, '\x81')};
    for (std::size_t n = 1; n <= 255; ++n) {
        std::string t;
        for (std::size_t i = 0; i < n; ++i) t.push_back(static_cast<char>(1 + rng() % 255));
        texts.push_back(t);
    }
    for (const std::string& text : texts) {
        const std::string line = EncodeListLine(text);
        EXPECT_EQ(DecodeListLine(line), text);
        EXPECT_EQ(SplitCrLfLines(line + "\r\n" + line + "\r\n").size(), 2u);
        if (!IsCp1252Representable(text) || Cp1252ToUtf8(Utf8ToCp1252(text)) != text) {
            EXPECT_EQ(line.find_first_of("\r\n\x1a"s), std::string::npos);
            // An older reader takes the line as Windows-1252 text: a name
            // that starts with NUL names no file.
            EXPECT_EQ(Cp1252ToUtf8(ScrambleText(line.substr(0, 255)))[0], '\0');
        }
    }
}

TEST(ListLine, DamagedLinesThatAreNoMarkedLinesComeBackAsTheBytesTheyWere) {
    // Each starts with NUL once unscrambled, but breaks off before a marked
    // line would end: the reading takes them as Windows-1252 text, and
    // writing that text back must give the same bytes.
    const std::string lines[] = {
        "\xfc\xbd\xbc"s,                                    // NUL, an alphabet letter, then no letter of it
        ScrambleText("\0"s),                                 // NUL alone
        ScrambleText("\0Zx"s),                               // no alphabet after the NUL
        ScrambleText("\0AAB~"s),                             // a byte, then neither a letter nor padding
        ScrambleText("\0"s + std::string(254, 'A')),         // 255 bytes ending on half a byte
    };
    for (const std::string& line : lines) {
        SCOPED_TRACE(testing::PrintToString(line));
        const std::string text = DecodeListLine(line);
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text[0], '\0');
        EXPECT_EQ(Utf8Length(text), line.size());
        EXPECT_EQ(EncodeListLine(text), line);
    }
}

TEST(ListLine, ALineLongerThan255BytesReadsAsItsFirst255) {
    // Its first 255 bytes make a marked line of their own: that is the text,
    // since it is what writing it back gives.
    const std::string prefix = ScrambleText("\0A"s + "AB" + std::string(250, 'A') + " ");
    ASSERT_EQ(prefix.size(), 255u);
    const std::string text = DecodeListLine(prefix + "xyz");
    EXPECT_EQ(text, DecodeListLine(prefix));
    EXPECT_EQ(text, "\x01"s + std::string(125, '\0'));
    EXPECT_EQ(DecodeListLine(EncodeListLine(text)), text);
}

TEST_F(ListFiles, ProgramFolderOutsideWindows1252KeepsItsFilesAndSettings) {
    const std::string folder = dir.path() + "Łukasz/Termine ☃/";
    std::filesystem::create_directories(folder);
    const std::string a = folder + "Termif98.tmf", b = existing("b.tmf");
    dir.write("Łukasz/Termine ☃/Termif98.tmf", "x");
    std::vector<std::string> lines = listLines({a, b});
    lines[CheckDaily] = "1";
    lines[CheckAtStart] = "0";
    for (int k = 0; k < kListLineCount; ++k)
        ListLines[static_cast<std::size_t>(k)] = lines[static_cast<std::size_t>(k)];
    ASSERT_TRUE(SaveCheckList());
    const std::string written = dir.read("Liste.dat");
    EXPECT_EQ(CountCrLf(written), 121u);
    for (int run = 0; run < 2; ++run) {
        ResetProgramState();
        ASSERT_TRUE(LoadCheckList());
        EXPECT_EQ(CurrentFile(), a);
        EXPECT_EQ(CheckList(1), b);
        EXPECT_EQ(SettingsLines(CheckDaily), "1");
        EXPECT_TRUE(messages().empty());
        ASSERT_TRUE(SaveCheckList());
        EXPECT_EQ(dir.read("Liste.dat"), written);
    }
}
