// Radicale behind TLS with a certificate made at test time, which no
// certificate authority of the system vouches for.
#include "DavFixture.h"
#include "DavServers.h"

namespace tmf::test {
namespace {

class Tls : public DavTest {
protected:
    static void SetUpTestSuite() {
        server = new Radicale(true);
        QString why;
        if (!server->start(&why)) {
            delete server;
            server = nullptr;
            startFailure = why.toStdString();
        }
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override {
        DavTest::SetUp();
        ASSERT_NE(server, nullptr) << startFailure;
        book = server->makeAddressBook(QStringLiteral("tls%1").arg(++books), QStringLiteral("Sicher"));
        ASSERT_EQ(server->put(book, "a.vcf", Card("u-a", "Anna", "Berg", "BDAY:1980-02-01\r\n")), 201);
    }
    dav::ContactSyncResult Run(const QList<QByteArray>& accepted = {}, dav::CertificateQuestion question = {}) {
        dav::FixedPassword password(server->password());
        dav::DavClient client({server->base().toString(), server->user(), false}, password, pins);
        client.setAcceptedFingerprints(accepted);
        client.setCertificateQuestion(std::move(question));
        return Sync(client, {book});
    }

    static inline Radicale* server = nullptr;
    static inline std::string startFailure;
    static inline int books = 0;
    QUrl book;
};

TEST_F(Tls, UnknownCertificateIsRefusedWithItsFingerprintUntilAccepted) {
    const dav::ContactSyncResult refused = Run();
    ASSERT_EQ(refused.failures.size(), 1);
    const dav::DavError& e = refused.failures[0].error;
    EXPECT_EQ(e.kind, dav::DavErrorKind::TlsUntrusted);
    EXPECT_EQ(e.certificate.sha256, server->fingerprint());
    EXPECT_NE(refused.summary.indexOf(dav::FormatFingerprint(server->fingerprint())), -1) << refused.summary.toStdString();
    EXPECT_NE(refused.summary.indexOf(QStringLiteral("von keiner bekannten Stelle bestätigt")), -1);
    EXPECT_EQ(Entries(), std::vector<std::string>{});
    EXPECT_FALSE(pins.pinned("127.0.0.1", server->base().port()));

    // Accepted by its fingerprint (the terminal's option): taken and pinned.
    const dav::ContactSyncResult accepted = Run({server->fingerprint()});
    ASSERT_TRUE(accepted.ok) << accepted.summary.toStdString();
    EXPECT_EQ(Entries(), std::vector<std::string>{"Anna Berg|Geburtstag|01.02.1980"});
    EXPECT_EQ(pins.pinned("127.0.0.1", server->base().port()), server->fingerprint());
    // From then on the pin alone lets it through.
    EXPECT_TRUE(Run().ok);
}

TEST_F(Tls, TheQuestionIsAskedOnceAndItsAnswerDecides) {
    for (const bool yes : {false, true}) {
        int asked = 0;
        const dav::ContactSyncResult r = Run({}, [&](const dav::UntrustedCertificate& c) {
            ++asked;
            EXPECT_EQ(c.host, QStringLiteral("127.0.0.1"));
            EXPECT_EQ(c.subject, QStringLiteral("Radicale der Tests"));
            EXPECT_FALSE(c.problems.isEmpty());
            return yes;
        });
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(r.ok, yes) << r.summary.toStdString();
        EXPECT_EQ(pins.pinned("127.0.0.1", server->base().port()).has_value(), yes);
    }
}

TEST_F(Tls, ChangedCertificateIsRefusedWithBothFingerprints) {
    QByteArray other = server->fingerprint();
    other[0] = static_cast<char>(other[0] ^ 0x5a);
    pins.pin("127.0.0.1", server->base().port(), other);
    // Not even a question: a pinned certificate that changed is refused.
    int asked = 0;
    const dav::ContactSyncResult r = Run({}, [&](const dav::UntrustedCertificate&) { return ++asked > 0; });
    EXPECT_EQ(asked, 0);
    ASSERT_EQ(r.failures.size(), 1);
    EXPECT_EQ(r.failures[0].error.kind, dav::DavErrorKind::TlsPinMismatch);
    EXPECT_NE(r.summary.indexOf(QStringLiteral("hat sich geändert")), -1) << r.summary.toStdString();
    EXPECT_NE(r.summary.indexOf(dav::FormatFingerprint(other)), -1);
    EXPECT_NE(r.summary.indexOf(dav::FormatFingerprint(server->fingerprint())), -1);
    EXPECT_EQ(Entries(), std::vector<std::string>{});
    EXPECT_EQ(pins.pinned("127.0.0.1", server->base().port()), other);
}

TEST(Fingerprints, AreReadWithOrWithoutColonsAndRefusedWhenNotThirtyTwoBytes) {
    const QByteArray bytes = QByteArray::fromHex("00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff");
    EXPECT_EQ(dav::FormatFingerprint(bytes).left(12), QStringLiteral("00:11:22:33:"));
    for (const QString& text : {dav::FormatFingerprint(bytes), dav::FormatFingerprint(bytes).toLower(),
                                QString::fromLatin1(bytes.toHex()), QString::fromLatin1(bytes.toHex(' '))})
        EXPECT_EQ(dav::ParseFingerprint(text), bytes) << text.toStdString();
    for (const QString& text : {QString::fromLatin1(bytes.toHex()).chopped(2), QString::fromLatin1(bytes.toHex()) + "00",
                                QString::fromLatin1(bytes.toHex()).replace(0, 1, "g"), QString()})
        EXPECT_TRUE(dav::ParseFingerprint(text).isEmpty()) << text.toStdString();
}

}  // namespace
}  // namespace tmf::test
