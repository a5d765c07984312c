#pragma once
// Finding a user's address books and calendars from what was typed: the
// server's name (then /.well-known/carddav and /.well-known/caldav), a base
// URL, a principal or home set, or the full URL of one collection.
#include <QList>
#include <QString>
#include <QUrl>
#include <functional>

#include "DavClient.h"

namespace tmf::dav {

struct DavCollection {
    QUrl url;  // ends in "/"
    QString displayName;  // the collection's own name when it has one, else the last part of its path
    QString description;
    bool addressBook = false;
    bool calendar = false;
    bool takesEvents = false;     // a calendar that accepts VEVENT (or names no components)
    bool syncCollection = false;  // offers the sync-collection report
    bool multiget = false;        // offers addressbook-multiget (or calendar-multiget)
    QString ctag;
    QString syncToken;
    QString etag;   // of the collection itself, where the server gives one
    QString color;  // calendar-color, where set
};

struct DiscoveryResult {
    QUrl principal;
    QList<QUrl> addressBookHomes;
    QList<QUrl> calendarHomes;
    QList<DavCollection> addressBooks;  // sorted by display name
    QList<DavCollection> calendars;
    DavError error;  // set when nothing could be found
};

// Walks the steps the standards give and answers with every address book and
// calendar found. A typed URL that is itself an address book or calendar
// gives that one alone.
void Discover(DavClient& client, std::function<void(const DiscoveryResult&)> done);

// The properties of one collection (PROPFIND, depth 0); the error kind is
// NotACollection when the URL names something else.
void ReadCollection(DavClient& client, const QUrl& url,
                    std::function<void(const DavCollection&, const DavError&)> done);

}  // namespace tmf::dav
