// What the entry editor's fields take in, and its term-name list.
#include <QClipboard>

#include "EditorFixture.h"

using namespace tmf;
using namespace tmf::test;

using EditorFields = EditorTest;
using EditorTermNames = EditorTest;

TEST_F(EditorFields, CharactersTheFileCannotHoldCannotBeTyped) {
    Open(kModeNew);
    Type(Field("Edit1"), QString::fromUtf8("Jörg→€😀"));
    EXPECT_EQ(Text("Edit1"), QString::fromUtf8("Jörg€"));
    Type(Field("Memo3"), QString::fromUtf8("a→b"));
    EXPECT_EQ(Text("Memo3"), "ab");

    QApplication::clipboard()->setText(QString::fromUtf8("Weg\r\n→Straße 😀5"));
    Field<QPlainTextEdit>("Memo8")->paste();
    EXPECT_EQ(Text("Memo8"), QString::fromUtf8("Weg\nStraße 5"));
}

TEST_F(EditorFields, MemosHoldAHundredCharactersWithEveryLineBreakCountingTwo) {
    Open(kModeNew);
    auto* memo = Field<QPlainTextEdit>("Memo7");
    QTest::keyClicks(memo, QString(99, 'x'));
    QTest::keyClick(memo, Qt::Key_Return);  // would make 101
    QTest::keyClicks(memo, "yz");
    EXPECT_EQ(Text("Memo7"), QString(99, 'x') + "y");

    memo->clear();
    QApplication::clipboard()->setText(QString(49, 'a') + "\n" + QString(60, 'b'));
    memo->paste();
    EXPECT_EQ(Text("Memo7"), QString(49, 'a') + "\n" + QString(49, 'b'));
    EXPECT_EQ(memo->property("plainText").toString().size() + 1, 100);
}

TEST_F(EditorFields, NamesAndTheTermBoxStopAtTheirLimits) {
    Open(kModeNew);
    QTest::keyClicks(Field("Edit2"), QString(30, 'n'));
    EXPECT_EQ(Text("Edit2").size(), 25);
    auto* term = Field<QComboBox>("ComboBox1");
    term->clearEditText();
    QTest::keyClicks(term->lineEdit(), "Sechzehn Zeichen");
    EXPECT_EQ(term->currentText(), "Sechzehn Zeiche");
}

TEST_F(EditorFields, WarningsTakeOnlyAWholeNumberOfAtMostThreeCharacters) {
    Open(kModeNew);
    auto* war = Field<QLineEdit>("War2");
    war->clear();
    QTest::keyClicks(war, "1-a2");
    EXPECT_EQ(war->text(), "12");
    war->clear();
    QTest::keyClicks(war, "-123");
    EXPECT_EQ(war->text(), "-12");
    war->setText("-");
    Click("bitbtn2");
    EXPECT_EQ(EntryTable(Warnung2, 6).asText(), "0");
}

TEST_F(EditorTermNames, ATooLongNameIsProposedCutToTwelveAndThenAdded) {
    Open(kModeEdit, 1);
    platform.queueInput("Familientreffen");
    platform.queueInput("Familientref");  // OK, or Cancel, which returns the proposal
    Click("BitBtn4");
    EXPECT_EQ(platform.messageTexts(),
              (std::vector<std::string>{
                  "Termineingabe|Geben Sie eine zusätzliche Terminbezeichnung ein.|", "Max. 12 Zeichen !",
                  "Termineingabe|Geben Sie eine zusätzliche Terminbezeichnung ein.|Familientref"}));
    auto* box = Field<QComboBox>("ComboBox1");
    EXPECT_EQ(box->currentText(), "Familientref");
    EXPECT_EQ(box->itemText(1), "Familientref");  // sorted in after "Arzt"
    EXPECT_EQ(editor->LastTermChoice, 1);
    EXPECT_EQ(TermNames[1], "Namenstag");  // the list reaches the names only with the take-over

    Click("bitbtn2");
    EXPECT_EQ(TermNames[1], "Familientref");
    EXPECT_EQ(TermNames[5], "");
    EXPECT_EQ(EntryTable(Terminart, 1).asText(), "Familientref");
}

TEST_F(EditorTermNames, ANameThatWouldSplitItsLineInTheTermFileIsRefused) {
    // Twelve characters scramble with key 243: þ and ù turn into CR LF.
    Open(kModeNew);
    platform.queueInput("abcdefghijþù");
    Click("BitBtn4");
    EXPECT_EQ(platform.messageTexts().back(),
              "Diese Terminbezeichnung läßt sich in Termin.dat nicht speichern. Bitte anders schreiben.");
    EXPECT_EQ(Field<QComboBox>("ComboBox1")->count(), 4);
}

TEST_F(EditorTermNames, AnEmptyNameAddsNothing) {
    Open(kModeNew);
    platform.queueInput("");
    Click("BitBtn4");
    EXPECT_EQ(Field<QComboBox>("ComboBox1")->count(), 4);
}

TEST_F(EditorTermNames, KillRemovesOnlyAChosenTerm) {
    Open(kModeEdit, 2);
    auto* box = Field<QComboBox>("ComboBox1");
    Click("BitBtn5");  // shown, not chosen
    EXPECT_EQ(box->count(), 4);

    box->setCurrentIndex(2);
    emit box->activated(2);
    EXPECT_EQ(box->currentText(), "Jubiläum");
    Click("BitBtn5");
    EXPECT_EQ(box->count(), 3);
    EXPECT_EQ(box->findText("Jubiläum"), -1);
    EXPECT_EQ(box->currentText(), "Arzt");
}

TEST_F(EditorTermNames, TypingATermThatIsNotInTheListRemembersNoChoice) {
    Open(kModeNew);
    auto* box = Field<QComboBox>("ComboBox1");
    box->clearEditText();
    QTest::keyClicks(box->lineEdit(), "Feier");
    EXPECT_EQ(editor->LastTermChoice, 255);
    EXPECT_EQ(Text("Memo1"), "1925 Jahre, hat am Donnerstag in 200 Tage(n) Feier.");
}

TEST_F(EditorTermNames, AHundredAndFirstNameIsRefused) {
    for (int i = 0; i < 100; ++i) TermNames[static_cast<std::size_t>(i)] = "Termin " + std::to_string(i);
    Open(kModeNew);
    Click("BitBtn4");  // no input box comes
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_NE(platform.messages[0].text.find("100"), std::string::npos);
    Click("bitbtn2");
    EXPECT_EQ(TermNames[99], "Termin 99");
    EXPECT_EQ(TermNames[100], "");
}
