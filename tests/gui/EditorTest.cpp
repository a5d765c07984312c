// The entry editor's modes, take-over and delete, driven by its controls.
#include "EditorFixture.h"

#include "Sort.h"

using namespace tmf;
using namespace tmf::test;

namespace {

std::string At(int field, int row) {
    return EntryTable(field, row).asText();
}

}  // namespace

TEST_F(EditorTest, ANewEntryStartsEmptyWithTheLastTermAndThePreviousDate) {
    OpenModal(kModeNew, 0, [&] {
        EXPECT_EQ(editor->pos(), QPoint(100 + (594 - 469) / 2, 50 + 94));
        EXPECT_EQ(Text("Edit1"), "");
        EXPECT_EQ(Text("War1"), "0");
        EXPECT_EQ(Text("War2"), "0");
        EXPECT_EQ(Text("MaskEdit1"), "01.01.0100");
        EXPECT_EQ(Text("ComboBox1"), "Arzt");  // the list is sorted
        EXPECT_EQ(Text("Memo1"), "");
        EXPECT_EQ(EditIndex, 6);
        Field<QLineEdit>("MaskEdit1")->setText("03.03.1990");
        auto* box = Field<QComboBox>("ComboBox1");
        box->setCurrentIndex(2);
        emit box->activated(2);
    });
    EXPECT_EQ(editor->LastTermChoice, 2);
    EXPECT_EQ(EntryCount, 5);

    OpenModal(kModeNew, 0, [&] {
        EXPECT_EQ(Text("ComboBox1"), "Jubiläum");
        EXPECT_EQ(Text("MaskEdit1"), "03.03.1990");
    });
}

TEST_F(EditorTest, AnExistingEntryIsShownFromItsRowWithTheInformationLine) {
    Open(kModeEdit, 2);
    EXPECT_EQ(Text("Edit1"), "Bernd");
    EXPECT_EQ(Text("MaskEdit1"), "24.06.1989");
    EXPECT_EQ(Text("Memo3"), "Erste\nZweite");
    EXPECT_EQ(Text("War1"), "7");
    EXPECT_TRUE(Field<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_EQ(Text("ComboBox1"), "Jubiläum");
    EXPECT_EQ(Text("Memo1"), "35 Jahre, hat am Dienstag in 9 Tage(n) Jubiläum.");
    EXPECT_TRUE(Field("BitBtn3")->isEnabled());
    editor->CloseWithoutTakeOver();

    // A given first warning keeps all its digits although only three can be typed.
    Open(kModeEdit, 3);
    EXPECT_EQ(Text("War1"), "-10");
    EXPECT_EQ(Text("Memo1"), "45 Jahre, hat am Sonntag in 0 Tage(n) Geburtstag.");
}

TEST_F(EditorTest, OpeningMarksTheFileModifiedOnlyWhenTheFillingChangedAField) {
    const Row before = EntryTable.row(1);
    Open(kModeEdit, 1);
    editor->CloseWithoutTakeOver();
    EXPECT_EQ(Modified, 1);
    EXPECT_EQ(EntryTable.row(1), before);

    Modified = 0;
    Open(kModeEdit, 1);
    QTest::keyClick(Field("Edit2"), Qt::Key_Escape);
    EXPECT_FALSE(editor->IsOpen());
    EXPECT_EQ(Modified, 0);
}

TEST_F(EditorTest, ANewEntryTakenOverGrowsTheTableAndIsSortedIn) {
    EntryTable(HeaderSortChoice, 0) = Cell("2");  // "Nachname dann Vorname"
    OpenModal(kModeNew, 0, [&] {
        QTest::keyClicks(Field("Edit1"), "Zora");
        QTest::keyClicks(Field("Edit2"), "Aaberg");
        Field<QLineEdit>("War1")->clear();
        Click("bitbtn2");
    });
    ASSERT_EQ(EntryCount, 6);
    EXPECT_EQ(At(Nachname, 1), "Aaberg");
    EXPECT_EQ(At(Nachname, 2), "Adam");
    EXPECT_EQ(At(Warnung1, 1), "0");  // an empty warning is no lead time
    EXPECT_EQ(At(Terminart, 1), "Arzt");
    EXPECT_EQ(MainGrid.rowCount(), 7);
    EXPECT_GT(main.gridChanged, 0);
    EXPECT_EQ(Modified, 1);

    OpenModal(kModeNew, 0, [&] { QTest::keyClick(Field("Edit1"), Qt::Key_Escape); });
    EXPECT_EQ(EntryCount, 6);
}

TEST_F(EditorTest, TakingOverAChangedRemarkWritesEveryFieldOfTheRow) {
    Open(kModeEdit, 3);
    Modified = 0;
    Field<QPlainTextEdit>("Memo3")->setPlainText("Neu\nzweite");
    EXPECT_EQ(Modified, 1);
    Click("bitbtn2");
    EXPECT_FALSE(editor->IsOpen());
    EXPECT_EQ(EntryTable(Bemerkung, 3).asText(), std::string("Neu\0\nzweite", 11));
    EXPECT_EQ(At(Vorname, 3), "Clara");
    EXPECT_EQ(At(TerminAm, 3), "15.06.1980");
    EXPECT_EQ(EntryTable(Warnung1, 3).asInteger(), -10);
    EXPECT_EQ(EntryTable(TelFaxMail, 3).asText(), std::string("0221 1\0\n0221 2", 14));
    EXPECT_EQ(EntryTable(Erreicht, 3).asInteger(), 0);  // was 1
    EXPECT_EQ(TermNames[0], "Arzt");                    // the list, in its order
    EXPECT_EQ(TermNames[4], "");
}

TEST_F(EditorTest, ATakeOverWithoutChangesWritesNothing) {
    Open(kModeEdit, 3);
    Modified = 0;
    Click("bitbtn2");
    EXPECT_EQ(EntryTable(Erreicht, 3).asInteger(), 1);
    EXPECT_EQ(main.gridChanged, 0);
}

TEST_F(EditorTest, InCheckModeTheEntryIsWrittenWithANoticeButNotDeletedOrResorted) {
    EntryTable(HeaderSortChoice, 0) = Cell("2");
    OpenModal(kModeCheck, 2, [&] {
        EXPECT_FALSE(Field("BitBtn3")->isEnabled());
        Field<QLineEdit>("Edit2")->setText("Aaa");
        Click("bitbtn2");
    });
    EXPECT_EQ(platform.messageTexts(),
              std::vector<std::string>{
                  "Änderungen werden übernommen aber in der Prüfliste erst beim nächsen Aufruf angezeigt !"});
    EXPECT_EQ(At(Nachname, 2), "Aaa");
    EXPECT_EQ(main.gridChanged, 0);
}

TEST_F(EditorTest, DeletingAskedYesRemovesTheEntryAndClosesAndNoKeepsIt) {
    Open(kModeEdit, 2);
    platform.queueAnswer(Answer::No);
    Click("BitBtn3");
    EXPECT_EQ(EntryCount, 5);
    EXPECT_TRUE(editor->IsOpen());

    platform.queueAnswer(Answer::Yes);
    Click("BitBtn3");
    EXPECT_EQ(platform.messages.back().text, "Wirklich LÖSCHEN ?");
    EXPECT_EQ(platform.messages.back().kind, MessageKind::Warning);
    EXPECT_FALSE(editor->IsOpen());
    ASSERT_EQ(EntryCount, 4);
    EXPECT_EQ(At(Vorname, 2), "Clara");
    EXPECT_EQ(At(Vorname, 3), "Dora");
    EXPECT_EQ(EditorMode, kModeDelete);
    EXPECT_GT(main.gridChanged, 0);
}

TEST_F(EditorTest, ANewEntryCannotBeDeleted) {
    Open(kModeNew);
    Click("BitBtn3");
    EXPECT_EQ(platform.messageTexts(),
              std::vector<std::string>{"Im Anfügemodus kann nicht gelöscht werden !"});
    EXPECT_TRUE(editor->IsOpen());
}

TEST_F(EditorTest, EnterMovesAlongTheChainAndPressesTheTakeOverAtItsEnd) {
    Open(kModeEdit, 4);
    const char* chain[] = {"Edit1", "Edit2", "MaskEdit1", "War1", "War2", "ComboBox1", "bitbtn2"};
    for (int i = 0; i + 1 < 7; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(editor->focusWidget(), Field(chain[i + 1])) << chain[i];
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(editor->IsOpen());
}

TEST_F(EditorTest, AnInvalidDateIsReportedAndReplacedOnEnterAndWhenLeavingTheField) {
    Open(kModeEdit, 4);
    auto* date = Field<QLineEdit>("MaskEdit1");
    date->setFocus();
    date->selectAll();
    QTest::keyClicks(date, "31022020");
    EXPECT_EQ(date->text(), "31.02.2020");
    QTest::keyClick(date, Qt::Key_Return);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text.rfind("Datumsfehler: 3\r\n", 0), 0u);
    EXPECT_EQ(date->text(), "01.01.0100");
    EXPECT_EQ(editor->focusWidget(), Field("War1"));
    EXPECT_EQ(Text("Memo1"), "1925 Jahre, hat am Donnerstag in 200 Tage(n) Namenstag.");

    date->setText("29.02.2024");
    date->setFocus();
    Field("Edit2")->setFocus();  // leaving by any means
    EXPECT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(date->text(), "01.01.0100");
}

TEST_F(EditorTest, AShortYearTypedIntoTheDateFieldIsOneThatHasBeen) {
    // Today is 15.06.2025.
    const std::pair<const char*, const char*> typed[] = {
        {"3.4.70", "03.04.1970"}, {"3.4.25", "03.04.2025"}, {"3.4.26", "03.04.1926"}, {"3.4.1970", "03.04.1970"}};
    Open(kModeEdit, 4);
    auto* date = Field<QLineEdit>("MaskEdit1");
    for (const auto& [keys, shown] : typed) {
        date->setFocus();
        date->selectAll();
        QTest::keyClicks(date, keys);
        QTest::keyClick(date, Qt::Key_Return);
        EXPECT_EQ(date->text(), shown) << keys;
    }
    EXPECT_TRUE(platform.messages.empty());
    date->setFocus();
    date->selectAll();
    QTest::keyClicks(date, "3.4.70");
    QTest::keyClick(date, Qt::Key_Return);
    EXPECT_EQ(Text("Memo1"), "55 Jahre, hat am Freitag in 292 Tage(n) Namenstag.");
    Click("bitbtn2");
    EXPECT_EQ(At(TerminAm, 4), "03.04.1970");
}

TEST_F(EditorTest, ANewEntryFromAFormLeftUnchangedSinceTheLastCallIsStillAdded) {
    OpenModal(kModeNew, 0, [&] { Field<QLineEdit>("MaskEdit1")->setText("03.03.1990"); });  // cancelled
    Modified = 0;  // saved meanwhile
    const int refills = main.gridChanged;
    // Nothing in the form differs from the cancelled call: no field reports a change.
    OpenModal(kModeNew, 0, [&] {
        EXPECT_EQ(Modified, 0);
        Click("bitbtn2");
    });
    ASSERT_EQ(EntryCount, 6);
    EXPECT_EQ(At(TerminAm, 6), "03.03.1990");
    EXPECT_EQ(At(Terminart, 6), "Arzt");
    EXPECT_EQ(Modified, 1);
    EXPECT_GT(main.gridChanged, refills);
}

TEST_F(EditorTest, AFieldReachedWithEnterIsSelectedSoThatTypingReplacesIt) {
    OpenModal(kModeNew, 0, [&] {
        QApplication::setActiveWindow(editor.get());
        ASSERT_EQ(Text("MaskEdit1"), "01.01.0100");  // the previous call's date
        for (const char* typed : {"Zora", "Aaberg", "24121990", "12", "3"}) {
            QTest::keyClicks(QApplication::focusWidget(), typed);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        }
        EXPECT_EQ(Field<QComboBox>("ComboBox1")->lineEdit()->selectedText(), "Arzt");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(QApplication::focusWidget(), Field("bitbtn2"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    ASSERT_EQ(EntryCount, 6);
    EXPECT_EQ(At(Vorname, 6), "Zora");
    EXPECT_EQ(At(TerminAm, 6), "24.12.1990");
    EXPECT_EQ(At(Warnung1, 6), "12");
    EXPECT_EQ(At(Warnung2, 6), "3");
}

TEST_F(EditorTest, TabIntoTheDateFieldSelectsItsDateToo) {
    Open(kModeEdit, 4);
    Field("Edit2")->setFocus();
    QTest::keyClick(Field("Edit2"), Qt::Key_Tab);
    ASSERT_EQ(editor->focusWidget(), Field("MaskEdit1"));
    EXPECT_EQ(Field<QLineEdit>("MaskEdit1")->selectedText(), "01.01.2000");
}

TEST_F(EditorTest, AnInvalidDateConfirmedWithEnterRecomputesTheLineThoughTheMessageTookTheFocus) {
    Open(kModeEdit, 4);
    auto* date = Field<QLineEdit>("MaskEdit1");
    date->setFocus();
    date->selectAll();
    QTest::keyClicks(date, "31042024");
    // A real message box is a window of its own: the editor loses the focus
    // and gets it back only after the Enter has been handled.
    QWidget box;
    platform.onMessage = [&](const std::string&) {
        box.show();
        QApplication::setActiveWindow(&box);
    };
    QTest::keyClick(date, Qt::Key_Return);
    platform.onMessage = nullptr;
    EXPECT_EQ(date->text(), "01.01.0100");
    EXPECT_EQ(Text("Memo1"), "1925 Jahre, hat am Donnerstag in 200 Tage(n) Namenstag.");
}

TEST_F(EditorTest, TheTakeOverValidatesADateThatStillHasTheFocus) {
    Open(kModeEdit, 4);
    auto* date = Field<QLineEdit>("MaskEdit1");
    date->setFocus();
    date->setText("31.04.2024");
    Click("bitbtn2");
    EXPECT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(At(TerminAm, 4), "01.01.0100");
}

TEST_F(EditorTest, NoTakeOverOrDeleteWhileAnotherTableOperationRuns) {
    Open(kModeEdit, 2);
    Field<QLineEdit>("Edit1")->setText("Neu");
    {
        TableOperation running;
        Click("bitbtn2");
        Click("BitBtn3");
    }
    EXPECT_EQ(platform.messages.size(), 2u);
    EXPECT_TRUE(editor->IsOpen());
    EXPECT_EQ(At(Vorname, 2), "Bernd");
    EXPECT_EQ(EntryCount, 5);
}

TEST_F(EditorTest, TheOpenEditorKeepsToItsEntryWhenTheMainWindowResorts) {
    Open(kModeEdit, 2);  // Bernd Maier
    SelectedEntry = 5;
    editor->ShowNonModal();  // a second double click only raises it
    EXPECT_EQ(Text("Edit1"), "Bernd");

    SortEntries(SortFirstName);  // Bernd moves to row 1, Clara to row 2
    ASSERT_EQ(At(Vorname, 2), "Clara");
    Field<QLineEdit>("Edit2")->setText("Maier-Neu");
    Click("bitbtn2");
    EXPECT_EQ(At(Nachname, 1), "Maier-Neu");
    EXPECT_EQ(At(Vorname, 2), "Clara");
    EXPECT_EQ(At(Nachname, 2), "Adam");
}

TEST_F(EditorTest, AnEntryDeletedMeanwhileIsNotOverwritten) {
    Open(kModeEdit, 2);
    DeleteEntry(2);
    Field<QLineEdit>("Edit1")->setText("Neu");
    Click("bitbtn2");
    EXPECT_EQ(platform.messages.size(), 1u);
    EXPECT_TRUE(editor->IsOpen());
    EXPECT_EQ(At(Vorname, 2), "Clara");
}

TEST_F(EditorTest, AModalCallClosesTheOpenEditorWithoutTakingOver) {
    Open(kModeEdit, 2);
    Field<QLineEdit>("Edit1")->setText("Verworfen");
    OpenModal(kModeNew, 0, [&] {
        EXPECT_TRUE(editor->isModal());
        EXPECT_EQ(Text("Edit1"), "");
    });
    EXPECT_EQ(At(Vorname, 2), "Bernd");
    EXPECT_EQ(EditorMode, kModeNew);
}
