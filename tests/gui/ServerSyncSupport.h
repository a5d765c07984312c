#pragma once
// Helpers of the server-sync window tests: a secret store and a password
// question that the test scripts, and plain HTTP requests that put address
// books and contacts on a real server the way any other client would.
#include <gtest/gtest.h>

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "KeychainPassword.h"

namespace tmf::test {

// A secret store held in memory; Unavailable stands for a desktop without
// a secret service.
class FakeSecretStore : public qt::SecretStore {
public:
    struct Shared {
        bool available = true;
        QHash<QString, QString> secrets;
        std::vector<QString> reads;
        std::vector<std::pair<QString, QString>> writes;
    };
    explicit FakeSecretStore(Shared& shared) : s_(shared) {}
    void Read(const QString& key, ReadDone done) override {
        s_.reads.push_back(key);
        const Status status = !s_.available              ? Status::Unavailable
                              : s_.secrets.contains(key) ? Status::Found
                                                         : Status::NotFound;
        const QString secret = s_.secrets.value(key);
        QTimer::singleShot(0, [done = std::move(done), status, secret] { done(status, secret); });
    }
    void Write(const QString& key, const QString& secret, WriteDone done) override {
        s_.writes.emplace_back(key, secret);
        if (s_.available) s_.secrets.insert(key, secret);
        QTimer::singleShot(0, [done = std::move(done), ok = s_.available] { done(ok); });
    }

private:
    Shared& s_;
};

// Answers password questions from a queue and remembers each prompt; a
// question with nothing queued fails the test and is cancelled.
struct ScriptedQuestion {
    std::deque<std::optional<QString>> answers;
    std::vector<QString> prompts;
    qt::PasswordQuestion port() {
        return [this](const QString& prompt) -> std::optional<QString> {
            prompts.push_back(prompt);
            if (answers.empty()) {
                ADD_FAILURE() << "unexpected password question: " << prompt.toStdString();
                return std::nullopt;
            }
            const bool given = answers.front().has_value();
            const QString a = given ? *answers.front() : QString();
            answers.pop_front();
            if (!given) return std::nullopt;
            return a;
        };
    }
};

// One request to the server, waited for; the status, or 0 when none came.
inline int DavRequest(const QString& method, const QString& url, const QString& user, const QString& password,
                      const QByteArray& body = {}, const QByteArray& contentType = "application/xml; charset=utf-8",
                      QByteArray* answer = nullptr) {
    QNetworkAccessManager net;
    QNetworkRequest request{QUrl(url)};
    request.setRawHeader("Authorization", "Basic " + (user + ":" + password).toUtf8().toBase64());
    request.setHeader(QNetworkRequest::ContentTypeHeader, contentType);
    request.setRawHeader("Depth", "0");
    QNetworkReply* reply = net.sendCustomRequest(request, method.toLatin1(), body);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(15000, &loop, &QEventLoop::quit);
    loop.exec();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (answer) *answer = reply->readAll();
    reply->deleteLater();
    return status;
}

// An address book named displayName at <base><user>/<path>/, made with
// extended MKCOL as a contacts program makes it.
inline void MakeAddressBook(const QString& base, const QString& user, const QString& password, const QString& path,
                            const QString& displayName) {
    // The server makes a user's own collection at the first request.
    DavRequest("PROPFIND", base + user + "/", user, password);
    const QByteArray mkcol =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
        "<D:mkcol xmlns:D=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:carddav\"><D:set><D:prop>"
        "<D:resourcetype><D:collection/><C:addressbook/></D:resourcetype>"
        "<D:displayname>" + displayName.toUtf8() + "</D:displayname></D:prop></D:set></D:mkcol>";
    ASSERT_EQ(DavRequest("MKCOL", base + user + "/" + path + "/", user, password, mkcol), 201);
}

inline void PutContact(const QString& bookUrl, const QString& user, const QString& password, const QString& name,
                       const QByteArray& vcard) {
    const int status = DavRequest("PUT", bookUrl + name, user, password, vcard, "text/vcard; charset=utf-8");
    ASSERT_TRUE(status == 201 || status == 204) << status;
}

inline QByteArray Card(const char* uid, const char* family, const char* given, const char* bday) {
    return QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:") + uid + "\r\nFN:" + given + " " + family + "\r\nN:" +
           family + ";" + given + ";;;\r\nBDAY:" + bday + "\r\nEND:VCARD\r\n";
}

}  // namespace tmf::test
