// The sync password on the desktop: from the secret store when it holds
// one, asked once per run where no store runs, asked again after the server
// refused it, and stored only once the server took it.
#include <QTest>

#include "PlatformTestSupport.h"
#include "ServerSyncSupport.h"

using tmf::dav::Account;
using tmf::dav::PasswordSource;
using tmf::qt::KeychainPassword;
using tmf::test::FakeSecretStore;
using tmf::test::ScriptedQuestion;

namespace {

struct Answered {
    bool done = false;
    std::optional<QString> password;
    QString why;
};

// Asks the source and waits for its answer; it must never come from
// within the call itself.
Answered AskFor(PasswordSource& source, const Account& account, PasswordSource::Reason reason) {
    Answered a;
    source.password(account, reason, [&a](std::optional<QString> password, QString why) {
        a.done = true;
        a.password = std::move(password);
        a.why = std::move(why);
    });
    EXPECT_FALSE(a.done) << "answered from within the call";
    EXPECT_TRUE(QTest::qWaitFor([&] { return a.done; }, 5000));
    return a;
}

const Account kAnna{"http://127.0.0.1:5232/anna/", "anna", false};

}  // namespace

TEST(KeychainPassword, WithoutASecretServiceItAsksOnceAndKeepsThePasswordForTheRunOnly) {
    // No session bus at all: the real store cannot be reached.
    tmf::test::ScopedEnv noBus("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tmf-no-bus");
    ScriptedQuestion question;
    question.answers = {QString("geheim")};
    KeychainPassword source(question.port());

    Answered first = AskFor(source, kAnna, PasswordSource::Reason::First);
    EXPECT_EQ(first.password, QString("geheim"));
    EXPECT_FALSE(source.StoreAvailable());
    ASSERT_EQ(question.prompts.size(), 1u);
    EXPECT_EQ(question.prompts[0], "Passwort für anna auf 127.0.0.1:");

    source.accepted(kAnna, "geheim");
    Answered again = AskFor(source, kAnna, PasswordSource::Reason::First);
    EXPECT_EQ(again.password, QString("geheim"));
    EXPECT_EQ(question.prompts.size(), 1u) << "asked twice in one run";

    // Another program run knows nothing of it.
    KeychainPassword nextRun(question.port());
    question.answers = {std::nullopt};
    Answered cancelled = AskFor(nextRun, kAnna, PasswordSource::Reason::First);
    EXPECT_FALSE(cancelled.password);
    EXPECT_EQ(cancelled.why, "Es wurde kein Passwort eingegeben.");
}

TEST(KeychainPassword, AStoredPasswordIsUsedWithoutAskingAndNotWrittenAgain) {
    FakeSecretStore::Shared store;
    store.secrets.insert("anna@http://127.0.0.1:5232", "geheim");
    ScriptedQuestion question;
    KeychainPassword source(question.port(), std::make_unique<FakeSecretStore>(store));

    EXPECT_EQ(AskFor(source, kAnna, PasswordSource::Reason::First).password, QString("geheim"));
    // Another collection of the same server and user shares the password.
    const Account otherBook{"http://127.0.0.1:5232/anna/arbeit/", "anna", false};
    EXPECT_EQ(AskFor(source, otherBook, PasswordSource::Reason::First).password, QString("geheim"));
    source.accepted(kAnna, "geheim");
    QTest::qWait(20);
    EXPECT_TRUE(question.prompts.empty());
    EXPECT_TRUE(store.writes.empty());
}

TEST(KeychainPassword, ANewPasswordIsStoredOnlyOnceTheServerTookIt) {
    FakeSecretStore::Shared store;
    ScriptedQuestion question;
    question.answers = {QString("falsch"), QString("geheim")};
    KeychainPassword source(question.port(), std::make_unique<FakeSecretStore>(store));

    EXPECT_EQ(AskFor(source, kAnna, PasswordSource::Reason::First).password, QString("falsch"));
    Answered retry = AskFor(source, kAnna, PasswordSource::Reason::Rejected);
    EXPECT_EQ(retry.password, QString("geheim"));
    ASSERT_EQ(question.prompts.size(), 2u);
    EXPECT_EQ(question.prompts[1], "Der Server hat das Passwort abgelehnt.\nPasswort für anna auf 127.0.0.1:");
    EXPECT_TRUE(store.writes.empty()) << "stored before the server took it";

    source.accepted(kAnna, "geheim");
    QTest::qWait(20);
    ASSERT_EQ(store.writes.size(), 1u);
    EXPECT_EQ(store.writes[0], std::make_pair(QString("anna@http://127.0.0.1:5232"), QString("geheim")));
}

TEST(KeychainPassword, TheTypedPasswordComesFirstAndAFailingStoreIsGivenUpForTheRun) {
    FakeSecretStore::Shared store;
    store.secrets.insert("anna@http://127.0.0.1:5232", "alt");
    ScriptedQuestion question;
    KeychainPassword source(question.port(), std::make_unique<FakeSecretStore>(store));
    source.SetTyped(kAnna, "neu");
    EXPECT_EQ(AskFor(source, kAnna, PasswordSource::Reason::First).password, QString("neu"));
    EXPECT_TRUE(store.reads.empty());

    store.available = false;  // the secret service went away
    source.accepted(kAnna, "neu");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !source.StoreAvailable(); }, 2000));
    source.accepted(kAnna, "neuer");
    QTest::qWait(20);
    EXPECT_EQ(store.writes.size(), 1u) << "a store known to fail was tried again";
}
