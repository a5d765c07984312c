#pragma once
// A small CardDAV server inside the test, for what real servers do not do:
// it offers no sync-collection (ETags and addressbook-multiget only, as
// older servers), holds cards that do not parse, and answers with the
// status, garbage, silence or endless body a test asks for.
#include <QByteArray>
#include <QHash>
#include <QMap>
#include <QObject>
#include <QTcpServer>
#include <QUrl>
#include <functional>
#include <optional>

namespace tmf::test {

struct FakeRequest {
    QByteArray method;
    QByteArray path;
    QHash<QByteArray, QByteArray> headers;  // lower-case names
    QByteArray body;
};

struct Fault {
    int status = 0;         // answer with this status and body
    QByteArray body;
    QList<std::pair<QByteArray, QByteArray>> headers;
    bool silent = false;    // never answer
    bool hangUp = false;    // close the connection after half an answer
    qint64 endless = 0;     // a 200 with this many bytes of body, streamed
    bool announce = true;   // with endless: say the length in advance
    bool applied = false;   // with hangUp: the request does its work first (its answer is lost)
};

// Besides the address book, one calendar ("/anna/kalender/") that takes
// PUT, GET and DELETE of events with If-Match and If-None-Match, as a
// calendar server does, and can be deleted whole.
class FakeServer : public QObject {
public:
    FakeServer();
    QUrl book() const;  // the one address book, "http://127.0.0.1:port/anna/kontakte/"
    QUrl base() const;
    QUrl calendar() const;
    QMap<QByteArray, QByteArray> events;  // by file name
    bool calendarGone = false;
    // Takes a whole calendar PUT on the collection, as Radicale does.
    bool takesWholeCalendars = false;

    void putCard(const QByteArray& file, const QByteArray& vcard);
    void removeCard(const QByteArray& file);
    // Consulted before each request; a fault answers it instead.
    std::function<std::optional<Fault>(const FakeRequest&)> fault;
    QByteArray password = "geheim";
    int requests = 0;

private:
    void serve(class QTcpSocket* socket, const FakeRequest& request);
    void answer(QTcpSocket* socket, int status, const QByteArray& body,
                const QList<std::pair<QByteArray, QByteArray>>& headers = {});
    QByteArray etag(const QByteArray& file) const;
    QByteArray calendarTag() const;
    struct Answer {
        int status = 404;
        QByteArray body;
        QList<std::pair<QByteArray, QByteArray>> headers;
    };
    Answer serveCalendar(const FakeRequest& request);

    QTcpServer server_;
    QMap<QByteArray, QByteArray> cards_;
    int version_ = 1;
};

}  // namespace tmf::test
