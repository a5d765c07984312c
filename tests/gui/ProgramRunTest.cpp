// The whole program: start, check, results, exit, background mode.
#include <QAbstractButton>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>

#include "ProgramFixture.h"

using namespace tmf;
using test::FamilyFile;
using test::ResultsAnswerer;

class ProgramRun : public test::ProgramTest {};

TEST_F(ProgramRun, StartChecksEveryListedFileAndTheFilesOnDiskShowIt) {
    const std::string family = data + "Familie.tmf";
    const std::string work = data + "Arbeit.tmf";
    test::WriteAppointmentFileBytes(family, test::AppointmentFileBytes(FamilyFile(), "01.12.2026", 0, 2));
    test::WriteAppointmentFileBytes(work, test::AppointmentFileBytes({{"Olaf", "Chef", "09.12.1970", "Geburtstag", 3}},
                                                                     "06.12.2026"));
    WriteCheckList({family, work});
    ResultsAnswerer answerer;

    ASSERT_TRUE(Start());

    // One dialog per file with findings, the current file last.
    ASSERT_EQ(answerer.captions.size(), 2u);
    EXPECT_EQ(answerer.captions[0], QString::fromStdString(work + " - Prüfung am 07.12.2026 um 09:30"));
    EXPECT_EQ(answerer.captions[1], QString::fromStdString(family + " - Prüfung am 07.12.2026 um 09:30"));
    EXPECT_EQ(answerer.summaries[1], "1 Termin(e) , 1 Warnung(en)");
    EXPECT_NE(std::find(platform.messageTexts().begin(), platform.messageTexts().end(), "Anna Ober , wird nun gelöscht !"),
              platform.messageTexts().end());

    // On disk: both headers stamped, the warning given, the due entry gone.
    const auto w = ReadBack(work);
    EXPECT_EQ(w.rows[0][HeaderLastCheck].asText(), "07.12.2026");
    EXPECT_EQ(w.rows[1][Warnung1].asInteger(), -3);
    const auto f = ReadBack(family);
    EXPECT_EQ(f.rows[0][HeaderLastCheck].asText(), "07.12.2026");
    ASSERT_EQ(f.count, 3);
    for (int r = 1; r <= 3; ++r) EXPECT_NE(f.rows[static_cast<std::size_t>(r)][Vorname].asText(), "Anna");
    for (int r = 1; r <= 3; ++r) {
        const Row& row = f.rows[static_cast<std::size_t>(r)];
        if (row[Vorname].asText() == "Max") {
            EXPECT_EQ(row[Warnung1].asInteger(), -7);
        }
        // Reported as passed over and re-armed at once.
        if (row[Vorname].asText() == "Eva") {
            EXPECT_EQ(row[Erreicht].asInteger(), 0);
        }
    }

    // The main window shows the current file, sorted by its last names.
    TGebF& main = *program->GebF;
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(main.windowTitle(), "Termifolio98 2.27 - 32bit");
    EXPECT_FALSE(main.findChild<QGroupBox*>("GroupBox1")->isVisible());
    EXPECT_EQ(main.findChild<QComboBox*>("ComboBox2")->currentText(), "Nachname dann Vorname");
    EXPECT_EQ(main.findChild<QComboBox*>("ComboBox1")->currentText(), "Termin");
    auto* sg = main.findChild<QTableView*>("SG");
    ASSERT_EQ(sg->model()->rowCount(), 3);
    EXPECT_EQ(sg->model()->index(0, 2).data().toString(), "Adam");
    EXPECT_EQ(sg->model()->index(2, 2).data().toString(), "Zeh");
    EXPECT_EQ(main.findChild<QLabel*>("StatusPanel2")->text(), "Einträge: 3");
    EXPECT_EQ(main.findChild<QLabel*>("StatusPanel0")->text(), QString::fromStdString(family));
    EXPECT_EQ(Modified, 0);

    // Leaving without changes asks nothing and keeps the centred position.
    main.EndeClick();
    EXPECT_TRUE(ProgramEnding());
    EXPECT_TRUE(platform.questions.empty());
    ResetProgramState();
    DataDir = data;
    ASSERT_TRUE(LoadCheckList());
    EXPECT_EQ(CheckList(0), family);
    EXPECT_EQ(CheckList(1), work);
    EXPECT_EQ(SettingsLines(WindowOffsetX), "0");
    EXPECT_EQ(SettingsLines(WindowOffsetY), "0");
}

TEST_F(ProgramRun, ClosingTheResultsWithTheCloseBoxDeletesNothing) {
    const std::string family = data + "Familie.tmf";
    test::WriteAppointmentFileBytes(family, test::AppointmentFileBytes(FamilyFile(), "01.12.2026"));
    WriteCheckList({family});
    ResultsAnswerer answerer;
    answerer.useCloseBox = true;

    ASSERT_TRUE(Start());
    ASSERT_EQ(answerer.captions.size(), 1u);
    EXPECT_EQ(ReadBack(family).count, 4);
}

TEST_F(ProgramRun, ChangingTheOutputChoiceRefillsTheValueColumnAndItsTitle) {
    const std::string family = data + "Familie.tmf";
    test::WriteAppointmentFileBytes(family, test::AppointmentFileBytes(FamilyFile(), "07.12.2026"));
    WriteCheckList({family}, /*atStart=*/false);
    ASSERT_TRUE(Start());
    TGebF& main = *program->GebF;
    auto* sg = main.findChild<QTableView*>("SG");
    main.findChild<QComboBox*>("ComboBox1")->setCurrentIndex(3);
    EXPECT_EQ(sg->model()->headerData(4, Qt::Horizontal).toString(), "Resttage");
    EXPECT_EQ(sg->model()->index(0, 4).data().toString(), "0");  // Anna is due today
    EXPECT_EQ(EntryTable(HeaderOutputChoice, 0).asText(), "3");
    EXPECT_EQ(Modified, 0);
    main.findChild<QComboBox*>("ComboBox2")->setCurrentIndex(1);
    EXPECT_EQ(sg->model()->index(0, 1).data().toString(), "Anna");
    EXPECT_EQ(sg->model()->index(3, 1).data().toString(), "Otto");
}

TEST_F(ProgramRun, ExitWithChangesAnsweredNoKeepsTheEntriesButStampsTheHeader) {
    const std::string family = data + "Familie.tmf";
    const std::string before = test::AppointmentFileBytes(FamilyFile(), "07.12.2026");
    test::WriteAppointmentFileBytes(family, before);
    WriteCheckList({family}, /*atStart=*/false);
    ASSERT_TRUE(Start());
    TGebF& main = *program->GebF;
    main.findChild<QComboBox*>("ComboBox1")->setCurrentIndex(2);
    DeleteEntry(1);
    Modified = 1;
    platform.queueAnswer(Answer::No);
    main.EndeClick();
    ASSERT_EQ(platform.questions.size(), 1u);
    EXPECT_EQ(platform.questions[0], family + ", wurde geändert.\r\nDatei abspeichern ?");
    EXPECT_TRUE(std::filesystem::exists(data + "Termin.dat"));
    const auto f = ReadBack(family);
    EXPECT_EQ(f.count, 4);  // entries as they were
    EXPECT_EQ(f.rows[0][HeaderOutputChoice].asText(), "2");
    EXPECT_EQ(f.rows[0][HeaderLastCheck].asText(), "07.12.2026");
}

TEST_F(ProgramRun, ExitWithChangesAnsweredYesSavesTheEntriesAndTheTermNames) {
    const std::string family = data + "Familie.tmf";
    test::WriteAppointmentFileBytes(family, test::AppointmentFileBytes(FamilyFile(), "01.12.2026"));
    WriteCheckList({family}, /*atStart=*/false);
    ASSERT_TRUE(Start());
    DeleteEntry(2);
    TermNames[0] = "Geburtstag";
    Modified = 1;
    platform.queueAnswer(Answer::Yes);
    program->GebF->EndeClick();
    EXPECT_TRUE(ProgramEnding());
    const auto f = ReadBack(family);
    EXPECT_EQ(f.count, 3);
    EXPECT_EQ(f.rows[0][HeaderLastCheck].asText(), "07.12.2026");
    ResetProgramState();
    DataDir = data;
    LoadTermNames();
    EXPECT_EQ(TermNames[0], "Geburtstag");
}

TEST_F(ProgramRun, CancellingTheSaveQuestionAtTheCloseBoxKeepsTheWindowOpen) {
    const std::string family = data + "Familie.tmf";
    test::WriteAppointmentFileBytes(family, test::AppointmentFileBytes(FamilyFile(), "07.12.2026"));
    WriteCheckList({family}, /*atStart=*/false);
    ASSERT_TRUE(Start());
    TGebF& main = *program->GebF;
    Modified = 1;
    platform.queueAnswer(Answer::Cancel);
    main.close();
    EXPECT_TRUE(main.isVisible());
    EXPECT_FALSE(ProgramEnding());
}

TEST_F(ProgramRun, ExitWithTheWindowOffTheScreenBeepsAndStoresZeroOffsets) {
    const std::string family = data + "Familie.tmf";
    test::WriteAppointmentFileBytes(family, test::AppointmentFileBytes(FamilyFile(), "07.12.2026"));
    WriteCheckList({family}, /*atStart=*/false);
    ASSERT_TRUE(Start());
    TGebF& main = *program->GebF;
    main.move(-500, 100);
    main.EndeClick();
    EXPECT_EQ(platform.beeps, 1);
    ResetProgramState();
    DataDir = data;
    ASSERT_TRUE(LoadCheckList());
    EXPECT_EQ(SettingsLines(WindowOffsetX), "0");
}

TEST_F(ProgramRun, ExitStoresTheWindowOffsetsFromTheCentre) {
    const std::string family = data + "Familie.tmf";
    test::WriteAppointmentFileBytes(family, test::AppointmentFileBytes(FamilyFile(), "07.12.2026"));
    WriteCheckList({family}, /*atStart=*/false);
    ASSERT_TRUE(Start());
    TGebF& main = *program->GebF;
    const QPoint p = main.pos();
    main.move(p.x() + 40, p.y() - 30);
    main.EndeClick();
    EXPECT_EQ(platform.beeps, 0);
    ResetProgramState();
    DataDir = data;
    ASSERT_TRUE(LoadCheckList());
    EXPECT_EQ(SettingsLines(WindowOffsetX), "40");
    EXPECT_EQ(SettingsLines(WindowOffsetY), "-30");
}

TEST_F(ProgramRun, BackgroundModeChecksCountsDownAndEndsByItself) {
    const std::string family = data + "Familie.tmf";
    test::WriteAppointmentFileBytes(family, test::AppointmentFileBytes(FamilyFile(), "01.12.2026"));
    WriteCheckList({family}, /*atStart=*/true, /*background=*/true, /*countdown=*/"1");
    ResultsAnswerer answerer;
    EXPECT_FALSE(Start());
    EXPECT_TRUE(ProgramEnding());
    EXPECT_EQ(answerer.captions.size(), 1u);
    EXPECT_FALSE(program->GebF->isVisible());
    // The exit procedure ran: its sound, and the stamp in the file.
    EXPECT_EQ(platform.sounds.back(), dir.path() + "close.wav");
    EXPECT_EQ(ReadBack(family).rows[0][HeaderLastCheck].asText(), "07.12.2026");
}

TEST_F(ProgramRun, FirstStartOnAnEmptyFolderCreatesTheDefaultFileAndShowsAnEmptyList) {
    ASSERT_TRUE(Start());
    EXPECT_TRUE(std::filesystem::exists(data + "Termif98.tmf"));
    EXPECT_EQ(std::filesystem::file_size(data + "Termif98.tmf"), kRecordSize);
    EXPECT_EQ(CurrentFile(), data + "Termif98.tmf");
    TGebF& main = *program->GebF;
    EXPECT_EQ(main.findChild<QTableView*>("SG")->model()->rowCount(), 0);
    EXPECT_EQ(main.findChild<QComboBox*>("ComboBox1")->currentIndex(), 0);
    EXPECT_EQ(main.findChild<QComboBox*>("ComboBox2")->currentIndex(), 0);
    EXPECT_EQ(main.findChild<QLabel*>("StatusPanel2")->text(), "Einträge: 0");
    const auto& msgs = platform.messageTexts();
    EXPECT_NE(std::find(msgs.begin(), msgs.end(),
                        "Datei >Termin.dat< nicht gefunden. Leere Datei wird angelegt.\r"
                        "Geben Sie Terminbezeichnungen über ANFÜGEN ein."),
              msgs.end());
}

TEST_F(ProgramRun, ACurrentFileThatCannotBeLoadedEndsTheStartButNotTheNext) {
    const std::string gone = data + "Weg.tmf";
    const std::string other = data + "Andere.tmf";
    test::WriteAppointmentFileBytes(other, test::AppointmentFileBytes(FamilyFile(), "07.12.2026"));
    // Broken, not missing: a missing file would be dropped from the list.
    test::WriteAppointmentFileBytes(gone, "kaputt");
    WriteCheckList({gone, other});
    EXPECT_FALSE(Start());
    const auto& msgs = platform.messageTexts();
    EXPECT_NE(std::find(msgs.begin(), msgs.end(), gone + " konnte nicht geladen werden !"), msgs.end());
    EXPECT_EQ(std::filesystem::file_size(gone), 6u);  // never written into

    program.reset();
    ResetProgramState();
    SetProgramEnding(false);
    ResultsAnswerer answerer;
    ASSERT_TRUE(Start());
    EXPECT_EQ(CurrentFile(), data + "TestDatei.tmf");
    // Both still checked: the broken file too, so that it is found again
    // once it can be read; it is still not written into.
    EXPECT_EQ(CheckList(1), gone);
    EXPECT_EQ(CheckList(2), other);
    EXPECT_EQ(std::filesystem::file_size(gone), 6u);
}

TEST_F(ProgramRun, ManualCheckOpensTheEntryFromTheResultsInTheCheckModeAndKeepsTheGridTrue) {
    const std::string family = data + "Familie.tmf";
    test::WriteAppointmentFileBytes(family, test::AppointmentFileBytes(FamilyFile(), "01.12.2026", 0, 2));
    WriteCheckList({family}, /*atStart=*/false);
    ASSERT_TRUE(Start());
    program->GebF->findChild<QComboBox*>("ComboBox2")->setCurrentIndex(1);  // by first name, not saved

    // The start stamped the file, so nothing counts as passed over: the rows
    // are Anna (due today) and Max (first warning). The user clicks the
    // second row, changes Max's remark in the editor, takes it over, then
    // leaves with "O K", which deletes Anna.
    bool clicked = false;
    QString editorMode;
    QString editorName;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        if (modal->objectName() == "PrufungF" && !clicked) {
            clicked = true;
            auto* image = modal->findChild<QLabel*>("Aus");
            // Posted: the editor's own modal loop must not run inside this
            // timer's call, or the timer could not fire again to answer it.
            QTimer::singleShot(0, image, [image] {
                QMouseEvent up(QEvent::MouseButtonRelease, QPointF(100, 23), image->mapToGlobal(QPointF(100, 23)),
                               Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(image, &up);
            });
        } else if (modal->objectName() == "EinF") {
            editorMode = QString::fromStdString(EditorMode);
            editorName = modal->findChild<QLineEdit*>("Edit1")->text();
            modal->findChild<QPlainTextEdit*>("Memo3")->setPlainText("im Garten");
            QTimer::singleShot(0, modal->findChild<QAbstractButton*>("bitbtn2"), &QAbstractButton::click);
        } else if (modal->objectName() == "PrufungF" && clicked) {
            modal->findChild<QPushButton*>("BitBtn1")->click();
        }
    });
    poll.start();
    platform.queueAnswer(Answer::No);  // the changed file is not saved before the check
    Modified = 1;
    program->GebF->BitBtn6Click();
    poll.stop();

    EXPECT_TRUE(clicked);
    EXPECT_EQ(editorMode, "Prüfen");
    EXPECT_EQ(editorName, "Max");
    EXPECT_NE(std::find(platform.messageTexts().begin(), platform.messageTexts().end(),
                        "Änderungen werden übernommen aber in der Prüfliste erst beim nächsen Aufruf angezeigt !"),
              platform.messageTexts().end());
    // The grid shows the table as it is after the run, sorted by the list's choice.
    auto* sg = program->GebF->findChild<QTableView*>("SG");
    ASSERT_EQ(sg->model()->rowCount(), EntryCount);
    for (int r = 1; r <= EntryCount; ++r)
        EXPECT_EQ(sg->model()->index(r - 1, 1).data().toString().toStdString(), EntryTable(Vorname, r).asText());
    ASSERT_EQ(EntryCount, 3);
    for (int r = 1; r <= EntryCount; ++r) {
        EXPECT_NE(EntryTable(Vorname, r).asText(), "Anna");
        if (EntryTable(Vorname, r).asText() == "Max") {
            EXPECT_EQ(EntryTable(Bemerkung, r).asText(), "im Garten");
        }
    }
}
