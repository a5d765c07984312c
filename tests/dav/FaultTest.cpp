// Faults a sync meets: the fake server answers one request with a status,
// garbage, silence, a hang-up or an endless body. The file and the state must
// stay as they were, the message must be German and say what happened, and
// the next run, without the fault, must pick up.
#include <QTcpServer>

#include "DavFixture.h"
#include "FakeServer.h"

namespace tmf::test {
namespace {

struct FaultCase {
    const char* name;
    QByteArray onRequest;  // the method whose first request fails (PROPFIND: the book's properties)
    Fault fault;
    dav::DavErrorKind kind;
    const char* message;   // a part of the German message
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

const QByteArray kGarbage = "<?xml version=\"1.0\"?><html><body>Wartungsarbeiten</body></html>";

const std::vector<FaultCase> kFaults = {
    {"Forbidden", "PROPFIND", {403}, dav::DavErrorKind::Forbidden, "verweigert den Zugriff"},
    {"AddressBookGone", "PROPFIND", {404}, dav::DavErrorKind::NotFound, "gibt es auf dem Server nicht"},
    {"ServerError", "PROPFIND", {500}, dav::DavErrorKind::ServerError, "meldet einen Fehler (500)"},
    {"ServiceUnavailable", "REPORT", {503}, dav::DavErrorKind::ServerError, "meldet einen Fehler (503)"},
    {"GarbageListing", "PROPFIND", {207, kGarbage}, dav::DavErrorKind::BadResponse, "nicht lesbar"},
    {"GarbageCards", "REPORT", {207, "<d:multistatus xmlns:d=\"DAV:\"><d:response><d:href>"},
     dav::DavErrorKind::BadResponse, "nicht lesbar"},
    {"HugeAnnouncedBody", "PROPFIND", {.endless = qint64{200} << 20}, dav::DavErrorKind::BodyTooLarge, "zu groß"},
    {"HugeStreamedBody", "REPORT", {.endless = qint64{200} << 20, .announce = false}, dav::DavErrorKind::BodyTooLarge,
     "zu groß"},
    {"Silence", "REPORT", {.silent = true}, dav::DavErrorKind::Timeout, "zu lange nicht geantwortet"},
    {"HangUp", "PROPFIND", {.hangUp = true}, dav::DavErrorKind::ConnectionClosed, "Verbindung mitten in der Antwort"},
    {"RedirectElsewhere", "PROPFIND", {301, {}, {{"Location", "http://127.0.0.2:9/anna/kontakte/"}}},
     dav::DavErrorKind::RedirectRefused, "gefolgt wird nur zum selben Server"},
    {"RedirectToHttpsOfTheSameHost", "PROPFIND", {301, {}, {{"Location", "https://127.0.0.1/anna/kontakte/"}}},
     dav::DavErrorKind::RedirectRefused, "gefolgt wird nur zum selben Server"},
};

class Faults : public DavTest, public ::testing::WithParamInterface<FaultCase> {
protected:
    void SetUp() override {
        DavTest::SetUp();
        server.putCard("anna.vcf", Card("u-anna", "Anna", "Berg", "BDAY:1980-02-01\r\n"));
        server.putCard("bert.vcf", Card("u-bert", "Bert", "Kurz", "BDAY:1975-03-15\r\n"));
    }
    dav::ContactSyncResult Run() {
        dav::ConnectionLimits limits;
        limits.timeoutMs = 400;  // the silence case; nothing else here takes that long
        return Sync(server.base(), "anna", "geheim", {server.book()}, limits);
    }
    FakeServer server;
};

TEST_P(Faults, LeaveFileAndStateAsTheyWereAndTheNextRunPicksUp) {
    const FaultCase& c = GetParam();
    // A first run leaves something to keep: one contact in the file.
    server.removeCard("bert.vcf");
    ASSERT_TRUE(Run().ok);
    server.putCard("bert.vcf", Card("u-bert", "Bert", "Kurz", "BDAY:1975-03-15\r\n"));
    server.putCard("anna.vcf", Card("u-anna", "Anna", "Berg", "BDAY:1980-02-02\r\n"));
    const std::string file = FileBytes(), state = StateBytes();

    bool struck = false;
    server.fault = [&](const FakeRequest& r) -> std::optional<Fault> {
        if (struck || r.method != c.onRequest) return std::nullopt;
        struck = true;
        return c.fault;
    };
    const dav::ContactSyncResult failed = Run();
    EXPECT_TRUE(struck);
    EXPECT_FALSE(failed.ok);
    ASSERT_EQ(failed.failures.size(), 1) << failed.summary.toStdString();
    EXPECT_EQ(failed.failures[0].error.kind, c.kind) << failed.summary.toStdString();
    EXPECT_NE(failed.summary.indexOf(QString::fromUtf8(c.message)), -1) << failed.summary.toStdString();
    EXPECT_EQ(FileBytes(), file);
    EXPECT_EQ(StateBytes(), state);

    server.fault = nullptr;
    const dav::ContactSyncResult next = Run();
    EXPECT_TRUE(next.ok) << next.summary.toStdString();
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Anna Berg|Geburtstag|02.02.1980", "Bert Kurz|Geburtstag|15.03.1975"}));
}

INSTANTIATE_TEST_SUITE_P(FakeServer, Faults, ::testing::ValuesIn(kFaults),
                         [](const auto& info) { return std::string(info.param.name); });

// Without sync-collection the server is asked for every ETag, and only the
// changed cards are fetched, in batches on the wire at once.
TEST_F(DavTest, WithoutSyncCollectionOnlyChangedCardsAreFetched) {
    FakeServer server;
    for (int i = 0; i < 30; ++i)
        server.putCard(QByteArray("k") + QByteArray::number(i) + ".vcf",
                       Card("u" + QByteArray::number(i), "Kind", QByteArray::number(i), "BDAY:2001-01-" +
                            QByteArray::number(10 + i % 18) + "\r\n"));
    const auto first = Sync(server.base(), "anna", "geheim", {server.book()});
    ASSERT_TRUE(first.ok) << first.summary.toStdString();
    EXPECT_EQ(Entries().size(), 30u);
    EXPECT_EQ(server.requests, 2 + 5) << "properties, listing, 30 cards in batches of 7";

    server.requests = 0;
    EXPECT_EQ(Sync(server.base(), "anna", "geheim", {server.book()}).requests, 1) << "the ctag is the same";
    EXPECT_EQ(server.requests, 1);

    server.requests = 0;
    server.putCard("k3.vcf", Card("u3", "Kind", "3", "BDAY:2001-02-13\r\n"));
    server.putCard("neu.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Neu;Nele\r\nBDAY:2020-08-08\r\nEND:VCARD\r\n");
    server.putCard("kaputt.vcf", "kein vCard");
    server.removeCard("k4.vcf");
    const auto changed = Sync(server.base(), "anna", "geheim", {server.book()});
    EXPECT_TRUE(changed.ok) << changed.summary.toStdString();
    EXPECT_EQ(server.requests, 3) << "properties, listing, one batch of three";
    EXPECT_EQ(changed.report.changed.size(), 1u);
    EXPECT_EQ(changed.report.added.size(), 1u);
    EXPECT_EQ(changed.report.deletedOnServer.size(), 1u);
    ASSERT_EQ(changed.report.skipped.size(), 1u);
    EXPECT_NE(changed.summary.indexOf(QStringLiteral("/anna/kontakte/kaputt.vcf: vCard nicht lesbar")), -1)
        << changed.summary.toStdString();
    EXPECT_EQ(Entries().size(), 31u);
}

TEST_F(DavTest, WrongPasswordIsAskedOnceMoreThenTheRunFailsWithoutWriting) {
    FakeServer server;
    server.putCard("a.vcf", Card("u-a", "Anna", "Berg", "BDAY:1980-02-01\r\n"));
    // Answers: first a wrong password, then, asked again, the right one.
    struct Asking : dav::PasswordSource {
        QStringList answers;
        QList<Reason> reasons;
        void password(const dav::Account&, Reason reason, Done done) override {
            reasons << reason;
            if (answers.isEmpty()) return done(std::nullopt, QStringLiteral("Abgebrochen."));
            done(answers.takeFirst(), {});
        }
        int acceptedCount = 0;
        void accepted(const dav::Account&, const QString&) override { ++acceptedCount; }
    };
    Asking asking;
    asking.answers = {"falsch", "geheim"};
    {
        dav::DavClient client({server.base().toString(), "anna", false}, asking, pins);
        EXPECT_TRUE(Sync(client, {server.book()}).ok);
        EXPECT_EQ(asking.reasons, (QList<dav::PasswordSource::Reason>{dav::PasswordSource::Reason::First,
                                                                       dav::PasswordSource::Reason::Rejected}));
        EXPECT_EQ(asking.acceptedCount, 1);
    }
    server.putCard("b.vcf", Card("u-b", "Bert", "Kurz", "BDAY:1975-03-15\r\n"));
    const std::string file = FileBytes();
    asking.answers = {"falsch"};
    dav::DavClient client({server.base().toString(), "anna", false}, asking, pins);
    const auto r = Sync(client, {server.book()});
    EXPECT_FALSE(r.ok);
    ASSERT_EQ(r.failures.size(), 1);
    EXPECT_EQ(r.failures[0].error.kind, dav::DavErrorKind::Unauthorized);
    EXPECT_NE(r.summary.indexOf(QStringLiteral("Benutzername oder Passwort abgelehnt (401)")), -1) << r.summary.toStdString();
    EXPECT_EQ(r.summary.indexOf(QStringLiteral("falsch")), -1) << "a password is never shown";
    EXPECT_EQ(FileBytes(), file);
}

TEST_F(DavTest, ServerDownUnknownNameAndPlainHttpElsewhereGiveGermanMessagesAndChangeNothing) {
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost, 0);
    const quint16 port = closed.serverPort();
    closed.close();
    struct Case {
        QString server;
        dav::DavErrorKind kind;
        const char* message;
        bool plainAllowed;
    };
    const std::vector<Case> cases = {
        {QStringLiteral("http://127.0.0.1:%1/anna/kontakte/").arg(port), dav::DavErrorKind::ConnectionRefused,
         "nicht erreichbar", false},
        {"https://kalender.termifolio.invalid/anna/kontakte/", dav::DavErrorKind::HostNotFound, "nicht gefunden", false},
        {"http://192.0.2.7/anna/kontakte/", dav::DavErrorKind::PlainHttpRefused, "unverschlüsselt an 192.0.2.7", false},
    };
    const std::string file = FileBytes();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.server.toStdString());
        dav::FixedPassword password("geheim");
        dav::DavClient client({c.server, "anna", c.plainAllowed}, password, pins);
        const auto r = Sync(client, {QUrl(c.server)});
        EXPECT_FALSE(r.ok);
        ASSERT_EQ(r.failures.size(), 1);
        EXPECT_EQ(r.failures[0].error.kind, c.kind);
        EXPECT_NE(r.summary.indexOf(QString::fromUtf8(c.message)), -1) << r.summary.toStdString();
        EXPECT_EQ(FileBytes(), file);
        EXPECT_EQ(StateBytes(), "");
    }
}

}  // namespace
}  // namespace tmf::test
