// The printing dialog: its list lines, and the printed page layout on a
// recording canvas (letters 10 wide, lines 20 high, so w = 10 and h = 20).
#include <QTest>

#include "PrintingTestSupport.h"

using namespace tmf;
using namespace tmf::test;

namespace {

constexpr int kW = 10;
constexpr int kH = 20;

}  // namespace

// --- the list of lines -------------------------------------------------

TEST_F(PrintingTest, ListLinesRightAlignTheRowNumberAndLineUpTermNameAndValue) {
    auto entries = GenerateEntries(1234, 3);
    entries[6] = {"Jürgen", "Müller", "24.12.1970", "Geburtstag"};
    Fill(entries);
    ASSERT_EQ(List().count(), 1234);
    const QString seventh = List().item(6)->text();
    EXPECT_TRUE(seventh.startsWith("   7. Jürgen Müller ")) << seventh.toStdString();
    EXPECT_EQ(seventh.mid(58, 10), "Geburtstag");
    EXPECT_EQ(seventh.mid(72), "24.12.1970");
    EXPECT_EQ(seventh.size(), 82);
    EXPECT_TRUE(List().item(1233)->text().startsWith("1234. "));
    EXPECT_EQ(List().item(0)->checkState(), Qt::Unchecked);
}

TEST_F(PrintingTest, LongNamesPushTheTermNameRightWithoutCuttingAnything) {
    const std::string first(30, 'V');
    const std::string last(30, 'N');
    Fill({{first, last, "01.02.2003", "Jubiläum"}});
    EXPECT_EQ(List().item(0)->text().toStdString(),
              "   1. " + first + " " + last + "Jubiläum" + "01.02.2003");
}

TEST_F(PrintingTest, TicksDoNotSurviveAnotherShowing) {
    Fill(Numbered(3));
    TickAll();
    EXPECT_EQ(dialog.TickedRows(), (std::vector<int>{1, 2, 3}));
    dialog.findChild<QPushButton*>("BitBtn2")->click();
    EXPECT_TRUE(dialog.TickedRows().empty());
    TickAll();
    dialog.findChild<QPushButton*>("BitBtn3")->click();  // "Abbrechen"
    EXPECT_FALSE(dialog.isVisible());
    dialog.show();
    EXPECT_TRUE(dialog.TickedRows().empty());
}

// --- the printed pages -----------------------------------------------

TEST_F(PrintingTest, TheHeaderNamesFileDateAndTimeAndTheColumnsStandAtMultiplesOfTheLetterWidth) {
    Fill({{"Anna", "Ober", "07.12.1980", "Geburtstag"}});
    TickAll();
    const RecordingCanvas c = PrintIt();
    ASSERT_EQ(c.texts.size(), 6u);
    EXPECT_EQ(c.texts[0].text, "/home/anna/daten/Familie.tmf - vom 07.12.2026 um 09:05");
    EXPECT_EQ(c.texts[0].x, 200);
    EXPECT_EQ(c.texts[0].y, 0);
    const std::vector<std::pair<int, std::string>> row = {{200 + kW, "1."},
                                                          {200 + 7 * kW, "Anna"},
                                                          {200 + 35 * kW, "Ober"},
                                                          {200 + 65 * kW, "Geburtstag"},
                                                          {200 + 85 * kW, "07.12.1980"}};
    for (std::size_t i = 0; i < row.size(); ++i) {
        EXPECT_EQ(c.texts[i + 1].x, row[i].first);
        EXPECT_EQ(c.texts[i + 1].text, row[i].second);
        EXPECT_EQ(c.texts[i + 1].y, 2 * kH);  // line 1 stays empty under the header
    }
    EXPECT_EQ(c.pages, 1);
    EXPECT_TRUE(c.ended);
}

TEST_F(PrintingTest, SeventyEntriesFillPageOneToLineSixtyAndPageTwoToLineEleven) {
    Fill(Numbered(70));
    TickAll();
    const RecordingCanvas c = PrintIt();
    EXPECT_EQ(c.pages, 2);
    const auto page1 = c.column(0, 200 + kW);
    const auto page2 = c.column(1, 200 + kW);
    ASSERT_EQ(page1.size(), 59u);
    ASSERT_EQ(page2.size(), 11u);
    EXPECT_EQ(page1.front().y, 2 * kH);
    EXPECT_EQ(page1.back().y, 60 * kH);
    EXPECT_EQ(page1.back().text, "59.");
    EXPECT_EQ(page2.front().y, 1 * kH);  // no header on later pages
    EXPECT_EQ(page2.front().text, "60.");
    EXPECT_EQ(page2.back().y, 11 * kH);
    EXPECT_TRUE(c.column(1, 200).empty());
}

TEST_F(PrintingTest, TwentyFiveEntriesWithContactsEndPageOneAfterTheEntryReachingLineSixtyOne) {
    Fill(Numbered(25));
    TickAll();
    WithContacts();
    const RecordingCanvas c = PrintIt();
    EXPECT_EQ(c.pages, 2);
    const auto numbers1 = c.column(0, 200 + kW);
    ASSERT_EQ(numbers1.size(), 20u);
    const auto contacts1 = c.column(0, 200 + 7 * kW);  // first names and both contact lines
    EXPECT_EQ(contacts1.back().y, 61 * kH);
    const auto numbers2 = c.column(1, 200 + kW);
    ASSERT_EQ(numbers2.size(), 5u);
    EXPECT_EQ(numbers2.front().y, 1 * kH);
    EXPECT_EQ(numbers2.front().text, "21.");
}

TEST_F(PrintingTest, ContactLinesPrintTheAddressOnOneLineAndOnlyTheTelFaxMailLinesThereAre) {
    EntrySpec twoLines{"Anna", "Ober"};
    twoLines.adresse = "Hauptstr. 1\r\n12345 Ort";
    twoLines.telFaxMail = "0611 123\r\n0611 124";
    EntrySpec phoneOnly{"Max", "Zeh"};
    phoneOnly.telFaxMail = "089 77";
    EntrySpec all{"Eva", "Adam"};
    all.telFaxMail = "1\r\n2\r\neva@example.com";
    Fill({twoLines, phoneOnly, all, {"Otto", "Leer"}});
    TickAll();
    WithContacts();
    const RecordingCanvas c = PrintIt();
    std::vector<std::string> lines;
    for (const auto& t : c.column(0, 200 + 7 * kW)) lines.push_back(t.text);
    EXPECT_EQ(lines, (std::vector<std::string>{"Anna", "Hauptstr. 1    12345 Ort",
                                               "TEL.: 0611 123  FAX: 0611 124  MAIL: ",              //
                                               "Max", "", "TEL.: 089 77  FAX:   MAIL: ",             //
                                               "Eva", "", "TEL.: 1  FAX: 2  MAIL: eva@example.com",  //
                                               "Otto", "", "TEL.:   FAX:   MAIL: "}));
}

TEST_F(PrintingTest, OnlyTickedEntriesArePrintedInTheOrderOfTheList) {
    Fill(Numbered(5));
    List().item(3)->setCheckState(Qt::Checked);
    List().item(1)->setCheckState(Qt::Checked);
    const RecordingCanvas c = PrintIt();
    const auto names = c.column(0, 200 + 7 * kW);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0].text, "Vor2");
    EXPECT_EQ(names[1].text, "Vor4");
    EXPECT_EQ(names[1].y, 3 * kH);
}

TEST_F(PrintingTest, NothingTickedPrintsOnePageWithTheHeaderOnly) {
    Fill(Numbered(5));
    const RecordingCanvas c = PrintIt();
    EXPECT_EQ(c.pages, 1);
    ASSERT_EQ(c.texts.size(), 1u);
    EXPECT_EQ(c.texts[0].y, 0);
}

TEST_F(PrintingTest, AListThatFillsItsLastPageExactlyLeavesNoBlankPage) {
    Fill(Numbered(59 + 60));
    TickAll();
    const RecordingCanvas c = PrintIt();
    EXPECT_EQ(c.pages, 2);
    EXPECT_EQ(c.column(1, 200 + kW).back().y, 60 * kH);
}

TEST_F(PrintingTest, AListShownBeforeTheMainListShrankPrintsOnlyEntriesStillListed) {
    Fill(Numbered(5));
    TickAll();
    LoadIntoState(Numbered(2));
    FillGrid();
    const RecordingCanvas c = PrintIt();
    EXPECT_EQ(c.column(0, 200 + kW).size(), 2u);
}
