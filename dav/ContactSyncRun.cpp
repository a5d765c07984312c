#include "ContactSyncRun.h"

#include <QPointer>

#include "AddressBookFetch.h"
#include "AppointmentFile.h"
#include "FileIo.h"
#include "RunToTheEnd.h"
#include "State.h"
#include "SyncState.h"

namespace tmf::dav {
namespace {

QString Text(const std::string& s) { return QString::fromStdString(s); }

bool RemembersEntries(const SyncTargetState& state) {
    for (const auto& [url, book] : state.books)
        for (const auto& [href, contact] : book.contacts)
            if (!contact.entries.empty()) return true;
    return false;
}

}  // namespace

struct ContactSyncRun::Impl {
    ContactSyncRun* q;
    DavClient& client;
    ContactSyncOptions o;
    std::string target;
    std::string statePath;
    SyncStateFile onDisk;
    bool full = false;
    std::vector<AddressBookChanges> books;
    qsizetype next = 0;
    bool cancelled = false;
    bool writing = false;
    bool over = false;
    bool startedAfresh = false;
    ContactSyncResult result;

    Impl(ContactSyncRun* owner, DavClient& c, ContactSyncOptions options) : q(owner), client(c), o(std::move(options)) {}

    void start() {
        target = o.target.toStdString();
        if (target.empty()) return fileFailed(QStringLiteral("Es ist keine Termindatei für den Abgleich angegeben."));
        statePath = SyncStatePath(o.dataFolder.toStdString(), target);
        IoError error;
        if (ReadSyncState(statePath, onDisk, &error) == SyncStateRead::Damaged)
            return fileFailed(QStringLiteral("Der Abgleichsstand %1 ist nicht lesbar: %2\nEs wurde nichts geändert. "
                                             "Ohne ihn (Datei löschen) beginnt der Abgleich neu; Einträge aus dem "
                                             "Adreßbuch kommen dann nicht doppelt, werden aber nicht mehr abgeglichen.")
                                  .arg(Text(statePath), Text(error.reason)));
        // After a run killed half-way it is not yet known which state the
        // file holds: every contact is read again, and the writing decides.
        full = onDisk.pending.has_value() || NeedsFullRead(onDisk.current);
        nextBook();
    }

    void nextBook() {
        if (cancelled) return finish();
        if (next >= o.addressBooks.size()) return write();
        const QUrl url = CollectionUrl(o.addressBooks.at(next++));
        BookFetchOptions fetch;
        fetch.url = url;
        fetch.full = full;
        fetch.batch = o.multigetBatch;
        fetch.useSyncCollection = o.useSyncCollection;
        const auto known = onDisk.current.books.find(url.toString().toStdString());
        if (known != onDisk.current.books.end()) fetch.known = &known->second;
        QPointer<ContactSyncRun> alive(q);
        emit q->progress({SyncProgress::Step::Reading, url.toDisplayString(QUrl::RemoveUserInfo), 0, 0});
        FetchAddressBook(
            client, fetch,
            [this, alive, url](int done, int total) {
                if (alive) emit q->progress({SyncProgress::Step::Fetching, url.toDisplayString(QUrl::RemoveUserInfo), done, total});
            },
            [this, alive, url](AddressBookChanges changes, DavError error) {
                if (!alive || over) return;
                if (error) {
                    result.failures << BookFailure{url, {}, error};
                    if (EndsRun(error.kind)) {
                        // The books not reached are named too: nothing of them was read.
                        while (next < o.addressBooks.size())
                            result.failures << BookFailure{CollectionUrl(o.addressBooks.at(next++)), {}, {}};
                    }
                } else {
                    books.push_back(std::move(changes));
                }
                nextBook();
            });
    }

    void write() {
        if (books.empty()) return finish();
        writing = true;
        emit q->progress({SyncProgress::Step::Writing, QString::fromStdString(target), 0, 0});
        if (!FileExists(target))
            return fileFailed(QStringLiteral("%1 ist nicht vorhanden !").arg(Text(target)));
        if (LoadAppointmentFile(target, "Alles") != LoadResult::Loaded)
            return fileFailed(QStringLiteral("%1 konnte nicht vollständig geladen werden; es wurde nichts geändert.")
                                  .arg(Text(target)));
        const SyncTargetState basis = ReconcilePending(onDisk, EntryTable, EntryCount);
        if (EntryCount == 0 && RemembersEntries(basis) && !startedAfresh) return startAfresh();
        const ContactSyncPlan plan = PlanContactSync(EntryTable, EntryCount, basis, books);
        result.report = plan.report;
        result.outcome = CommitContactSync(target, statePath, onDisk, basis, plan);
        if (result.outcome == CommitOutcome::Failed)
            return fileFailed(QStringLiteral("%1 wurde nicht geändert.").arg(Text(target)));
        finish();
    }

    // An empty file where the state remembers entries is a new file at the
    // old place (deleted and made again, or emptied): the remembered links
    // belong to the old one, and read incrementally every contact would count
    // as deleted here and never come back. The run reads everything again
    // as for a file never synced; the duplicates test keeps that safe.
    void startAfresh() {
        startedAfresh = true;
        writing = false;
        onDisk = SyncStateFile{};
        full = true;
        books.clear();
        next = 0;
        nextBook();
    }

    void fileFailed(const QString& why) {
        result.fileFailure = why;
        finish();
    }

    void finish() {
        if (over) return;
        over = true;
        result.requests = client.requestsSent();
        result.ok = result.failures.isEmpty() && result.fileFailure.isEmpty() && !cancelled;
        QString text;
        if (startedAfresh)
            text = QStringLiteral("Die Datei enthielt keinen Eintrag mehr; alle Kontakte wurden neu gelesen.\n");
        if (!books.empty() && result.fileFailure.isEmpty())
            text += QString::fromStdString(ContactSyncSummary(result.report, target)).replace(QLatin1String("\r\n"), QLatin1String("\n"));
        if (!result.failures.isEmpty()) {
            if (!text.isEmpty()) text += QLatin1Char('\n');
            text += QStringLiteral("Nicht gelesen (die Einträge daraus bleiben, wie sie sind):\n");
            for (const BookFailure& f : result.failures) {
                text += QStringLiteral("  ") + f.url.toDisplayString(QUrl::RemoveUserInfo);
                text += f.error ? QStringLiteral(": ") + f.error.message : QStringLiteral(": nicht erreicht");
                text += QLatin1Char('\n');
            }
        }
        if (!result.fileFailure.isEmpty()) {
            if (!text.isEmpty()) text += QLatin1Char('\n');
            text += result.fileFailure + QLatin1Char('\n');
        }
        if (cancelled) text += QStringLiteral("Der Abgleich wurde abgebrochen; es wurde nichts geändert.\n");
        result.summary = text;
        QPointer<ContactSyncRun> alive(q);
        QMetaObject::invokeMethod(q, [this, alive] {
            if (alive) emit q->finished(result);
        }, Qt::QueuedConnection);
    }
};

ContactSyncRun::ContactSyncRun(DavClient& client, ContactSyncOptions options, QObject* parent)
    : QObject(parent), d(new Impl(this, client, std::move(options))) {}

ContactSyncRun::~ContactSyncRun() { delete d; }

void ContactSyncRun::start() { d->start(); }

void ContactSyncRun::cancel() {
    if (d->writing || d->over) return;
    d->cancelled = true;
    d->client.cancelAll();
}

ContactSyncResult RunContactSync(DavClient& client, const ContactSyncOptions& options) {
    ContactSyncRun run(client, options);
    return RunToTheEnd<ContactSyncResult>(run);
}

}  // namespace tmf::dav
