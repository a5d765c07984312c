// The settings dialog on the running program: its boxes write the settings
// lines at once, its file buttons switch, create and drop the current file.
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QTest>
#include <filesystem>

#include "ProgramFixture.h"
#include "Sort.h"
#include "XdgAutostart.h"

using namespace tmf;
using namespace tmf::test;

namespace {

const char* const kCountdownMessage =
    "Sie haben beim dem nächsten Programmstart 7 sek. Zeit \r\ndie Abschaltautomatik zu deaktivieren !\r\n"
    "Durch Countdown können Sie die Zeit verändern.";

std::vector<EntrySpec> WorkFile() {
    return {{"Olaf", "Chef", "09.12.1970", "Geburtstag"},
            {"Berta", "Amt", "01.02.1965", "Jubiläum"},
            {"Carl", "Bote", "15.05.1980", "Geburtstag"}};
}

class SettingsDialog : public ProgramTest {
protected:
    // The program started on family (current) and the further files, with
    // no check at start; the dialog shown as the main window shows it.
    void StartWith(const std::vector<std::string>& more = {}) {
        family = data + "Familie.tmf";
        WriteAppointmentFileBytes(family, AppointmentFileBytes(FamilyFile(), "01.12.2026"));
        std::vector<std::string> files{family};
        files.insert(files.end(), more.begin(), more.end());
        WriteCheckList(files, /*atStart=*/false);
        ASSERT_TRUE(Start());
        platform.clearRecords();
    }
    TEinstellF& Dialog() {
        TEinstellF& d = *program->EinstellF;
        if (!d.isVisible()) d.show();
        return d;
    }
    template <class W>
    W* Find(const char* name) {
        return Dialog().findChild<W*>(name);
    }
    QStringList ListedFiles() {
        QStringList out;
        auto* list = Find<QListWidget>("ListBox1");
        for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
        return out;
    }
    void Select(int row) { Find<QListWidget>("ListBox1")->setCurrentRow(row); }
    void Click(const char* button) { Find<QPushButton>(button)->click(); }
    int GridRows() { return program->GebF->findChild<QTableView*>("SG")->model()->rowCount(); }
    std::vector<std::string> FirstNames() {
        std::vector<std::string> names;
        for (int r = 1; r <= EntryCount; ++r) names.push_back(EntryTable(Vorname, r).asText());
        return names;
    }
    std::string Work() {
        const std::string work = data + "Arbeit.tmf";
        WriteAppointmentFileBytes(work, AppointmentFileBytes(WorkFile(), "05.12.2026"));
        return work;
    }
    std::string family;
};

bool WasShown(const ScriptedPlatform& p, const std::string& text) {
    const auto texts = p.messageTexts();
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

}  // namespace

// --- when to check -----------------------------------------------------

TEST_F(SettingsDialog, CheckingOneOfTheTwoCheckTimesUnchecksTheOther) {
    StartWith();
    SettingsLines(CheckDaily) = "1";
    auto* atStart = Find<QCheckBox>("CheckBox1");
    auto* daily = Find<QCheckBox>("CheckBox2");
    ASSERT_TRUE(daily->isChecked());

    atStart->click();
    EXPECT_FALSE(daily->isChecked());
    EXPECT_EQ(SettingsLines(CheckAtStart), "1");
    EXPECT_EQ(SettingsLines(CheckDaily), "0");

    daily->click();
    EXPECT_FALSE(atStart->isChecked());
    EXPECT_EQ(SettingsLines(CheckAtStart), "0");
    EXPECT_EQ(SettingsLines(CheckDaily), "1");

    // Unchecking the only checked one leaves neither.
    daily->click();
    EXPECT_EQ(SettingsLines(CheckAtStart), "0");
    EXPECT_EQ(SettingsLines(CheckDaily), "0");
}

TEST_F(SettingsDialog, FirstShowingWithBothCheckTimesStoredOnLeavesOnlyTheDailyCheck) {
    StartWith();
    SettingsLines(CheckAtStart) = "1";
    SettingsLines(CheckDaily) = "1";
    Dialog();
    EXPECT_FALSE(Find<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>("CheckBox2")->isChecked());
    EXPECT_EQ(SettingsLines(CheckAtStart), "0");
    EXPECT_EQ(SettingsLines(CheckDaily), "1");
}

// --- background mode and autostart -------------------------------------

TEST_F(SettingsDialog, SwitchingTheBackgroundOnTellsTheCountdownOnceAndRequestsAutostart) {
    StartWith();
    SettingsLines(CountdownSeconds) = "7";
    Find<QCheckBox>("CheckBox3")->click();
    EXPECT_EQ(platform.messageTexts(), std::vector<std::string>{kCountdownMessage});
    EXPECT_EQ(AutostartRequest, 1);
    EXPECT_EQ(SettingsLines(CheckInBackground), "1");
    EXPECT_EQ(platform.beeps, 0);

    Click("BitBtn4");
    Dialog();  // shown again with the box already on: no second message
    EXPECT_TRUE(Find<QCheckBox>("CheckBox3")->isChecked());
    EXPECT_EQ(platform.messages.size(), 1u);
}

TEST_F(SettingsDialog, SwitchingTheBackgroundOffBeepsAndRequestsRemoval) {
    StartWith();
    SettingsLines(CheckInBackground) = "1";
    auto* box = Find<QCheckBox>("CheckBox3");
    ASSERT_TRUE(box->isChecked());
    EXPECT_EQ(AutostartRequest, -1);  // showing a stored "on" requests nothing
    box->click();
    EXPECT_EQ(platform.beeps, 1);
    EXPECT_EQ(AutostartRequest, 0);
    EXPECT_EQ(SettingsLines(CheckInBackground), "0");
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(SettingsDialog, TheAutostartEntryIsWrittenAtExitAndRemovedAtTheExitAfterSwitchingOff) {
    StartWith();
    TempDir config;
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.path()));
    qt::XdgAutostart realAutostart;
    ThePlatform().autostart = &realAutostart;
    const std::string entry = config.path() + "autostart/Termifolio98.desktop";

    Find<QCheckBox>("CheckBox3")->click();
    ASSERT_FALSE(std::filesystem::exists(entry));  // only the exit carries it out
    ASSERT_TRUE(ExitProcedure());
    ASSERT_TRUE(std::filesystem::exists(entry));
    const std::string text = config.read("autostart/Termifolio98.desktop");
    EXPECT_NE(text.find("Exec=\"" + dir.path() + "Termif98\""), std::string::npos) << text;
    EXPECT_NE(text.find("Name=Termifolio98"), std::string::npos);

    // The next run starts with no request; leaving it untouched keeps the entry.
    SetProgramEnding(false);
    AutostartRequest = -1;
    ASSERT_TRUE(ExitProcedure());
    EXPECT_TRUE(std::filesystem::exists(entry));

    SetProgramEnding(false);
    Find<QCheckBox>("CheckBox3")->click();
    ASSERT_TRUE(ExitProcedure());
    EXPECT_FALSE(std::filesystem::exists(entry));

    if (oldConfig.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", oldConfig);
}

// --- countdown seconds -------------------------------------------------

TEST_F(SettingsDialog, TheCountdownIsShownWithinOneToTenAndStoredWhenTheArrowsMoveIt) {
    StartWith();
    SettingsLines(CountdownSeconds) = "0";
    auto* spin = Find<QSpinBox>("SpinEdit1");
    EXPECT_EQ(spin->value(), 1);
    EXPECT_EQ(SettingsLines(CountdownSeconds), "0");  // shown held, not rewritten
    Click("BitBtn4");

    SettingsLines(CountdownSeconds) = "15";
    Dialog();
    EXPECT_EQ(spin->value(), 10);
    spin->stepUp();
    EXPECT_EQ(spin->value(), 10);
    spin->stepDown();
    EXPECT_EQ(SettingsLines(CountdownSeconds), "9");

    // Typing does not reach the value.
    auto* edit = spin->findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(edit->isReadOnly());
    QTest::keyClicks(edit, "3");
    EXPECT_EQ(spin->value(), 9);

    // What the start-up would run, also for a text it cannot read.
    for (const char* stored : {"abc", "", "-4", "3x"}) {
        Click("BitBtn4");
        SettingsLines(CountdownSeconds) = stored;
        Dialog();
        EXPECT_EQ(spin->value(), CountdownLimit()) << stored;
    }
}

// --- the file list ----------------------------------------------------

TEST_F(SettingsDialog, TheListShowsEveryListedFileWithTheCurrentOneFirst) {
    const std::string work = data + "Arbeit.tmf";
    WriteAppointmentFileBytes(work, AppointmentFileBytes(WorkFile()));
    StartWith({work});
    EXPECT_EQ(ListedFiles(), (QStringList{QString::fromStdString(family), QString::fromStdString(work)}));
}

TEST_F(SettingsDialog, AddingANewNameCreatesAnEmptyFileAndMakesItCurrent) {
    StartWith();
    const std::string fresh = data + "Neu.tmf";
    platform.queueFile(fresh);
    Click("BitBtn1");

    ASSERT_EQ(platform.fileRequests.size(), 1u);
    const auto& request = platform.fileRequests[0];
    EXPECT_EQ(request.title, "Datei Anlegen oder Laden .");
    EXPECT_EQ(request.folder, dir.path());
    EXPECT_EQ(request.fileName, "*.tmf");
    EXPECT_TRUE(request.askToCreate);

    EXPECT_EQ(CurrentFile(), fresh);
    EXPECT_EQ(CheckList(1), family);
    EXPECT_EQ(EntryCount, 0);
    EXPECT_EQ(GridRows(), 0);
    ASSERT_TRUE(std::filesystem::exists(fresh));
    EXPECT_EQ(std::filesystem::file_size(fresh), kRecordSize);
    EXPECT_EQ(ReadBack(fresh).rows[0][HeaderLastCheck].asText(), "07.12.2026");
    EXPECT_EQ(ListedFiles().front(), QString::fromStdString(fresh));
    EXPECT_EQ(ReadBack(family).count, 4);  // the old file as it was
}

TEST_F(SettingsDialog, AddingAnExistingFileLoadsItInTheMainWindowsSortOrder) {
    StartWith();
    const std::string work = Work();
    program->GebF->findChild<QComboBox*>("ComboBox2")->setCurrentIndex(SortFirstName);
    platform.queueFile(work);
    Click("BitBtn1");
    EXPECT_EQ(CurrentFile(), work);
    EXPECT_EQ(FirstNames(), (std::vector<std::string>{"Berta", "Carl", "Olaf"}));
    EXPECT_EQ(EntryTable(HeaderSortChoice, 0).asText(), "1");
    EXPECT_EQ(GridRows(), 3);
    EXPECT_EQ(program->GebF->findChild<QLabel*>("StatusPanel0")->text(), QString::fromStdString(work));
    EXPECT_EQ(ListedFiles().size(), 2);
}

TEST_F(SettingsDialog, CancellingTheFilePickerChangesNothing) {
    StartWith();
    platform.queueFile(std::nullopt);
    Click("BitBtn1");
    EXPECT_EQ(CurrentFile(), family);
    EXPECT_EQ(EntryCount, 4);
    EXPECT_EQ(ListedFiles().size(), 1);
}

TEST_F(SettingsDialog, AddingWhileTheEntriesAreChangedOffersToSaveThemFirst) {
    StartWith();
    DeleteEntry(1);
    Modified = 1;
    platform.queueAnswer(Answer::Yes);
    platform.queueFile(Work());
    Click("BitBtn1");
    ASSERT_EQ(platform.questions.size(), 1u);
    EXPECT_EQ(platform.questions[0], "->" + family + " Datei wurde geändert !\r\nABSPEICHERN ?");
    EXPECT_EQ(ReadBack(family).count, 3);
    EXPECT_EQ(EntryCount, 3);  // now the work file's
    EXPECT_EQ(Modified, 0);
}

TEST_F(SettingsDialog, AddingToAFullCheckListLeavesTheCurrentFileAndItsEntriesAlone) {
    StartWith();
    for (int k = 1; k < kCheckListSlots; ++k) CheckList(k) = data + "Liste" + std::to_string(k) + ".tmf";
    const std::string familyBytes = dir.read("daten/Familie.tmf");
    const auto namesBefore = FirstNames();

    platform.queueFile(Work());  // an existing file
    Click("BitBtn1");
    EXPECT_TRUE(WasShown(platform, "Prüfliste ist Voll !"));
    EXPECT_EQ(CurrentFile(), family);
    EXPECT_EQ(FirstNames(), namesBefore);

    const std::string fresh = data + "Neu.tmf";  // and a new one
    platform.queueFile(fresh);
    Click("BitBtn1");
    EXPECT_EQ(CurrentFile(), family);
    EXPECT_EQ(FirstNames(), namesBefore);
    EXPECT_FALSE(std::filesystem::exists(fresh));

    EXPECT_TRUE(dir.read("daten/Familie.tmf") == familyBytes) << "the current file was written to";
    ASSERT_TRUE(ExitProcedure());
    const auto f = ReadBack(family);
    EXPECT_EQ(f.count, 4);
    EXPECT_EQ(f.rows[1][Vorname].asText(), namesBefore[0]);
}

TEST_F(SettingsDialog, AFileThatCannotBeLoadedDoesNotBecomeCurrentAndIsNeverWritten) {
    StartWith();
    const std::string broken = data + "Kaputt.tmf";
    WriteAppointmentFileBytes(broken, "kaputt");
    platform.queueFile(broken);
    Click("BitBtn1");
    EXPECT_TRUE(WasShown(platform, broken + " konnte nicht geladen werden !"));
    EXPECT_EQ(CurrentFile(), family);
    EXPECT_TRUE(CheckList(1).empty());
    EXPECT_EQ(EntryCount, 4);
    ASSERT_TRUE(ExitProcedure());
    EXPECT_EQ(dir.read("daten/Kaputt.tmf"), "kaputt");
    EXPECT_EQ(ReadBack(family).rows[0][HeaderLastCheck].asText(), "07.12.2026");
}

TEST_F(SettingsDialog, AFileOfAnotherKindGetsTheShortMessageFromEveryFileButton) {
    // The user has just picked the file, so the message needs no name.
    const std::string other = data + "Fremd.tmf";
    WriteAppointmentFileBytes(other, std::string(400, 'x'));
    StartWith({other});
    const std::pair<const char*, int> presses[] = {{"BitBtn1", -1}, {"BitBtn2", 1}, {"BitBtn3", 0}};
    for (const auto& [button, line] : presses) {
        platform.clearRecords();
        if (line < 0)
            platform.queueFile(other);
        else
            Select(line);
        Click(button);
        EXPECT_EQ(platform.messageTexts(), std::vector<std::string>{"Keine Termifolio98 Datei !"}) << button;
        EXPECT_EQ(CurrentFile(), family) << button;
        EXPECT_EQ(EntryCount, 4) << button;
    }
}

TEST_F(SettingsDialog, AFileThatCannotBeCreatedDoesNotBecomeCurrent) {
    StartWith();
    platform.queueFile(data + "fehlt/Neu.tmf");  // its folder does not exist
    Click("BitBtn1");
    EXPECT_EQ(CurrentFile(), family);
    EXPECT_TRUE(CheckList(1).empty());
    EXPECT_EQ(EntryCount, 4);
    EXPECT_EQ(EntryTable(HeaderLastCheck, 0).asText(), "07.12.2026");  // the start-up stamp, kept
    EXPECT_EQ(GridRows(), 4);
}

TEST_F(SettingsDialog, EditingTheCurrentFileStampsItsHeaderAndReloadsIt) {
    StartWith();
    // The start-up stamped the file; make its header old again on disk.
    WriteAppointmentFileBytes(family, AppointmentFileBytes(FamilyFile(), "01.12.2026"));
    EntryTable(Vorname, 1) = Cell("Geändert");
    Select(0);
    Click("BitBtn2");
    EXPECT_EQ(ReadBack(family).rows[0][HeaderLastCheck].asText(), "07.12.2026");
    EXPECT_NE(FirstNames()[0], "Geändert");
    EXPECT_EQ(CurrentFile(), family);
    EXPECT_TRUE(Dialog().isEnabled());
}

TEST_F(SettingsDialog, EditingAnotherFileMakesItCurrentAndLoadsIt) {
    const std::string work = Work();
    StartWith({work});
    Select(1);
    Click("BitBtn2");
    EXPECT_EQ(CurrentFile(), work);
    EXPECT_EQ(CheckList(1), family);
    EXPECT_EQ(EntryCount, 3);
    EXPECT_EQ(GridRows(), 3);
    EXPECT_EQ(ListedFiles().front(), QString::fromStdString(work));
    EXPECT_EQ(ReadBack(family).rows[0][HeaderLastCheck].asText(), "07.12.2026");

    // A double click does the same.
    auto* list = Find<QListWidget>("ListBox1");
    const QRect r = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(CurrentFile(), family);
    EXPECT_EQ(EntryCount, 4);
}

TEST_F(SettingsDialog, EditingWithNothingSelectedDoesNothing) {
    const std::string work = Work();
    StartWith({work});
    Click("BitBtn2");
    Click("BitBtn3");
    EXPECT_EQ(CurrentFile(), family);
    EXPECT_EQ(CheckList(1), work);
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(SettingsDialog, EditingAFileThatCannotBeLoadedKeepsTheCurrentFileAndItsEntries) {
    const std::string work = Work();
    StartWith({work});
    WriteAppointmentFileBytes(work, "kaputt");
    Select(1);
    Click("BitBtn2");
    EXPECT_TRUE(WasShown(platform, work + " konnte nicht geladen werden !"));
    EXPECT_EQ(CurrentFile(), family);
    EXPECT_EQ(CheckList(1), work);
    EXPECT_EQ(EntryCount, 4);
    ASSERT_TRUE(ExitProcedure());
    EXPECT_EQ(dir.read("daten/Arbeit.tmf"), "kaputt");
}

TEST_F(SettingsDialog, TheOnlyFileCannotBeRemoved) {
    StartWith();
    Select(0);
    Click("BitBtn3");
    EXPECT_EQ(platform.messageTexts(),
              std::vector<std::string>{"Der Aktuelle Eintrag kann nicht entfernt werden !"});
    EXPECT_EQ(CurrentFile(), family);
}

TEST_F(SettingsDialog, RemovingAnotherFileKeepsTheCurrentOneWithItsUnsavedChanges) {
    const std::string work = Work();
    const std::string third = data + "Drei.tmf";
    WriteAppointmentFileBytes(third, AppointmentFileBytes(WorkFile()));
    StartWith({work, third});
    DeleteEntry(1);
    Modified = 1;
    Select(1);
    Click("BitBtn3");
    EXPECT_EQ(ListedFiles(), (QStringList{QString::fromStdString(family), QString::fromStdString(third)}));
    EXPECT_EQ(EntryCount, 3);  // the change is still there, not replaced by the file
    EXPECT_EQ(Modified, 1);
    EXPECT_TRUE(platform.questions.empty());
    EXPECT_TRUE(std::filesystem::exists(work));  // only taken off the list
}

TEST_F(SettingsDialog, RemovingTheCurrentFileMakesTheNextOneCurrentAfterOfferingToSave) {
    const std::string work = Work();
    StartWith({work});
    DeleteEntry(1);
    Modified = 1;
    platform.queueAnswer(Answer::Yes);
    Select(0);
    Click("BitBtn3");
    EXPECT_EQ(platform.questions.size(), 1u);
    EXPECT_EQ(ReadBack(family).count, 3);
    EXPECT_EQ(CurrentFile(), work);
    EXPECT_TRUE(CheckList(1).empty());
    EXPECT_EQ(EntryCount, 3);
    EXPECT_EQ(FirstNames()[0], "Olaf");
    EXPECT_EQ(ListedFiles(), QStringList{QString::fromStdString(work)});
}

TEST_F(SettingsDialog, RemovingTheCurrentFileWhenTheNextCannotBeLoadedKeepsBoth) {
    const std::string work = Work();
    StartWith({work});
    WriteAppointmentFileBytes(work, "kaputt");
    Select(0);
    Click("BitBtn3");
    EXPECT_EQ(CurrentFile(), family);
    EXPECT_EQ(CheckList(1), work);
    EXPECT_EQ(EntryCount, 4);
}

TEST_F(SettingsDialog, AListWithGapsActsOnTheSlotOfTheChosenLine) {
    const std::string work = Work();
    StartWith();
    CheckList(3) = work;  // as a list written elsewhere may hold it
    Dialog();
    ASSERT_EQ(ListedFiles().size(), 2);
    Select(1);
    Click("BitBtn2");
    EXPECT_EQ(CurrentFile(), work);
    EXPECT_EQ(CheckList(3), family);
    EXPECT_EQ(EntryCount, 3);
}

// --- leaving --------------------------------------------------------------

TEST_F(SettingsDialog, OnlyOkLeavesTheDialog) {
    StartWith();
    TEinstellF& d = Dialog();
    EXPECT_FALSE(d.windowFlags() & Qt::WindowCloseButtonHint);
    QTest::keyClick(&d, Qt::Key_Escape);
    EXPECT_TRUE(d.isVisible());
    d.close();
    EXPECT_TRUE(d.isVisible());
    Click("BitBtn4");
    EXPECT_FALSE(d.isVisible());

    // The end of the program closes it too.
    d.show();
    SetProgramEnding(true);
    d.close();
    EXPECT_FALSE(d.isVisible());
}

TEST_F(SettingsDialog, OpenedModallyItFillsItselfBesideTheMainWindowAndOkEndsIt) {
    StartWith();
    SettingsLines(CountdownSeconds) = "4";
    int seen = -1;
    QStringList files;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal->objectName() != "EinstellF") return;
        seen = modal->findChild<QSpinBox*>("SpinEdit1")->value();
        files = ListedFiles();
        modal->findChild<QPushButton*>("BitBtn4")->click();
    });
    poll.start();
    TEinstellF& d = *program->EinstellF;
    EXPECT_EQ(d.exec(), QDialog::Accepted);
    EXPECT_EQ(seen, 4);
    EXPECT_EQ(files, QStringList{QString::fromStdString(family)});
    const WindowRect m = program->GebF->Geometry();
    EXPECT_EQ(d.pos(), QPoint(m.left + (m.width - 368) / 2, m.top + 46));
}
