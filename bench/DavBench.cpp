// dav_bench [count]: the address-book sync against a Radicale it starts
// itself (storage on a tmpfs where there is one): a first sync of `count`
// contacts (default 1,000) into an empty file, a second one with nothing
// changed, one with a contact changed, each with sync-collection and with
// ETags and addressbook-multiget. Prints requests, seconds and bytes.
// Not part of the test suite.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "AppointmentFile.h"
#include "BenchPlatform.h"
#include "ContactSyncRun.h"
#include "DavServers.h"
#include "SampleFiles.h"
#include "State.h"
#include "TempDir.h"

using namespace tmf;

namespace {

QByteArray Person(int i, int round) {
    const QByteArray n = QByteArray::number(i);
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:bench-" + n + "\r\nN:Nummer" + n + ";Kontakt;;;\r\nFN:Kontakt Nummer" + n +
           "\r\nTEL;TYPE=CELL:+49 171 " + n + "\r\nEMAIL:kontakt" + n + "@example.org\r\nADR;TYPE=HOME:;;Weg " + n +
           ";Stadt;;12345;Deutschland\r\n" + (i % 5 == 4 ? QByteArray() : "BDAY:19" + QByteArray::number(40 + i % 60) +
           "-" + QByteArray::number(10 + i % 3) + "-" + QByteArray::number(10 + (i + round) % 18) + "\r\n") +
           "END:VCARD\r\n";
}

struct Figures {
    int requests = 0;
    double seconds = 0;
    qint64 bytes = 0;
    bool ok = false;
};

Figures Run(test::DavServer& server, const QUrl& book, const std::string& target, const std::string& data, bool report) {
    dav::FixedPassword password(server.password());
    dav::MemoryCertificatePins pins;
    dav::DavClient client({server.base().toString(), server.user(), false}, password, pins);
    dav::ContactSyncOptions options;
    options.target = QString::fromStdString(target);
    options.addressBooks = {book};
    options.dataFolder = QString::fromStdString(data);
    options.useSyncCollection = report;
    QElapsedTimer clock;
    clock.start();
    const dav::ContactSyncResult r = dav::RunContactSync(client, options);
    Figures f{r.requests, clock.nsecsElapsed() / 1e9, client.bytesReceived(), r.ok};
    if (!r.ok) std::fprintf(stderr, "%s\n", r.summary.toUtf8().constData());
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    bench::BenchPlatform platform;
    platform.install();
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;

    test::Radicale server;
    QString why;
    if (!server.start(&why)) {
        std::fprintf(stderr, "Radicale: %s\n", why.toUtf8().constData());
        return 1;
    }
    std::printf("%d contacts (4 of 5 with a birthday), Radicale on 127.0.0.1\n\n", count);
    std::printf("%-14s %-26s %9s %9s %11s\n", "fetch", "run", "requests", "seconds", "bytes in");
    for (const bool report : {true, false}) {
        const QUrl book = server.makeAddressBook(report ? "mit-bericht" : "mit-etags", "Bench");
        QList<std::pair<QString, QByteArray>> cards;
        for (int i = 0; i < count; ++i) cards.append({QStringLiteral("k%1.vcf").arg(i), Person(i, 0)});
        // Through the server's front door, as a phone would put them there.
        for (qsizetype from = 0; from < cards.size(); from += 200)
            if (!server.putMany(book, cards.mid(from, 200))) return 1;

        test::TempDir dir;
        DataDir = dir.path();
        const std::string target = dir.file("Bench.tmf");
        test::WriteAppointmentFileBytes(target, test::AppointmentFileBytes(std::vector<test::EntrySpec>{}, "10.06.2024"));
        const char* fetch = report ? "sync-collection" : "ETag+multiget";
        auto print = [&](const char* what, const Figures& f) {
            std::printf("%-14s %-26s %9d %9.3f %11lld%s\n", fetch, what, f.requests, f.seconds,
                        static_cast<long long>(f.bytes), f.ok ? "" : "  FEHLER");
        };
        print("first (all new)", Run(server, book, target, dir.path(), report));
        print("second (nothing changed)", Run(server, book, target, dir.path(), report));
        server.put(book, "k7.vcf", Person(7, 1));
        print("third (one changed)", Run(server, book, target, dir.path(), report));
        if (LoadAppointmentFile(target, "Alles") != LoadResult::Loaded || EntryCount != count - count / 5) {
            std::fprintf(stderr, "the file holds %d entries, not %d\n", EntryCount, count - count / 5);
            return 1;
        }
    }
    return 0;
}
