#include "Discovery.h"

#include <QSet>
#include <algorithm>
#include <memory>

#include "DavXml.h"

namespace tmf::dav {
namespace {

const std::vector<PropName> kCollectionProps = {
    {kNsDav, "resourcetype"},
    {kNsDav, "displayname"},
    {kNsCalendarServer, "getctag"},
    {kNsDav, "sync-token"},
    {kNsDav, "supported-report-set"},
    {kNsCardDav, "addressbook-description"},
    {kNsCalDav, "calendar-description"},
    {kNsCalDav, "supported-calendar-component-set"},
    {kNsDav, "getetag"},
    {kNsAppleIcal, "calendar-color"},
};

const std::vector<PropName> kPrincipalProps = {
    {kNsDav, "resourcetype"},
    {kNsDav, "current-user-principal"},
    {kNsCardDav, "addressbook-home-set"},
    {kNsCalDav, "calendar-home-set"},
};

QUrl WithSlash(QUrl url) {
    if (!url.path().endsWith(QLatin1Char('/'))) url.setPath(url.path() + QLatin1Char('/'));
    return url;
}

DavCollection CollectionFrom(const DavResponse& r, const QUrl& base) {
    DavCollection c;
    c.url = WithSlash(base.resolved(QUrl(r.href, QUrl::TolerantMode)));
    const QStringList types = r.props.value(QualifiedName(kNsDav, "resourcetype")).elements;
    c.addressBook = types.contains(QualifiedName(kNsCardDav, "addressbook"));
    c.calendar = types.contains(QualifiedName(kNsCalDav, "calendar"));
    c.displayName = r.text(kNsDav, "displayname").trimmed();
    if (c.displayName.isEmpty()) {
        QStringList parts = c.url.path(QUrl::FullyDecoded).split(QLatin1Char('/'), Qt::SkipEmptyParts);
        c.displayName = parts.isEmpty() ? c.url.host() : parts.last();
    }
    c.description = (c.addressBook ? r.text(kNsCardDav, "addressbook-description") : r.text(kNsCalDav, "calendar-description")).trimmed();
    c.ctag = r.text(kNsCalendarServer, "getctag").trimmed();
    c.etag = r.text(kNsDav, "getetag").trimmed();
    c.color = r.text(kNsAppleIcal, "calendar-color").trimmed();
    c.syncToken = r.text(kNsDav, "sync-token").trimmed();
    if (r.has(kNsDav, "supported-report-set")) {
        const QStringList reports = r.props.value(QualifiedName(kNsDav, "supported-report-set")).elements;
        c.syncCollection = reports.contains(QualifiedName(kNsDav, "sync-collection"));
        c.multiget = reports.contains(QualifiedName(kNsCardDav, "addressbook-multiget")) ||
                     reports.contains(QualifiedName(kNsCalDav, "calendar-multiget"));
    } else {
        // A server that hands out sync tokens takes the report that uses them.
        c.syncCollection = !c.syncToken.isEmpty();
        c.multiget = true;
    }
    const QStringList components = r.props.value(QualifiedName(kNsCalDav, "supported-calendar-component-set")).components;
    c.takesEvents = c.calendar && (components.isEmpty() || components.contains(QLatin1String("VEVENT"), Qt::CaseInsensitive));
    return c;
}

// A fault that no other way in would mend: the server or the password is
// the trouble, not the address.
bool Final(const DavError& e) {
    switch (e.kind) {
        case DavErrorKind::NotFound:
        case DavErrorKind::Forbidden:
        case DavErrorKind::HttpStatus:
        case DavErrorKind::BadResponse:
        case DavErrorKind::ServerError:
        case DavErrorKind::RedirectRefused:
            return false;
        default:
            return bool(e);
    }
}

DavError BadAnswer(const QUrl& url) {
    DavError e;
    e.kind = DavErrorKind::BadResponse;
    e.url = url;
    e.message = ErrorMessage(e.kind, url);
    return e;
}

struct Walk : std::enable_shared_from_this<Walk> {
    DavClient& client;
    std::function<void(const DiscoveryResult&)> done;
    QUrl start;
    DiscoveryResult result;
    DavError firstError;
    QSet<QString> seen;

    Walk(DavClient& c, std::function<void(const DiscoveryResult&)> d) : client(c), done(std::move(d)) {}

    void propfind(const QUrl& url, int depth, const std::vector<PropName>& props,
                  std::function<void(const MultiStatus&, const QUrl& answered, const DavError&)> next) {
        DavRequest request{"PROPFIND", url, PropfindBody(props)};
        request.depth = depth;
        client.send(request, [next, url](const DavReply& reply) {
            if (reply.error) return next({}, url, reply.error);
            MultiStatus ms = ParseMultiStatus(reply.body);
            if (reply.status != 207 || !ms.ok) {
                DavError e = BadAnswer(url);
                if (reply.status != 207) {
                    e.kind = DavErrorKind::HttpStatus;
                    e.httpStatus = reply.status;
                    e.message = ErrorMessage(e.kind, url, reply.status);
                }
                return next({}, url, e);
            }
            next(ms, reply.url, {});
        });
    }

    void finish(DavError error = {}) {
        if (result.addressBooks.isEmpty() && result.calendars.isEmpty() && !error) error = firstError;
        if (result.addressBooks.isEmpty() && result.calendars.isEmpty() && !error) {
            error.kind = DavErrorKind::NotACollection;
            error.url = start;
            error.message = QStringLiteral("Unter %1 wurden keine Adreßbücher oder Kalender gefunden.")
                                .arg(start.toDisplayString(QUrl::RemoveUserInfo));
        }
        result.error = error;
        auto byName = [](const DavCollection& a, const DavCollection& b) {
            return a.displayName.localeAwareCompare(b.displayName) < 0;
        };
        std::sort(result.addressBooks.begin(), result.addressBooks.end(), byName);
        std::sort(result.calendars.begin(), result.calendars.end(), byName);
        done(result);
    }

    void begin() {
        start = ServerUrl(client.account().server);
        if (!start.isValid()) {
            DavError e;
            e.kind = DavErrorKind::InvalidAddress;
            e.message = QStringLiteral("„%1“ ist keine gültige Server-Adresse.").arg(client.account().server);
            return finish(e);
        }
        // A bare server name: the well-known address leads to the user's
        // principal; anything longer is tried as typed first.
        if (start.path() == QLatin1String("/")) wellKnown();
        else typed(true);
    }

    void wellKnown() {
        auto self = shared_from_this();
        QUrl url = start;
        url.setPath(QStringLiteral("/.well-known/carddav"));
        propfind(url, 0, kPrincipalProps, [self](const MultiStatus& ms, const QUrl& at, const DavError& e) {
            if (Final(e)) return self->finish(e);
            if (e && !self->firstError) self->firstError = e;
            if (!e && self->principalFrom(ms, at)) return;
            self->typed(false);
        });
    }

    void typed(bool thenWellKnown) {
        auto self = shared_from_this();
        propfind(start, 0, [] {
            auto props = kCollectionProps;
            props.insert(props.end(), kPrincipalProps.begin(), kPrincipalProps.end());
            return props;
        }(), [self, thenWellKnown](const MultiStatus& ms, const QUrl& at, const DavError& e) {
            if (Final(e)) return self->finish(e);
            if (e && !self->firstError) self->firstError = e;
            if (!e && !ms.responses.isEmpty()) {
                const DavCollection c = CollectionFrom(ms.responses.front(), at);
                if (c.addressBook || c.calendar) {
                    (c.addressBook ? self->result.addressBooks : self->result.calendars) << c;
                    return self->finish();
                }
                if (self->principalFrom(ms, at)) return;
            }
            if (thenWellKnown) return self->wellKnown();
            // A folder of collections typed by hand.
            if (!e) return self->list({at});
            self->finish();
        });
    }

    // Takes the principal and home sets an answer names; false when none.
    bool principalFrom(const MultiStatus& ms, const QUrl& at) {
        if (ms.responses.isEmpty()) return false;
        const DavResponse& r = ms.responses.front();
        QList<QUrl> homes = homesFrom(r, at);
        if (!homes.isEmpty()) {
            result.principal = at;
            list(homes);
            return true;
        }
        const QStringList principal = r.props.value(QualifiedName(kNsDav, "current-user-principal")).hrefs;
        if (principal.isEmpty()) return false;
        result.principal = at.resolved(QUrl(principal.front(), QUrl::TolerantMode));
        auto self = shared_from_this();
        propfind(result.principal, 0, kPrincipalProps, [self](const MultiStatus& ms, const QUrl& at, const DavError& e) {
            if (e) return self->finish(e);
            const QList<QUrl> homes = ms.responses.isEmpty() ? QList<QUrl>{} : self->homesFrom(ms.responses.front(), at);
            // A principal without home sets may hold the collections itself.
            self->list(homes.isEmpty() ? QList<QUrl>{at} : homes);
        });
        return true;
    }

    QList<QUrl> homesFrom(const DavResponse& r, const QUrl& at) {
        QList<QUrl> homes;
        for (const QString& href : r.props.value(QualifiedName(kNsCardDav, "addressbook-home-set")).hrefs) {
            result.addressBookHomes << WithSlash(at.resolved(QUrl(href, QUrl::TolerantMode)));
            homes << result.addressBookHomes.back();
        }
        for (const QString& href : r.props.value(QualifiedName(kNsCalDav, "calendar-home-set")).hrefs) {
            result.calendarHomes << WithSlash(at.resolved(QUrl(href, QUrl::TolerantMode)));
            if (!homes.contains(result.calendarHomes.back())) homes << result.calendarHomes.back();
        }
        return homes;
    }

    void list(QList<QUrl> homes) {
        if (homes.isEmpty()) return finish();
        const QUrl home = homes.takeFirst();
        auto self = shared_from_this();
        propfind(home, 1, kCollectionProps, [self, homes](const MultiStatus& ms, const QUrl& at, const DavError& e) {
            if (e && Final(e)) return self->finish(e);
            if (e && !self->firstError) self->firstError = e;
            for (const DavResponse& r : ms.responses) {
                const DavCollection c = CollectionFrom(r, at);
                if (self->seen.contains(c.url.toString())) continue;
                self->seen.insert(c.url.toString());
                if (c.addressBook) self->result.addressBooks << c;
                if (c.calendar) self->result.calendars << c;
            }
            self->list(homes);
        });
    }
};

}  // namespace

void Discover(DavClient& client, std::function<void(const DiscoveryResult&)> done) {
    auto walk = std::make_shared<Walk>(client, std::move(done));
    walk->begin();
}

void ReadCollection(DavClient& client, const QUrl& url, std::function<void(const DavCollection&, const DavError&)> done) {
    DavRequest request{"PROPFIND", url, PropfindBody(kCollectionProps)};
    request.depth = 0;
    client.send(request, [done, url](const DavReply& reply) {
        DavCollection c;
        c.url = url;
        if (reply.error) return done(c, reply.error);
        const MultiStatus ms = ParseMultiStatus(reply.body);
        if (reply.status != 207 || !ms.ok || ms.responses.isEmpty()) return done(c, BadAnswer(url));
        // The answer for the collection itself; a server may list it under
        // another spelling of the same path.
        const DavResponse* own = &ms.responses.front();
        for (const DavResponse& r : ms.responses)
            if (SameCollectionPath(HrefPath(r.href, reply.url), reply.url.path(QUrl::FullyDecoded))) own = &r;
        c = CollectionFrom(*own, reply.url);
        DavError e;
        if (!c.addressBook && !c.calendar) {
            e.kind = DavErrorKind::NotACollection;
            e.url = url;
            e.message = ErrorMessage(e.kind, url);
        }
        done(c, e);
    });
}

}  // namespace tmf::dav
