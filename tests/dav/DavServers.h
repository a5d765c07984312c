#pragma once
// Real CardDAV servers from Debian's packages, started by the tests on
// 127.0.0.1 with a free port and stopped afterwards, and the plain HTTP
// requests the tests put contacts on them with.
#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>
#include <memory>

#include "TempDir.h"

namespace tmf::test {

int FreePort();

struct HttpAnswer {
    int status = 0;
    QByteArray body;
    QByteArray etag;
};

// One request, waited for; TLS errors are ignored (the tests' own certificate).
HttpAnswer Http(const QByteArray& method, const QUrl& url, const QByteArray& body = {},
                const QList<std::pair<QByteArray, QByteArray>>& headers = {}, const QString& user = {},
                const QString& password = {});

class DavServer {
public:
    virtual ~DavServer();
    // False (and why) when the server did not come up.
    virtual bool start(QString* why) = 0;
    void stop();
    bool running() const;

    virtual const char* name() const = 0;
    QUrl base() const { return base_; }   // "http(s)://127.0.0.1:port/"
    QString user() const { return user_; }
    QString password() const { return password_; }

    // A new address book at the path (below the user's home).
    QUrl makeAddressBook(const QString& name, const QString& displayName);
    // PUT of a vCard; the status.
    int put(const QUrl& book, const QString& file, const QByteArray& vcard);
    // Many PUTs at once (several on the wire); false when one failed.
    bool putMany(const QUrl& book, const QList<std::pair<QString, QByteArray>>& cards);
    int remove(const QUrl& book, const QString& file);
    // A new calendar for events (MKCALENDAR) below the user's calendar home.
    QUrl makeCalendar(const QString& name, const QString& displayName);
    // The user's calendar home, where "Neuer Kalender" makes its calendar.
    QUrl calendarHome() const { return base_.resolved(QUrl(calendarHomePath())); }

protected:
    bool launch(const QString& program, const QStringList& arguments, QString* why);
    virtual QString homePath() const = 0;
    virtual QString calendarHomePath() const { return homePath(); }

    TempDir dir_;
    QUrl base_;
    QString user_ = QStringLiteral("anna");
    QString password_ = QStringLiteral("geheim");
    std::unique_ptr<QProcess> process_;
};

// Radicale 3 with htpasswd users (plain), its storage in a temporary folder;
// with tls, behind a certificate made at start with openssl.
class Radicale : public DavServer {
public:
    explicit Radicale(bool tls = false) : tls_(tls) {}
    bool start(QString* why) override;
    const char* name() const override { return tls_ ? "Radicale-TLS" : "Radicale"; }
    // The SHA-256 fingerprint of its certificate (tls only).
    QByteArray fingerprint() const { return fingerprint_; }
    // Many cards at once, written straight into its storage folder (which
    // it reads as its own): a few hundred PUTs would take Radicale a quarter
    // of a minute on a busy machine. Changes go through PUT as usual.
    bool seed(const QUrl& book, const QList<std::pair<QString, QByteArray>>& cards);

protected:
    QString homePath() const override { return QStringLiteral("/anna/"); }

private:
    bool tls_;
    int port_ = 0;
    // On a tmpfs where there is one: Radicale flushes every item it writes,
    // and the tests are about the client, not about the disk.
    std::unique_ptr<QTemporaryDir> storage_;
    QByteArray fingerprint_;
};

// Xandikos, which does no authentication of its own; its principal is /user/.
class Xandikos : public DavServer {
public:
    bool start(QString* why) override;
    const char* name() const override { return "Xandikos"; }

protected:
    QString homePath() const override { return QStringLiteral("/user/contacts/"); }
    QString calendarHomePath() const override { return QStringLiteral("/user/calendars/"); }
};

// "Radicale" or "Xandikos", started at the first call and shared by every
// test of the run after it; each test keeps to collections of its own.
// Nothing, and why in `why`, when it would not start.
DavServer* SharedServer(const std::string& which, QString* why);

}  // namespace tmf::test
