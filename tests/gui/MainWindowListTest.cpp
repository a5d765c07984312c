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

namespace {

// Runs something at the first progress report, as a key typed while a long
// operation lets the window's messages through, and passes the reports on.
struct AtFirstProgress : ProgressSink {
    std::function<void()> then;
    ProgressSink* next = ThePlatform().progress;
    void ShowProgress(const std::string& text, float position, float total) override {
        if (then) std::exchange(then, nullptr)();
        next->ShowProgress(text, position, total);
    }
};

}  // namespace

class MainList : public test::MainWindow {
protected:
    QComboBox* Box(const char* name) { return main->findChild<QComboBox*>(name); }
    // Output list, sort list, title of the value column.
    std::tuple<int, int, std::string> Lists() {
        return {Box("ComboBox1")->currentIndex(), Box("ComboBox2")->currentIndex(),
                sg->model()->headerData(4, Qt::Horizontal).toString().toStdString()};
    }
    std::vector<std::string> Column(int column) {
        std::vector<std::string> texts;
        for (int r = 0; r < sg->model()->rowCount(); ++r)
            texts.push_back(sg->model()->index(r, column).data().toString().toStdString());
        return texts;
    }
};

TEST_F(MainList, AManualCheckKeepsTheChoicesShownAndStoresThemInTheFile) {
    StartWith(test::FamilyFile());  // stored: "Termin", "Keine"
    test::ResultsAnswerer answerer;
    Box("ComboBox1")->setCurrentIndex(3);  // "Resttage"
    Box("ComboBox2")->setCurrentIndex(5);  // "Termin": the next anniversary first
    main->BitBtn6Click();
    ASSERT_EQ(answerer.captions.size(), 1u);
    EXPECT_EQ(Lists(), std::make_tuple(3, 5, std::string("Resttage")));
    // Anna (due today, flagged) is gone; the rest by days remaining.
    EXPECT_EQ(Column(1), (std::vector<std::string>{"Max", "Otto", "Eva"}));
    EXPECT_EQ(Column(4), (std::vector<std::string>{"5", "103", "361"}));
    EXPECT_EQ(ReadBack(current).rows[0][HeaderSortChoice].asText(), "5");  // the next start shows it
}

TEST_F(MainList, AfterEveryLoadTheListsTheTitleAndTheValuesAgree) {
    StartWith(test::FamilyFile());
    const std::vector<EntrySpec> unsorted = {{"Eva", "Zeh", "10.12.1990"}, {"Udo", "Adam", "20.12.1980"},
                                             {"Ina", "Moos", "08.12.1970"}};
    // {file, its output and sort choices (none: a new file), title, last names, values}
    const struct {
        const char* name;
        int output, sort;
        const char* title;
        std::vector<std::string> names, values;
    } loads[] = {
        {"Andere.tmf", 3, 2, "Resttage", {"Adam", "Moos", "Zeh"}, {"13", "1", "3"}},
        {"Dritte.tmf", 1, 0, "Jahre", {"Zeh", "Adam", "Moos"}, {"35", "45", "55"}},
        {"Neu.tmf", 1, 0, "Jahre", {}, {}},  // keeps the lists' choices
    };
    for (const auto& load : loads) {
        SCOPED_TRACE(load.name);
        const std::string path = data + load.name;
        if (load.names.size())
            test::WriteAppointmentFileBytes(path, test::AppointmentFileBytes(unsorted, "07.12.2026", load.output, load.sort));
        platform.queueFile(path);
        main->BitBtn12Click();
        EXPECT_EQ(Lists(), std::make_tuple(load.output, load.sort, std::string(load.title)));
        EXPECT_EQ(Column(2), load.names);
        EXPECT_EQ(Column(4), load.values);
        EXPECT_EQ(ReadBack(path).rows[0][HeaderOutputChoice].asInteger(), load.output);
    }
}

TEST_F(MainList, AfterADeletionEveryRowShownIsOneTheSearchFound) {
    std::vector<EntrySpec> people;
    for (int i = 0; i < 30; ++i) people.push_back({"Hans", i % 3 == 0 ? "Meier" : "Schulz"});
    StartWith(people);
    search->setText("meier");
    SelectGridRow(4);  // the second Meier
    platform.queueAnswer(Answer::Yes);
    main->Lschen1Click();
    ASSERT_EQ(EntryCount, 29);
    EXPECT_EQ(label->text(), "9 gefunden");
    std::vector<std::string> shown;
    for (int r = 0; r < sg->model()->rowCount(); ++r)
        if (!sg->isRowHidden(r)) shown.push_back(Column(2)[static_cast<std::size_t>(r)]);
    EXPECT_EQ(shown, std::vector<std::string>(9, "Meier"));
}

TEST_F(MainList, ASearchTypedOnWhileOneRunsCountsOnlyTheRowsItShows) {
    std::vector<EntrySpec> people;
    for (int i = 0; i < 40; ++i) people.push_back({"Max", i % 4 == 0 ? "Meier" : "Schulz"});
    StartWith(people);
    AtFirstProgress typing;  // the next letters come while the first is searched for
    typing.then = [this] { search->setText("meier"); };
    ThePlatform().progress = &typing;
    search->setText("m");
    ThePlatform().progress = typing.next;
    EXPECT_EQ(VisibleRows(), 10);
    EXPECT_EQ(label->text(), "10 gefunden");
    EXPECT_EQ(main->findChild<QProgressBar*>("Prozent")->value(), 100);
}

TEST_F(MainList, ASortChosenWithTheArrowKeysLeavesTheFocusInItsList) {
    StartWith(test::FamilyFile());
    qt::QtDesktop desktop;  // the sort disables the window, as in the program
    desktop.setMainWindow(main);
    ThePlatform().desktop = &desktop;
    QApplication::setActiveWindow(main);
    Box("ComboBox2")->setFocus();
    QTest::keyClick(Box("ComboBox2"), Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), Box("ComboBox2"));
    ThePlatform().desktop = &platform;
}

TEST_F(MainList, TestEntriesNeverFallInTheYearThatStandsForNoYear) {
    StartWith({});
    int yearless = 0;  // one year in 2000: 30,000 dates would find it
    for (int click = 0; click < 300; ++click) {
        main->Button2Click();
        for (int r = 1; r <= EntryCount; ++r) yearless += IsYearless(*ParseDate(EntryTable(TerminAm, r).asText()));
        EntryCount = 0;
        ResizeEntryTable(0);
    }
    EXPECT_EQ(yearless, 0);
}
