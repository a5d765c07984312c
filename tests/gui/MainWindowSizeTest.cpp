// The main window can be enlarged: the grid takes the room, the controls
// keep their places against the edges, and the size comes back next time.
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTableView>
#include <algorithm>
#include <map>
#include <vector>

#include "ProgramFixture.h"

using namespace tmf;

namespace {

QSettings ProgramSettings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, "Termifolio98", "Termifolio98");
}

}  // namespace

class MainWindowSize : public test::ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ProgramSettings().remove("MainWindow");
    }
    void TearDown() override {
        ProgramSettings().remove("MainWindow");
        ProgramTest::TearDown();
    }
    void StartWithFamily() {
        const std::string current = data + "Familie.tmf";
        test::WriteAppointmentFileBytes(current, test::AppointmentFileBytes(test::FamilyFile(), "07.12.2026"));
        WriteCheckList({current}, /*atStart=*/false);
        SetProgramEnding(false);  // a run before in the same test has ended
        ASSERT_TRUE(Start());
        main = program->GebF.get();
    }
    QRect Geometry(const char* name) { return main->findChild<QWidget*>(name)->geometry(); }
    TGebF* main = nullptr;
};

TEST_F(MainWindowSize, OpensAtItsFormSizeWhichIsAlsoItsSmallest) {
    StartWithFamily();
    EXPECT_EQ(main->size(), QSize(594, 376));
    EXPECT_EQ(main->minimumSize(), QSize(594, 376));
    main->resize(300, 200);
    EXPECT_EQ(main->size(), QSize(594, 376));
}

TEST_F(MainWindowSize, EnlargedTheGridTakesTheRoomAndControlsKeepToTheirEdges) {
    StartWithFamily();
    const char* names[] = {"Panel2", "BitBtn2", "BitBtn11", "Panel3", "SG", "StatusBar1", "StatusPanel0",
                           "StatusPanel2", "Panel5", "Panel1", "BitBtn8", "ComboBox1", "Ende", "GroupBox1"};
    std::map<std::string, QRect> before;
    for (const char* n : names) before[n] = Geometry(n);
    auto* grid = main->findChild<QTableView*>("SG");
    const auto columnWidths = [grid] {
        std::vector<int> widths;
        for (int c = 0; c < grid->model()->columnCount(); ++c) widths.push_back(grid->columnWidth(c));
        return widths;
    };
    const std::vector<int> formWidths = {40, 180, 180, 100, 70};
    EXPECT_EQ(columnWidths(), formWidths);
    const int dw = 206, dh = 131;
    main->resize(594 + dw, 376 + dh);
    // The text columns share the new room in proportion; the numbers keep theirs.
    EXPECT_EQ(columnWidths(), (std::vector<int>{40, 180 + 69, 180 + 69, 100 + 38, 70 + 30}));
    // {name, moves right, moves down, grows wider, grows taller}
    const struct {
        const char* name;
        bool right, down, wider, taller;
    } expected[] = {
        {"Panel2", false, false, true, false},      {"BitBtn2", false, false, false, false},
        {"BitBtn11", true, false, false, false},    {"Panel3", false, false, true, false},
        {"SG", false, false, true, true},           {"StatusBar1", false, true, true, false},
        {"StatusPanel0", false, false, true, false}, {"StatusPanel2", true, false, false, false},
        {"Panel5", true, true, false, false},       {"Panel1", false, true, true, false},
        {"BitBtn8", false, false, false, false},    {"ComboBox1", false, false, false, false},
        {"Ende", true, false, false, false},        {"GroupBox1", false, true, false, false},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(e.name);
        const QRect was = before[e.name];
        const QRect now = Geometry(e.name);
        EXPECT_EQ(now.x(), was.x() + (e.right ? dw : 0));
        EXPECT_EQ(now.y(), was.y() + (e.down ? dh : 0));
        EXPECT_EQ(now.width(), was.width() + (e.wider ? dw : 0));
        EXPECT_EQ(now.height(), was.height() + (e.taller ? dh : 0));
    }
    main->resize(594, 376);
    for (const char* n : names) EXPECT_EQ(Geometry(n), before[n]) << n;
    EXPECT_EQ(columnWidths(), formWidths);
}

TEST_F(MainWindowSize, TheSizeIsRememberedInTheProgramsSettingsNotInTheListFile) {
    StartWithFamily();
    main->resize(700, 450);
    ASSERT_TRUE(main->EndProgram());
    EXPECT_EQ(ProgramSettings().value("MainWindow/size").toSize(), QSize(700, 450));
    const std::string list = dir.read("daten/Liste.dat");
    EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), kListLineCount);
    program.reset();

    StartWithFamily();
    EXPECT_EQ(main->size(), QSize(700, 450));
    EXPECT_EQ(main->minimumSize(), QSize(594, 376));
}

TEST_F(MainWindowSize, ARememberedSizeIsKeptWithinTheScreenAndAboveTheFormSize) {
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    for (const QSize remembered : {QSize(screen.width() + 500, screen.height() + 400), QSize(100, 80)}) {
        ProgramSettings().setValue("MainWindow/size", remembered);
        StartWithFamily();
        EXPECT_LE(main->width(), std::max(594, screen.width()));
        EXPECT_LE(main->height(), std::max(376, screen.height()));
        EXPECT_GE(main->width(), 594);
        EXPECT_GE(main->height(), 376);
        // Centred with offsets, an enlarged window keeps its corner on the screen.
        EXPECT_GE(main->pos().x(), 0);
        EXPECT_GE(main->pos().y(), 0);
        program.reset();
    }
}

TEST_F(MainWindowSize, OnlyASizeTheUserMadeReplacesTheRememberedOne) {
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    const QSize large(screen.width() + 500, screen.height() + 400);
    // {remembered, what the user does, remembered afterwards}
    const struct {
        QSize remembered, userSize, after;
    } runs[] = {
        {large, {}, large},                         // fitted to this screen: not the user's choice
        {QSize(700, 450), {}, QSize(700, 450)},     // opened as remembered, left alone
        {large, QSize(640, 400), QSize(640, 400)},  // made by the user
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.userSize.width());
        ProgramSettings().setValue("MainWindow/size", run.remembered);
        StartWithFamily();
        if (run.userSize.isValid()) main->resize(run.userSize);
        ASSERT_TRUE(main->EndProgram());
        EXPECT_EQ(ProgramSettings().value("MainWindow/size").toSize(), run.after);
        program.reset();
    }
}
