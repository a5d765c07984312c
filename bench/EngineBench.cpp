// The check run, the grid fill, the search and the whole start with the
// largest files the program takes (32,000 entries), offscreen.
//   build-bench/bin/engine_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QTableView>
#include <filesystem>
#include <fstream>

#include "AppointmentFile.h"
#include "BenchPlatform.h"
#include "CheckRun.h"
#include "Dates.h"
#include "Grid.h"
#include "ListFiles.h"
#include "Program.h"
#include "Progress.h"
#include "QtClock.h"
#include "QtDesktop.h"
#include "SampleFiles.h"
#include "Startup.h"
#include "State.h"
#include "Views.h"

using namespace tmf;

namespace {

bench::BenchPlatform gPlatform;

std::string Folder() {
    static const std::string dir = [] {
        auto d = std::filesystem::temp_directory_path() / "tmf-engine-bench";
        std::filesystem::create_directories(d / "daten");
        return d.string() + "/";
    }();
    return dir;
}

// Entries whose warnings are already given and whose reached flags match
// today, so that a check finds what is due but changes nothing: the run then
// costs a load, the computation and the header rewrite, and no full save.
// quiet: no entry due today either, so that no results dialog waits for a
// click.
std::string SteadyFile(int n, unsigned seed, std::chrono::sys_days today, bool quiet = false) {
    auto entries = test::GenerateEntries(n, seed);
    for (auto& e : entries) {
        e.warnung1 = -1;
        e.warnung2 = -1;
        const bool due = DateValue(*ParseDate(e.termin), DateKind::NT, today) == 0;
        if (due && quiet) e.termin = FormatDate(today + std::chrono::days{1});
        e.erreicht = due && !quiet ? 1 : 0;
    }
    return test::AppointmentFileBytes(entries, FormatDate(today));
}

std::string SteadyFile(int n, unsigned seed) { return SteadyFile(n, seed, gPlatform.Today()); }

void UseCheckList(const std::vector<std::string>& files) {
    ResetProgramState();
    for (std::size_t i = 0; i < files.size(); ++i) CheckList(static_cast<int>(i)) = files[i];
}

void BM_CheckDatesOneFile32k(benchmark::State& state) {
    const std::string file = Folder() + "gross.tmf";
    test::WriteAppointmentFileBytes(file, SteadyFile(32000, 1));
    InstallViews({});
    for (auto _ : state) {
        UseCheckList({file});
        CheckDates("Auto");
    }
    if (gPlatform.messages || EntryCount != 32000 || Modified) state.SkipWithError("the check complained or changed the file");
}
BENCHMARK(BM_CheckDatesOneFile32k)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CheckDates101Files300(benchmark::State& state) {
    std::vector<std::string> files;
    for (int k = 0; k < kCheckListSlots; ++k) {
        files.push_back(Folder() + "klein" + std::to_string(k) + ".tmf");
        test::WriteAppointmentFileBytes(files.back(), SteadyFile(300, static_cast<unsigned>(k + 2)));
    }
    InstallViews({});
    for (auto _ : state) {
        UseCheckList(files);
        CheckDates("Auto");
    }
    if (gPlatform.messages || Modified) state.SkipWithError("the check complained or changed a file");
}
BENCHMARK(BM_CheckDates101Files300)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FillGrid32k(benchmark::State& state) {
    ResetProgramState();
    test::LoadIntoState(test::GenerateEntries(32000, 3));
    EntryTable(HeaderOutputChoice, 0) = Cell(static_cast<int>(state.range(0)));
    InstallViews({});
    for (auto _ : state) FillGrid();
}
BENCHMARK(BM_FillGrid32k)->ArgName("output")->Arg(0)->Arg(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// One keystroke in the search box of the real main window over 32,000 rows.
void BM_SearchKeystroke32k(benchmark::State& state) {
    ResetProgramState();
    test::LoadIntoState(test::GenerateEntries(32000, 4));
    TGebF main;
    InstallViews({&main, nullptr, nullptr});
    main.FillChoiceLists(0, 0);
    main.show();
    FillGrid();
    auto* edit = main.findChild<QLineEdit*>("Edit1");
    bool longer = false;
    for (auto _ : state) {
        edit->setText(longer ? "mül" : "mü");
        longer = !longer;
    }
    InstallViews({});
}
BENCHMARK(BM_SearchKeystroke32k)->Unit(benchmark::kMillisecond)->UseRealTime();

// From creating the windows to the main window shown and filled, with a
// check of a 32,000-entry current file at start. The splash's own half
// second before it closes is part of it.
void BM_StartProgram32k(benchmark::State& state) {
    qt::QtClock clock;
    qt::QtDesktop desktop;
    ThePlatform().clock = &clock;      // the splash waits on a real clock
    ThePlatform().desktop = &desktop;  // and its progress shows on the splash
    const std::string data = Folder() + "daten/";
    const std::string file = data + "Termif98.tmf";
    for (auto _ : state) {
        state.PauseTiming();
        test::WriteAppointmentFileBytes(file, SteadyFile(32000, 5, clock.Today(), /*quiet=*/true));
        ResetProgramState();
        DataDir = data;
        SettingsLines(CheckAtStart) = "1";
        SettingsLines(CountdownSeconds) = "3";
        CheckList(0) = file;
        SaveCheckList();
        SetProgramEnding(false);
        state.ResumeTiming();
        Program program;
        program.Create();
        benchmark::DoNotOptimize(program.GebF->isVisible());
        state.PauseTiming();
        InstallViews({});
        state.ResumeTiming();
    }
    ThePlatform().clock = &gPlatform;
    ThePlatform().desktop = &gPlatform;
    if (EntryCount != 32000) state.SkipWithError("the program did not load the file");
}
BENCHMARK(BM_StartProgram32k)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    gPlatform.install();
    InstallEngineProgress();  // the progress display is part of what is measured
    gPlatform.programDirOverride = Folder();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
