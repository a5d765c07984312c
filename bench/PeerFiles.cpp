// tmf_peer_files <folder> <count> <last check dd.mm.yyyy> [seed]: the same
// people (names, dates, leads) as one appointment file and in the formats of
// three terminal reminder tools, and a full check list of 101 files of as
// many entries each (other people in each), for bench/peers.sh:
//   <folder>/one.tmf            written in one go, as this program saves,
//   <folder>/one-records.tmf    the same bytes written a record at a time, as
//                               tools that write entry by entry leave a file,
//   <folder>/daten/f000.tmf .. f100.tmf, written a record at a time, with
//                               their "Liste.dat",
//   <folder>/birthdays, <folder>/reminders.rem, <folder>/calendar
// How a file was written decides how its pages lie in the system's cache,
// and with that what reading it costs.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "AppointmentFile.h"
#include "FileIo.h"
#include "ListFiles.h"
#include "SampleFiles.h"
#include "State.h"

namespace {

constexpr int kListFiles = 101;
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool Write(const std::string& path, const std::string& bytes) {
    tmf::IoError error;
    if (tmf::WriteFileAtomically(path, bytes, &error)) return true;
    std::fprintf(stderr, "%s: %s\n", path.c_str(), error.reason.c_str());
    return false;
}

// One write per record, as a tool that writes entry by entry does.
bool WriteByRecord(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool ok = fd >= 0;
    for (std::size_t at = 0; ok && at < bytes.size(); at += tmf::kRecordSize) {
        const std::size_t n = std::min(tmf::kRecordSize, bytes.size() - at);
        ok = ::write(fd, bytes.data() + at, n) == static_cast<ssize_t>(n);
    }
    if (fd >= 0 && ::close(fd) != 0) ok = false;
    if (!ok) std::fprintf(stderr, "%s: %s\n", path.c_str(), std::strerror(errno));
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    char* end = nullptr;
    errno = 0;
    const long count = argc >= 4 ? std::strtol(argv[2], &end, 10) : -1;
    if (argc < 4 || argc > 5 || errno != 0 || *end != '\0' || count < 1 || count > 1'000'000) {
        std::fprintf(stderr, "usage: %s <folder> <count 1..1000000> <last check dd.mm.yyyy> [seed]\n", argv[0]);
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    const std::string lastCheck = argv[3];
    const unsigned seed = argc == 5 ? static_cast<unsigned>(std::atoi(argv[4])) : 1;
    const auto people = tmf::test::GenerateEntries(static_cast<int>(count), seed);
    const std::string data = std::filesystem::absolute(folder + "daten").string() + "/";
    std::filesystem::create_directories(data);

    const std::string one = tmf::test::AppointmentFileBytes(people, lastCheck);
    bool ok = Write(folder + "one.tmf", one);
    ok = WriteByRecord(folder + "one-records.tmf", one) && ok;

    // The settings lines stay empty: the terminal program reads only the list.
    std::string checkList;
    for (int line = 0; line < tmf::kSettingsLineCount; ++line) checkList += "\r\n";
    for (int f = 0; f < kListFiles; ++f) {
        char name[32];
        std::snprintf(name, sizeof name, "f%03d.tmf", f);
        const auto others = tmf::test::GenerateEntries(static_cast<int>(count), seed + 1 + static_cast<unsigned>(f));
        ok = WriteByRecord(data + name, tmf::test::AppointmentFileBytes(others, lastCheck)) && ok;
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
