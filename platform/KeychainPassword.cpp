#include "KeychainPassword.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QTimer>
#include <qt6keychain/keychain.h>

#include "DavTypes.h"
#include "QtDialogs.h"

namespace tmf::qt {

KeychainStore::KeychainStore(QString service) : service_(std::move(service)) {}

KeychainStore::~KeychainStore() = default;

void KeychainStore::Read(const QString& key, ReadDone done) {
    auto* job = new QKeychain::ReadPasswordJob(service_);
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(key);
    QObject::connect(job, &QKeychain::Job::finished, &context_, [done = std::move(done)](QKeychain::Job* j) {
        const auto* read = static_cast<QKeychain::ReadPasswordJob*>(j);
        switch (read->error()) {
            case QKeychain::NoError:
                done(Status::Found, read->textData());
                return;
            case QKeychain::EntryNotFound:
                done(Status::NotFound, {});
                return;
            default:
                // No secret service on the bus, no bus, access refused: the
                // same to the user, who is asked instead.
                done(Status::Unavailable, {});
                return;
        }
    });
    job->start();
}

void KeychainStore::Write(const QString& key, const QString& secret, WriteDone done) {
    auto* job = new QKeychain::WritePasswordJob(service_);
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(key);
    job->setTextData(secret);
    QObject::connect(job, &QKeychain::Job::finished, &context_, [done = std::move(done)](QKeychain::Job* j) {
        done(j->error() == QKeychain::NoError);
    });
    job->start();
}

std::optional<QString> AskPasswordBox(const QString& prompt) {
    QInputDialog dialog(DialogParent());
    dialog.setObjectName(QStringLiteral("PasswortFrage"));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextEchoMode(QLineEdit::Password);
    dialog.setWindowTitle(QStringLiteral("Server-Abgleich"));
    dialog.setLabelText(prompt);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Abbrechen"));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.textValue();
}

KeychainPassword::KeychainPassword(PasswordQuestion ask, std::unique_ptr<SecretStore> store)
    : ask_(std::move(ask)), store_(std::move(store)) {}

KeychainPassword::~KeychainPassword() = default;

QString KeychainPassword::StoreKey(const dav::Account& account) {
    const QUrl url = dav::ServerUrl(account.server);
    QString origin = url.scheme() + QStringLiteral("://") + url.host();
    if (url.port() > 0) origin += QLatin1Char(':') + QString::number(url.port());
    return account.user + QLatin1Char('@') + origin;
}

void KeychainPassword::SetTyped(const dav::Account& account, const QString& password) {
    if (!password.isEmpty()) known_.insert(StoreKey(account), password);
}

void KeychainPassword::Forget() {
    known_.clear();
    stored_.clear();
}

void KeychainPassword::password(const dav::Account& account, Reason reason, Done done) {
    const QString key = StoreKey(account);
    if (reason == Reason::Rejected) {
        known_.remove(key);
        Ask(account, QStringLiteral("Der Server hat das Passwort abgelehnt.\n"), std::move(done));
        return;
    }
    if (const auto it = known_.constFind(key); it != known_.constEnd()) {
        // Never from within the caller's own call: the contract is "now or
        // later", and later is what every other path does.
        QTimer::singleShot(0, &context_, [done = std::move(done), password = *it] { done(password, {}); });
        return;
    }
    if (!storeAvailable_) {
        Ask(account, {}, std::move(done));
        return;
    }
    store_->Read(key, [this, account, key, done = std::move(done)](SecretStore::Status status, const QString& secret) {
        if (status == SecretStore::Status::Found && !secret.isEmpty()) {
            known_.insert(key, secret);
            stored_.insert(key, secret);
            done(secret, {});
            return;
        }
        if (status == SecretStore::Status::Unavailable) storeAvailable_ = false;
        Ask(account, {}, done);
    });
}

void KeychainPassword::Ask(const dav::Account& account, const QString& why, Done done) {
    // A modal box from the event loop, not from inside the request that
    // needed the password.
    QTimer::singleShot(0, &context_, [this, account, why, done = std::move(done)] {
        const QString host = dav::ServerUrl(account.server).host();
        const QString prompt = why + (account.user.isEmpty()
                                          ? QStringLiteral("Passwort für %1:").arg(host)
                                          : QStringLiteral("Passwort für %1 auf %2:").arg(account.user, host));
        const std::optional<QString> answer = ask_ ? ask_(prompt) : std::nullopt;
        if (!answer || answer->isEmpty()) {
            done(std::nullopt, QStringLiteral("Es wurde kein Passwort eingegeben."));
            return;
        }
        known_.insert(StoreKey(account), *answer);
        done(*answer, {});
    });
}

void KeychainPassword::accepted(const dav::Account& account, const QString& password) {
    const QString key = StoreKey(account);
    known_.insert(key, password);
    if (!storeAvailable_ || stored_.value(key) == password) return;
    stored_.insert(key, password);
    store_->Write(key, password, [this, key](bool stored) {
        if (stored) return;
        storeAvailable_ = false;
        stored_.remove(key);
    });
}

}  // namespace tmf::qt
