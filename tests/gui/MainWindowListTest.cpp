// What the main list shows after the commands that change it: the lists of
// choices agree with the grid, a search stays applied to the rows it found,
// the keyboard keeps its place, and the test data stays within real years.
#include <QComboBox>
#include <QProgressBar>
#include <QTest>
#include <functional>
#include <utility>

#include "Dates.h"
#include "MainWindowFixture.h"
#include "QtDesktop.h"

using namespace tmf;
using test::EntrySpec;
using test::MainWindow;

namespace {

struct Shown {
    int output, sort;
    std::string title;
};

// Puts a port in place for one test and the old one back, also when the
// test stops early.
template <typename Port>
class PortFor {
public:
    PortFor(Port*& slot, Port* port) : slot_(slot), old_(slot) { slot_ = port; }
    ~PortFor() { slot_ = old_; }

private:
    Port*& slot_;
    Port* old_;
};

// Runs something at the first progress report, as a key typed while a long
// operation lets the window's messages through.
struct AtFirstProgress : ProgressSink {
    std::function<void()> then;
    ProgressSink* shown = ThePlatform().progress;  // where the reports go on to
    void ShowProgress(const std::string& text, float position, float total) override {
        if (then) std::exchange(then, nullptr)();
        shown->ShowProgress(text, position, total);
    }
};

}  // namespace

class MainList : public MainWindow {
protected:
    QComboBox* Output() { return main->findChild<QComboBox*>("ComboBox1"); }
    QComboBox* Sort() { return main->findChild<QComboBox*>("ComboBox2"); }
    Shown Lists() { return {Output()->currentIndex(), Sort()->currentIndex(), sg->model()->headerData(4, Qt::Horizontal).toString().toStdString()}; }
    std::vector<std::string> Column(int column) {
        std::vector<std::string> texts;
        for (int r = 0; r < sg->model()->rowCount(); ++r)
            texts.push_back(sg->model()->index(r, column).data().toString().toStdString());
        return texts;
    }
    std::vector<EntrySpec> Unsorted() {
        return {{"Eva", "Zeh", "10.12.1990"}, {"Udo", "Adam", "20.12.1980"}, {"Ina", "Moos", "08.12.1970"}};
    }
};

TEST_F(MainList, AManualCheckKeepsTheChoicesShownThroughTheCheckAndTheExit) {
    StartWith(test::FamilyFile());  // stored: "Termin", "Keine"
    test::ResultsAnswerer answerer;
    Output()->setCurrentIndex(3);  // "Resttage"
    Sort()->setCurrentIndex(5);    // "Termin": the next anniversary first
    main->BitBtn6Click();
    ASSERT_EQ(answerer.captions.size(), 1u);

    EXPECT_EQ(EntryTable(HeaderOutputChoice, 0).asText(), "3");
    EXPECT_EQ(EntryTable(HeaderSortChoice, 0).asText(), "5");
    const Shown shown = Lists();
    EXPECT_EQ(shown.output, 3);
    EXPECT_EQ(shown.sort, 5);
    EXPECT_EQ(shown.title, "Resttage");
    // Anna (due today, flagged) is gone; the rest by days remaining.
    EXPECT_EQ(Column(1), (std::vector<std::string>{"Max", "Otto", "Eva"}));
    EXPECT_EQ(Column(4), (std::vector<std::string>{"5", "103", "361"}));
    // The check's header write took them to the file, and so does the exit.
    EXPECT_EQ(ReadBack(current).rows[0][HeaderSortChoice].asText(), "5");
    platform.queueAnswer(Answer::No);  // the check's changes are not saved
    ASSERT_TRUE(main->EndProgram());
    program.reset();
    SetProgramEnding(false);
    ASSERT_TRUE(Start());
    main = program->GebF.get();
    sg = main->findChild<QTableView*>("SG");
    EXPECT_EQ(Lists().output, 3);
    EXPECT_EQ(Lists().sort, 5);
}

TEST_F(MainList, AfterEveryLoadTheListsTheTitleAndTheValuesAgree) {
    StartWith(test::FamilyFile());
    const struct {
        const char* name;
        int output, sort;
        bool exists;
        const char* title;
        std::vector<std::string> lastNames;
    } loads[] = {
        {"Andere.tmf", 3, 2, true, "Resttage", {"Adam", "Moos", "Zeh"}},  // its own choices, sorted by them
        {"Dritte.tmf", 1, 0, true, "Jahre", {"Zeh", "Adam", "Moos"}},     // "Keine": the file's order
        {"Neu.tmf", -1, -1, false, "Jahre", {}},                           // a new file keeps the lists' choices
    };
    for (const auto& load : loads) {
        SCOPED_TRACE(load.name);
        const std::string path = data + load.name;
        if (load.exists)
            test::WriteAppointmentFileBytes(path, test::AppointmentFileBytes(Unsorted(), "07.12.2026", load.output, load.sort));
        platform.queueFile(path);
        main->BitBtn12Click();
        ASSERT_EQ(CurrentFile(), path);
        const Shown shown = Lists();
        EXPECT_EQ(shown.title, load.title);
        EXPECT_EQ(Column(2), load.lastNames);
        EXPECT_EQ(EntryTable(HeaderOutputChoice, 0).asInteger(), shown.output);
        EXPECT_EQ(EntryTable(HeaderSortChoice, 0).asInteger(), shown.sort);
        if (load.exists) {
            EXPECT_EQ(shown.output, load.output);
            EXPECT_EQ(shown.sort, load.sort);
        } else {
            EXPECT_EQ(ReadBack(path).rows[0][HeaderOutputChoice].asInteger(), shown.output);
        }
    }
    // Ages, not dates, under the title "Jahre".
    platform.queueFile(data + "Dritte.tmf");
    main->BitBtn12Click();
    EXPECT_EQ(Column(4), (std::vector<std::string>{"35", "45", "55"}));
}

TEST_F(MainList, AfterADeletionEveryRowShownIsOneTheSearchFound) {
    std::vector<EntrySpec> people;
    for (int i = 0; i < 30; ++i) people.push_back({"Hans" + std::to_string(i), i % 3 == 0 ? "Meier" : "Schulz"});
    StartWith(people);
    search->setText("meier");
    ASSERT_EQ(VisibleRows(), 10);
    SelectGridRow(4);  // the second Meier
    platform.queueAnswer(Answer::Yes);
    main->Lschen1Click();
    ASSERT_EQ(EntryCount, 29);
    EXPECT_EQ(VisibleRows(), 9);
    EXPECT_EQ(label->text(), "9 gefunden");
    for (int r = 0; r < sg->model()->rowCount(); ++r) {
        if (!sg->isRowHidden(r)) {
            EXPECT_EQ(sg->model()->index(r, 2).data().toString(), "Meier") << r;
        }
    }
    // Nothing hidden stays selected for the next "Löschen".
    const int selected = main->SelectedRow();
    EXPECT_TRUE(selected == 0 || !sg->isRowHidden(selected - 1));
}

TEST_F(MainList, ASearchTypedOnWhileOneRunsCountsOnlyTheRowsItShows) {
    std::vector<EntrySpec> people;
    for (int i = 0; i < 40; ++i) people.push_back({"Max", i % 4 == 0 ? "Meier" : "Schulz"});
    StartWith(people);
    // The next letters arrive while the first one is being searched for.
    AtFirstProgress typing;
    typing.then = [this] { search->setText("meier"); };
    const PortFor<ProgressSink> progress(ThePlatform().progress, &typing);
    search->setText("m");
    EXPECT_EQ(VisibleRows(), 10);
    EXPECT_EQ(label->text(), "10 gefunden");
    EXPECT_EQ(main->findChild<QProgressBar*>("Prozent")->value(), 100);
    EXPECT_EQ(main->findChild<QLabel*>("ProzentText")->text().toStdString(), "Fertig");
}

TEST_F(MainList, ASortChosenWithTheArrowKeysLeavesTheFocusInItsList) {
    StartWith(test::FamilyFile());
    qt::QtDesktop desktop;  // the sort disables the window as the program's does
    desktop.setMainWindow(main);
    const PortFor<Desktop> port(ThePlatform().desktop, &desktop);
    QApplication::setActiveWindow(main);
    Sort()->setFocus();
    ASSERT_TRUE(Sort()->hasFocus());
    QTest::keyClick(Sort(), Qt::Key_Down);
    EXPECT_EQ(Sort()->currentIndex(), 1);
    EXPECT_EQ(QApplication::focusWidget(), Sort());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(Sort()->currentIndex(), 2);
}

TEST_F(MainList, TestEntriesNeverFallInTheYearThatStandsForNoYear) {
    StartWith({});
    // One year in 2000 is drawn: thirty thousand dates find it if it can be drawn.
    int years101 = 0;
    for (int click = 0; click < 300; ++click) {
        main->Button2Click();
        for (int r = 1; r <= EntryCount; ++r) {
            const auto date = ParseDate(EntryTable(TerminAm, r).asText());
            ASSERT_TRUE(date) << EntryTable(TerminAm, r).asText();
            years101 += IsYearless(*date) ? 1 : 0;
        }
        EntryCount = 0;
        ResizeEntryTable(0);
    }
    EXPECT_EQ(years101, 0);
}
