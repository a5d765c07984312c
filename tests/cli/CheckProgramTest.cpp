// termif98-check run as a user runs it: what it prints for a check list,
// what it writes (nothing without --stempeln, the windowed check's bytes
// with it), and how it treats broken files, options and the lock.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <sstream>
#include <thread>

#include "CheckRun.h"
#include "DataLock.h"
#include "EngineFixture.h"
#include "ListFiles.h"
#include "ProgramRunner.h"

using namespace tmf;
using namespace tmf::test;

namespace {

EntrySpec Entry(const std::string& who, const std::string& termin, int w1 = 0, int w2 = 0, bool loeschen = false,
                const std::string& term = "Geburtstag") {
    const auto blank = who.find(' ');
    return {.vorname = who.substr(0, blank),
            .nachname = who.substr(blank + 1),
            .termin = termin,
            .terminart = term,
            .warnung1 = w1,
            .warnung2 = w2,
            .loeschen = loeschen};
}

// Every kind on 15.06.2024 after a last check on 10.06.2024.
const std::vector<EntrySpec> kEveryKind = {
    Entry("Anna Berg", "20.06.1990", 7),
    Entry("Bert Kurz", "17.06.1980", -7, 3),
    Entry("Cora Lang", "15.06.1974", 0, 0, true, "Jubiläum"),
    Entry("Dirk Mohn", "12.06.1960"),
    Entry("Emil Nord", "01.01.1990", 3, 1),
};

}  // namespace

class CheckProgram : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        // A copy of the program in the test's folder finds "daten/" beside it.
        program = dir.path() + "termif98-check";
        std::filesystem::copy_file(TMF_CHECK_PROGRAM, program);
    }
    ProgramRun Run(const std::vector<std::string>& arguments) { return RunProgram(program, arguments, scratch.path()); }
    void WriteCheckList(const std::vector<std::string>& files) {
        SetCheckList(files);
        ASSERT_TRUE(SaveCheckList());
    }

    std::string program;
    TempDir scratch;
};

TEST_F(CheckProgram, PrintsTheFindingsOfEachFileInCheckListOrderAndNamesTheBrokenOnes) {
    const std::string main = MakeFile("Haupt.tmf", kEveryKind, "10.06.2024");
    const std::string second = MakeFile("Zweit.tmf", {Entry("Fritz Ost", "16.06.1985", 1)});
    const std::string quiet = MakeFile("Ruhig.tmf", {Entry("Hans Rau", "01.02.1970")});
    const std::string broken = DataDir + "Kaputt.tmf";
    WriteAppointmentFileBytes(broken, std::string(2 * kRecordSize, 'x'));
    const std::string missing = DataDir + "Fehlt.tmf";
    // Neither may stop the reading on, nor be read.
    const std::string pipe = DataDir + "Rohr.tmf";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    const std::string folder = DataDir + "Ordner.tmf";
    std::filesystem::create_directory(folder);
    WriteCheckList({main, second, quiet, broken, pipe, folder, missing});
    const auto before = FolderSnapshot(dir.path());

    const ProgramRun run = Run({"--datum", "15.06.2024"});

    EXPECT_EQ(run.out, main + " - Prüfung am 15.06.2024\n"
                              "Übergangen    Dirk Mohn, Geburtstag wurde übergangen !\n"
                              "Heute Termin  Cora Lang, hat Heute Jubiläum ! (würde gelöscht)\n"
                              "2.Warnung     Bert Kurz, hat in 2 Tag(en) Geburtstag !\n"
                              "1.Warnung     Anna Berg, hat in 5 Tag(en) Geburtstag !\n"
                              "1 Termin(e) , 2 Warnung(en)\n"
                              "\n" +
                          second + " - Prüfung am 15.06.2024\n"
                                   "1.Warnung     Fritz Ost, hat in 1 Tag(en) Geburtstag !\n"
                                   "0 Termin(e) , 1 Warnung(en)\n");
    EXPECT_EQ(run.err, missing + " konnte nicht geladen werden !\n" + folder + " konnte nicht geladen werden !\n" + pipe +
                           " konnte nicht geladen werden !\n" + broken + ": Keine Termifolio98 Datei !\n");
    EXPECT_EQ(run.status, 1);
    // A look writes nothing: no stamp, no lock, no vanished file dropped.
    EXPECT_EQ(FolderSnapshot(dir.path()), before);
}

TEST_F(CheckProgram, ALookReadsBrokenFilesAsTheWindowedLoadDoes) {
    // A look reads files its own lean way, stamping through the program's
    // load: both must see the same dates and say the same about them.
    const std::string odd = MakeFile("Schief.tmf",
                                     {Entry("Anna Berg", "31.04.1990", 7), Entry("Bert Kurz", "29.02.2000", 200),
                                      Entry("Cora Lang", "17.6.1980", 3), Entry("Dirk Mohn", "15.06.0050"),
                                      Entry("Gina Paul", "99.99.1999"), Entry("Hans Rau", "1.13.1999"),
                                      Entry("Ida Sand", "x"), Entry("Jan Tal", "00.01.2000"), Entry("Karl Uhl", "")},
                                     "10.06.2024");
    const std::string cut = MakeFile("Kurz.tmf", {Entry("Emil Nord", "16.06.1990", 1), Entry("Fritz Ost", "12.06.1970")},
                                     "10.06.2024");
    std::filesystem::resize_file(cut, 2 * kRecordSize + 100);  // the header promises 2 entries
    // Many files are looked at side by side; they must still report in the
    // list's order, as the real check does one after another.
    std::vector<std::string> list = {odd, cut};
    for (int f = 0; f < 40; ++f)
        list.push_back(MakeFile("Mehr" + std::to_string(f) + ".tmf",
                                {Entry("Lea Voss", "1" + std::to_string(f % 10) + ".06.1990", f % 5),
                                 Entry("Max Wolf", "3" + std::to_string(f) + ".02.1990")},
                                "10.06.2024"));
    WriteCheckList(list);

    const ProgramRun look = Run({"-d", "15.06.2024", "-t", "3"});
    const ProgramRun stamp = Run({"-d", "15.06.2024", "-t", "3", "-s"});

    EXPECT_EQ(look.out, stamp.out);
    EXPECT_EQ(look.err, stamp.err);
    EXPECT_EQ(look.status, 1);
    EXPECT_EQ(stamp.status, 1);
    EXPECT_NE(look.err.find(cut + ": Dateiende bei 1 einträgen erreicht !"), std::string::npos);
    EXPECT_NE(look.err.find(odd + ": Datumsfehler: 3\n\n31.04.1990 ist kein gültiges Datum !"), std::string::npos);
    EXPECT_NE(look.err.find(odd + ": Datumsfehler: 2\n\n29.02.2000 ist kein gültiges Datum !"), std::string::npos);
    // Five boxes of dates per file, then one sum of the rest.
    EXPECT_NE(look.err.find("Weitere 3 Einträge haben kein gültiges Datum."), std::string::npos);
    EXPECT_NE(look.out.find("1.Warnung     Cora Lang, hat in 2 Tag(en) Geburtstag !"), std::string::npos);
    EXPECT_NE(look.out.find("1.Warnung     Emil Nord, hat in 1 Tag(en) Geburtstag !"), std::string::npos);
}

TEST_F(CheckProgram, ALongListsReportIsEachFilesReportInTurnWithOneLookAheadForAll) {
    // Files of different sizes are looked at side by side and done out of
    // turn; what is printed must be what each file prints on its own, in
    // the list's order, the look-ahead lines merged soonest first.
    std::vector<std::string> list;
    const int sizes[] = {6000, 40, 0, 700, -1, 40, 2500, 10};
    for (std::size_t k = 0; k < std::size(sizes); ++k) {
        const std::string name = "Lang" + std::to_string(k) + ".tmf";
        if (sizes[k] == 0) WriteAppointmentFileBytes(DataDir + name, std::string(2 * kRecordSize, 'x'));
        list.push_back(sizes[k] > 0 ? MakeFile(name, GenerateEntries(sizes[k], 7 + static_cast<unsigned>(k)), "08.06.2024")
                                    : DataDir + name);
    }
    WriteCheckList(list);
    const std::string heading = "Termine der nächsten 9 Tage:\n";
    std::string blocks, err;
    std::vector<std::pair<int, std::string>> ahead;  // days, line
    for (const std::string& file : list) {
        const ProgramRun alone = Run({"-d", "15.06.2024", "-t", "9", file});
        const std::size_t split = alone.out.find(heading);
        ASSERT_NE(split, std::string::npos) << alone.out;
        if (split > 0) blocks += (blocks.empty() ? "" : "\n") + alone.out.substr(0, split - 1);
        std::istringstream lines(alone.out.substr(split + heading.size()));
        for (std::string line; std::getline(lines, line) && line != "keine";)
            ahead.emplace_back(line.rfind("Heute", 0) == 0 ? 0 : std::stoi(line.substr(3)), line + "\n");
        err = alone.err + err;  // the walk goes from the last file to the first
    }
    std::stable_sort(ahead.begin(), ahead.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string expected = blocks + "\n" + heading;
    for (const auto& [days, line] : ahead) expected += line;
    ASSERT_GT(ahead.size(), 100u);

    const ProgramRun run = Run({"-d", "15.06.2024", "-t", "9"});

    EXPECT_EQ(run.out, expected);
    EXPECT_EQ(run.err, err);
    EXPECT_EQ(run.status, 1);
}

TEST_F(CheckProgram, EmptyCheckListIsSaidAndNotAFailure) {
    WriteCheckList({});
    const ProgramRun run = Run({"-d", "15.06.2024"});
    EXPECT_EQ(run.out, "Die Prüfliste in " + DataDir + " ist leer.\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
}

TEST_F(CheckProgram, LooksAheadSoonestFirstWithTheAgeReached) {
    const std::string main = MakeFile("Haupt.tmf", kEveryKind, "15.06.2024");
    const std::string second =
        MakeFile("Zweit.tmf", {Entry("Fritz Ost", "16.06.1985"), Entry("Gina Paul", "18.06.2024"),
                               Entry("Hans Rau", "19.06.0101")},  // known by day and month only
                 "15.06.2024");
    const auto before = FolderSnapshot(dir.path());

    const ProgramRun run = Run({"-t", "7", "-d15.06.2024", main, second});

    // Due today and warnings stay findings; the look-ahead lists every date.
    EXPECT_EQ(run.out, main + " - Prüfung am 15.06.2024\n"
                              "Heute Termin  Cora Lang, hat Heute Jubiläum ! (würde gelöscht)\n"
                              "2.Warnung     Bert Kurz, hat in 2 Tag(en) Geburtstag !\n"
                              "1.Warnung     Anna Berg, hat in 5 Tag(en) Geburtstag !\n"
                              "1 Termin(e) , 2 Warnung(en)\n"
                              "\n"
                              "Termine der nächsten 7 Tage:\n"
                              "Heute          15.06.2024  Cora Lang, Jubiläum, wird 50\n"
                              "in 1 Tag(en)   16.06.2024  Fritz Ost, Geburtstag, wird 39\n"
                              "in 2 Tag(en)   17.06.2024  Bert Kurz, Geburtstag, wird 44\n"
                              "in 3 Tag(en)   18.06.2024  Gina Paul, Geburtstag\n"
                              "in 4 Tag(en)   19.06.2024  Hans Rau, Geburtstag\n"
                              "in 5 Tag(en)   20.06.2024  Anna Berg, Geburtstag, wird 34\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(FolderSnapshot(dir.path()), before);
}

TEST_F(CheckProgram, LooksAheadWithTheAgeReachedInTheAnniversarysYear) {
    struct Case {
        const char* today;
        const char* born;
        const char* line;
    };
    const Case cases[] = {
        {"28.12.2024", "02.01.1978", "in 5 Tag(en)   02.01.2025  Anna Berg, Geburtstag, wird 47"},
        {"31.12.2024", "01.01.2024", "in 1 Tag(en)   01.01.2025  Anna Berg, Geburtstag, wird 1"},
        {"30.12.2024", "31.12.1999", "in 1 Tag(en)   31.12.2024  Anna Berg, Geburtstag, wird 25"},
        {"31.12.2024", "31.12.1980", "Heute          31.12.2024  Anna Berg, Geburtstag, wird 44"},
        {"25.12.2023", "01.01.2000", "in 7 Tag(en)   01.01.2024  Anna Berg, Geburtstag, wird 24"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.today) + " " + c.born);
        const std::string file = MakeFile("Jahr.tmf", {Entry("Anna Berg", c.born)}, c.today);
        const ProgramRun run = Run({"-d", c.today, "-t", "7", file});
        EXPECT_NE(run.out.find(std::string("Termine der nächsten 7 Tage:\n") + c.line + "\n"), std::string::npos)
            << run.out;
        EXPECT_EQ(run.status, 0) << run.err;
    }
}

TEST_F(CheckProgram, ControlCharactersFromTheFilesArePrintedVisibly) {
    // A shared file can hold what a terminal acts on: a title of its own
    // (OSC), a cleared screen, a line break that fakes a report line, DEL
    // and the C1 controls.
    const std::string file = MakeFile("Geteilt\x1b[2J.tmf",
                                      {Entry("Anna\x1b]0;gehackt\x07 Berg", "20.06.1990", 7),
                                       Entry("Bert\n1.Warnung Kurz", "17.06.1980", -7, 3),
                                       Entry("Cora Lang\x7f", "15.06.1974", 0, 0, false, "Ju\u009d\u0081\x1b" "c")},
                                      "10.06.2024");
    const std::string missing = DataDir + "Weg\r\nÜbergangen    x\x9b" "31m.tmf";

    const ProgramRun run = Run({"-d", "15.06.2024", "-t", "5", file, missing});

    const std::string shown = DataDir + "Geteilt\\x1b[2J.tmf";
    EXPECT_EQ(run.out, shown + " - Prüfung am 15.06.2024\n"
                               "Heute Termin  Cora Lang\\x7f, hat Heute Ju\\x9d\\x81\\x1bc !\n"
                               "2.Warnung     Bert\\x0a1.Warnung Kurz, hat in 2 Tag(en) Geburtstag !\n"
                               "1.Warnung     Anna\\x1b]0;gehackt\\x07 Berg, hat in 5 Tag(en) Geburtstag !\n"
                               "1 Termin(e) , 2 Warnung(en)\n"
                               "\n"
                               "Termine der nächsten 5 Tage:\n"
                               "Heute          15.06.2024  Cora Lang\\x7f, Ju\\x9d\\x81\\x1bc, wird 50\n"
                               "in 2 Tag(en)   17.06.2024  Bert\\x0a1.Warnung Kurz, Geburtstag, wird 44\n"
                               "in 5 Tag(en)   20.06.2024  Anna\\x1b]0;gehackt\\x07 Berg, Geburtstag, wird 34\n");
    // A name that is no UTF-8 keeps its other bytes; the messages show it the same way.
    EXPECT_EQ(run.err, DataDir + "Weg\\x0d\\x0a\u00dcbergangen    x\\x9b31m.tmf konnte nicht geladen werden !\n");
    EXPECT_EQ(run.status, 1);
}

TEST_F(CheckProgram, StampingWritesTheBytesTheWindowedCheckWrites) {
    // Files that change (warnings, passed over, due today), one that only
    // gets its header stamped (its spare bytes show a full save), and one
    // the run cannot read.
    std::vector<std::pair<std::string, std::vector<EntrySpec>>> inputs = {
        {"Haupt.tmf", kEveryKind},
        {"Ruhig.tmf", {Entry("Hans Rau", "01.02.1970", 3, 1)}},
        {"Winter.tmf", {Entry("Ida Sand", "25.12.1980", -7, 2), Entry("Jan Tal", "16.06.1999", 1)}},
    };
    TempDir windowed;
    std::vector<std::string> cliFiles, windowedFiles;
    for (const auto& [name, entries] : inputs) {
        cliFiles.push_back(MakeFile(name, entries, name == "Winter.tmf" ? "20.12.2023" : "10.06.2024"));
        windowedFiles.push_back(windowed.path() + name);
    }
    AppendSpareRecord(cliFiles[1]);
    for (std::size_t i = 0; i < cliFiles.size(); ++i) std::filesystem::copy_file(cliFiles[i], windowedFiles[i]);
    // The quiet file before the changing ones in the walk: it must get only
    // its header; the walk then carries the change on to slot 0.
    std::swap(cliFiles[1], cliFiles[2]);
    std::swap(windowedFiles[1], windowedFiles[2]);
    WriteCheckList(cliFiles);

    const ProgramRun run = Run({"--stempeln", "--datum=15.06.2024"});
    ASSERT_EQ(run.status, 0) << run.err;

    SetCheckList(windowedFiles);
    Modified = 0;
    ASSERT_TRUE(CheckDates("Auto"));
    for (std::size_t i = 0; i < cliFiles.size(); ++i) {
        SCOPED_TRACE(cliFiles[i]);
        EXPECT_EQ(dir.read("daten/" + ExtractFileName(cliFiles[i])), windowed.read(ExtractFileName(windowedFiles[i])));
    }
    EXPECT_EQ(ReadOnDisk(cliFiles[0]).lastCheck(), "15.06.2024");
    EXPECT_FALSE(ReadOnDisk(cliFiles[2]).savedInFull());
    EXPECT_EQ(ReadOnDisk(cliFiles[0]).count(), 5);  // the flagged entry is only named
    EXPECT_NE(run.out.find("Cora Lang, hat Heute Jubiläum ! (würde gelöscht)"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(DataDir + ".termif98.lock"));
}

TEST_F(CheckProgram, StampingIsRefusedWhileTheWindowedProgramHoldsTheData) {
    const std::string file = MakeFile("Haupt.tmf", kEveryKind, "10.06.2024");
    WriteCheckList({file});
    {
        // This process stands for the windowed program.
        DataLock windowed;
        ASSERT_EQ(windowed.take(DataDir, kWindowedProgramName), DataLock::Result::Taken);
        const auto before = FolderSnapshot(dir.path());
        const auto started = std::chrono::steady_clock::now();
        const ProgramRun refused = Run({"-s"});
        EXPECT_EQ(refused.status, 3);
        EXPECT_NE(refused.err.find("Termifolio98 arbeitet gerade mit den Daten"), std::string::npos);
        EXPECT_EQ(refused.out, "");
        EXPECT_EQ(FolderSnapshot(dir.path()), before);
        // It runs for hours: no use waiting for it.
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(kDataLockWaitMs));
    }

    // A lock file left by a program that ended holds nothing, whatever it
    // says; it is taken, and given back.
    dir.write("daten/.termif98.lock", std::to_string(getpid()) + "\nTermifolio98\nhost\n");
    const ProgramRun taken = Run({"-s", "-d", "15.06.2024"});
    EXPECT_EQ(taken.status, 0) << taken.err;
    EXPECT_EQ(ReadOnDisk(file).lastCheck(), "15.06.2024");
    EXPECT_FALSE(std::filesystem::exists(DataDir + ".termif98.lock"));

    // A lock that cannot be made is a failure, not someone else's lock.
    std::filesystem::create_directory(DataDir + ".termif98.lock");
    const auto unlocked = FolderSnapshot(dir.path());
    const ProgramRun failed = Run({"-s", "-d", "16.06.2024"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("Die Sperrdatei in " + DataDir + " kann nicht angelegt werden"), std::string::npos);
    EXPECT_EQ(FolderSnapshot(dir.path()), unlocked);
}

TEST_F(CheckProgram, AnotherStampingRunIsWaitedForAFewSeconds) {
    const std::string file = MakeFile("Haupt.tmf", kEveryKind, "10.06.2024");
    WriteCheckList({file});
    // This process stands for another termif98-check: first one that is
    // done in a moment, then one that does not end.
    auto other = std::make_unique<DataLock>();
    ASSERT_EQ(other->take(DataDir, kCheckProgramName), DataLock::Result::Taken);
    std::thread done([&other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        other.reset();
    });
    const ProgramRun waited = Run({"-s", "-d", "15.06.2024"});
    done.join();
    EXPECT_EQ(waited.status, 0) << waited.err;
    EXPECT_EQ(ReadOnDisk(file).lastCheck(), "15.06.2024");

    DataLock stuck;
    ASSERT_EQ(stuck.take(DataDir, kCheckProgramName), DataLock::Result::Taken);
    const auto before = FolderSnapshot(dir.path());
    const ProgramRun refused = Run({"-s", "-d", "16.06.2024"});
    EXPECT_EQ(refused.status, 3);
    EXPECT_NE(refused.err.find("Ein anderer Aufruf von termif98-check (Prozeß " + std::to_string(getpid()) +
                               ") arbeitet gerade mit den Daten in " + DataDir),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(FolderSnapshot(dir.path()), before);
}

TEST_F(CheckProgram, WrongCallsAreRefusedInGermanWithoutLooking) {
    WriteCheckList({MakeFile("Haupt.tmf", kEveryKind)});
    const std::vector<std::vector<std::string>> calls = {
        {"-x"}, {"--tage"}, {"--tage", "400"}, {"-t", "-1"}, {"-d", "31.02.2024"}, {"--datum=morgen"}, {"--stempeln=ja"},
    };
    for (const auto& call : calls) {
        SCOPED_TRACE(call.back());
        const ProgramRun run = Run(call);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("termif98-check --help"), std::string::npos);
    }
    const ProgramRun help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("-s, --stempeln"), std::string::npos);
    EXPECT_EQ(Run({"-V"}).out, "termif98-check 2.27\n");
}
