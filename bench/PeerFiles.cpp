// tmf_peer_files <folder> <count> <last check dd.mm.yyyy> [seed]: the same
// people (names, dates, leads) as one appointment file, as the same entries
// spread over a full check list of 101 appointment files, and in the formats
// of three terminal reminder tools, for bench/peers.sh:
//   <folder>/one.tmf,
//   <folder>/daten/f000.tmf .. f100.tmf with their "Liste.dat",
//   <folder>/birthdays, <folder>/reminders.rem, <folder>/calendar
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "AppointmentFile.h"
#include "FileIo.h"
#include "ListFiles.h"
#include "SampleFiles.h"
#include "State.h"

namespace {

constexpr int kSplitFiles = 101;
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool Write(const std::string& path, const std::string& bytes) {
    tmf::IoError error;
    if (tmf::WriteFileAtomically(path, bytes, &error)) return true;
    std::fprintf(stderr, "%s: %s\n", path.c_str(), error.reason.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    char* end = nullptr;
    errno = 0;
    const long count = argc >= 4 ? std::strtol(argv[2], &end, 10) : -1;
    if (argc < 4 || argc > 5 || errno != 0 || *end != '\0' || count < kSplitFiles || count > 1'000'000) {
        std::fprintf(stderr, "usage: %s <folder> <count 101..1000000> <last check dd.mm.yyyy> [seed]\n", argv[0]);
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    const std::string lastCheck = argv[3];
    const auto people = tmf::test::GenerateEntries(static_cast<int>(count), argc == 5 ? std::atoi(argv[4]) : 1);
    const std::string data = std::filesystem::absolute(folder + "daten").string() + "/";
    std::filesystem::create_directories(data);

    // The settings lines stay empty: the terminal program reads only the list.
    std::string checkList;
    for (int line = 0; line < tmf::kSettingsLineCount; ++line) checkList += "\r\n";
    bool ok = Write(folder + "one.tmf", tmf::test::AppointmentFileBytes(people, lastCheck));
    for (int f = 0; f < kSplitFiles; ++f) {
        const std::size_t from = people.size() * static_cast<std::size_t>(f) / kSplitFiles;
        const std::size_t to = people.size() * static_cast<std::size_t>(f + 1) / kSplitFiles;
        const std::vector<tmf::test::EntrySpec> part(people.begin() + static_cast<long>(from),
                                                     people.begin() + static_cast<long>(to));
        char name[32];
        std::snprintf(name, sizeof name, "f%03d.tmf", f);
        ok = Write(data + name, tmf::test::AppointmentFileBytes(part, lastCheck)) && ok;
        checkList += tmf::EncodeListLine(data + name) + "\r\n";
    }
    ok = Write(data + tmf::kCheckListFileName, checkList) && ok;

    // Each tool gets the entry's first lead where its format has one.
    std::string birthdays, reminders, calendar = "LANG=utf-8\n";
    for (const auto& p : people) {
        const std::string dd = p.termin.substr(0, 2), mm = p.termin.substr(3, 2), yyyy = p.termin.substr(6, 4);
        const std::string who = p.vorname + " " + p.nachname;
        const int lead = p.warnung1 < 0 ? -p.warnung1 : p.warnung1;
        birthdays += who + "=" + dd + "/" + mm + "/" + yyyy + " bd w" + std::to_string(lead) + "\n";
        reminders += "REM " + dd + " " + kMonths[std::stoi(mm) - 1] + " +" + std::to_string(lead) + " MSG " + who +
                     " " + p.terminart + " (" + yyyy + ")\n";
        calendar += mm + "/" + dd + "\t" + who + " " + p.terminart + " (" + yyyy + ")\n";
    }
    ok = Write(folder + "birthdays", birthdays) && ok;
    ok = Write(folder + "reminders.rem", reminders) && ok;
    ok = Write(folder + "calendar", calendar) && ok;
    return ok ? 0 : 1;
}
