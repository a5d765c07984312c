#pragma once
// "Neuer Kalender": a calendar for the program's events in the user's
// calendar home, by MKCALENDAR, or by an extended MKCOL with the calendar
// resource type where a server takes only that. A name already in use is
// never taken over: the next free one is.
#include <QString>
#include <QUrl>
#include <functional>

#include "DavClient.h"
#include "Discovery.h"

namespace tmf::dav {

// Makes "<home>termifolio98/" (or "-2/", "-3/" ... when that is taken) with
// the display name given and events as its only component; done gets the
// new calendar as the server describes it, or the error.
void MakeCalendar(DavClient& client, const QUrl& home, const QString& displayName,
                  std::function<void(const DavCollection&, const DavError&)> done);

// The body of MKCALENDAR, and of the MKCOL that stands in for it.
QByteArray MkcalendarBody(const QString& displayName);
QByteArray MkcolCalendarBody(const QString& displayName);

}  // namespace tmf::dav
