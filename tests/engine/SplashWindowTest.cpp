// The splash window: it runs the start-up decision once when it comes up,
// then either closes after a few quick ticks or, in the background mode,
// counts down on its button and ends the program.
#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "CheckListEdit.h"
#include "EngineFixture.h"
#include "ListFiles.h"
#include "StartFrm.h"

using namespace tmf;
using namespace tmf::test;

class SplashWindow : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        ResetSettings();
        file = MakeFile("Start.tmf",
                        {{.vorname = "Immer", .termin = "01.01.1990", .warnung1 = -1, .warnung2 = 400}},
                        "14.06.2024");
        CurrentFile() = file;
        SettingsLines(CountdownSeconds) = "3";
        InstallViews({&main, &startF, &results});
    }
    QPushButton* button() { return startF.findChild<QPushButton*>("BitBtn1"); }
    QString buttonText() { return button()->text(); }
    bool accepted() const { return startF.result() == QDialog::Accepted; }

    TStartF startF;
    std::string file;
};

TEST_F(SplashWindow, BackgroundCountdownShowsTheSecondsLeftThenEndsTheProgram) {
    SettingsLines(CheckInBackground) = "1";
    startF.FormActivate();

    EXPECT_EQ(startF.findChild<QLabel*>("Panel1")->text(), "Start.tmf");
    EXPECT_EQ(ReadOnDisk(file).lastCheck(), "15.06.2024");
    EXPECT_EQ(buttonText(), "für Start noch 3");
    EXPECT_FALSE(button()->isHidden());
    EXPECT_TRUE(startF.Timer1->isActive());
    EXPECT_EQ(startF.Timer1->interval(), 1000);

    startF.Timer1Timer();
    EXPECT_EQ(buttonText(), "für Start noch 2");
    startF.Timer1Timer();
    EXPECT_EQ(buttonText(), "für Start noch 1");
    EXPECT_EQ(main.endProgramCalls, 0);

    const auto tick = platform.tick;
    const int pumps = platform.pumps;
    startF.Timer1Timer();
    EXPECT_EQ(buttonText(), "B y e");
    EXPECT_EQ(main.endProgramCalls, 1);
    EXPECT_FALSE(startF.Timer1->isActive());
    // Half a second's pause, with no window messages served meanwhile.
    EXPECT_GE(platform.tick - tick, 500u);
    EXPECT_EQ(platform.pumps, pumps);
}

TEST_F(SplashWindow, WithoutBackgroundItClosesAfterTheCountdownTicksAlone) {
    startF.FormActivate();
    EXPECT_TRUE(button()->isHidden());
    EXPECT_EQ(startF.Timer1->interval(), 1);
    EXPECT_TRUE(startF.Timer1->isActive());

    startF.Timer1Timer();
    startF.Timer1Timer();
    EXPECT_FALSE(accepted());
    startF.Timer1Timer();
    EXPECT_TRUE(accepted());
    EXPECT_FALSE(startF.Timer1->isActive());
    EXPECT_EQ(main.endProgramCalls, 0);
}

TEST_F(SplashWindow, CountdownOutOfRangeStillEnds) {
    SettingsLines(CountdownSeconds) = "0";
    startF.FormActivate();
    startF.Timer1Timer();
    EXPECT_TRUE(accepted());
}

TEST_F(SplashWindow, ButtonStopsTheCountdownAndTheProgramGoesOn) {
    SettingsLines(CheckInBackground) = "1";
    startF.FormActivate();
    startF.Timer1Timer();
    startF.BitBtn1Click();

    EXPECT_TRUE(accepted());
    EXPECT_TRUE(button()->isHidden());
    EXPECT_FALSE(startF.Timer1->isActive());
    EXPECT_EQ(main.endProgramCalls, 0);
    EXPECT_FALSE(ProgramEnding());
}

TEST_F(SplashWindow, CancelledExitAtTheEndOfTheCountdownOpensTheProgram) {
    SettingsLines(CheckInBackground) = "1";
    main.endProgramResult = false;
    startF.FormActivate();
    for (int i = 0; i < 3; ++i) startF.Timer1Timer();
    EXPECT_EQ(main.endProgramCalls, 1);
    EXPECT_TRUE(accepted());
    EXPECT_FALSE(startF.Timer1->isActive());
}

TEST_F(SplashWindow, DecisionRunsOnlyAtTheFirstActivation) {
    startF.FormActivate();
    startF.FormActivate();
    EXPECT_EQ(results.showings.size(), 1u);
}

TEST_F(SplashWindow, UnreadableCurrentFileClosesTheSplashWithoutCountdown) {
    WriteAppointmentFileBytes(file, "kaputt");
    startF.FormActivate();
    EXPECT_TRUE(ProgramEnding());
    EXPECT_FALSE(startF.Timer1->isActive());
    EXPECT_FALSE(accepted());
    EXPECT_EQ(messages(), std::vector<std::string>{file + " konnte nicht geladen werden !"});
}

TEST_F(SplashWindow, ShownModallyItChecksClosesByItselfAndTheMainWindowOpens) {
    SetCheckList({file});
    ASSERT_TRUE(SaveCheckList());
    SettingsLines(WindowOffsetX) = "10";
    SettingsLines(WindowOffsetY) = "-20";
    ASSERT_TRUE(SaveCheckList());
    platform.activeWindow = "StartF";
    bool stuck = false;
    QTimer::singleShot(5000, &startF, [&] {
        stuck = true;
        startF.done(QDialog::Rejected);
    });

    InitProgram();

    ASSERT_FALSE(stuck);
    EXPECT_TRUE(accepted());
    EXPECT_EQ(startF.pos(), QPoint(462, 286));
    EXPECT_EQ(results.showings.size(), 1u);
    EXPECT_EQ(main.shown, 1);
    EXPECT_EQ(startF.findChild<QProgressBar*>("Prozent")->value(), 100);
    EXPECT_EQ(ReadOnDisk(file).lastCheck(), "15.06.2024");
}
