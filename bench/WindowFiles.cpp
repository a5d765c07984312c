// tmf_window_files <data folder> <count> [sort choice 0..6] [seed]: the data
// folder of a windowed start for bench/window_start.sh: "Termif98.tmf" with
// count realistic entries, last checked today, and a "Liste.dat" with the
// default settings except that no check runs at start, and a "Termin.dat",
// so that the start ends in the main window without waiting for anyone.
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <string>

#include "AppointmentFile.h"
#include "CheckListEdit.h"
#include "Dates.h"
#include "FileIo.h"
#include "ListFiles.h"
#include "SampleFiles.h"
#include "State.h"

namespace {

bool ParseNumber(const char* text, long max, long& out) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < 0 || v > max) return false;
    out = v;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    long count = 0, sort = 0, seed = 1;
    if (argc < 3 || argc > 5 || !ParseNumber(argv[2], 1'000'000, count) ||
        (argc >= 4 && !ParseNumber(argv[3], 6, sort)) || (argc == 5 && !ParseNumber(argv[4], 0xFFFFFFFFL, seed))) {
        std::fprintf(stderr, "usage: %s <data folder> <count 0..1000000> [sort choice 0..6] [seed]\n",
                     argc > 0 ? argv[0] : "tmf_window_files");
        return 2;
    }
    std::filesystem::create_directories(argv[1]);
    tmf::DataDir = std::filesystem::absolute(argv[1]).string() + "/";

    // The program's today is the local one.
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const std::string lastCheck = tmf::FormatDate(std::chrono::year_month_day{
        std::chrono::year{local.tm_year + 1900}, std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)},
        std::chrono::day{static_cast<unsigned>(local.tm_mday)}});
    const auto entries = tmf::test::GenerateEntries(static_cast<int>(count), static_cast<unsigned>(seed));
    tmf::IoError error;
    const std::string file = tmf::DataDir + tmf::kDefaultFileName;
    if (!tmf::WriteFileAtomically(file, tmf::test::AppointmentFileBytes(entries, lastCheck, 0, static_cast<int>(sort)),
                                  &error)) {
        std::fprintf(stderr, "%s: %s\n", file.c_str(), error.reason.c_str());
        return 1;
    }

    tmf::ResetData("F[]", tmf::kDefaultFileName);
    tmf::SettingsLines(tmf::CheckAtStart) = "0";
    tmf::SettingsLines(tmf::CheckDaily) = "0";
    // The term names of the generated entries, so that no first-start
    // message waits for an answer.
    const char* terms[] = {"Geburtstag", "Hochzeitstag", "Jubiläum", "Namenstag",
                           "Todestag",   "Arzt",         "Zahnarzt", "Versicherung"};
    for (std::size_t i = 0; i < std::size(terms); ++i) tmf::TermNames.at(i) = terms[i];
    return tmf::SaveCheckList() && tmf::SaveTermNames() ? 0 : 1;
}
