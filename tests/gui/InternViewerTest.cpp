// The internal variables viewer: its four lists of the raw state and the
// hand edit of a header field.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "InternFrm.h"
#include "SampleFiles.h"
#include "ScriptedPlatform.h"
#include "State.h"

using namespace tmf;
using namespace tmf::test;

namespace {

class InternViewer : public ::testing::Test {
protected:
    void SetUp() override {
        platform.install();
        ResetProgramState();
    }
    void TearDown() override { ResetProgramState(); }

    QStringList Lines(const char* list) {
        QStringList out;
        auto* w = viewer.findChild<QListWidget*>(list);
        for (int i = 0; i < w->count(); ++i) out << w->item(i)->text();
        return out;
    }
    // What the window sees when the user goes to another window and back.
    void Reactivate() {
        QEvent off(QEvent::WindowDeactivate);
        QApplication::sendEvent(&viewer, &off);
        QEvent on(QEvent::WindowActivate);
        QApplication::sendEvent(&viewer, &on);
    }

    ScriptedPlatform platform;
    TInternF viewer;
};

}  // namespace

TEST_F(InternViewer, TheVersionLabelNamesTheCompleteVersion) {
    EXPECT_EQ(viewer.findChild<QLabel*>("Label4")->text(), "Version Komplett  2.27");
}

TEST_F(InternViewer, HeaderAndFieldListsGoRowByRowAndFieldByField) {
    LoadIntoState({{"Anna", "Ober", "07.12.1980", "Geburtstag"}, {"Max", "Zeh", "12.12.1975", "Namenstag"}},
                  "06.12.2026");
    viewer.show();
    const QStringList header = Lines("ListBox0");
    ASSERT_EQ(header.size(), 11);
    EXPECT_EQ(header[0], "0,0  2");
    EXPECT_EQ(header[3], "3,0  2.27");
    EXPECT_EQ(header[10], "10,0  06.12.2026");

    const QStringList all = Lines("ListBox1");
    ASSERT_EQ(all.size(), 33);
    EXPECT_EQ(all.mid(0, 11), header);
    EXPECT_EQ(all[11], "0,1  Anna");
    EXPECT_EQ(all[12], "1,1  Ober");
    EXPECT_EQ(all[13], "2,1  07.12.1980");
    EXPECT_EQ(all[21], "10,1  Geburtstag");
    EXPECT_EQ(all[22], "0,2  Max");
    EXPECT_EQ(all[32], "10,2  Namenstag");
}

TEST_F(InternViewer, WithNoEntriesTheFieldListHoldsTheHeaderOnly) {
    viewer.show();
    EXPECT_EQ(Lines("ListBox1").size(), 11);
}

TEST_F(InternViewer, CheckListLinesAreNumberedFromMinusTwentyAndTermNamesFromZero) {
    SettingsLines(CheckDaily) = "1";
    CurrentFile() = "/daten/Termif98.tmf";
    CheckList(100) = "/daten/Letzte.tmf";
    TermNames[0] = "Geburtstag";
    TermNames[100] = "Ende";
    viewer.show();
    const QStringList lines = Lines("ListBox2");
    ASSERT_EQ(lines.size(), 121);
    EXPECT_EQ(lines[0], "-20. ");
    EXPECT_EQ(lines[12], "-8. 1");
    EXPECT_EQ(lines[20], "0. /daten/Termif98.tmf");
    EXPECT_EQ(lines[120], "100. /daten/Letzte.tmf");
    const QStringList terms = Lines("ListBox3");
    ASSERT_EQ(terms.size(), 101);
    EXPECT_EQ(terms[0], "0. Geburtstag");
    EXPECT_EQ(terms[1], "1. ");
    EXPECT_EQ(terms[100], "100. Ende");
}

TEST_F(InternViewer, AValueOfTwoLinesIsListedWithItsFirstLine) {
    EntrySpec e{"Anna", "Ober"};
    e.adresse = "Hauptstr. 1\r\n12345 Ort";
    LoadIntoState({e});
    viewer.show();
    EXPECT_EQ(Lines("ListBox1")[11 + Adresse], "8,1  Hauptstr. 1");
}

TEST_F(InternViewer, EveryShowingAndEveryReactivationRefillsTheLists) {
    viewer.show();
    EXPECT_EQ(Lines("ListBox1").size(), 11);
    viewer.close();
    LoadIntoState({{"Anna", "Ober"}});
    viewer.show();
    EXPECT_EQ(Lines("ListBox1").size(), 22);
    LoadIntoState({{"Anna", "Ober"}, {"Max", "Zeh"}});
    Reactivate();
    EXPECT_EQ(Lines("ListBox1").size(), 33);
}

TEST_F(InternViewer, ClickingAHeaderLineEditsTheFieldFromItsFirstTwelveCharacters) {
    LoadIntoState({});
    EntryTable(HeaderVersion, 0) = Cell("2.27 mit Zusätzen");
    viewer.show();
    auto* list = viewer.findChild<QListWidget*>("ListBox0");
    platform.queueInput("2.27 mit Zus");  // confirmed unchanged (or cancelled)
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(HeaderVersion)).center());
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "Wert ändern|Ändere den Wert, aber sei vorsichtig.|2.27 mit Zus");
    EXPECT_EQ(EntryTable(HeaderVersion, 0).asText(), "2.27 mit Zus");
    EXPECT_EQ(Modified, 0);

    // A number field takes the typed text as text.
    platform.queueInput("5");
    viewer.ListBox0Click(HeaderSortChoice);
    EXPECT_TRUE(EntryTable(HeaderSortChoice, 0).isText());
    EXPECT_EQ(EntryTable(HeaderSortChoice, 0).asInteger(), 5);

    // The list shows the edits only once the window is active again.
    EXPECT_EQ(Lines("ListBox0")[HeaderVersion], "3,0  2.27 mit Zusätzen");
    Reactivate();
    EXPECT_EQ(Lines("ListBox0")[HeaderVersion], "3,0  2.27 mit Zus");
    EXPECT_EQ(Lines("ListBox0")[HeaderSortChoice], "2,0  5");
}

TEST_F(InternViewer, CloseOnlyHidesTheWindow) {
    viewer.show();
    viewer.findChild<QPushButton*>("Button1")->click();
    EXPECT_FALSE(viewer.isVisible());
    EXPECT_FALSE(viewer.testAttribute(Qt::WA_DeleteOnClose));
}
