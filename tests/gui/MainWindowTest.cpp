// The main window's commands driven through its controls, with the files on
// disk checked afterwards.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "Dates.h"
#include "MainWindowFixture.h"
#include "QtProcesses.h"

using namespace tmf;
using test::EntrySpec;
using test::FamilyFile;
using test::MainWindow;

namespace {

bool Contains(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

}  // namespace

TEST_F(MainWindow, SearchIsCaseBlindOverNamesTermsAndValuesAndCountsWhatItShows) {
    auto entries = FamilyFile();
    entries.push_back({"Hans", "Müller", "01.01.1970", "Jubiläum"});
    StartWith(entries);
    search->setText("mül");
    EXPECT_EQ(label->text(), "1 gefunden");
    EXPECT_EQ(VisibleRows(), 1);
    search->setText("ÄUM");  // matches the term name Jubiläum
    EXPECT_EQ(label->text(), "1 gefunden");
    search->setText("xyz");
    EXPECT_EQ(label->text(), "0 gefunden");
    EXPECT_EQ(VisibleRows(), 0);
    search->setText("");
    EXPECT_EQ(label->text(), "kein Eintrag ");
    EXPECT_EQ(VisibleRows(), 5);
}

TEST_F(MainWindow, HiddenRowsStayWithTheirPositionsWhenTheListIsSortedAgain) {
    StartWith(FamilyFile());
    search->setText("Otto");
    ASSERT_EQ(VisibleRows(), 1);
    const int shown = [&] {
        for (int r = 0; r < 4; ++r)
            if (!sg->isRowHidden(r)) return r;
        return -1;
    }();
    main->findChild<QComboBox*>("ComboBox2")->setCurrentIndex(2);  // by last name: Otto moves
    EXPECT_FALSE(sg->isRowHidden(shown));
    EXPECT_EQ(VisibleRows(), 1);
    EXPECT_NE(sg->model()->index(shown, 1).data().toString(), "Otto");
}

TEST_F(MainWindow, SearchReportsProgressEveryTwentiethRowAndAtTheLast) {
    std::vector<EntrySpec> many;
    for (int i = 0; i < 40; ++i) many.push_back({"Vorname", "Nachname " + std::to_string(i), "01.02.1990"});
    StartWith(many);
    ThePlatform().progress = &platform;  // record the calls instead of showing them
    search->setText("n");
    std::vector<float> at;
    for (const auto& p : platform.progress)
        if (p.text == "Suche...") at.push_back(p.position);
    EXPECT_EQ(at, (std::vector<float>{20, 40}));
}

TEST_F(MainWindow, AddingStopsAtThirtyTwoThousandEntries) {
    StartWith(FamilyFile());
    EntryCount = 32000;
    main->BitBtn2Click();
    EXPECT_EQ(modalEditors, 0);
    EXPECT_TRUE(Contains(platform.messageTexts(), "Huch, keiner hat soviele Enträge erwartet !"));
    EntryCount = 31999;
    main->BitBtn2Click();
    EXPECT_EQ(modalEditors, 1);
    EXPECT_EQ(EditorMode, kModeNew);
}

TEST_F(MainWindow, EnterPressesAddAndEscEnds) {
    StartWith(FamilyFile());
    QApplication::setActiveWindow(main);
    search->setFocus();
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_EQ(modalEditors, 1);
    QTest::keyClick(search, Qt::Key_Escape);
    EXPECT_TRUE(ProgramEnding());
}

TEST_F(MainWindow, EnterAndEscInAnOpenDropDownListStayThere) {
    StartWith(FamilyFile());
    QApplication::setActiveWindow(main);
    auto* box = main->findChild<QComboBox*>("ComboBox2");
    for (const auto key : {Qt::Key_Escape, Qt::Key_Return}) {
        box->setFocus();
        box->showPopup();
        ASSERT_TRUE(box->view()->isVisible());
        QTest::keyClick(box->view(), Qt::Key_Down);
        QTest::keyClick(box->view(), key);
        EXPECT_FALSE(box->view()->isVisible()) << key;
        EXPECT_FALSE(ProgramEnding()) << key;
        EXPECT_EQ(modalEditors, 0) << key;
    }
    EXPECT_EQ(box->currentIndex(), 1);  // the Enter chose the item below the first
    // Closed again, the list has no use for the keys: they reach the window.
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(modalEditors, 1);
}

TEST_F(MainWindow, EnterOnAFocusedButtonPressesThatButton) {
    StartWith(FamilyFile());
    QApplication::setActiveWindow(main);
    auto* info = main->findChild<QAbstractButton*>("BitBtn5");
    info->setFocus();
    QTest::keyClick(info, Qt::Key_Return);
    EXPECT_EQ(modalEditors, 0);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text.rfind("Termifolio98 ", 0), 0u);
}

TEST_F(MainWindow, DoubleClickOnTheTitleAsksForAddAndOnARowOpensTheEditorBesideTheList) {
    StartWith(FamilyFile());
    main->SGDblClick(0);
    EXPECT_TRUE(Contains(platform.messageTexts(), "Neueingabe über ANFÜGEN !"));
    EXPECT_EQ(nonModalEditors, 0);
    main->SGDblClick(3);
    EXPECT_EQ(nonModalEditors, 1);
    EXPECT_EQ(EditorMode, kModeEdit);
    EXPECT_EQ(SelectedEntry, 3);
}

TEST_F(MainWindow, PopupDeleteRemovesTheSelectedEntryOnlyWhenConfirmed) {
    StartWith(FamilyFile());
    SelectGridRow(3);
    const QString third = sg->model()->index(2, 1).data().toString();
    platform.queueAnswer(Answer::No);
    main->Lschen1Click();
    EXPECT_EQ(EntryCount, 4);
    EXPECT_EQ(Modified, 0);
    platform.queueAnswer(Answer::Yes);
    main->Lschen1Click();
    EXPECT_EQ(platform.questions.back(), "Wirklich LÖSCHEN ?");
    EXPECT_EQ(EntryCount, 3);
    EXPECT_EQ(Modified, 1);
    EXPECT_EQ(EditorMode, kModeDelete);
    for (int r = 0; r < 3; ++r) EXPECT_NE(sg->model()->index(r, 1).data().toString(), third);
    EXPECT_EQ(sg->model()->rowCount(), 3);
}

TEST_F(MainWindow, RightClickSelectsTheRowUnderTheMouseAndDeleteTakesThatOne) {
    StartWith(FamilyFile());
    SelectGridRow(2);
    const QPoint fourth = sg->visualRect(sg->model()->index(3, 1)).center();
    const QString name = sg->model()->index(3, 1).data().toString();
    QTest::mousePress(sg->viewport(), Qt::RightButton, {}, fourth);
    EXPECT_EQ(main->SelectedRow(), 4);
    QTest::mouseRelease(sg->viewport(), Qt::RightButton, {}, fourth);
    auto* menu = main->findChild<QMenu*>("PopupMenu1");
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    platform.queueAnswer(Answer::Yes);
    menu->actions().first()->trigger();
    menu->close();
    ASSERT_EQ(EntryCount, 3);
    for (int r = 1; r <= 3; ++r) EXPECT_NE(QString::fromStdString(EntryTable(Vorname, r).asText()), name);

    EXPECT_EQ(main->SelectedRow(), 0);  // its entry is gone

    // Below the last row there is nothing to select; the selection stays.
    SelectGridRow(1);
    QTest::mouseClick(sg->viewport(), Qt::RightButton, {}, QPoint(5, sg->viewport()->height() - 3));
    EXPECT_EQ(main->SelectedRow(), 1);
    menu->close();
}

TEST_F(MainWindow, TheSelectionFollowsItsEntryThroughARefillAndEndsWithIt) {
    StartWith(FamilyFile());
    auto rowOf = [](const std::string& first) {
        for (int r = 1; r <= EntryCount; ++r)
            if (EntryTable(Vorname, r).asText() == first) return r;
        return 0;
    };
    SelectGridRow(rowOf("Otto"));
    main->findChild<QComboBox*>("ComboBox2")->setCurrentIndex(2);  // "Nachname dann Vorname"
    ASSERT_NE(rowOf("Otto"), 4);
    EXPECT_EQ(main->SelectedRow(), rowOf("Otto"));

    platform.queueAnswer(Answer::Yes);
    main->Lschen1Click();
    EXPECT_EQ(rowOf("Otto"), 0);
    EXPECT_EQ(main->SelectedRow(), 0);  // not the entry that moved into its row
}

TEST_F(MainWindow, ARealDoubleClickOnARowOpensThatEntry) {
    StartWith(FamilyFile());
    const QPoint third = sg->visualRect(sg->model()->index(2, 2)).center();
    // What a mouse sends: press and release, then the second press as a
    // double click, then its release.
    QTest::mouseClick(sg->viewport(), Qt::LeftButton, {}, third);
    QTest::mouseDClick(sg->viewport(), Qt::LeftButton, {}, third);
    QTest::mouseRelease(sg->viewport(), Qt::LeftButton, {}, third);
    EXPECT_EQ(nonModalEditors, 1);
    EXPECT_EQ(EditorMode, kModeEdit);
    EXPECT_EQ(SelectedEntry, 3);
}

TEST_F(MainWindow, DescriptionOpensTheDocumentOrSaysWhereItWasLookedFor) {
    StartWith(FamilyFile());
    main->BitBtn8Click();
    EXPECT_TRUE(platform.opened.empty());
    EXPECT_EQ(platform.messageTexts().back(), "Beschreibung.doc konte im Programmpfad >" + data +
                                                  "< nicht gefunden werden.\r\n Datei ist im Programmpfad nicht vorhanden .");
    std::ofstream(data + "Beschreibung.doc") << "x";
    main->BitBtn8Click();
    ASSERT_EQ(platform.opened.size(), 1u);
    EXPECT_EQ(platform.opened[0], data + "|Beschreibung.doc");
}

TEST_F(MainWindow, ADocumentThatNoProgramOpensIsReportedInGerman) {
    StartWith(FamilyFile());
    auto last = [&] { return platform.messages.empty() ? std::string() : platform.messages.back().text; };
    std::ofstream(data + "Beschreibung.doc") << "x";
    platform.openFails = true;
    main->BitBtn8Click();
    EXPECT_EQ(last(),
              "Beschreibung.doc konnte nicht geöffnet werden.\r\n"
              "Es ist kein Programm eingerichtet, das diese Datei öffnen kann.");

    platform.clearRecords();
    main->Button4Click();
    EXPECT_TRUE(platform.opened.empty());
    EXPECT_EQ(last(), "TermifolioIntern.rtf wurde im Ordner >" + SpecialDir + "< nicht gefunden.");
    std::filesystem::create_directories(SpecialDir);
    std::ofstream(SpecialDir + "TermifolioIntern.rtf") << "{\\rtf1 }";
    main->Button4Click();
    EXPECT_EQ(platform.opened.size(), 1u);
    EXPECT_EQ(last(),
              "TermifolioIntern.rtf konnte nicht geöffnet werden.\r\n"
              "Es ist kein Programm eingerichtet, das diese Datei öffnen kann.");
}

TEST_F(MainWindow, TheInternalGroupAppearsOnlyForTheSecretWordTypedAfterCtrlI) {
    StartWith(FamilyFile());
    auto* group = main->findChild<QGroupBox*>("GroupBox1");
    auto* button = main->findChild<QPushButton*>("BitBtn9");
    platform.queueInput("kwp");
    QTest::keyClick(button, Qt::Key_I, Qt::ControlModifier);
    EXPECT_FALSE(group->isVisibleTo(main));
    QTest::keyClick(button, Qt::Key_A);  // other keys open nothing
    platform.queueInput("kWp");
    QTest::keyClick(button, Qt::Key_I, Qt::ControlModifier);
    EXPECT_TRUE(group->isVisibleTo(main));
    main->findChild<QPushButton*>("Button3")->click();
    EXPECT_FALSE(group->isVisibleTo(main));
}

TEST_F(MainWindow, HundredTestEntriesAreAddedUnsortedAndMarkTheFileChanged) {
    StartWith(FamilyFile());
    main->Button2Click();
    EXPECT_EQ(EntryCount, 104);
    EXPECT_EQ(Modified, 1);
    EXPECT_EQ(EntryTable(Vorname, 5).asText(), "Vorname 5");
    EXPECT_EQ(EntryTable(Adresse, 104).asText(), std::string("Hier\0\nund\0\nda", 13));
    EXPECT_TRUE(IsNormalizedDate(EntryTable(TerminAm, 60).asText()));
    EXPECT_EQ(sg->model()->rowCount(), 104);
    // Real-valued leads still go to disk as whole numbers.
    ASSERT_TRUE(SaveAppointmentFile(current, "Alles", ""));
    EXPECT_EQ(ReadBack(current).count, 104);
}

// ---------------------------------------------------------------- files

TEST_F(MainWindow, NewFileIsCreatedWithItsHeaderAndBecomesCurrent) {
    StartWith(FamilyFile());
    const std::string neu = data + "Neu.tmf";
    platform.queueFile(neu);
    main->BitBtn12Click();
    ASSERT_EQ(platform.fileRequests.size(), 1u);
    EXPECT_EQ(platform.fileRequests[0].title, "Datei Anlegen oder Laden .");
    EXPECT_EQ(platform.fileRequests[0].fileName, "*.tmf");
    EXPECT_EQ(std::filesystem::file_size(neu), kRecordSize);
    EXPECT_EQ(CurrentFile(), neu);
    EXPECT_EQ(CheckList(1), current);
    EXPECT_EQ(sg->model()->rowCount(), 0);
    EXPECT_EQ(main->findChild<QLabel*>("StatusPanel0")->text(), QString::fromStdString(neu));
}

TEST_F(MainWindow, OpeningAnotherFileOffersToSaveTheChangedOneFirst) {
    StartWith(FamilyFile());
    const std::string other = data + "Andere.tmf";
    test::WriteAppointmentFileBytes(other, test::AppointmentFileBytes({{"Zoe", "Zett", "01.01.2001"}}));
    DeleteEntry(1);
    Modified = 1;
    platform.queueFile(other);
    platform.queueAnswer(Answer::Yes);
    main->BitBtn12Click();
    EXPECT_EQ(platform.questions[0], "->" + current + " Datei wurde geändert !\r\nABSPEICHERN ?");
    EXPECT_EQ(ReadBack(current).count, 3);
    EXPECT_EQ(CurrentFile(), other);
    EXPECT_EQ(EntryCount, 1);
    EXPECT_EQ(sg->model()->index(0, 1).data().toString(), "Zoe");
}

TEST_F(MainWindow, AFileThatCannotBeLoadedLeavesTheCurrentOneAsItWas) {
    StartWith(FamilyFile());
    const std::string broken = data + "Kaputt.tmf";
    test::WriteAppointmentFileBytes(broken, std::string(400, 'x'));
    platform.queueFile(broken);
    main->BitBtn12Click();
    EXPECT_TRUE(Contains(platform.messageTexts(), "Keine Termifolio98 Datei !"));  // the file was just picked
    EXPECT_EQ(CurrentFile(), current);
    EXPECT_TRUE(CheckList(1).empty());
    EXPECT_EQ(EntryCount, 4);
    main->EndeClick();
    EXPECT_EQ(std::filesystem::file_size(broken), 400u);  // never written into
}

TEST_F(MainWindow, AFullCheckListRefusesANewFileAndKeepsTheCurrentOne) {
    StartWith(FamilyFile());
    for (int k = 1; k < kCheckListSlots; ++k) CheckList(k) = data + "f" + std::to_string(k) + ".tmf";
    const std::string neu = data + "Neu.tmf";
    platform.queueFile(neu);
    main->BitBtn12Click();
    EXPECT_TRUE(Contains(platform.messageTexts(), "Prüfliste ist Voll !"));
    EXPECT_FALSE(std::filesystem::exists(neu));
    EXPECT_EQ(CurrentFile(), current);
    EXPECT_EQ(EntryCount, 4);
}

TEST_F(MainWindow, SavingUnderANewNameKeepsTheOldFileAndPutsTheNewOneFirst) {
    StartWith(FamilyFile());
    const std::string copy = data + "Kopie.tmf";
    platform.queueFile(copy);
    main->BitBtn3Click();
    EXPECT_EQ(platform.fileRequests[0].title, "Datei Speichern");
    EXPECT_EQ(platform.fileRequests[0].fileName, "Familie.tmf");
    EXPECT_EQ(platform.fileRequests[0].folder, data);
    EXPECT_EQ(CurrentFile(), copy);
    EXPECT_EQ(ReadBack(copy).count, 4);
    EXPECT_TRUE(std::filesystem::exists(current));
    EXPECT_EQ(main->findChild<QLabel*>("StatusPanel0")->text(), QString::fromStdString(copy));
}

TEST_F(MainWindow, DeletingAFileTakesItOffTheCheckListEvenWhenTheAnswerIsNo) {
    StartWith(FamilyFile());
    const std::string a = data + "A.tmf", b = data + "B.tmf";
    for (const auto& f : {a, b}) test::WriteAppointmentFileBytes(f, test::AppointmentFileBytes({}));
    CheckList(1) = a;
    CheckList(2) = b;
    platform.queueFile(b);
    platform.queueAnswer(Answer::No);
    main->BitBtn4Click();
    EXPECT_EQ(platform.questions[0], b + " wirklich LÖSCHEN ?");
    EXPECT_TRUE(std::filesystem::exists(b));
    EXPECT_EQ(CheckList(1), a);
    EXPECT_TRUE(CheckList(2).empty());
    platform.queueFile(a);
    platform.queueAnswer(Answer::Yes);
    main->BitBtn4Click();
    EXPECT_FALSE(std::filesystem::exists(a));
    EXPECT_TRUE(CheckList(1).empty());
}

TEST_F(MainWindow, TheCurrentFileCannotBeDeleted) {
    StartWith(FamilyFile());
    platform.queueFile(data + "../daten/Familie.tmf");
    main->BitBtn4Click();
    EXPECT_EQ(platform.messageTexts().back(), "Nicht die Aktuelle Datei löschen.");
    EXPECT_TRUE(std::filesystem::exists(current));
}

// ------------------------------------------------------------ conversion

class Conversion : public MainWindow {
protected:
    // A stand-in converter: writes the given output at the target named
    // after the "#" of its one argument.
    void InstallConverter(const std::string& output) {
        std::ofstream(dir.path() + "output.txt", std::ios::binary) << output;
        const std::string script = dir.path() + "Konverto.exe";
        std::ofstream(script) << "#!/bin/sh\ncp \"" << dir.path() << "output.txt\" \"${1#*#}\"\n";
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    }
    void UseRealProcesses() { ThePlatform().processes = &processes; }
    void Choose(const std::string& source, const std::string& target) {
        platform.queueAnswer(Answer::Yes);
        platform.queueFile(source);
        platform.queueFile(target);
    }
    static std::string Record(std::vector<std::string> fields) {
        fields.resize(11);
        std::string s;
        for (const auto& f : fields) s += f + "\r\n";
        return s;
    }
    qt::QtProcesses processes;
};

TEST_F(Conversion, TheConverterOutputBecomesTheCurrentFileSortedAndSaved) {
    StartWith(FamilyFile());
    main->findChild<QComboBox*>("ComboBox2")->setCurrentIndex(1);
    InstallConverter(Record({"2", "1", "0", "1.00", "", "", "", "", "", "", ""}) +
                     Record({"\"Zeno\"", "Alt", "05.05.1950", "Bem", "7", "2", "0", "", "", "True", "Geburtstag"}) +
                     Record({"Anton", "Alt", "06.06.1960", "", "3", "1", "0", "", "", "False", "Jubiläum"}));
    UseRealProcesses();
    const std::string target = data + "ALT.TMF";
    Choose(dir.path() + "FAMILIE1.TMF", target);
    main->BitBtn7Click();
    EXPECT_EQ(CurrentFile(), target);
    EXPECT_EQ(CheckList(1), current);
    EXPECT_EQ(Modified, 0);
    const auto f = ReadBack(target);
    ASSERT_EQ(f.count, 2);
    EXPECT_EQ(f.rows[0][HeaderSortChoice].asText(), "1");
    EXPECT_EQ(f.rows[0][HeaderOutputChoice].asText(), "1");
    EXPECT_EQ(f.rows[1][Vorname].asText(), "Anton");  // sorted by first name
    EXPECT_EQ(f.rows[2][Vorname].asText(), "Zeno");   // quotes removed
    EXPECT_TRUE(f.rows[2][Loeschen].asBoolean());
    EXPECT_EQ(f.rows[2][Warnung1].asInteger(), 7);
    EXPECT_EQ(std::filesystem::file_size(target), 3 * kRecordSize);
}

TEST_F(Conversion, ShortOutputLeavesTheMissingFieldsEmpty) {
    StartWith(FamilyFile());
    InstallConverter("2\r\n1\r\n0\r\n");
    UseRealProcesses();
    Choose(dir.path() + "A.TMF", data + "B.TMF");
    main->BitBtn7Click();
    EXPECT_EQ(EntryCount, 2);
    EXPECT_EQ(EntryTable(Vorname, 1).asText(), "");
}

TEST_F(Conversion, BrokenOutputIsReportedAndTheCurrentFileStaysUntouched) {
    StartWith(FamilyFile());
    const std::string before = test::AppointmentFileBytes(FamilyFile(), "07.12.2026");
    for (const std::string& output : {std::string("viele\r\n"), std::string("-3\r\n"), std::string("99999999\r\n"),
                                     std::string("\xff\xfe\x00garbage", 10)}) {
        InstallConverter(output);
        UseRealProcesses();
        const std::string target = data + "B.TMF";
        Choose(dir.path() + "A.TMF", target);
        platform.clearRecords();
        main->BitBtn7Click();
        ASSERT_FALSE(platform.messages.empty());
        EXPECT_EQ(platform.messages.back().kind, MessageKind::Error) << output;
        EXPECT_EQ(CurrentFile(), current);
        EXPECT_EQ(EntryCount, 4);
        EXPECT_FALSE(std::filesystem::exists(target));
    }
}

TEST_F(Conversion, RefusesLongNamesTheSameFileAndAMissingConverter) {
    StartWith(FamilyFile());
    platform.queueAnswer(Answer::Yes);
    platform.queueFile(dir.path() + "FAMILIE12.TMF");
    main->BitBtn7Click();
    EXPECT_EQ(platform.messageTexts().back(), "16bit Dateinamen dürfen max. 8 Zeichen + Erweiterung haben !");
    Choose(dir.path() + "a.tmf", dir.path() + "ZIELDATEI1.TMF");
    main->BitBtn7Click();
    EXPECT_EQ(platform.messageTexts().back(), "Dateiname zum Umwandeln kann max. 8 Zeichen + Erweiterung haben !");
    Choose(dir.path() + "a.tmf", dir.path() + "A.TMF");
    main->BitBtn7Click();
    EXPECT_EQ(platform.messageTexts().back(),
              "Die Datei muß einen anderen Namen haben oder in einem anderen Verzeichnis liegen.");
    Choose(dir.path() + "a.tmf", dir.path() + "b.tmf");
    main->BitBtn7Click();
    EXPECT_EQ(platform.messageTexts().back(), "Konverto.exe wurde nicht gefunden !");
    // Twelve characters, fourteen bytes: short enough.
    Choose(dir.path() + "GRÜNBÄUM.TMF", dir.path() + "ÄLTERE.TMF");
    main->BitBtn7Click();
    EXPECT_EQ(platform.messageTexts().back(), "Konverto.exe wurde nicht gefunden !");
    EXPECT_EQ(CurrentFile(), current);
}

TEST_F(Conversion, NoInTheNoticeStopsBeforeAnyDialog) {
    StartWith(FamilyFile());
    platform.queueAnswer(Answer::No);
    main->BitBtn7Click();
    EXPECT_TRUE(platform.fileRequests.empty());
    EXPECT_EQ(platform.questions[0].rfind("Zum einlesen alter Termifolio´s 16bit daten, müssen diese mit\r\n", 0), 0u);
}
