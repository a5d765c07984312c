#pragma once
// The server sync's password on the desktop: kept in the desktop's secret
// store (the Secret Service, reached through QtKeychain), asked in a German
// box where no store runs and then held in memory for this run of the
// program only. It goes into the store only once the server has taken it,
// and never into a file, the INI or a log.
#include <QHash>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "Credentials.h"

namespace tmf::qt {

// Where passwords stay between runs of the program.
class SecretStore {
public:
    enum class Status { Found, NotFound, Unavailable };
    virtual ~SecretStore() = default;
    // done runs once, from the event loop; secret is empty unless Found.
    using ReadDone = std::function<void(Status status, const QString& secret)>;
    virtual void Read(const QString& key, ReadDone done) = 0;
    // done(false) when the store could not keep it.
    using WriteDone = std::function<void(bool stored)>;
    virtual void Write(const QString& key, const QString& secret, WriteDone done) = 0;
};

// The desktop's own store through QtKeychain. Its plain-text fallback stays
// off: without a secret service there is no store at all.
class KeychainStore : public SecretStore {
public:
    explicit KeychainStore(QString service = QStringLiteral("Termifolio98"));
    ~KeychainStore() override;
    void Read(const QString& key, ReadDone done) override;
    void Write(const QString& key, const QString& secret, WriteDone done) override;

private:
    QString service_;
    // Answers of jobs still under way are dropped once the store is gone.
    QObject context_;
};

// Asks for a password with the typing hidden; nothing on Cancel.
using PasswordQuestion = std::function<std::optional<QString>(const QString& prompt)>;
// The German box for it, over the window on top.
std::optional<QString> AskPasswordBox(const QString& prompt);

class KeychainPassword : public dav::PasswordSource {
public:
    explicit KeychainPassword(PasswordQuestion ask = AskPasswordBox,
                              std::unique_ptr<SecretStore> store = std::make_unique<KeychainStore>());
    ~KeychainPassword() override;

    // A password the user typed into the window; it comes before the store's.
    void SetTyped(const dav::Account& account, const QString& password);

    void password(const dav::Account& account, Reason reason, Done done) override;
    void accepted(const dav::Account& account, const QString& password) override;

    // The store's key: one password per user and server (scheme, host, port),
    // whichever of its collections was typed.
    static QString StoreKey(const dav::Account& account);
    // False once the store failed in this run; the password is then asked.
    bool StoreAvailable() const { return storeAvailable_; }
    // Nothing the user typed, read or was asked is kept any longer.
    void Forget();

private:
    void Ask(const dav::Account& account, const QString& why, Done done);

    PasswordQuestion ask_;
    std::unique_ptr<SecretStore> store_;
    bool storeAvailable_ = true;
    QHash<QString, QString> known_;   // by StoreKey: for this run only
    QHash<QString, QString> stored_;  // what the store holds, as far as this run knows
    QObject context_;
};

}  // namespace tmf::qt
