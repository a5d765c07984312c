#pragma once
// The XML of WebDAV and its extensions: the bodies the client sends and a
// reader for the multistatus answers. Names are compared with their
// namespaces ("{DAV:}href"), never by prefix: servers choose prefixes freely.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <utility>
#include <vector>

namespace tmf::dav {

inline constexpr const char* kNsDav = "DAV:";
inline constexpr const char* kNsCardDav = "urn:ietf:params:xml:ns:carddav";
inline constexpr const char* kNsCalDav = "urn:ietf:params:xml:ns:caldav";
inline constexpr const char* kNsCalendarServer = "http://calendarserver.org/ns/";
inline constexpr const char* kNsAppleIcal = "http://apple.com/ns/ical/";

// "{namespace}local"
QString QualifiedName(const char* ns, const char* local);

// One property of a 2xx propstat.
struct DavProp {
    QString text;            // its text, of every element inside it
    QStringList hrefs;       // the DAV:href elements inside it, as written
    QStringList elements;    // every element inside it, qualified
    QStringList components;  // the name attributes of CalDAV comp elements
};

struct DavResponse {
    QString href;  // as written (percent-encoded, maybe relative)
    int status = 0;  // the response's own DAV:status, 0 when it has propstats
    QHash<QString, DavProp> props;  // only those reported with a 2xx status
    bool has(const char* ns, const char* local) const { return props.contains(QualifiedName(ns, local)); }
    QString text(const char* ns, const char* local) const { return props.value(QualifiedName(ns, local)).text; }
};

struct MultiStatus {
    bool ok = false;   // well-formed and a DAV:multistatus
    QList<DavResponse> responses;
    QString syncToken;  // of a sync-collection report
};

MultiStatus ParseMultiStatus(const QByteArray& body);

// The preconditions an error body (DAV:error) names, qualified.
QStringList ErrorConditions(const QByteArray& body);

using PropName = std::pair<const char*, const char*>;
QByteArray PropfindBody(const std::vector<PropName>& props);
QByteArray SyncCollectionBody(const QString& syncToken, const std::vector<PropName>& props);
QByteArray AddressbookMultigetBody(const QStringList& hrefs, const std::vector<PropName>& props);
// A calendar-query for every calendar object of a calendar.
QByteArray CalendarQueryBody(const std::vector<PropName>& props);

// The path an href names, decoded, resolved against the URL it came from;
// the key under which the state keeps a contact.
QString HrefPath(const QString& href, const QUrl& base);
// Two collection paths name the same collection (a trailing slash aside).
bool SameCollectionPath(const QString& a, const QString& b);

}  // namespace tmf::dav
