// Ways to lose a user's entries through the windows: commands that come in
// while a check run holds another file, saves that fail after "Ja", and a
// converter that leaves an old file at its target.
#include <QComboBox>
#include <QListWidget>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "FileIo.h"
#include "ProgramFixture.h"
#include "QtProcesses.h"

using namespace tmf;
using namespace tmf::test;

namespace {

std::vector<EntrySpec> Many(const std::string& name, int n, const std::string& date) {
    std::vector<EntrySpec> entries;
    for (int i = 1; i <= n; ++i) entries.push_back({name + std::to_string(i), "Nach", date, "Geburtstag", 9, 3});
    return entries;
}

class DataSafety : public ProgramTest {
protected:
    void StartWith(const std::vector<std::string>& more = {}) {
        current = data + "Familie.tmf";
        WriteAppointmentFileBytes(current, AppointmentFileBytes(FamilyFile(), "07.12.2026"));
        std::vector<std::string> files{current};
        files.insert(files.end(), more.begin(), more.end());
        WriteCheckList(files, /*atStart=*/false);
        ASSERT_TRUE(Start());
        main = program->GebF.get();
        platform.clearRecords();
    }
    // Changes the table without saving it: the entries a failed save must keep.
    void ChangeUnsaved() {
        DeleteEntry(1);
        Modified = 1;
    }
    std::string current;
    TGebF* main = nullptr;
};

}  // namespace

TEST_F(DataSafety, EndSortAndOpenWaitWhileAManualCheckHoldsAnotherFile) {
    // The other file is larger, so a header written from the table while it
    // is loaded would promise entries the current file does not have.
    const std::string other = data + "Andere.tmf";
    WriteAppointmentFileBytes(other, AppointmentFileBytes(Many("Gross", 30, "10.12.1970"), "06.12.2026"));
    StartWith({other});
    const std::string before = dir.read("daten/Familie.tmf");
    auto* sort = main->findChild<QComboBox*>("ComboBox2");
    auto* output = main->findChild<QComboBox*>("ComboBox1");
    int tried = 0;
    std::function<void()> tryEverything = [&] {
        // What a key or click served by the check's progress pump would do.
        ++tried;
        main->EndeClick();
        main->close();
        sort->setCurrentIndex(2);
        output->setCurrentIndex(3);
        main->SGDblClick(1);
        main->BitBtn1Click();
        // The import would write the table into the file being checked, the
        // export another file's dates under the current one's name.
        main->VCardImportClick();
        main->ICalendarExportClick();
    };
    int editors = 0;
    main->openEditorNonModal = [&] { ++editors; };
    QTimer::singleShot(0, tryEverything);  // at the first pump of the run
    // Again while the results of the other file are shown, then "O K".
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal->objectName() != "PrufungF" || !modal->isVisible()) return;
        if (tried == 1) tryEverything();
        modal->findChild<QPushButton*>("BitBtn1")->click();
    });
    poll.start(5);
    platform.queueAnswer(Answer::No);  // the check changed the other file: not saved
    main->BitBtn6Click();

    EXPECT_EQ(tried, 2);
    EXPECT_TRUE(platform.fileRequests.empty());  // no picker was even shown
    EXPECT_FALSE(ProgramEnding());
    EXPECT_EQ(editors, 0);
    EXPECT_EQ(sort->currentIndex(), 0);
    EXPECT_EQ(output->currentIndex(), 0);
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(CurrentFile(), current);
    EXPECT_EQ(EntryCount, 3);  // Anna, due today, deleted by "O K" as flagged
    // The check changed the current file only in memory (unsaved, as a
    // manual check leaves it); on disk it is as it was.
    EXPECT_EQ(dir.read("daten/Familie.tmf"), before);
    EXPECT_EQ(ReadBack(other).count, 30);
    EXPECT_EQ(ReadBack(current).count, 4);

    // Afterwards the same commands work again.
    sort->setCurrentIndex(2);
    EXPECT_EQ(EntryTable(HeaderSortChoice, 0).asText(), "2");
}

TEST_F(DataSafety, AFailedSaveAfterJaStopsTheCommandThatAsked) {
    struct Command {
        const char* name;
        std::function<void()> run;
    };
    const std::vector<Command> commands = {
        {"Neu / Laden",
         [this] {
             platform.queueFile(data + "Andere.tmf");
             main->BitBtn12Click();
         }},
        {"Prüfen", [this] { main->BitBtn6Click(); }},
        {"Alte Datei holen", [this] { main->BitBtn7Click(); }},
        {"Hinzufügen",
         [this] {
             platform.queueFile(data + "Andere.tmf");
             program->EinstellF->BitBtn1Click();
         }},
        {"Bearbeiten",
         [this] {
             program->EinstellF->show();
             program->EinstellF->findChild<QListWidget*>("ListBox1")->setCurrentRow(1);
             program->EinstellF->BitBtn2Click();
         }},
        {"Entfernen",
         [this] {
             program->EinstellF->show();
             program->EinstellF->findChild<QListWidget*>("ListBox1")->setCurrentRow(0);
             program->EinstellF->BitBtn3Click();
         }},
    };
    for (const auto& command : commands) {
        SCOPED_TRACE(command.name);
        const std::string other = data + "Andere.tmf";
        WriteAppointmentFileBytes(other, AppointmentFileBytes({{"Zoe", "Zett", "01.01.2001"}}));
        StartWith({other});
        const std::string before = dir.read("daten/Familie.tmf");
        ChangeUnsaved();
        platform.queueAnswer(Answer::Yes);
        SetWriteFailureAfterBytesForTesting(0);
        command.run();
        SetWriteFailureAfterBytesForTesting(std::nullopt);
        EXPECT_EQ(CurrentFile(), current);
        EXPECT_EQ(EntryCount, 3);
        EXPECT_EQ(EntryTable(Vorname, 1).asText(), "Max");
        EXPECT_EQ(Modified, 1);
        EXPECT_EQ(dir.read("daten/Familie.tmf"), before);
        program->EinstellF->hide();
        program.reset();
        InstallViews({});
        ResetProgramState();
    }
}

// ------------------------------------------------------------ conversion

class SafeConversion : public DataSafety {
protected:
    void InstallConverter(const std::string& body) {
        const std::string script = dir.path() + "Konverto.exe";
        std::ofstream(script) << "#!/bin/sh\n" << body << "\n";
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        ThePlatform().processes = &processes;
    }
    void Choose(const std::string& source, const std::string& target) {
        platform.queueAnswer(Answer::Yes);
        platform.queueFile(source);
        platform.queueFile(target);
    }
    qt::QtProcesses processes;
};

TEST_F(SafeConversion, AFileThatWasAtTheTargetBeforeIsNeverReadNorRemoved) {
    StartWith();
    const std::string target = data + "ALT.TMF";
    const std::string kept = AppointmentFileBytes({{"Bleibt", "Da", "02.02.1962"}});
    struct Case {
        const char* converter;  // what the stand-in does
        bool starts;
    };
    for (const Case c : {Case{"exit 0", true}, Case{"exit 3", true}, Case{"", false}}) {
        SCOPED_TRACE(c.converter);
        WriteAppointmentFileBytes(target, kept);
        if (c.starts) {
            InstallConverter(c.converter);
        } else {
            InstallConverter("exit 0");
            std::filesystem::permissions(dir.path() + "Konverto.exe", std::filesystem::perms::owner_read);
        }
        Choose(dir.path() + "A.TMF", target);
        platform.clearRecords();
        main->BitBtn7Click();
        EXPECT_EQ(dir.read("daten/ALT.TMF"), kept);
        EXPECT_EQ(CurrentFile(), current);
        EXPECT_EQ(EntryCount, 4);
        ASSERT_FALSE(platform.messageTexts().empty());
        EXPECT_NE(platform.messageTexts().back().find("Konverto.exe"), std::string::npos);
    }
}

TEST_F(SafeConversion, AFullCheckListTakesAListedTargetOrRefusesBeforeTheConverterRuns) {
    StartWith();
    const std::string listed = data + "LISTE.TMF";
    WriteAppointmentFileBytes(listed, AppointmentFileBytes({{"Alt", "Eintrag", "01.01.1950"}}));
    CheckList(1) = listed;
    for (int k = 2; k < kCheckListSlots; ++k) CheckList(k) = data + "f" + std::to_string(k) + ".tmf";
    const std::string marker = dir.path() + "ran";
    InstallConverter("touch \"" + marker + "\"\nprintf '1\\r\\n0\\r\\n0\\r\\n\\r\\n0\\r\\n0\\r\\n0\\r\\n\\r\\n\\r\\n0\\r\\n"
                     "\\r\\nNeu\\r\\nAus\\r\\n03.03.1993\\r\\n\\r\\n1\\r\\n1\\r\\n0\\r\\n\\r\\n\\r\\nFalse\\r\\nJubel\\r\\n' "
                     "> \"${1#*#}\"");

    // Not listed: refused before anything runs.
    Choose(dir.path() + "A.TMF", data + "NEU.TMF");
    main->BitBtn7Click();
    EXPECT_EQ(platform.messageTexts().back(), "Prüfliste ist Voll !");
    EXPECT_FALSE(std::filesystem::exists(marker));
    EXPECT_EQ(CurrentFile(), current);

    // Already listed: the converted entries land there and it becomes current.
    Choose(dir.path() + "A.TMF", listed);
    main->BitBtn7Click();
    EXPECT_TRUE(std::filesystem::exists(marker));
    EXPECT_EQ(CurrentFile(), listed);
    EXPECT_EQ(CheckList(1), current);
    ASSERT_EQ(EntryCount, 1);
    EXPECT_EQ(EntryTable(Vorname, 1).asText(), "Neu");
    EXPECT_EQ(ReadBack(listed).rows[1][Vorname].asText(), "Neu");
}

TEST_F(DataSafety, ACutOrUnstorablePathIsRefusedAndTheCurrentFileStays) {
    StartWith();
    const std::string longDir = data + std::string(120, 'd') + "/" + std::string(120, 'e') + "/";
    std::filesystem::create_directories(longDir);
    const std::string longPath = longDir + "Lang.tmf";
    ASSERT_GT(longPath.size(), 255u);
    platform.queueFile(longPath);
    main->BitBtn3Click();  // "&Speichern "
    EXPECT_EQ(CurrentFile(), current);
    EXPECT_FALSE(std::filesystem::exists(longPath));
    platform.queueFile(longPath);
    main->BitBtn12Click();  // "&Neu / Laden"
    EXPECT_EQ(CurrentFile(), current);
    EXPECT_FALSE(std::filesystem::exists(longPath));
    EXPECT_EQ(EntryCount, 4);
    EXPECT_NE(platform.messageTexts().back().find("255"), std::string::npos);
}

TEST_F(DataSafety, SwitchingFilesInTheSettingsWritesAVanishedCurrentFileWhole) {
    const std::string other = data + "Andere.tmf";
    WriteAppointmentFileBytes(other, AppointmentFileBytes({{"Zoe", "Zett", "01.01.2001"}}));
    StartWith({other});
    std::filesystem::remove(current);  // deleted behind the program's back
    program->EinstellF->show();
    program->EinstellF->findChild<QListWidget*>("ListBox1")->setCurrentRow(1);
    program->EinstellF->BitBtn2Click();  // "&Bearbeiten"
    EXPECT_EQ(CurrentFile(), other);
    // A header alone would promise four entries that are not there.
    const auto back = ReadBack(current);
    EXPECT_EQ(back.count, 4);
    EXPECT_EQ(std::filesystem::file_size(current), 5 * kRecordSize);
    EXPECT_EQ(back.rows[1][Vorname].asText(), "Anna");
    program->EinstellF->hide();
}
