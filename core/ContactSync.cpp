#include "ContactSync.h"

#include <algorithm>
#include <deque>
#include <set>
#include <unordered_map>

#include "ContactCandidates.h"
#include "VCardImport.h"

namespace tmf {
namespace {

std::string Key(const ContactFields& f) {
    std::string k;
    k.reserve(f.vorname.size() + f.nachname.size() + f.terminAm.size() + f.terminart.size() +
              f.telFaxMail.size() + f.adresse.size() + 5);
    for (const std::string* s : {&f.vorname, &f.nachname, &f.terminAm, &f.terminart, &f.telFaxMail, &f.adresse}) {
        k += *s;
        k += '\x1f';
    }
    return k;
}

SyncNote Note(const ContactFields& f, std::string reason = {}) {
    std::string name = f.vorname;
    if (!f.nachname.empty()) name += (name.empty() ? "" : " ") + f.nachname;
    return {std::move(name), f.terminart, f.terminAm, std::move(reason)};
}

// The file's rows by their contact fields; each row can be claimed by one
// entry of the state only, so that two equal rows stay two.
class RowIndex {
public:
    RowIndex(const EntryTableType& table, int entryCount) {
        const int last = std::min(entryCount, table.lastRow());
        for (int r = 1; r <= last; ++r) rows_[Key(FieldsOfRow(table.row(r)))].push_back(r);
    }
    // The first unclaimed row with these fields, claimed now; 0 when none.
    int claim(const ContactFields& f) {
        auto it = rows_.find(Key(f));
        if (it == rows_.end() || it->second.empty()) return 0;
        const int row = it->second.front();
        it->second.erase(it->second.begin());
        return row;
    }

private:
    std::unordered_map<std::string, std::vector<int>> rows_;
};

// An entry of the state and the row of the file it was found in (0: the
// user changed or deleted it).
struct Linked {
    ContactFields fields;
    int row = 0;
};

struct PendingAddition {
    SyncedContact* contact;  // points into the plan's state, which no longer changes shape then
    const ContactCandidates* candidates;
    std::vector<bool> wanted;  // per candidate row: not yet in the file for this contact
};

class Planner {
public:
    Planner(const EntryTableType& table, int entryCount, const SyncTargetState& last)
        : table_(table), entryCount_(entryCount), index_(table, entryCount) {
        plan_.state = last;
        plan_.state.rulesVersion = kContactRulesVersion;
        // Every entry the state knows claims its row first, in a fixed order,
        // so that which row belongs to whom does not depend on this run's books.
        for (auto& [url, book] : plan_.state.books)
            for (auto& [href, contact] : book.contacts) {
                auto& links = links_[&contact];
                for (const ContactFields& f : contact.entries) links.push_back({f, index_.claim(f)});
            }
    }

private:
    void book(const AddressBookChanges& changes) {
        SyncedAddressBook& book = plan_.state.books[changes.url];
        book.syncToken = changes.syncToken;
        book.ctag = changes.ctag;

        std::set<std::string> gone(changes.removed.begin(), changes.removed.end());
        if (changes.complete) {
            std::set<std::string> listed;
            for (const ServerContact& c : changes.contacts) listed.insert(c.href);
            for (const auto& [href, contact] : book.contacts)
                if (!listed.count(href)) gone.insert(href);
        }
        // A contact that left one href for another keeps its entries when
        // its UID says it is the same one.
        std::unordered_map<std::string, std::string> goneByUid;
        for (const std::string& href : gone) {
            auto it = book.contacts.find(href);
            if (it != book.contacts.end() && !it->second.uid.empty()) goneByUid[it->second.uid] = href;
        }

        for (const ServerContact& server : changes.contacts) {
            if (!server.vcard) {
                // Unchanged since the last run; a listing that names it keeps it.
                if (auto it = book.contacts.find(server.href); it != book.contacts.end()) it->second.etag = server.etag;
                continue;
            }
            readings_.push_back(ReadContactCandidates(*server.vcard));
            const ContactCandidates& read = readings_.back();
            auto known = book.contacts.find(server.href);
            if (known == book.contacts.end() && read.readable && !read.uid.empty()) {
                if (auto moved = goneByUid.find(read.uid); moved != goneByUid.end()) {
                    auto node = book.contacts.extract(moved->second);
                    gone.erase(moved->second);
                    goneByUid.erase(moved);
                    node.key() = server.href;
                    known = book.contacts.insert(std::move(node)).position;
                }
            }
            if (known == book.contacts.end()) known = book.contacts.emplace(server.href, SyncedContact{}).first;
            SyncedContact& contact = known->second;
            contact.etag = server.etag;
            touched_.insert(&contact);
            if (!read.readable) {
                // Its entries stay as they are until a readable vCard comes.
                contact.unreadable = true;
                plan_.report.skipped.push_back({server.href, {}, {}, "vCard nicht lesbar"});
                for (const Linked& l : links_[&contact])
                    if (l.row != 0) ++plan_.report.kept;
                continue;
            }
            contact.unreadable = false;
            contact.uid = read.uid;
            update(contact, read);
        }

        for (const std::string& href : gone) {
            auto it = book.contacts.find(href);
            if (it == book.contacts.end()) continue;
            for (const Linked& l : links_[&it->second])
                if (l.row != 0) plan_.report.deletedOnServer.push_back(Note(l.fields, "Kontakt auf dem Server gelöscht"));
            links_.erase(&it->second);
            book.contacts.erase(it);
        }
    }

    void update(SyncedContact& contact, const ContactCandidates& read) {
        if (read.withoutDate) ++plan_.report.withoutDate;
        if (read.nameAdjusted) ++plan_.report.namesAdjusted;
        for (const std::string& why : read.unusable) plan_.report.skipped.push_back({read.name, {}, {}, why});

        std::vector<Linked>& old = links_[&contact];
        const std::size_t n = read.rows.size();
        std::vector<ContactFields> wantedFields(n);
        for (std::size_t i = 0; i < n; ++i) wantedFields[i] = FieldsOfRow(read.rows[i]);
        std::vector<int> pairedWith(n, -1);
        std::vector<bool> oldUsed(old.size(), false);
        // Same fields as before: nothing to do, whether or not the user has
        // touched the row since.
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t o = 0; o < old.size(); ++o)
                if (!oldUsed[o] && old[o].fields == wantedFields[i]) {
                    oldUsed[o] = true;
                    pairedWith[i] = static_cast<int>(o);
                    if (old[o].row != 0) ++plan_.report.kept;
                    break;
                }
        // The same kind of date with other names, date or lines: the entry
        // changes, unless the user has changed it here.
        std::vector<Linked> now;
        for (std::size_t i = 0; i < n; ++i) {
            if (pairedWith[i] >= 0) {
                now.push_back(old[static_cast<std::size_t>(pairedWith[i])]);
                continue;
            }
            for (std::size_t o = 0; o < old.size(); ++o) {
                if (oldUsed[o] || old[o].fields.terminart != wantedFields[i].terminart) continue;
                oldUsed[o] = true;
                pairedWith[i] = static_cast<int>(o);
                if (old[o].row == 0) {
                    plan_.report.conflicts.push_back(
                        Note(old[o].fields, "hier geändert oder gelöscht; die Änderung auf dem Server wurde nicht übernommen"));
                    now.push_back(old[o]);
                } else {
                    change(old[o], wantedFields[i]);
                    now.push_back({wantedFields[i], old[o].row});
                }
                break;
            }
        }
        for (std::size_t o = 0; o < old.size(); ++o)
            if (!oldUsed[o] && old[o].row != 0)
                plan_.report.datesRemoved.push_back(Note(old[o].fields, "Datum auf dem Server entfernt"));

        PendingAddition add{&contact, &read, std::vector<bool>(n, false)};
        bool any = false;
        for (std::size_t i = 0; i < n; ++i)
            if (pairedWith[i] < 0) add.wanted[i] = any = true;
        old = std::move(now);
        if (any) additions_.push_back(std::move(add));
    }

    void change(const Linked& old, const ContactFields& wanted) {
        Row row = table_.row(old.row);
        WriteContactFields(wanted, row);
        // A moved date counts afresh from its new day, as after the editor.
        if (old.fields.terminAm != wanted.terminAm) row[Erreicht] = Cell("0");
        plan_.changes.emplace_back(old.row, std::move(row));
        plan_.writes.push_back(wanted);
        plan_.report.changed.push_back(Note(wanted));
    }

    // New entries go through the vCard import's duplicates test against the
    // file as it will be, all contacts at once and in their order.
    void addAll() {
        if (additions_.empty()) return;
        EntryTableType known;
        known.resize(entryCount_);
        const int last = std::min(entryCount_, table_.lastRow());
        for (int r = 1; r <= last; ++r) known.row(r) = table_.row(r);
        for (const auto& [r, row] : plan_.changes) known.row(r) = row;
        VCardFile all;
        for (const PendingAddition& a : additions_)
            for (const VCardContact& c : a.candidates->cards.contacts) all.contacts.push_back(c);
        const std::vector<Row> accepted = PlanVCardImport(all, known, entryCount_).rows;

        // The import keeps the contacts' own order and drops what is there
        // already, so its rows are the candidates less the duplicates.
        std::size_t next = 0;
        for (PendingAddition& a : additions_) {
            auto& links = links_[a.contact];
            for (std::size_t i = 0; i < a.candidates->rows.size(); ++i) {
                const Row& row = a.candidates->rows[i];
                const bool taken = next < accepted.size() && accepted[next] == row;
                if (taken) ++next;
                if (!a.wanted[i]) continue;
                const ContactFields f = FieldsOfRow(row);
                if (!taken) {
                    plan_.report.alreadyThere.push_back(Note(f, "ein Eintrag mit gleichem Namen, Termin und Tag ist schon da"));
                    continue;
                }
                plan_.additions.push_back(row);
                plan_.writes.push_back(f);
                plan_.report.added.push_back(Note(f));
                links.push_back({f, -1});  // in the file once saved
            }
        }
    }

    const EntryTableType& table_;
    int entryCount_;
    RowIndex index_;
    ContactSyncPlan plan_;
    std::unordered_map<const SyncedContact*, std::vector<Linked>> links_;
    std::set<const SyncedContact*> touched_;
    std::deque<ContactCandidates> readings_;  // stable addresses for the additions
    std::vector<PendingAddition> additions_;

public:
    // The state's entries follow the links: what was written stays, what
    // the contact no longer gives is forgotten.
    void storeLinks() {
        for (auto& [url, book] : plan_.state.books)
            for (auto& [href, contact] : book.contacts) {
                contact.entries.clear();
                for (const Linked& l : links_[&contact]) contact.entries.push_back(l.fields);
            }
    }
    ContactSyncPlan take() { return std::move(plan_); }
    void runBooks(const std::vector<AddressBookChanges>& books) {
        for (const AddressBookChanges& b : books) book(b);
        addAll();
        for (auto& [url, book] : plan_.state.books)
            for (auto& [href, contact] : book.contacts)
                if (!touched_.count(&contact))
                    for (const Linked& l : links_[&contact])
                        if (l.row != 0) ++plan_.report.kept;
        storeLinks();
    }
};

}  // namespace

ContactFields FieldsOfRow(const Row& row) {
    return {row[Vorname].asText(), row[Nachname].asText(), row[TerminAm].asText(),
            row[Terminart].asText(), row[TelFaxMail].asText(), row[Adresse].asText()};
}

void WriteContactFields(const ContactFields& f, Row& row) {
    row[Vorname] = Cell(f.vorname);
    row[Nachname] = Cell(f.nachname);
    row[TerminAm] = Cell(f.terminAm);
    row[Terminart] = Cell(f.terminart);
    row[TelFaxMail] = Cell(f.telFaxMail);
    row[Adresse] = Cell(f.adresse);
}

ContactSyncPlan PlanContactSync(const EntryTableType& table, int entryCount, const SyncTargetState& last,
                                const std::vector<AddressBookChanges>& books) {
    Planner planner(table, entryCount, last);
    planner.runBooks(books);
    return planner.take();
}

SyncTargetState ReconcilePending(const SyncStateFile& state, const EntryTableType& table, int entryCount) {
    if (!state.pending) return state.current;
    // The file is saved whole or not at all: when every row the pending run
    // meant to write is there, its save went through.
    std::unordered_map<std::string, int> present;
    const int last = std::min(entryCount, table.lastRow());
    for (int r = 1; r <= last; ++r) ++present[Key(FieldsOfRow(table.row(r)))];
    for (const ContactFields& f : state.pendingWrites)
        if (--present[Key(f)] < 0) return state.current;
    return *state.pending;
}

}  // namespace tmf
