// The check results dialog: its order, the rows it draws, scrolling with the
// bar and the wheel, which entry a click opens, and the deletion pass of Esc.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "CheckResults.h"
#include "PrufungFrm.h"
#include "SampleFiles.h"
#include "ScriptedPlatform.h"
#include "State.h"
#include "Views.h"

using namespace tmf;
using namespace tmf::test;

namespace {

class ResultsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        platform.install();
        platform.setToday(2024, 6, 15);
        ResetProgramState();
        InstallViews({});
        // Entries "P1".."P12"; P3 and P10 carry the delete flag.
        std::vector<EntrySpec> entries;
        for (int i = 1; i <= 12; ++i)
            entries.push_back({.vorname = "P" + std::to_string(i), .nachname = "N" + std::to_string(i),
                               .loeschen = i == 3 || i == 10});
        LoadIntoState(entries, "14.06.2024");
        // Ten rows as the run leaves them: in the order of the entries.
        const int kinds[] = {FirstWarning, DueToday, DueToday, SecondWarning, PassedOver,
                             FirstWarning, DueToday, SecondWarning, FirstWarning, PassedOver};
        CheckResults = CheckResultsType();
        CheckResults.resize(10);
        CheckResults(0, 0) = Cell(10);
        CheckResults(1, 0) = Cell(3);
        CheckResults(2, 0) = Cell(2);
        CheckResults(3, 0) = Cell(3);
        CheckResults(4, 0) = Cell("/daten/Familie.tmf");
        for (int r = 1; r <= 10; ++r) {
            CheckResults(0, r) = Cell(r);
            CheckResults(1, r) = Cell(kinds[r - 1]);
            CheckResults(2, r) = Cell("Text " + std::to_string(r));
        }
        dialog = std::make_unique<TPrufungF>();
        dialog->openEntryEditor = [this] { opened.push_back(SelectedEntry); };
        dialog->show();
        bar = dialog->findChild<QScrollBar*>("ScrollBar1");
        aus = dialog->findChild<QLabel*>("Aus");
        ASSERT_TRUE(bar && aus);
    }
    void TearDown() override {
        dialog.reset();
        ResetProgramState();
    }
    // The entry whose name a drawn row shows.
    static int EntryOf(const QString& row) { return row.section('|', 1).trimmed().section(' ', 0, 0).mid(1).toInt(); }

    ScriptedPlatform platform;
    std::unique_ptr<TPrufungF> dialog;
    QScrollBar* bar = nullptr;
    QLabel* aus = nullptr;
    std::vector<int> opened;
};

}  // namespace

TEST_F(ResultsDialog, ShowingSortsTheRowsByKindAndDrawsTheFirstSeven) {
    for (int r = 1; r < 10; ++r)
        EXPECT_GE(CheckResults(1, r).asInteger(), CheckResults(1, r + 1).asInteger()) << r;
    const QStringList rows = dialog->ShownRows();
    ASSERT_EQ(rows.size(), TPrufungF::kVisibleRows);
    EXPECT_TRUE(rows[0].startsWith("Übergangen | P")) << rows[0].toStdString();
    EXPECT_TRUE(rows[2].startsWith("Heute Termin | P")) << rows[2].toStdString();
    // Each row names its own entry and its own message.
    for (int k = 0; k < rows.size(); ++k) {
        const int entry = static_cast<int>(CheckResults(0, k + 1).asInteger());
        EXPECT_EQ(rows[k].section('|', 1), QString(" P%1 N%1, Text %1").arg(entry));
    }
    EXPECT_EQ(bar->maximum(), 3);
}

TEST_F(ResultsDialog, AClickAfterScrollingOpensTheEntryOfTheRowUnderTheMouse) {
    bar->setValue(2);
    ASSERT_EQ(dialog->ShownRows().size(), TPrufungF::kVisibleRows);
    EXPECT_EQ(EntryOf(dialog->ShownRows()[0]), CheckResults(0, 3).asInteger());
    QTest::mouseClick(aus, Qt::LeftButton, {}, QPoint(200, TPrufungF::kRowHeight * 4 + 5));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], CheckResults(0, 7).asInteger());
    EXPECT_EQ(EditorMode, kModeCheck);
    // Below the last drawn row nothing opens.
    QTest::mouseClick(aus, Qt::LeftButton, {}, QPoint(200, TPrufungF::kRowHeight * 7 + 2));
    EXPECT_EQ(opened.size(), 1u);
}

TEST_F(ResultsDialog, TheWheelOverTheListScrollsIt) {
    const QPoint at(100, 40);
    QWheelEvent down(at, aus->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(aus, &down);
    EXPECT_GT(bar->value(), 0);
    EXPECT_EQ(EntryOf(dialog->ShownRows()[0]), CheckResults(0, bar->value() + 1).asInteger());
    QWheelEvent up(at, aus->mapToGlobal(at), {}, {0, 360}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(aus, &up);
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(ResultsDialog, EscRunsTheDeletionPassLikeTheButton) {
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    // P3 is due today and flagged; P10 is passed over and flagged.
    EXPECT_EQ(platform.messageTexts(),
              (std::vector<std::string>{"P10 N10 , wird nun gelöscht !", "P3 N3 , wird nun gelöscht !"}));
    EXPECT_EQ(EntryCount, 10);
    EXPECT_EQ(Modified, 1);
}
