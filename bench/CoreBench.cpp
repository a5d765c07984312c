// The data core against the largest file the program lets a user build
// (32,000 entries, about 12.4 MB). Loading and saving are measured next to
// their floors: the same bytes read and written the way the file code does
// it, flush and rename included, so the figures say what the record work
// costs on top of the disk.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "AppointmentFile.h"
#include "BenchPlatform.h"
#include "FileIo.h"
#include "SampleFiles.h"
#include "Sort.h"
#include "State.h"

namespace {

using namespace tmf;

constexpr int kEntries = kMaxEntries;

struct Prepared {
    std::string dir;
    std::string file;       // the generated file
    std::string bytes;      // its contents
    EntryTableType table;   // as loaded, unsorted
    std::int32_t count = 0;
    bench::BenchPlatform platform;

    Prepared() {
        platform.install();
        namespace fs = std::filesystem;
        const char* base = std::getenv("TMF_BENCH_DIR");
        std::string pattern = ((base ? fs::path(base) : fs::temp_directory_path()) / "tmf-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        dir = pattern + "/";
        file = dir + "gross.tmf";
        bytes = test::AppointmentFileBytes(test::GenerateEntries(kEntries, 1998));
        if (!WriteFileAtomically(file, bytes)) throw std::runtime_error("cannot write " + file);
        ResetProgramState();
        if (LoadAppointmentFile(file, "Alles") != LoadResult::Loaded || platform.messages != 0)
            throw std::runtime_error("the generated file does not load cleanly: " + platform.lastMessage);
        table = EntryTable;
        count = EntryCount;
    }
    ~Prepared() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    void restore() {
        EntryTable = table;
        EntryCount = count;
    }
};

Prepared& Data() {
    static Prepared p;
    return p;
}

// A reload over a table of the same size, as the check run does file after
// file.
void BM_LoadAppointmentFile(benchmark::State& state) {
    Prepared& d = Data();
    for (auto _ : state) {
        LoadResult r = LoadAppointmentFile(d.file, "Alles");
        if (r != LoadResult::Loaded || EntryCount != kEntries) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(EntryTable);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(d.bytes.size()));
}

// The first load after the start, into a table that must be allocated.
void BM_LoadAppointmentFileFresh(benchmark::State& state) {
    Prepared& d = Data();
    for (auto _ : state) {
        state.PauseTiming();
        ResetProgramState();
        state.ResumeTiming();
        LoadResult r = LoadAppointmentFile(d.file, "Alles");
        if (r != LoadResult::Loaded || EntryCount != kEntries) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(EntryTable);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(d.bytes.size()));
}

void BM_ReadFloor(benchmark::State& state) {
    Prepared& d = Data();
    for (auto _ : state) {
        auto bytes = ReadWholeFile(d.file);
        if (!bytes || bytes->size() != d.bytes.size()) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(d.bytes.size()));
}

void BM_SaveAppointmentFile(benchmark::State& state) {
    Prepared& d = Data();
    d.restore();
    const std::string out = d.dir + "gespeichert.tmf";
    for (auto _ : state) {
        if (!SaveAppointmentFile(out, "Alles", "")) state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(d.bytes.size()));
}

void BM_WriteFloor(benchmark::State& state) {
    Prepared& d = Data();
    const std::string out = d.dir + "roh.tmf";
    for (auto _ : state) {
        if (!WriteFileAtomically(out, d.bytes)) state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(d.bytes.size()));
}

void BM_SortEntries(benchmark::State& state) {
    Prepared& d = Data();
    const int choice = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        d.restore();
        state.ResumeTiming();
        SortEntries(choice);
        benchmark::DoNotOptimize(EntryTable);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kEntries);
}

BENCHMARK(BM_LoadAppointmentFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadAppointmentFileFresh)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadFloor)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveAppointmentFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WriteFloor)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SortEntries)->ArgName("choice")->Arg(1)->Arg(5)->Arg(6)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
