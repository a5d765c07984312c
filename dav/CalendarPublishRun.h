#pragma once
// One run of publishing appointment files to calendars: for each file and
// its calendar, reads what the last run wrote (the state file), loads the
// file, checks the calendar (one PROPFIND), and sends only what changed:
// new events with If-None-Match: *, changed ones with If-Match and the ETag
// of the last run, the events of deleted entries deleted with If-Match.
// Several requests are on the wire at once.
//
// Before the first request the state records what is about to be written;
// while the answers come in it is written again every second; so a run
// killed at any moment leaves a state from which the next run finishes the
// job: an event the server may or may not hold is looked at (its path is
// made from its UID) and recognised by its content, never put twice.
//
// An event changed or deleted elsewhere since the last run (412) is not
// written over: it is named, and a decision callback (the window's
// question) may overwrite it or keep the server's version. Without one it
// stays as it is and the run does not count as done.
//
// The file is loaded into the program's entry table, as the contact run
// does; the caller holds the data folder's lock and shows its current file
// again afterwards.
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>
#include <vector>

#include "CalendarPublish.h"
#include "DavClient.h"

namespace tmf::dav {

struct CalendarTarget {
    QUrl calendar;  // full collection URL
    QString file;   // the appointment file published into it
    QString name;   // the calendar's display name, for messages; its path when empty
};

struct PublishOptions {
    QList<CalendarTarget> targets;
    QString dataFolder;  // where the sync state lives (DataDir)
    int checkpointMs = 1000;  // how often the state is written while answers come in
};

struct PublishConflict {
    QString summary;       // "Anna Berg: Geburtstag"
    QString calendarName;
    QUrl url;              // the event's
    bool deletedOnServer = false;  // else changed
    bool wouldDelete = false;      // the entry is gone from the file: the run would delete the event
};

enum class ConflictChoice { Overwrite, KeepServers };
// Nothing: leave it for now (named; the next run meets it again).
using ConflictDecision = std::function<std::optional<ConflictChoice>(const PublishConflict&)>;

struct CalendarFailure {
    QUrl url;
    QString name;
    DavError error;
};

struct PublishProgress {
    QString calendar;  // its name
    int done = 0;
    int total = 0;
};

struct PublishResult {
    // Every file published whole, nothing refused, no conflict left open.
    bool ok = false;
    QList<CalendarFailure> failures;  // calendars not reached or left half-way
    QStringList fileFailures;         // German: a file or state that could not be read or written
    std::vector<PublishReport> reports;  // one per calendar reached
    int openConflicts = 0;
    int requests = 0;
    QString summary;  // German, whole
};

class CalendarPublishRun : public QObject {
    Q_OBJECT
public:
    CalendarPublishRun(DavClient& client, PublishOptions options, QObject* parent = nullptr);
    ~CalendarPublishRun() override;

    void setConflictDecision(ConflictDecision decide);
    // Starts the run; finished follows once, from the event loop.
    void start();
    // Ends the run at the next answer; what was answered is recorded.
    void cancel();

signals:
    void progress(const tmf::dav::PublishProgress& progress);
    void finished(const tmf::dav::PublishResult& result);

private:
    struct Impl;
    Impl* d;
};

// Runs one publish in a local event loop (the terminal, the tests).
PublishResult RunCalendarPublish(DavClient& client, const PublishOptions& options, ConflictDecision decide = {});

// The German message for a calendar that is gone from the server.
QString CalendarGoneMessage(const QString& name, const QUrl& url);

}  // namespace tmf::dav
