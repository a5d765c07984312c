#pragma once
// What changed in one address book since the last run: its properties
// first (an unchanged sync token or ctag ends the work there, one request),
// then the sync-collection report from the last token where the server
// offers it, else a listing of every ETag; the vCards of changed contacts
// come with the report or through addressbook-multiget, several batches on
// the wire at once.
#include <QUrl>
#include <functional>

#include "ContactSync.h"
#include "DavClient.h"
#include "SyncState.h"

namespace tmf::dav {

struct BookFetchOptions {
    QUrl url;
    const SyncedAddressBook* known = nullptr;  // what the last run saw; nothing for a new book
    bool full = false;                         // read every contact, whatever the last run saw
    int batch = 100;                           // hrefs per addressbook-multiget
    bool useSyncCollection = true;             // where the server offers it
};

// fetched(done, total) reports the vCards as they come in.
void FetchAddressBook(DavClient& client, const BookFetchOptions& options, std::function<void(int, int)> fetched,
                      std::function<void(AddressBookChanges, DavError)> done);

}  // namespace tmf::dav
