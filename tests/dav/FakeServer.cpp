#include "FakeServer.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QTcpSocket>
#include <memory>

namespace tmf::test {
namespace {

constexpr const char* kBookPath = "/anna/kontakte/";
constexpr const char* kCalendarPath = "/anna/kalender/";

QByteArray EventTag(const QByteArray& body) {
    return '"' + QCryptographicHash::hash(body, QCryptographicHash::Sha1).toHex().left(16) + '"';
}

QByteArray Reason(int status) {
    switch (status) {
        case 200: return "OK";
        case 207: return "Multi-Status";
        case 301: return "Moved Permanently";
        case 201: return "Created";
        case 204: return "No Content";
        case 401: return "Unauthorized";
        case 412: return "Precondition Failed";
        case 415: return "Unsupported Media Type";
        case 507: return "Insufficient Storage";
        case 403: return "Forbidden";
        case 404: return "Not Found";
        case 500: return "Internal Server Error";
        case 503: return "Service Unavailable";
        default: return "Status";
    }
}

QByteArray Response(const QByteArray& href, const QByteArray& props) {
    return "<d:response><d:href>" + href + "</d:href><d:propstat><d:prop>" + props +
           "</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>";
}

QByteArray Multistatus(const QByteArray& inner) {
    return "<?xml version=\"1.0\"?><d:multistatus xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:carddav\" "
           "xmlns:cs=\"http://calendarserver.org/ns/\" xmlns:cal=\"urn:ietf:params:xml:ns:caldav\">" + inner + "</d:multistatus>";
}

QByteArray Escaped(QByteArray text) {
    return text.replace('&', "&amp;").replace('<', "&lt;").replace('>', "&gt;");
}

}  // namespace

FakeServer::FakeServer() {
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            auto buffer = std::make_shared<QByteArray>();
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
                buffer->append(socket->readAll());
                for (;;) {
                    const qsizetype end = buffer->indexOf("\r\n\r\n");
                    if (end < 0) return;
                    FakeRequest request;
                    const QList<QByteArray> lines = buffer->left(end).split('\n');
                    const QList<QByteArray> first = lines.front().trimmed().split(' ');
                    if (first.size() < 2) return socket->abort();
                    request.method = first[0];
                    request.path = first[1];
                    for (qsizetype i = 1; i < lines.size(); ++i) {
                        const qsizetype colon = lines[i].indexOf(':');
                        if (colon > 0)
                            request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
                    }
                    const qsizetype length = request.headers.value("content-length", "0").toLongLong();
                    if (buffer->size() < end + 4 + length) return;
                    request.body = buffer->mid(end + 4, length);
                    buffer->remove(0, end + 4 + length);
                    ++requests;
                    serve(socket, request);
                    if (socket->state() != QAbstractSocket::ConnectedState) return;
                }
            });
        }
    });
}

QUrl FakeServer::base() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(server_.serverPort())); }
QUrl FakeServer::calendar() const { return base().resolved(QUrl(QString::fromLatin1(kCalendarPath))); }

QByteArray FakeServer::calendarTag() const {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (auto it = events.cbegin(); it != events.cend(); ++it) hash.addData(it.key() + '\n' + it.value() + '\n');
    return "\"c" + hash.result().toHex().left(16) + '"';
}

FakeServer::Answer FakeServer::serveCalendar(const FakeRequest& request) {
    const QByteArray path = QByteArray::fromPercentEncoding(request.path);
    if (calendarGone) return {};
    if (request.method == "PROPFIND" && path == kCalendarPath) {
        return {207, Multistatus(Response(kCalendarPath,
                                          "<d:resourcetype><d:collection/><cal:calendar/></d:resourcetype>"
                                          "<d:displayname>Testkalender</d:displayname><cal:supported-calendar-component-set>"
                                          "<cal:comp name=\"VEVENT\"/></cal:supported-calendar-component-set>"
                                          "<d:getetag>" + calendarTag() + "</d:getetag>")),
                {}};
    }
    if (request.method == "REPORT" && path == kCalendarPath && request.body.contains("calendar-query")) {
        const bool data = request.body.contains("calendar-data");
        QByteArray out;
        for (auto it = events.cbegin(); it != events.cend(); ++it)
            out += Response(kCalendarPath + it.key(), "<d:getetag>" + EventTag(*it) + "</d:getetag>" +
                                                          (data ? "<cal:calendar-data>" + Escaped(*it) + "</cal:calendar-data>"
                                                                : QByteArray()));
        return {207, Multistatus(out), {}};
    }
    // A whole calendar replaces the collection, each event kept under its UID.
    if (request.method == "PUT" && path == kCalendarPath) {
        if (!takesWholeCalendars) return {405, {}, {}};
        if (request.headers.value("if-match") != calendarTag()) return {412, {}, {}};
        events.clear();
        static const QRegularExpression vevent(QStringLiteral("BEGIN:VEVENT\r\n.*?END:VEVENT\r\n"),
                                               QRegularExpression::DotMatchesEverythingOption);
        for (auto m = vevent.globalMatch(QString::fromUtf8(request.body)); m.hasNext();) {
            const QByteArray block = m.next().captured().toUtf8();
            const QByteArray uid = block.mid(block.indexOf("UID:") + 4).split('\r').front();
            events[uid + ".ics"] = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Fake//DE\r\n" + block + "END:VCALENDAR\r\n";
        }
        return {201, {}, {{"ETag", calendarTag()}}};
    }
    const QByteArray file = path.mid(qstrlen(kCalendarPath));
    const auto it = events.constFind(file);
    const bool exists = it != events.constEnd();
    const QByteArray ifMatch = request.headers.value("if-match");
    if (!ifMatch.isEmpty() && (!exists || EventTag(*it) != ifMatch)) return {412, {}, {}};
    if (request.method == "GET") {
        if (!exists) return {};
        return {200, *it, {{"ETag", EventTag(*it)}}};
    }
    if (request.method == "PUT") {
        if (exists && request.headers.value("if-none-match") == "*") return {412, {}, {}};
        events[file] = request.body;
        return {exists ? 204 : 201, {}, {{"ETag", EventTag(request.body)}}};
    }
    if (request.method == "DELETE") {
        if (!exists) return {};
        events.remove(file);
        return {204, {}, {}};
    }
    return {};
}

QUrl FakeServer::book() const { return base().resolved(QUrl(QString::fromLatin1(kBookPath))); }

void FakeServer::putCard(const QByteArray& file, const QByteArray& vcard) {
    cards_[file] = vcard;
    ++version_;
}

void FakeServer::removeCard(const QByteArray& file) {
    cards_.remove(file);
    ++version_;
}

QByteArray FakeServer::etag(const QByteArray& file) const {
    return '"' + QCryptographicHash::hash(cards_.value(file), QCryptographicHash::Sha1).toHex().left(16) + '"';
}

void FakeServer::answer(QTcpSocket* socket, int status, const QByteArray& body,
                        const QList<std::pair<QByteArray, QByteArray>>& headers) {
    QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + ' ' + Reason(status) + "\r\n";
    for (const auto& [name, value] : headers) head += name + ": " + value + "\r\n";
    head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    if (!body.isEmpty()) head += "Content-Type: application/xml; charset=utf-8\r\n";
    socket->write(head + "\r\n" + body);
}

void FakeServer::serve(QTcpSocket* socket, const FakeRequest& request) {
    if (fault) {
        if (const std::optional<Fault> f = fault(request)) {
            if (f->silent) return;
            if (f->applied) serveCalendar(request);
            if (f->hangUp) {
                socket->write("HTTP/1.1 207 Multi-Status\r\nContent-Length: 5000\r\n\r\n<?xml version=");
                socket->flush();
                socket->disconnectFromHost();
                return;
            }
            if (f->endless > 0) {
                QByteArray head = "HTTP/1.1 207 Multi-Status\r\nContent-Type: application/xml\r\n";
                head += f->announce ? "Content-Length: " + QByteArray::number(f->endless) + "\r\n\r\n"
                                    : QByteArray("Connection: close\r\n\r\n");
                socket->write(head);
                auto left = std::make_shared<qint64>(f->endless);
                auto more = [socket, left] {
                    const QByteArray chunk(1 << 20, 'x');
                    while (*left > 0 && socket->bytesToWrite() < 4 * chunk.size() &&
                           socket->state() == QAbstractSocket::ConnectedState) {
                        const qint64 n = std::min<qint64>(*left, chunk.size());
                        socket->write(chunk.constData(), n);
                        *left -= n;
                    }
                    if (*left == 0) socket->disconnectFromHost();
                };
                connect(socket, &QTcpSocket::bytesWritten, socket, more);
                more();
                return;
            }
            answer(socket, f->status, f->body, f->headers);
            return;
        }
    }
    if (request.headers.value("authorization") != "Basic " + ("anna:" + password).toBase64()) {
        answer(socket, 401, {}, {{"WWW-Authenticate", "Basic realm=\"Test\""}});
        return;
    }
    const QByteArray path = QByteArray::fromPercentEncoding(request.path);
    if (request.method == "PROPFIND" && path == kBookPath) {
        QByteArray out = Response(kBookPath,
                                  "<d:resourcetype><d:collection/><c:addressbook/></d:resourcetype>"
                                  "<d:displayname>Testbuch</d:displayname><cs:getctag>" +
                                      QByteArray::number(version_) +
                                      "</cs:getctag><d:supported-report-set><d:supported-report><d:report>"
                                      "<c:addressbook-multiget/></d:report></d:supported-report></d:supported-report-set>");
        if (request.headers.value("depth") == "1")
            for (auto it = cards_.cbegin(); it != cards_.cend(); ++it)
                out += Response(kBookPath + it.key(), "<d:resourcetype/><d:getetag>" + etag(it.key()) + "</d:getetag>");
        answer(socket, 207, Multistatus(out));
        return;
    }
    if (request.method == "REPORT" && path == kBookPath && request.body.contains("addressbook-multiget")) {
        QByteArray out;
        static const QRegularExpression href(QStringLiteral("<[^>]*href>([^<]*)<"));
        for (auto m = href.globalMatch(QString::fromUtf8(request.body)); m.hasNext();) {
            const QByteArray h = QByteArray::fromPercentEncoding(m.next().captured(1).toUtf8());
            const QByteArray file = h.mid(qstrlen(kBookPath));
            if (!h.startsWith(kBookPath) || !cards_.contains(file)) {
                out += "<d:response><d:href>" + h + "</d:href><d:status>HTTP/1.1 404 Not Found</d:status></d:response>";
                continue;
            }
            out += Response(h, "<d:getetag>" + etag(file) + "</d:getetag><c:address-data>" + Escaped(cards_.value(file)) +
                                   "</c:address-data>");
        }
        answer(socket, 207, Multistatus(out));
        return;
    }
    if (path.startsWith(kCalendarPath)) {
        const Answer a = serveCalendar(request);
        answer(socket, a.status, a.body, a.headers);
        return;
    }
    answer(socket, 404, {});
}

}  // namespace tmf::test
