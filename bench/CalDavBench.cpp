// caldav_bench [count]: publishing an appointment file of `count` entries
// (default 1,000) to a calendar of a Radicale it starts itself (storage on a
// tmpfs where there is one): the first publish into an empty calendar, a
// second run with nothing changed, a third with one entry changed. Prints
// requests and seconds. Not part of the test suite.
//
// caldav_bench --ics count FOLDER writes the same events as .ics files into
// FOLDER instead, one per entry, for a peer to sync from (bench/caldav_peers.sh);
// --datei count FILE writes the appointment file alone, --uids count prints
// the UID of each entry's event (bench/caldav_kill.sh).
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>

#include "AppointmentFile.h"
#include "BenchPlatform.h"
#include "CalendarPublish.h"
#include "CalendarPublishRun.h"
#include "DavServers.h"
#include "ICalendar.h"
#include "SampleFiles.h"
#include "State.h"
#include "TempDir.h"

using namespace tmf;

namespace {

std::vector<test::EntrySpec> People(int count, int changed) {
    std::vector<test::EntrySpec> out;
    for (int i = 0; i < count; ++i) {
        char date[32];
        std::snprintf(date, sizeof date, "%02d.%02d.19%02d", 1 + i % 28, 1 + i % 12, 40 + i % 60);
        out.push_back({"Kontakt", "Nummer" + std::to_string(i), date, i % 7 == 3 ? "Jahrestag" : "Geburtstag",
                       1 + i % 14, i == changed ? 3 : 0});
    }
    return out;
}

struct Figures {
    int requests = 0;
    double seconds = 0;
    double cpu = 0;  // this process's own, user and system: the client's work, not the server's
    bool ok = false;
};

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

Figures Publish(test::DavServer& server, const QUrl& calendar, const std::string& target, const std::string& data) {
    dav::FixedPassword password(server.password());
    dav::MemoryCertificatePins pins;
    dav::DavClient client({server.base().toString(), server.user(), false}, password, pins);
    dav::PublishOptions options;
    options.targets = {{calendar, QString::fromStdString(target), "Bench"}};
    options.dataFolder = QString::fromStdString(data);
    QElapsedTimer clock;
    clock.start();
    const double cpu = CpuSeconds();
    const dav::PublishResult r = dav::RunCalendarPublish(client, options);
    Figures f{r.requests, clock.nsecsElapsed() / 1e9, CpuSeconds() - cpu, r.ok};
    if (!r.ok) std::fprintf(stderr, "%s\n", r.summary.toUtf8().constData());
    return f;
}

int WriteFile(int count, const std::string& file) {
    test::WriteAppointmentFileBytes(file, test::AppointmentFileBytes(People(count, -1), "10.06.2024"));
    return 0;
}

int PrintUids(int count) {
    test::TempDir dir;
    const std::string file = dir.file("Bench.tmf");
    WriteFile(count, file);
    if (LoadAppointmentFile(file, "Alles") != LoadResult::Loaded) return 1;
    for (const EntryEvent& e : EntryEvents(EntryTable, EntryCount)) std::printf("%s\n", e.uid.c_str());
    return 0;
}

int WriteIcs(int count, const QString& folder) {
    test::TempDir dir;
    const std::string file = dir.file("Bench.tmf");
    test::WriteAppointmentFileBytes(file, test::AppointmentFileBytes(People(count, -1), "10.06.2024"));
    if (LoadAppointmentFile(file, "Alles") != LoadResult::Loaded) return 1;
    QDir().mkpath(folder);
    for (const EntryEvent& e : EntryEvents(EntryTable, EntryCount)) {
        const std::string name = EventHref("/", e.uid).substr(1);
        QFile out(folder + QLatin1Char('/') + QString::fromStdString(name));
        const std::string text = WriteEventResource(EntryTable, e.row, e.uid, Today());
        if (!out.open(QIODevice::WriteOnly) || out.write(text.data(), static_cast<qint64>(text.size())) < 0) return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    bench::BenchPlatform platform;
    platform.install();
    if (argc == 4 && std::strcmp(argv[1], "--ics") == 0) return WriteIcs(std::atoi(argv[2]), QString::fromLocal8Bit(argv[3]));
    if (argc == 4 && std::strcmp(argv[1], "--datei") == 0) return WriteFile(std::atoi(argv[2]), argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "--uids") == 0) return PrintUids(std::atoi(argv[2]));
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;

    test::Radicale server;
    QString why;
    if (!server.start(&why)) {
        std::fprintf(stderr, "Radicale: %s\n", why.toUtf8().constData());
        return 1;
    }
    const QUrl calendar = server.makeCalendar("bench", "Bench");
    test::TempDir dir;
    DataDir = dir.path();
    const std::string target = dir.file("Bench.tmf");
    test::WriteAppointmentFileBytes(target, test::AppointmentFileBytes(People(count, -1), "10.06.2024"));

    std::printf("%d entries, Radicale on 127.0.0.1\n", count);
    std::printf("%-28s %9s %9s %9s\n", "run", "requests", "seconds", "cpu");
    auto print = [](const char* what, const Figures& f) {
        std::printf("%-28s %9d %9.3f %9.3f%s\n", what, f.requests, f.seconds, f.cpu, f.ok ? "" : "  FEHLER");
        std::fflush(stdout);
    };
    print("first (all new)", Publish(server, calendar, target, dir.path()));
    print("second (nothing changed)", Publish(server, calendar, target, dir.path()));
    test::WriteAppointmentFileBytes(target, test::AppointmentFileBytes(People(count, count / 2), "10.06.2024"));
    print("third (one changed)", Publish(server, calendar, target, dir.path()));
    return 0;
}
