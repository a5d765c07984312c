// The sync against real servers from Debian's packages, each started once
// for all tests here; every test has its own address books.
#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <memory>

#include "DavFixture.h"
#include "ContactCandidates.h"
#include "DavServers.h"
#include "Discovery.h"
#include "FileIo.h"
#include "VCard.h"
#include "VCardImport.h"

namespace tmf::test {
namespace {

int bookNumber = 0;

class ServerSync : public DavTest, public ::testing::WithParamInterface<std::string> {
protected:
    void SetUp() override {
        DavTest::SetUp();
        QString why;
        server = SharedServer(GetParam(), &why);
        ASSERT_NE(server, nullptr) << GetParam() << ": " << why.toStdString();
        book = server->makeAddressBook(QStringLiteral("buch%1").arg(++bookNumber), QStringLiteral("Familie"));
    }
    dav::ContactSyncResult Run(const QList<QUrl>& books) {
        return Sync(server->base(), server->user(), server->password(), books);
    }
    dav::ContactSyncResult Run() { return Run({book}); }

    DavServer* server = nullptr;
    QUrl book;
};

std::string Why(const dav::ContactSyncResult& r) {
    return r.summary.toStdString();
}

TEST_P(ServerSync, FirstRunAddsTheDatesAndAnUnchangedSecondRunAsksOnceAndWritesNothing) {
    ASSERT_TRUE(server->putMany(book, {{"anna.vcf", Card("u-anna", "Anna", "Berg", "BDAY:1980-02-01\r\n")},
                                       {"bert.vcf", Card("u-bert", "Bert", "Kurz", "BDAY:--0315\r\n")},
                                       {"cora.vcf", Card("u-cora", "Cora", "Lang", "EMAIL:cora@example.org\r\n")}}));
    const dav::ContactSyncResult first = Run();
    ASSERT_TRUE(first.ok) << Why(first);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Anna Berg|Geburtstag|01.02.1980", "Bert Kurz|Geburtstag|15.03.0101"}));
    EXPECT_EQ(first.report.withoutDate, 1);

    const std::string file = FileBytes(), state = StateBytes();
    const QDateTime stamp = QFileInfo(QString::fromStdString(target)).lastModified();
    const dav::ContactSyncResult second = Run();
    ASSERT_TRUE(second.ok) << Why(second);
    EXPECT_LE(second.requests, 2);
    EXPECT_EQ(second.outcome, CommitOutcome::NothingToWrite);
    EXPECT_EQ(FileBytes(), file);
    EXPECT_EQ(StateBytes(), state);
    EXPECT_EQ(QFileInfo(QString::fromStdString(target)).lastModified(), stamp);
}

TEST_P(ServerSync, ChangesAdditionsAndDeletionsOnTheServerReachTheFile) {
    ASSERT_TRUE(server->putMany(book, {{"anna.vcf", Card("u-anna", "Anna", "Berg", "BDAY:1980-02-01\r\n")},
                                       {"bert.vcf", Card("u-bert", "Bert", "Kurz", "BDAY:1975-03-15\r\n")},
                                       {"cora.vcf", Card("u-cora", "Cora", "Lang", "BDAY:1990-12-24\r\n")}}));
    ASSERT_TRUE(Run().ok);
    // Entry by entry as the user would see it change.
    // Radicale answers 201 to a replaced card, Xandikos 204.
    const int replaced = server->put(book, "anna.vcf", Card("u-anna", "Anna", "Berg-Ost", "BDAY:1980-02-02\r\n"));
    EXPECT_TRUE(replaced == 201 || replaced == 204) << replaced;
    const int removed = server->remove(book, "bert.vcf");
    EXPECT_TRUE(removed == 200 || removed == 204) << removed;
    EXPECT_EQ(server->put(book, "dora.vcf", Card("u-dora", "Dora", "Mai", "BDAY:2001-05-01\r\n")), 201);

    const dav::ContactSyncResult r = Run();
    ASSERT_TRUE(r.ok) << Why(r);
    EXPECT_LE(r.requests, 3) << "the properties, the changes, at most one fetch";
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Anna Berg-Ost|Geburtstag|02.02.1980", "Bert Kurz|Geburtstag|15.03.1975",
                                                    "Cora Lang|Geburtstag|24.12.1990", "Dora Mai|Geburtstag|01.05.2001"}));
    EXPECT_EQ(r.report.changed.size(), 1u);
    EXPECT_EQ(r.report.added.size(), 1u);
    ASSERT_EQ(r.report.deletedOnServer.size(), 1u);
    EXPECT_EQ(r.report.deletedOnServer[0].name, "Bert Kurz");
    EXPECT_NE(r.summary.indexOf(QStringLiteral("Auf dem Server gelöscht (Eintrag bleibt):\n  Bert Kurz")), -1) << Why(r);

    const dav::ContactSyncResult again = Run();
    EXPECT_LE(again.requests, 2);
    EXPECT_EQ(again.outcome, CommitOutcome::NothingToWrite);
}

// Shapes of the address books people export, written here after the
// exporters' public descriptions. What arrives must be what the .vcf import
// makes of the cards as the server holds them.
const std::vector<std::pair<QString, QByteArray>> kExporters = {
    {"google.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Greta Gärtner\r\nN:Gärtner;Greta;;;\r\nBDAY:1985-04-12\r\n"
                   "item1.X-ABDATE:2010-06-19\r\nitem1.X-ABLabel:_$!<Anniversary>!$_\r\nUID:google-1\r\nEND:VCARD\r\n"},
    {"apple.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nPRODID:-//Apple Inc.//iPhone OS 17.0//EN\r\nN:Apfel;Arne;;;\r\n"
                  "FN:Arne Apfel\r\nBDAY;X-APPLE-OMIT-YEAR=1604:1604-03-15\r\nUID:apple-1\r\nEND:VCARD\r\n"},
    {"outlook.vcf", "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=Windows-1252;ENCODING=QUOTED-PRINTABLE:M=FCller;J=F6rg\r\n"
                    "FN;CHARSET=Windows-1252;ENCODING=QUOTED-PRINTABLE:J=F6rg M=FCller\r\nBDAY:19700722\r\n"
                    "X-MS-ANNIVERSARY:19950915\r\nUID:outlook-1\r\nEND:VCARD\r\n"},
    {"thunderbird.vcf", "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Schulz;Eva;;;\r\nFN:Eva Schulz\r\nBDAY;VALUE=DATE:19900101\r\n"
                        "ANNIVERSARY;VALUE=DATE:20150620\r\nUID:tb-1\r\nEND:VCARD\r\n"},
    {"evolution.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Ebert;Emil;;;\r\nFN:Emil Ebert\r\nBDAY:1977-11-30\r\n"
                      "X-EVOLUTION-ANNIVERSARY:2012-08-01\r\nUID:evo-1\r\nEND:VCARD\r\n"},
    {"nextcloud.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nPRODID:-//Sabre//Sabre VObject 4.4.2//EN\r\nUID:nc-1\r\n"
                      "FN:Nina Nebel\r\nN:Nebel;Nina;;;\r\nBDAY;VALUE=DATE:--0504\r\nX-ANNIVERSARY:2003-09-09\r\nEND:VCARD\r\n"},
    {"android.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nPRODID:DAVx5/4.3\r\nUID:droid-1\r\nFN:Dirk Droid\r\n"
                    "N:Droid;Dirk;;;\r\nBDAY:1999-10-10\r\nEND:VCARD\r\n"},
    {"phone21.vcf", "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C3=96zt=C3=BCrk;Ay=C5=9Fe\r\n"
                    "BDAY:1988-07-14\r\nTEL;CELL:+49 171 555\r\nUID:phone-1\r\nEND:VCARD\r\n"},
    {"leap.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:leap-1\r\nN:Schalt;Lea;;;\r\nFN:Lea Schalt\r\nBDAY:2000-02-29\r\nEND:VCARD\r\n"},
    {"text.vcf", "BEGIN:VCARD\r\nVERSION:4.0\r\nUID:text-1\r\nN:Text;Tim;;;\r\nFN:Tim Text\r\nBDAY;VALUE=text:um 1800\r\nEND:VCARD\r\n"},
};

TEST_P(ServerSync, AFileMadeAgainAtTheSamePlaceGetsTheContactsAgainButAnEditedOneIsKept) {
    ASSERT_TRUE(server->putMany(book, {{"anna.vcf", Card("u-anna", "Anna", "Berg", "BDAY:1980-02-01\r\n")},
                                       {"bert.vcf", Card("u-bert", "Bert", "Kurz", "BDAY:1975-03-15\r\n")}}));
    ASSERT_TRUE(Run().ok);
    // The user changes one synced entry: it is the user's now, not gone.
    ASSERT_EQ(LoadAppointmentFile(target, "Alles"), LoadResult::Loaded);
    EntryTable(Vorname, 1) = Cell("Annegret");
    ASSERT_TRUE(SaveAppointmentFile(target, "Alles", ""));
    const dav::ContactSyncResult edited = Run();
    ASSERT_TRUE(edited.ok) << Why(edited);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Annegret Berg|Geburtstag|01.02.1980", "Bert Kurz|Geburtstag|15.03.1975"}));

    // Deleted and made again empty: the contacts come back, once.
    WriteAppointmentFileBytes(target, AppointmentFileBytes(std::vector<EntrySpec>{}, "10.06.2024"));
    const dav::ContactSyncResult again = Run();
    ASSERT_TRUE(again.ok) << Why(again);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Anna Berg|Geburtstag|01.02.1980", "Bert Kurz|Geburtstag|15.03.1975"}));
    EXPECT_NE(again.summary.indexOf(QStringLiteral("neu gelesen")), -1) << Why(again);
    const dav::ContactSyncResult after = Run();
    ASSERT_TRUE(after.ok) << Why(after);
    EXPECT_EQ(after.outcome, CommitOutcome::NothingToWrite);
}

TEST_P(ServerSync, CardsAsExportersWriteThemGiveTheEntriesOfTheImport) {
    std::string held;  // every card as the server gives it back
    QStringList refused, taken;
    for (const auto& [file, card] : kExporters) {
        const int status = server->put(book, file, card);
        if (status != 201) {
            refused << file + QStringLiteral(" (%1)").arg(status);
            continue;
        }
        taken << file;
        held += Http("GET", book.resolved(QUrl(file)), {}, {}, server->user(), server->password()).body.toStdString();
    }
    if (!refused.isEmpty()) std::cout << "[ INFO     ] " << GetParam() << " refused: " << refused.join(", ").toStdString() << "\n";
    const dav::ContactSyncResult r = Run();
    ASSERT_TRUE(r.ok) << Why(r);

    std::vector<std::string> expected;
    for (const Row& row : PlanVCardImport(ReadVCards(WithoutStaleCharsets(held)), EntryTableType{}, 0).rows)
        expected.push_back(row[Vorname].asText() + " " + row[Nachname].asText() + "|" + row[Terminart].asText() + "|" +
                           row[TerminAm].asText());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Entries(), expected);
    // Whatever the reader learns later, these stand.
    const std::vector<std::string> entries = Entries();
    for (const auto& [file, entry] : std::vector<std::pair<QString, std::string>>{
             {"google.vcf", "Greta Gärtner|Geburtstag|12.04.1985"}, {"outlook.vcf", "Jörg Müller|Geburtstag|22.07.1970"},
             {"thunderbird.vcf", "Eva Schulz|Geburtstag|01.01.1990"}, {"nextcloud.vcf", "Nina Nebel|Geburtstag|04.05.0101"},
             {"phone21.vcf", "Ayse Öztürk|Geburtstag|14.07.1988"}, {"android.vcf", "Dirk Droid|Geburtstag|10.10.1999"}})
        if (taken.contains(file)) {
            EXPECT_NE(std::find(entries.begin(), entries.end(), entry), entries.end()) << entry;
        }
    EXPECT_NE(r.summary.indexOf(QStringLiteral("Lea Schalt: 29. Februar")), -1) << Why(r);
    EXPECT_NE(r.summary.indexOf(QStringLiteral("Tim Text: Datum ohne Tag")), -1) << Why(r);
}

TEST_P(ServerSync, ASyncTokenTheServerNoLongerKnowsLeadsToAFullReadNotToAFailure) {
    ASSERT_TRUE(server->putMany(book, {{"a.vcf", Card("u-a", "Anna", "Berg", "BDAY:1980-02-01\r\n")},
                                       {"b.vcf", Card("u-b", "Bert", "Kurz", "BDAY:1975-03-15\r\n")}}));
    ASSERT_TRUE(Run().ok);
    // As after the server's data were restored from a backup.
    const std::string statePath = SyncStatePath(dir.path(), target);
    SyncStateFile state;
    ASSERT_EQ(ReadSyncState(statePath, state), SyncStateRead::Read);
    state.current.books.begin()->second.syncToken = "http://termifolio.invalid/sync/verloren";
    ASSERT_TRUE(WriteSyncState(statePath, state));
    const int replaced = server->put(book, "b.vcf", Card("u-b", "Bert", "Kurz", "BDAY:1975-03-16\r\n"));
    ASSERT_TRUE(replaced == 201 || replaced == 204);

    const dav::ContactSyncResult r = Run();
    ASSERT_TRUE(r.ok) << Why(r);
    // Xandikos gives no cards with the report: one multiget more.
    EXPECT_LE(r.requests, 4) << "properties, the refused report, the report from the start, the cards";
    EXPECT_EQ(r.report.changed.size(), 1u);
    EXPECT_EQ(r.report.kept, 1);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Anna Berg|Geburtstag|01.02.1980", "Bert Kurz|Geburtstag|16.03.1975"}));
}

TEST_P(ServerSync, TwoAddressBooksGoIntoOneFile) {
    const QUrl work = server->makeAddressBook(QStringLiteral("buch%1").arg(++bookNumber), QStringLiteral("Arbeit"));
    ASSERT_EQ(server->put(book, "a.vcf", Card("u-a", "Anna", "Berg", "BDAY:1980-02-01\r\n")), 201);
    ASSERT_EQ(server->put(work, "b.vcf", Card("u-b", "Bert", "Kurz", "BDAY:1975-03-15\r\n")), 201);
    const dav::ContactSyncResult r = Run({book, work});
    ASSERT_TRUE(r.ok) << Why(r);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Anna Berg|Geburtstag|01.02.1980", "Bert Kurz|Geburtstag|15.03.1975"}));
    EXPECT_LE(Run({book, work}).requests, 4);
}

TEST_P(ServerSync, DiscoveryFindsTheAddressBooksByTheirNames) {
    dav::FixedPassword passwords(server->password());
    for (const QString& typed : {server->base().toString(), QStringLiteral("%1:%2").arg(server->base().host()).arg(server->base().port()),
                                 book.toString()}) {
        SCOPED_TRACE(typed.toStdString());
        // A bare host:port means https; this server speaks http.
        if (!typed.contains(QLatin1String("://"))) continue;
        dav::DavClient client({typed, server->user(), false}, passwords, pins);
        dav::DiscoveryResult found;
        QEventLoop loop;
        dav::Discover(client, [&](const dav::DiscoveryResult& r) {
            found = r;
            loop.quit();
        });
        loop.exec();
        ASSERT_FALSE(found.error) << found.error.message.toStdString();
        bool seen = false;
        for (const dav::DavCollection& c : found.addressBooks)
            if (c.url == book) {
                seen = true;
                EXPECT_EQ(c.displayName, QStringLiteral("Familie"));
                EXPECT_TRUE(c.syncCollection);
            }
        EXPECT_TRUE(seen);
        if (typed == book.toString()) {
            EXPECT_EQ(found.addressBooks.size(), 1);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(RealServers, ServerSync, ::testing::Values("Radicale", "Xandikos"),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace tmf::test
