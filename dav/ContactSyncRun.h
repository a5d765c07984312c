#pragma once
// One run of the address-book sync into an appointment file: reads the
// state of the last run, fetches what changed in each address book
// (sync-collection where offered, else ETags and addressbook-multiget),
// then loads the file, decides (core/ContactSync.h) and writes file and
// state (core/ContactSyncCommit.h).
//
// The network part runs from the event loop; the last part loads the file
// into the program's entry table (EntryTable, as the check run loads the
// files it checks), saves it and leaves it loaded. A window therefore offers
// to save a changed current file before it starts a run, and refills or
// reloads its current file when the run has finished. The caller holds the
// data folder's lock for the whole run (the windowed program holds it
// anyway; the terminal command takes it first).
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include "ContactSync.h"
#include "ContactSyncCommit.h"
#include "DavClient.h"

namespace tmf::dav {

struct ContactSyncOptions {
    QString target;            // the appointment file
    QList<QUrl> addressBooks;  // full collection URLs
    QString dataFolder;        // where the sync state lives (DataDir)
    int multigetBatch = 100;   // contacts asked for in one addressbook-multiget
    // False: ETags and addressbook-multiget even where the server offers
    // sync-collection (a server whose report misbehaves; comparisons).
    bool useSyncCollection = true;
};

struct SyncProgress {
    enum class Step { Reading, Fetching, Writing };
    Step step = Step::Reading;
    QString book;  // the address book's name
    int done = 0;  // contacts fetched so far in this book
    int total = 0; // contacts to fetch (0 while unknown)
};

struct BookFailure {
    QUrl url;
    QString name;
    DavError error;
};

struct ContactSyncResult {
    // Every book was read and the file, where it changed, saved.
    bool ok = false;
    QList<BookFailure> failures;  // books not read; their entries stay as they were
    QString fileFailure;          // German, when the file or state could not be read or written
    CommitOutcome outcome = CommitOutcome::NothingToWrite;
    ContactSyncReport report;
    int requests = 0;
    // The whole German summary: what was added, changed, kept, skipped, and why.
    QString summary;
};

class ContactSyncRun : public QObject {
    Q_OBJECT
public:
    ContactSyncRun(DavClient& client, ContactSyncOptions options, QObject* parent = nullptr);
    ~ContactSyncRun() override;

    // Starts the run; finished follows once, from the event loop.
    void start();
    // Stops the network part; nothing is written then. Once the writing has
    // begun it finishes.
    void cancel();

signals:
    void progress(const tmf::dav::SyncProgress& progress);
    void finished(const tmf::dav::ContactSyncResult& result);

private:
    struct Impl;
    Impl* d;
};

// Runs one sync in a local event loop and returns its result (the terminal).
ContactSyncResult RunContactSync(DavClient& client, const ContactSyncOptions& options);

}  // namespace tmf::dav
