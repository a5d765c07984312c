#include "CalendarPublishRun.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <memory>

#include "AppointmentFile.h"
#include "DavXml.h"
#include "Discovery.h"
#include "FileIo.h"
#include "ICalendar.h"
#include "Ports.h"
#include "RunToTheEnd.h"
#include "State.h"
#include "SyncState.h"

namespace tmf::dav {
namespace {

QString QText(const std::string& s) { return QString::fromStdString(s); }

DavError MakeError(DavErrorKind kind, const QUrl& url, const QString& message, int status = 0) {
    DavError e;
    e.kind = kind;
    e.url = url;
    e.httpStatus = status;
    e.message = message;
    return e;
}

QString LastPathPart(const std::string& href) {
    const std::size_t slash = href.rfind('/');
    return QText(slash == std::string::npos ? href : href.substr(slash + 1));
}

// A first publish of at least this many events into an empty calendar goes
// as one whole calendar where the server takes that: a server that checks
// every new event's UID against all the others spends, per PUT, time that
// grows with the calendar, so that one PUT per event takes hours at 32,000.
constexpr std::size_t kWholeUploadMin = 32;
// A calendar that changed between the look and the upload (412: the upload
// of a run killed before it heard the answer may land just then) is looked
// at again, this many times in all, before one event at a time is sent.
constexpr int kWholeLooks = 3;

// The members of a collection (decoded path -> ETag) from a Depth: 1
// PROPFIND; nothing when the answer is not a listing.
std::optional<QHash<QString, QString>> Members(const DavReply& reply) {
    if (reply.error || reply.status != 207) return std::nullopt;
    const MultiStatus ms = ParseMultiStatus(reply.body);
    if (!ms.ok) return std::nullopt;
    QHash<QString, QString> members;
    const QString own = reply.url.path(QUrl::FullyDecoded);
    for (const DavResponse& r : ms.responses) {
        const QString path = HrefPath(r.href, reply.url);
        if (!SameCollectionPath(path, own)) members.insert(path, r.text(kNsDav, "getetag").trimmed());
    }
    return members;
}

DavError QuotaError(const QString& name, const QUrl& url, int status) {
    return MakeError(DavErrorKind::HttpStatus, url,
                     QStringLiteral("Auf dem Server ist kein Platz mehr (507, Speicherplatz erschöpft). "
                                    "„%1“ ist nicht ganz auf dem Stand; was fehlt, wird beim nächsten Mal "
                                    "gesendet.").arg(name), status);
}

}  // namespace

QString CalendarGoneMessage(const QString& name, const QUrl& url) {
    return QStringLiteral("Den Kalender „%1“ (%2) gibt es auf dem Server nicht mehr. Es wurde nichts gesendet; "
                          "wählen Sie im Dialog „Server-Abgleich ...“ einen anderen oder legen Sie einen neuen an.")
        .arg(name, url.toDisplayString(QUrl::RemoveUserInfo));
}

struct CalendarPublishRun::Impl {
    struct Job {
        CalendarTarget target;
        QString name;
        std::string file;
        std::string statePath;
        std::string url;  // the state's key
        QUrl base;        // the collection as the server named it
        SyncStateFile state;
        PublishedCalendar last;
        PublishedCalendar now;
        EntryTableType table;
        std::vector<PublishStep> steps;
        std::vector<bool> started;
        std::size_t next = 0;
        int running = 0;
        int done = 0;
        int wholeLooks = 0;
        std::vector<WantedEvent> wanted;
        std::vector<PublishStep> planned;  // as they were before a whole upload named their paths
        PublishedCalendar plannedNow;
        bool stopping = false;
        bool stateFailed = false;
        PublishReport report;
        QElapsedTimer sinceWrite;
    };

    CalendarPublishRun* q;
    DavClient& client;
    PublishOptions o;
    ConflictDecision decide;
    PublishResult result;
    qsizetype nextTarget = 0;
    std::unique_ptr<Job> job;
    bool cancelled = false;
    bool over = false;
    bool asking = false;
    std::deque<std::function<void()>> deferred;
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);

    Impl(CalendarPublishRun* owner, DavClient& c, PublishOptions options)
        : q(owner), client(c), o(std::move(options)) {}

    // ------------------------------------------------------------ targets

    void nextCalendar() {
        if (cancelled) return finish();
        if (nextTarget >= o.targets.size()) return finish();
        job = std::make_unique<Job>();
        Job& j = *job;
        j.target = o.targets.at(nextTarget++);
        j.target.calendar = CollectionUrl(j.target.calendar);
        j.name = j.target.name.isEmpty() ? j.target.calendar.path() : j.target.name;
        j.file = j.target.file.toStdString();
        j.url = j.target.calendar.toString().toStdString();
        j.statePath = SyncStatePath(o.dataFolder.toStdString(), j.file);
        IoError error;
        if (ReadSyncState(j.statePath, j.state, &error) == SyncStateRead::Damaged)
            return fileFailed(QStringLiteral("Der Abgleichsstand %1 ist nicht lesbar: %2\nNach %3 wurde nichts gesendet.")
                                  .arg(QText(j.statePath), QText(error.reason), j.name));
        if (j.file.empty() || !FileExists(j.file))
            return fileFailed(QStringLiteral("Die Datei %1 gibt es nicht; nach „%2“ wurde nichts gesendet.")
                                  .arg(j.target.file, j.name));
        // Only a file read whole may decide what the calendar holds: a part
        // of it would delete the events of the rest.
        if (LoadAppointmentFile(j.file, "Alles") != LoadResult::Loaded)
            return fileFailed(QStringLiteral("%1 konnte nicht vollständig geladen werden; nach „%2“ wurde nichts gesendet.")
                                  .arg(j.target.file, j.name));
        j.table = EntryTable;
        const int count = EntryCount;
        j.last = j.state.calendars[j.url];
        auto wanted = std::make_shared<std::vector<WantedEvent>>(WantedEvents(j.table, count));
        emit q->progress({j.name, 0, 0});
        auto a = alive;
        ReadCollection(client, j.target.calendar, [this, a, wanted](const DavCollection& c, const DavError& e) {
            if (*a) checked(c, e, *wanted);
        });
    }

    void checked(const DavCollection& c, const DavError& e, const std::vector<WantedEvent>& wanted) {
        Job& j = *job;
        if (e.kind == DavErrorKind::NotFound)
            return calendarFailed(MakeError(e.kind, j.target.calendar, CalendarGoneMessage(j.name, j.target.calendar), e.httpStatus));
        if (e && e.kind != DavErrorKind::NotACollection) return calendarFailed(e);
        if (e || !c.calendar)
            return calendarFailed(MakeError(DavErrorKind::NotACollection, j.target.calendar,
                                        QStringLiteral("%1 ist kein Kalender.").arg(j.target.calendar.toDisplayString(QUrl::RemoveUserInfo))));
        if (!c.takesEvents)
            return calendarFailed(MakeError(DavErrorKind::NotACollection, j.target.calendar,
                                        QStringLiteral("Der Kalender „%1“ nimmt keine Termine an.").arg(j.name)));
        if (j.target.name.isEmpty()) j.name = c.displayName;
        j.base = c.url;
        PublishPlan plan = PlanPublish(wanted, j.last, c.url.path(QUrl::FullyEncoded).toStdString());
        j.report.unchanged = plan.unchanged;
        j.steps = std::move(plan.steps);
        j.started.assign(j.steps.size(), false);
        j.now = plan.withIntents;
        if (j.steps.empty() && plan.forgotten.empty()) return endCalendar();
        if (j.wholeLooks < kWholeLooks && mayUploadWhole(c)) {
            ++j.wholeLooks;
            j.wanted = wanted;
            return listBeforeWhole(c);
        }
        sendSteps();
    }

    void sendSteps() {
        Job& j = *job;
        // The intents go to disk before the first request.
        if (!writeState()) {
            job.reset();
            return nextCalendar();
        }
        j.sinceWrite.start();
        emit q->progress({j.name, 0, static_cast<int>(j.steps.size())});
        pump();
    }

    bool writeState() {
        Job& j = *job;
        if (j.stateFailed) return false;
        j.state.calendars[j.url] = j.now;
        IoError error;
        if (WriteSyncState(j.statePath, j.state, &error)) return true;
        // Nothing more is sent: what is sent must be on record first.
        j.stateFailed = true;
        j.stopping = true;
        result.fileFailures << QStringLiteral("Der Abgleichsstand %1 konnte nicht gespeichert werden: %2")
                                   .arg(QText(j.statePath), QText(error.reason));
        return false;
    }

    void pump() {
        Job& j = *job;
        while (!j.stopping && !cancelled && j.next < j.steps.size() && j.running < client.limits().maxInFlight) {
            const std::size_t i = j.next++;
            j.started[i] = true;
            ++j.running;
            begin(i);
        }
        if (j.running == 0 && (j.stopping || cancelled || j.next >= j.steps.size())) endCalendar();
    }

    void endCalendar() {
        Job& j = *job;
        for (std::size_t i = 0; i < j.steps.size(); ++i)
            if (!j.started[i]) {
                restore(j.steps[i].uid);
                ++j.report.notSent;
            }
        // Against what is on disk: events taken over from an unheard run
        // change the state without a step.
        if (!j.steps.empty() || j.now != j.state.calendars[j.url]) writeState();
        result.reports.push_back(j.report);
        result.summary += QString::fromStdString(PublishSummary(j.report, j.file, j.name.toStdString()))
                              .replace(QLatin1String("\r\n"), QLatin1String("\n"));
        job.reset();
        nextCalendar();
    }

    void calendarFailed(const DavError& e) {
        Job& j = *job;
        result.failures << CalendarFailure{j.target.calendar, j.name, e};
        if (EndsRun(e.kind))
            while (nextTarget < o.targets.size()) {
                const CalendarTarget& t = o.targets.at(nextTarget++);
                result.failures << CalendarFailure{t.calendar, t.name, {}};
            }
        job.reset();
        nextCalendar();
    }

    void fileFailed(const QString& why) {
        result.fileFailures << why;
        job.reset();
        nextCalendar();
    }

    // ------------------------------------------------------------ whole upload

    // Nothing of this program's is known to be in the calendar, every step
    // makes a new event, and the calendar has nothing a whole upload would
    // lose: it replaces the collection, keeping only its name.
    bool mayUploadWhole(const DavCollection& c) const {
        const Job& j = *job;
        if (c.etag.isEmpty() || !c.color.isEmpty() || j.steps.size() < kWholeUploadMin) return false;
        for (const PublishStep& s : j.steps)
            if (s.action != PublishAction::Create) return false;
        for (const auto& [uid, e] : j.last.events)
            if (!e.etag.empty()) return false;
        return true;
    }

    // The calendar's members: a calendar-query for every calendar object,
    // which a server answers from its index, where a PROPFIND may read
    // every event (Radicale: 0.7 against 21 seconds for 8,000); the PROPFIND
    // where the report is not taken.
    void listMembers(std::function<void(const DavReply&)> done, bool report = true) {
        DavRequest request{report ? "REPORT" : "PROPFIND", job->base,
                           report ? CalendarQueryBody({{kNsDav, "getetag"}}) : PropfindBody({{kNsDav, "getetag"}})};
        request.depth = 1;
        request.quietMs = client.limits().timeoutMs * 4;
        auto a = alive;
        client.send(request, [this, a, done, report](const DavReply& reply) {
            if (!*a) return;
            // A server that does not take the report; not one that did not answer.
            if (report && !Members(reply) && reply.status != 0 && reply.status < 500) return listMembers(done, false);
            done(reply);
        });
    }

    void listBeforeWhole(const DavCollection& c) {
        auto a = alive;
        listMembers([this, a, c](const DavReply& reply) {
            if (!*a) return;
            Job& j = *job;
            const auto members = Members(reply);
            if (!members && (reply.status == 0 || reply.status >= 500)) {
                // Not heard, nothing sent: one event at a time would not be
                // heard either, and may take the server hours.
                DavError e = reply.error;
                if (!e) e = MakeError(DavErrorKind::HttpStatus, j.base, ErrorMessage(DavErrorKind::HttpStatus, j.base, reply.status), reply.status);
                result.failures << CalendarFailure{j.target.calendar, j.name, e};
                return endWhole(false);
            }
            if (!members) return sendSteps();
            if (members->isEmpty()) return uploadWhole(c);
            // What a run that ended unheard left (a whole upload, single
            // writes): when every event there is ours, their contents tell
            // which version each holds, in one request.
            QHash<QString, std::string> ours;
            for (const auto& [uid, e] : j.last.events) ours.insert(HrefPath(QText(e.href), j.base), uid);
            for (auto it = members->begin(); it != members->end(); ++it)
                if (!ours.contains(it.key())) return sendSteps();
            adoptUnheard(c, ours);
        });
    }

    void adoptUnheard(const DavCollection& c, const QHash<QString, std::string>& ours) {
        DavRequest request{"REPORT", job->base, CalendarQueryBody({{kNsDav, "getetag"}, {kNsCalDav, "calendar-data"}})};
        request.depth = 1;
        request.quietMs = client.limits().timeoutMs * 4;
        auto a = alive;
        client.send(request, [this, a, c, ours](const DavReply& reply) {
            if (!*a) return;
            Job& j = *job;
            const MultiStatus ms = ParseMultiStatus(reply.body);
            if (reply.error || reply.status != 207 || !ms.ok) return sendSteps();
            std::map<std::string, std::string> wantedFingerprint;
            for (const WantedEvent& w : j.wanted) wantedFingerprint[w.uid] = w.fingerprint;
            for (const DavResponse& r : ms.responses) {
                const auto it = ours.find(HrefPath(r.href, reply.url));
                const QString etag = r.text(kNsDav, "getetag").trimmed();
                if (it == ours.end() || etag.isEmpty()) continue;
                const std::string body = r.text(kNsCalDav, "calendar-data").toStdString();
                PublishedEvent& e = j.last.events[*it];
                const std::string fingerprint = EventFingerprint(body);
                if (e.intent == PublishedEvent::kDeleting || EventUidOf(body) != *it ||
                    !IsOurOwnVersion(e, wantedFingerprint[*it], fingerprint))
                    continue;  // looked at again, one by one, as any other
                e.etag = etag.toStdString();
                e.fingerprint = fingerprint;
                e.intent.clear();
            }
            checked(c, {}, j.wanted);
        });
    }

    void uploadWhole(const DavCollection& c) {
        Job& j = *job;
        j.planned = j.steps;
        j.plannedNow = j.now;
        // The server names each event after its UID.
        const QString path = j.base.path(QUrl::FullyEncoded);
        std::vector<EntryEvent> events;
        for (PublishStep& s : j.steps) {
            s.href = (path + QString::fromLatin1(QUrl::toPercentEncoding(QText(s.uid))) + QStringLiteral(".ics")).toStdString();
            j.now.events[s.uid].href = s.href;
            events.push_back({s.uid, s.row});
        }
        if (!writeState()) {
            job.reset();
            return nextCalendar();
        }
        const int total = static_cast<int>(j.steps.size());
        emit q->progress({j.name, 0, total});
        DavRequest request{"PUT", j.base,
                           QByteArray::fromStdString(WriteEventCollection(j.table, events, j.name.toStdString(), Today())),
                           "text/calendar; charset=utf-8"};
        // Only the calendar just seen empty is replaced.
        request.ifMatch = c.etag.toUtf8();
        // The server answers once it has stored every event: a few
        // milliseconds each on a small machine.
        request.quietMs = client.limits().timeoutMs + total * 30;
        auto a = alive;
        client.send(request, [this, a](const DavReply& reply) {
            if (!*a) return;
            Job& j = *job;
            const int status = reply.status;
            if (status >= 200 && status < 300) return listAfterWhole();
            if (cancelled) return endWhole(true);
            if (status == 507) {
                result.failures << CalendarFailure{j.target.calendar, j.name, QuotaError(j.name, j.base, status)};
                return endWhole(false);
            }
            if (status == 404 || status == 410) {
                result.failures << CalendarFailure{j.target.calendar, j.name,
                                                   MakeError(DavErrorKind::NotFound, j.target.calendar,
                                                             CalendarGoneMessage(j.name, j.target.calendar), status)};
                return endWhole(false);
            }
            if (reply.error.kind == DavErrorKind::Unauthorized || reply.error.kind == DavErrorKind::PasswordMissing) {
                result.failures << CalendarFailure{j.target.calendar, j.name, reply.error};
                return endWhole(false);
            }
            // Refused as a whole (the server takes no calendar at its URL, an
            // event it does not take): one event at a time, at the paths
            // first planned. Changed since the look: looked at again.
            if ((status >= 400 && status < 500) || status == 501) {
                j.steps = j.planned;
                j.now = j.plannedNow;
                if (status == 412 && j.wholeLooks < kWholeLooks)
                    return ReadCollection(client, j.target.calendar, [this, a](const DavCollection& c, const DavError& e) {
                        if (*a) checked(c, e, job->wanted);
                    });
                return sendSteps();
            }
            // No answer, or the server failed: it may have stored the lot;
            // the next run finds out.
            DavError e = reply.error;
            if (!e) e = MakeError(DavErrorKind::HttpStatus, j.base, ErrorMessage(DavErrorKind::HttpStatus, j.base, status), status);
            result.failures << CalendarFailure{j.target.calendar, j.name, e};
            endWhole(true);
        });
    }

    void listAfterWhole() {
        auto a = alive;
        listMembers([this, a](const DavReply& reply) {
            if (!*a) return;
            Job& j = *job;
            const auto members = Members(reply);
            if (!members) {
                DavError e = reply.error;
                if (!e) e = MakeError(DavErrorKind::BadResponse, j.base, ErrorMessage(DavErrorKind::BadResponse, j.base));
                result.failures << CalendarFailure{j.target.calendar, j.name, e};
                return endWhole(true);
            }
            int missing = 0;
            for (const PublishStep& s : j.steps) {
                const QString etag = members->value(HrefPath(QText(s.href), j.base));
                if (etag.isEmpty()) {
                    ++missing;  // its intent stays for the next run
                    continue;
                }
                record(s.uid, PublishedEvent{s.href, etag.toStdString(), s.fingerprint, {}, false});
                j.report.created.push_back(s.summary);
            }
            if (missing > 0)
                result.failures << CalendarFailure{
                    j.target.calendar, j.name,
                    MakeError(DavErrorKind::BadResponse, j.base,
                              QStringLiteral("Der Server zeigt %1 der gesendeten Termine nicht an der erwarteten Stelle; "
                                             "der nächste Abgleich sieht nach.").arg(missing))};
            endWhole(true);
        });
    }

    // sent: the upload went out (its events keep their intents unless
    // recorded); else nothing was stored and the last state stands.
    void endWhole(bool sent) {
        Job& j = *job;
        j.started.assign(j.steps.size(), sent);
        j.next = j.steps.size();
        j.done = static_cast<int>(j.steps.size());
        emit q->progress({j.name, j.done, j.done});
        endCalendar();
    }

    // ------------------------------------------------------------ one event

    const PublishedEvent* known(const std::string& uid) const {
        const auto it = job->last.events.find(uid);
        return it == job->last.events.end() ? nullptr : &it->second;
    }

    // A write of an earlier run was heard: the event existed before this run
    // (else it is new, whatever a run that ended unheard may have done).
    bool wasWritten(const std::string& uid) const {
        const PublishedEvent* k = known(uid);
        return k && !k->fingerprint.empty();
    }

    void record(const std::string& uid, PublishedEvent e) { job->now.events[uid] = std::move(e); }

    void restore(const std::string& uid) {
        if (const PublishedEvent* k = known(uid)) job->now.events[uid] = *k;
        else job->now.events.erase(uid);
    }

    QUrl urlOf(const PublishStep& s) const {
        QUrl url = job->base;
        url.setPath(QText(s.href), QUrl::TolerantMode);
        return url;
    }

    void begin(std::size_t i) {
        const PublishStep& s = job->steps[i];
        switch (s.action) {
            case PublishAction::Create: return put(i, {}, true, false);
            case PublishAction::Update: return put(i, QByteArray::fromStdString(s.ifMatch), false, false);
            case PublishAction::Delete:
                if (s.ifMatch.empty()) return look(i);
                return remove(i, QByteArray::fromStdString(s.ifMatch), false);
        }
    }

    // final: after a look or the user's word; a 412 then is not looked into again.
    void put(std::size_t i, const QByteArray& ifMatch, bool ifNoneMatch, bool final) {
        const PublishStep& s = job->steps[i];
        DavRequest request{"PUT", urlOf(s),
                           QByteArray::fromStdString(WriteEventResource(job->table, s.row, s.uid, Today())),
                           "text/calendar; charset=utf-8"};
        request.ifMatch = ifMatch;
        request.ifNoneMatchAny = ifNoneMatch;
        auto a = alive;
        client.send(request, [this, a, i, final](const DavReply& reply) {
            if (!*a) return;
            const PublishStep& s = job->steps[i];
            if (reply.status >= 200 && reply.status < 300) {
                record(s.uid, PublishedEvent{s.href, reply.etag.toStdString(), s.fingerprint, {}, false});
                (wasWritten(s.uid) ? job->report.updated : job->report.created).push_back(s.summary);
                return stepDone();
            }
            if (reply.status == 412 && !final) return look(i);
            if (reply.status == 412) return conflict(i, false, {}, true);
            failed(i, reply, true);
        });
    }

    void remove(std::size_t i, const QByteArray& ifMatch, bool final) {
        const PublishStep& s = job->steps[i];
        DavRequest request{"DELETE", urlOf(s), {}};
        request.ifMatch = ifMatch;
        auto a = alive;
        client.send(request, [this, a, i, final](const DavReply& reply) {
            if (!*a) return;
            const PublishStep& s = job->steps[i];
            const bool gone = reply.status == 404 || reply.status == 410;
            if ((reply.status >= 200 && reply.status < 300) || gone) {
                job->now.events.erase(s.uid);
                if (!gone) job->report.deleted.push_back(s.summary.empty() ? LastPathPart(s.href).toStdString() : s.summary);
                return stepDone();
            }
            if (reply.status == 412 && !final) return look(i);
            if (reply.status == 412) return conflict(i, false, {}, true);
            failed(i, reply, false);
        });
    }

    // Whose is the event at the step's path? Ours (as written, or as a run
    // that ended unheard was writing it) is written over; anyone else's is
    // a conflict.
    void look(std::size_t i) {
        const PublishStep& s = job->steps[i];
        auto a = alive;
        client.send(DavRequest{"GET", urlOf(s), {}}, [this, a, i](const DavReply& reply) {
            if (!*a) return;
            PublishStep& s = job->steps[i];
            const bool absent = reply.status == 404 || reply.status == 410;
            if (!absent && reply.error) return failed(i, reply, false);
            if (s.action == PublishAction::Delete) {
                if (absent) {
                    job->now.events.erase(s.uid);
                    return stepDone();
                }
            } else if (absent) {
                // Not there: a new event is made; one this program wrote
                // was deleted by someone.
                const PublishedEvent* k = known(s.uid);
                if (!k || k->etag.empty()) return put(i, {}, true, true);
                return conflict(i, true, {}, false);
            }
            const std::string body = reply.body.toStdString();
            if (s.summary.empty()) s.summary = EventSummaryOf(body);
            const PublishedEvent self = known(s.uid) ? *known(s.uid) : job->now.events[s.uid];
            const bool ours = reply.status == 200 && EventUidOf(body) == s.uid &&
                              IsOurOwnVersion(self, s.fingerprint, EventFingerprint(body));
            if (!ours) return conflict(i, false, reply.etag, false);
            if (s.action == PublishAction::Delete) return remove(i, reply.etag, true);
            if (EventFingerprint(body) == s.fingerprint) {
                record(s.uid, PublishedEvent{s.href, reply.etag.toStdString(), s.fingerprint, {}, false});
                (wasWritten(s.uid) ? job->report.updated : job->report.created).push_back(s.summary);
                return stepDone();
            }
            // Without an ETag to match the write goes as it is: the look
            // just showed the event is ours.
            put(i, reply.etag, false, true);
        });
    }

    void conflict(std::size_t i, bool deleted, const QByteArray& serverEtag, bool again) {
        const PublishStep& s = job->steps[i];
        PublishConflict c{QText(s.summary.empty() ? LastPathPart(s.href).toStdString() : s.summary), job->name, urlOf(s),
                          deleted, s.action == PublishAction::Delete};
        std::optional<ConflictChoice> choice;
        if (decide && !again) {
            // A window's question runs an event loop of its own, in which the
            // next conflict may come in: it waits for this one's answer.
            if (asking) {
                deferred.push_back([this, i, deleted, serverEtag] { conflict(i, deleted, serverEtag, false); });
                return;
            }
            asking = true;
            choice = decide(c);
            asking = false;
            QTimer::singleShot(0, q, [this, a = alive] {
                while (*a && !asking && !deferred.empty()) {
                    auto next = std::move(deferred.front());
                    deferred.pop_front();
                    next();
                }
            });
        }
        if (!choice) {
            restore(s.uid);
            job->report.conflicts.push_back(c.summary.toStdString() +
                                            (deleted ? " (anderswo gelöscht)" : " (anderswo geändert)"));
            ++result.openConflicts;
            return stepDone();
        }
        if (*choice == ConflictChoice::Overwrite) {
            job->report.overwritten.push_back(c.summary.toStdString());
            if (s.action == PublishAction::Delete) return remove(i, serverEtag, true);
            return put(i, serverEtag, deleted, true);
        }
        job->report.keptServers.push_back(c.summary.toStdString());
        if (s.action == PublishAction::Delete) job->now.events.erase(s.uid);  // the event is no longer ours
        else record(s.uid, PublishedEvent{s.href, serverEtag.toStdString(), s.fingerprint, {}, deleted});
        stepDone();
    }

    void failed(std::size_t i, const DavReply& reply, bool wasPut) {
        Job& j = *job;
        const PublishStep& s = j.steps[i];
        const int status = reply.status;
        // Without an answer the request may have done its work: the intent
        // stays for the next run to look into.
        if (status != 0) restore(s.uid);
        if (status == 400 || status == 403 || status == 415 || status == 422) {
            const QStringList conditions = ErrorConditions(reply.body);
            QString why = QStringLiteral("vom Server abgelehnt (%1").arg(status);
            for (const QString& c : conditions) why += QStringLiteral(", ") + c.mid(c.indexOf(QLatin1Char('}')) + 1);
            why += QLatin1Char(')');
            j.report.refused.push_back(s.summary + ": " + why.toStdString());
            return stepDone();
        }
        if (status == 507) return stop(i, QuotaError(j.name, urlOf(s), status));
        if (wasPut && (status == 404 || status == 409 || status == 410))
            return stop(i, MakeError(DavErrorKind::NotFound, j.target.calendar, CalendarGoneMessage(j.name, j.target.calendar), status));
        DavError e = reply.error;
        if (!e) e = MakeError(DavErrorKind::HttpStatus, urlOf(s), ErrorMessage(DavErrorKind::HttpStatus, urlOf(s), status), status);
        stop(i, e);
    }

    // Ends the calendar once the answers under way are in; the events not
    // sent keep what the last run knew.
    void stop(std::size_t, const DavError& e) {
        Job& j = *job;
        if (!j.stopping) {
            j.stopping = true;
            result.failures << CalendarFailure{j.target.calendar, j.name, e};
            if (EndsRun(e.kind))
                while (nextTarget < o.targets.size()) {
                    const CalendarTarget& t = o.targets.at(nextTarget++);
                    result.failures << CalendarFailure{t.calendar, t.name, {}};
                }
        }
        stepDone();
    }

    void stepDone() {
        Job& j = *job;
        --j.running;
        ++j.done;
        if (j.sinceWrite.isValid() && j.sinceWrite.elapsed() >= o.checkpointMs) {
            writeState();
            j.sinceWrite.restart();
        }
        emit q->progress({j.name, j.done, static_cast<int>(j.steps.size())});
        pump();
    }

    // ------------------------------------------------------------ the end

    void finish() {
        if (over) return;
        over = true;
        result.requests = client.requestsSent();
        result.ok = result.failures.isEmpty() && result.fileFailures.isEmpty() && !cancelled &&
                    result.openConflicts == 0;
        for (const PublishReport& r : result.reports)
            if (!r.refused.empty()) result.ok = false;
        QString text = result.summary;
        if (!result.failures.isEmpty()) {
            if (!text.isEmpty()) text += QLatin1Char('\n');
            text += QStringLiteral("Nicht oder nicht ganz gesendet:\n");
            for (const CalendarFailure& f : result.failures) {
                text += QStringLiteral("  ") + (f.name.isEmpty() ? f.url.toDisplayString(QUrl::RemoveUserInfo) : f.name);
                text += f.error ? QStringLiteral(": ") + f.error.message : QStringLiteral(": nicht erreicht");
                text += QLatin1Char('\n');
            }
        }
        for (const QString& f : result.fileFailures) text += f + QLatin1Char('\n');
        if (cancelled) text += QStringLiteral("Das Senden wurde abgebrochen; der Rest folgt beim nächsten Mal.\n");
        result.summary = text;
        QPointer<CalendarPublishRun> self(q);
        QMetaObject::invokeMethod(q, [this, self] {
            if (self) emit q->finished(result);
        }, Qt::QueuedConnection);
    }
};

CalendarPublishRun::CalendarPublishRun(DavClient& client, PublishOptions options, QObject* parent)
    : QObject(parent), d(new Impl(this, client, std::move(options))) {}

CalendarPublishRun::~CalendarPublishRun() {
    *d->alive = false;
    delete d;
}

void CalendarPublishRun::setConflictDecision(ConflictDecision decide) { d->decide = std::move(decide); }

void CalendarPublishRun::start() { d->nextCalendar(); }

void CalendarPublishRun::cancel() {
    if (d->over) return;
    d->cancelled = true;
    d->client.cancelAll();
}

PublishResult RunCalendarPublish(DavClient& client, const PublishOptions& options, ConflictDecision decide) {
    CalendarPublishRun run(client, options);
    run.setConflictDecision(std::move(decide));
    return RunToTheEnd<PublishResult>(run);
}

}  // namespace tmf::dav
