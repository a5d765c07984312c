#include "CalendarCreate.h"

#include <QXmlStreamWriter>
#include <algorithm>
#include <memory>

#include "DavXml.h"

namespace tmf::dav {
namespace {

constexpr int kMaxCalendarTries = 9;

void WriteCalendarProps(QXmlStreamWriter& w, const QString& displayName, bool withResourceType) {
    w.writeStartElement(QLatin1String(kNsDav), QStringLiteral("set"));
    w.writeStartElement(QLatin1String(kNsDav), QStringLiteral("prop"));
    if (withResourceType) {
        w.writeStartElement(QLatin1String(kNsDav), QStringLiteral("resourcetype"));
        w.writeEmptyElement(QLatin1String(kNsDav), QStringLiteral("collection"));
        w.writeEmptyElement(QLatin1String(kNsCalDav), QStringLiteral("calendar"));
        w.writeEndElement();
    }
    w.writeTextElement(QLatin1String(kNsDav), QStringLiteral("displayname"), displayName);
    w.writeStartElement(QLatin1String(kNsCalDav), QStringLiteral("supported-calendar-component-set"));
    w.writeEmptyElement(QLatin1String(kNsCalDav), QStringLiteral("comp"));
    w.writeAttribute(QStringLiteral("name"), QStringLiteral("VEVENT"));
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndElement();
}

QByteArray CalendarBody(const char* ns, const char* root, const QString& displayName, bool withResourceType) {
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.writeStartDocument();
    w.writeNamespace(QLatin1String(kNsDav), QStringLiteral("d"));
    w.writeNamespace(QLatin1String(kNsCalDav), QStringLiteral("cal"));
    w.writeStartElement(QLatin1String(ns), QLatin1String(root));
    WriteCalendarProps(w, displayName, withResourceType);
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}

struct MakeWalk : std::enable_shared_from_this<MakeWalk> {
    DavClient& client;
    QUrl home;
    QString name;
    std::function<void(const DavCollection&, const DavError&)> done;
    int tries = 0;

    MakeWalk(DavClient& c, QUrl h, QString n, std::function<void(const DavCollection&, const DavError&)> d)
        : client(c), home(std::move(h)), name(std::move(n)), done(std::move(d)) {}

    QUrl candidate() const {
        QUrl url = home;
        QString path = url.path();
        if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
        path += tries == 1 ? QStringLiteral("termifolio98/") : QStringLiteral("termifolio98-%1/").arg(tries);
        url.setPath(path);
        return url;
    }

    void fail(DavError e) { done({}, e); }

    // Whatever is at the URL already stays: only a free name is made.
    void next() {
        if (++tries > kMaxCalendarTries) {
            DavError e;
            e.kind = DavErrorKind::HttpStatus;
            e.url = home;
            e.message = QStringLiteral("In %1 ist kein Name für einen neuen Kalender frei.")
                            .arg(home.toDisplayString(QUrl::RemoveUserInfo));
            return fail(e);
        }
        const QUrl url = candidate();
        DavRequest probe{"PROPFIND", url, PropfindBody({{kNsDav, "resourcetype"}})};
        probe.depth = 0;
        auto self = shared_from_this();
        client.send(probe, [self, url](const DavReply& reply) {
            if (reply.error.kind == DavErrorKind::NotFound) return self->mkcalendar(url);
            if (reply.error) return self->fail(reply.error);
            // Some servers say "not found" inside a multistatus.
            const MultiStatus ms = ParseMultiStatus(reply.body);
            const bool missing = reply.status == 207 && ms.ok && !ms.responses.isEmpty() &&
                                 std::all_of(ms.responses.begin(), ms.responses.end(),
                                             [](const DavResponse& r) { return r.status == 404; });
            if (missing) return self->mkcalendar(url);
            self->next();  // taken
        });
    }

    void mkcalendar(const QUrl& url) {
        DavRequest request{"MKCALENDAR", url, MkcalendarBody(name)};
        auto self = shared_from_this();
        client.send(request, [self, url](const DavReply& reply) {
            if (reply.status == 201) return self->read(url);
            // Made meanwhile by someone else: the next name.
            if (reply.body.contains("resource-must-be-null")) return self->next();
            // A server without MKCALENDAR: the extended MKCOL makes the same.
            const bool unknownMethod = reply.status == 405 || reply.status == 501 || reply.status == 400 ||
                                       (reply.status == 403 && ErrorConditions(reply.body).isEmpty());
            if (unknownMethod) return self->mkcol(url);
            self->refused(reply, url);
        });
    }

    void mkcol(const QUrl& url) {
        DavRequest request{"MKCOL", url, MkcolCalendarBody(name)};
        auto self = shared_from_this();
        client.send(request, [self, url](const DavReply& reply) {
            if (reply.status == 201) return self->read(url);
            self->refused(reply, url);
        });
    }

    void refused(const DavReply& reply, const QUrl& url) {
        DavError e = reply.error;
        if (!e) {
            e.kind = DavErrorKind::HttpStatus;
            e.httpStatus = reply.status;
            e.url = url;
        }
        e.message = QStringLiteral("Der Server hat keinen neuen Kalender angelegt (%1 bei %2).")
                        .arg(reply.status ? QString::number(reply.status) : e.message, url.toDisplayString(QUrl::RemoveUserInfo));
        fail(e);
    }

    void read(const QUrl& url) {
        auto self = shared_from_this();
        ReadCollection(client, url, [self](const DavCollection& c, const DavError& e) { self->done(c, e); });
    }
};

}  // namespace

QByteArray MkcalendarBody(const QString& displayName) { return CalendarBody(kNsCalDav, "mkcalendar", displayName, false); }
QByteArray MkcolCalendarBody(const QString& displayName) { return CalendarBody(kNsDav, "mkcol", displayName, true); }

void MakeCalendar(DavClient& client, const QUrl& home, const QString& displayName,
                  std::function<void(const DavCollection&, const DavError&)> done) {
    auto make = std::make_shared<MakeWalk>(client, home, displayName, std::move(done));
    make->next();
}

}  // namespace tmf::dav
