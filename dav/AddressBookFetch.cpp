#include "AddressBookFetch.h"

#include <QHash>
#include <algorithm>
#include <memory>

#include "DavXml.h"
#include "Discovery.h"

namespace tmf::dav {
namespace {

const std::vector<PropName> kContactProps = {{kNsDav, "getetag"}, {kNsCardDav, "address-data"}};
// Rounds of a report that the server cuts short (507 on the collection);
// a server that never finishes is not followed for ever.
constexpr int kMaxRounds = 50;

struct Fetch : std::enable_shared_from_this<Fetch> {
    DavClient& client;
    BookFetchOptions o;
    std::function<void(int, int)> fetched;
    std::function<void(AddressBookChanges, DavError)> done;
    AddressBookChanges out;
    QString bookPath;
    QHash<QString, QString> toFetch;  // path → href as the server wrote it
    QHash<QString, std::size_t> listed;  // path → index in out.contacts
    int outstanding = 0;
    int got = 0;
    int total = 0;
    bool over = false;

    Fetch(DavClient& c, BookFetchOptions options, std::function<void(int, int)> f,
          std::function<void(AddressBookChanges, DavError)> d)
        : client(c), o(std::move(options)), fetched(std::move(f)), done(std::move(d)) {}

    const SyncedContact* known(const QString& path) const {
        if (!o.known || o.full) return nullptr;
        const auto it = o.known->contacts.find(path.toStdString());
        return it == o.known->contacts.end() ? nullptr : &it->second;
    }

    void fail(DavError e) {
        if (over) return;
        over = true;
        done({}, std::move(e));
    }

    void finish() {
        if (over) return;
        over = true;
        std::sort(out.contacts.begin(), out.contacts.end(),
                  [](const ServerContact& a, const ServerContact& b) { return a.href < b.href; });
        done(std::move(out), {});
    }

    DavError bad(const QUrl& url) {
        DavError e;
        e.kind = DavErrorKind::BadResponse;
        e.url = url;
        e.message = ErrorMessage(e.kind, url);
        return e;
    }

    void put(const QString& path, const QString& etag, std::optional<std::string> vcard) {
        ServerContact c{path.toStdString(), etag.toStdString(), std::move(vcard)};
        if (auto it = listed.find(path); it != listed.end()) {
            out.contacts[*it] = std::move(c);
            return;
        }
        listed.insert(path, out.contacts.size());
        out.contacts.push_back(std::move(c));
    }

    void begin() {
        out.url = o.url.toString().toStdString();
        auto self = shared_from_this();
        ReadCollection(client, o.url, [self](const DavCollection& c, const DavError& e) {
            if (e) return self->fail(e);
            if (!c.addressBook) {
                DavError notBook;
                notBook.kind = DavErrorKind::NotACollection;
                notBook.url = self->o.url;
                notBook.message = ErrorMessage(notBook.kind, self->o.url);
                return self->fail(notBook);
            }
            self->bookPath = c.url.path(QUrl::FullyDecoded);
            self->out.name = c.displayName.toStdString();
            self->out.syncToken = c.syncToken.toStdString();
            self->out.ctag = c.ctag.toStdString();
            const SyncedAddressBook* k = self->o.known;
            const bool sameToken = k && !k->syncToken.empty() && k->syncToken == self->out.syncToken;
            const bool sameCtag = k && self->out.syncToken.empty() && !k->ctag.empty() && k->ctag == self->out.ctag;
            if (!self->o.full && (sameToken || sameCtag)) return self->finish();
            if (c.syncCollection && self->o.useSyncCollection) self->report(self->o.full || !k ? QString() : QString::fromStdString(k->syncToken), 0);
            else self->listing();
        });
    }

    void report(const QString& token, int round) {
        if (round == 0) out.complete = token.isEmpty();
        DavRequest request{"REPORT", o.url, SyncCollectionBody(token, kContactProps)};
        auto self = shared_from_this();
        client.send(request, [self, token, round](const DavReply& reply) {
            // A token the server no longer takes: the standard's answer is a
            // 403 or 409 naming valid-sync-token, Xandikos answers 500. Any
            // refusal of a report that carried a token is met by starting
            // over once without one; faults of the connection are not.
            const bool answered = reply.status >= 400 && reply.error.kind != DavErrorKind::Unauthorized;
            if (answered && !token.isEmpty() && round == 0) return self->report(QString(), 0);
            if (reply.error) return self->fail(reply.error);
            if (reply.status == 400 || reply.status == 405 || reply.status == 501) {
                if (round == 0) return self->listing();  // offered, but not taken after all
            }
            const MultiStatus ms = ParseMultiStatus(reply.body);
            if (reply.status != 207 || !ms.ok) return self->fail(self->bad(self->o.url));
            bool cut = false;
            for (const DavResponse& r : ms.responses) {
                const QString path = HrefPath(r.href, reply.url);
                if (SameCollectionPath(path, self->bookPath)) {
                    cut = cut || r.status == 507;
                    continue;
                }
                if (r.status == 404 || r.status == 410) {
                    self->out.removed.push_back(path.toStdString());
                    continue;
                }
                self->item(r, path);
            }
            if (!ms.syncToken.isEmpty()) self->out.syncToken = ms.syncToken.toStdString();
            if (cut && round + 1 < kMaxRounds && !ms.syncToken.isEmpty()) return self->report(ms.syncToken, round + 1);
            self->multiget();
        });
    }

    // A contact the listing names: its vCard if it came along, else fetched
    // unless the last run saw the same ETag.
    void item(const DavResponse& r, const QString& path) {
        const QString etag = r.text(kNsDav, "getetag").trimmed();
        if (r.has(kNsCardDav, "address-data")) {
            put(path, etag, r.text(kNsCardDav, "address-data").toStdString());
            ++got;
            return;
        }
        const SyncedContact* k = known(path);
        if (k && !etag.isEmpty() && k->etag == etag.toStdString()) {
            put(path, etag, std::nullopt);
            return;
        }
        toFetch.insert(path, r.href);
    }

    void listing() {
        out.complete = true;
        DavRequest request{"PROPFIND", o.url, PropfindBody({{kNsDav, "resourcetype"}, {kNsDav, "getetag"}})};
        request.depth = 1;
        auto self = shared_from_this();
        client.send(request, [self](const DavReply& reply) {
            if (reply.error) return self->fail(reply.error);
            const MultiStatus ms = ParseMultiStatus(reply.body);
            if (reply.status != 207 || !ms.ok) return self->fail(self->bad(self->o.url));
            for (const DavResponse& r : ms.responses) {
                const QString path = HrefPath(r.href, reply.url);
                if (SameCollectionPath(path, self->bookPath)) continue;
                if (r.props.value(QualifiedName(kNsDav, "resourcetype")).elements.contains(QualifiedName(kNsDav, "collection")))
                    continue;
                if (r.status == 404 || r.status == 410) continue;
                self->item(r, path);
            }
            self->multiget();
        });
    }

    void multiget() {
        if (toFetch.isEmpty()) return finish();
        QStringList paths = toFetch.keys();
        std::sort(paths.begin(), paths.end());
        total = got + static_cast<int>(paths.size());
        const int batch = std::max(1, o.batch);
        for (qsizetype from = 0; from < paths.size(); from += batch) {
            const QStringList part = paths.mid(from, batch);
            QStringList hrefs;
            for (const QString& p : part) hrefs << toFetch.value(p);
            DavRequest request{"REPORT", o.url, AddressbookMultigetBody(hrefs, kContactProps)};
            request.depth = 1;
            ++outstanding;
            auto self = shared_from_this();
            client.send(request, [self, part](const DavReply& reply) { self->answer(reply, part); });
        }
    }

    void answer(const DavReply& reply, const QStringList& asked) {
        --outstanding;
        if (over) return;
        if (reply.error) return fail(reply.error);
        const MultiStatus ms = ParseMultiStatus(reply.body);
        if (reply.status != 207 || !ms.ok) return fail(bad(o.url));
        QSet<QString> answered;
        for (const DavResponse& r : ms.responses) {
            const QString path = HrefPath(r.href, reply.url);
            if (!asked.contains(path) || answered.contains(path)) continue;
            answered.insert(path);
            if (r.status == 404 || r.status == 410) {
                // Gone between the listing and now.
                if (!out.complete) out.removed.push_back(path.toStdString());
                continue;
            }
            const QString etag = r.text(kNsDav, "getetag").trimmed();
            // An answer without its card is a card that cannot be read.
            put(path, etag, r.text(kNsCardDav, "address-data").toStdString());
            ++got;
        }
        // Not answered at all: kept as the last run saw it, asked again next time.
        for (const QString& path : asked)
            if (!answered.contains(path)) {
                if (o.known) {
                    const auto it = o.known->contacts.find(path.toStdString());
                    if (it != o.known->contacts.end()) put(path, QString::fromStdString(it->second.etag), std::nullopt);
                }
            }
        if (fetched) fetched(got, total);
        if (outstanding == 0) finish();
    }
};

}  // namespace

void FetchAddressBook(DavClient& client, const BookFetchOptions& options, std::function<void(int, int)> fetched,
                      std::function<void(AddressBookChanges, DavError)> done) {
    auto fetch = std::make_shared<Fetch>(client, options, std::move(fetched), std::move(done));
    fetch->begin();
}

}  // namespace tmf::dav
