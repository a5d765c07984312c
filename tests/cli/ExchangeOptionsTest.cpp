// termif98-check --vcard ... --in ... and --ics ...: the import and the
// export of the windowed program's popup menu, from a terminal.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "AppointmentFile.h"
#include "EngineFixture.h"
#include "FileIo.h"
#include "ListFiles.h"
#include "ProgramRunner.h"

using namespace tmf;
using namespace tmf::test;

class ExchangeOptions : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        program = dir.path() + "termif98-check";
        std::filesystem::copy_file(TMF_CHECK_PROGRAM, program);
        target = MakeFile("Familie.tmf", {{.vorname = "Karl", .nachname = "Berg", .termin = "24.12.1950"}});
        vcf = scratch.path() + "k.vcf";
        ASSERT_TRUE(WriteFileAtomically(vcf, "BEGIN:VCARD\r\nN:Adam;Berta\r\nBDAY:--0315\r\nEND:VCARD\r\n"
                                             "BEGIN:VCARD\r\nN:Berg;Karl\r\nBDAY:1950-12-24\r\nEND:VCARD\r\n"));
    }
    ProgramRun Run(const std::vector<std::string>& arguments) { return RunProgram(program, arguments, scratch.path()); }

    std::string program, target, vcf;
    TempDir scratch;
};

TEST_F(ExchangeOptions, VCardIsImportedOnceAndTheSummaryPrinted) {
    ProgramRun run = Run({"--vcard", vcf, "--in", target});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "vCard-Import aus k.vcf:\n\n1 Eintrag hinzugefügt\n1 schon vorhanden\n"
                       "0 ohne verwendbares Datum übergangen\n0 Namen für die Speicherung angepaßt\n");
    ASSERT_EQ(LoadAppointmentFile(target, "Alles"), LoadResult::Loaded);
    EXPECT_EQ(EntryCount, 2);

    const auto before = ReadWholeFile(target);
    run = Run({"--vcard=" + vcf, "--in=" + target});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("0 Einträge hinzugefügt\n2 schon vorhanden"), std::string::npos);
    EXPECT_EQ(ReadWholeFile(target), before);
    EXPECT_FALSE(FileExists(DataDir + ".termif98.lock"));
}

TEST_F(ExchangeOptions, ImportIntoAShortOrMissingFileOrWithWrongOptionsWritesNothing) {
    // The header promises two entries, the file holds one.
    std::string bytes = AppointmentFileBytes({{.vorname = "A", .termin = "01.01.1990"}, {.vorname = "B", .termin = "01.01.1991"}});
    bytes.resize(2 * kRecordSize);
    const std::string shortFile = DataDir + "Kurz.tmf";
    WriteAppointmentFileBytes(shortFile, bytes);
    const auto before = FolderSnapshot(dir.path());
    EXPECT_EQ(Run({"--vcard", vcf, "--in", shortFile}).status, 1);
    const ProgramRun missing = Run({"--vcard", vcf, "--in", DataDir + "Fehlt.tmf"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, DataDir + "Fehlt.tmf ist nicht vorhanden !\n");
    EXPECT_EQ(Run({"--vcard", vcf}).status, 2);
    EXPECT_EQ(Run({"--vcard", vcf, "--in", target, "--ics", "x.ics"}).status, 2);
    EXPECT_EQ(FolderSnapshot(dir.path()), before);
}

TEST_F(ExchangeOptions, SomethingAtTheNameThatIsNoFileIsSaidForWhatItIs) {
    const struct {
        const char* name;
        void (*make)(const std::string& at);
        const char* says;
    } cases[] = {
        {"Rohr.tmf", [](const std::string& at) { ::mkfifo(at.c_str(), 0600); },
         "konnte nicht geladen werden !\nDer Name bezeichnet keine gewöhnliche Datei, sondern eine Pipe, ein Gerät oder "
         "einen Socket."},
        {"Ordner.tmf", [](const std::string& at) { std::filesystem::create_directory(at); },
         "konnte nicht geladen werden !\nDer Name bezeichnet einen Ordner."},
        {"Weg.tmf", [](const std::string& at) { std::filesystem::create_symlink(at + ".fehlt", at); },
         "konnte nicht geladen werden !\nDer Name ist eine symbolische Verknüpfung, deren Ziel fehlt."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string at = DataDir + c.name;
        c.make(at);
        const auto before = FolderSnapshot(dir.path());
        for (const std::vector<std::string>& call : {std::vector<std::string>{"--vcard", vcf, "--in", at},
                                                     std::vector<std::string>{"--ics", scratch.path() + "x.ics", at}}) {
            const ProgramRun run = Run(call);
            EXPECT_EQ(run.status, 1);
            EXPECT_EQ(run.err, at + " " + c.says + "\n");
        }
        EXPECT_EQ(FolderSnapshot(dir.path()), before);
    }
}

TEST_F(ExchangeOptions, TwoImportsAtOnceBothLandInTheFile) {
    // Enough contacts that the two runs overlap.
    std::vector<std::string> cards(2);
    for (int run = 0; run < 2; ++run) {
        for (int i = 0; i < 3000; ++i)
            cards[run] += "BEGIN:VCARD\r\nN:Lauf" + std::to_string(run) + ";Nr" + std::to_string(i) +
                          "\r\nBDAY:1970-01-" + (i % 28 < 9 ? "0" : "") + std::to_string(i % 28 + 1) + "\r\nEND:VCARD\r\n";
        ASSERT_TRUE(WriteFileAtomically(scratch.path() + std::to_string(run) + ".vcf", cards[run]));
    }
    const auto runs = RunAtOnce(program,
                                {{"--vcard", scratch.path() + "0.vcf", "--in", target},
                                 {"--vcard", scratch.path() + "1.vcf", "--in", target}},
                                scratch.path());
    int imported = 0;
    for (const ProgramRun& run : runs) {
        // The one that found the file taken waits for it (or, after a long
        // wait, says so and leaves the file alone).
        ASSERT_TRUE(run.status == 0 || run.status == 3) << run.err;
        if (run.status == 0) {
            EXPECT_NE(run.out.find("3000 Einträge hinzugefügt"), std::string::npos) << run.out;
            imported += 3000;
        }
    }
    ASSERT_EQ(LoadAppointmentFile(target, "Alles"), LoadResult::Loaded);
    EXPECT_EQ(EntryCount, 1 + imported);
    EXPECT_FALSE(FileExists(DataDir + ".termif98.lock"));
}

TEST_F(ExchangeOptions, IcsWritesTheGivenFileOrTheCurrentFileOfTheCheckList) {
    const std::string other = MakeFile("Andere.tmf", {{.vorname = "Eva", .nachname = "Ost", .termin = "01.05.1980"},
                                                      {.vorname = "Udo", .nachname = "Rau", .termin = "02.05.1981"}});
    SetCheckList({target, other});
    ASSERT_TRUE(SaveCheckList());
    const std::string ics = scratch.path() + "a.ics";
    ProgramRun run = Run({"--ics", ics, other});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "2 Termine nach a.ics exportiert.\n");
    EXPECT_NE(ReadWholeFile(ics).value_or("").find("SUMMARY:Udo Rau: Geburtstag\r\n"), std::string::npos);

    run = Run({"--ics", ics});
    EXPECT_EQ(run.out, "1 Termin nach a.ics exportiert.\n");
    EXPECT_NE(ReadWholeFile(ics).value_or("").find("SUMMARY:Karl Berg: Geburtstag\r\n"), std::string::npos);
    EXPECT_EQ(Run({"--ics", ics, other, target}).status, 2);
}
