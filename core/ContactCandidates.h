#pragma once
// One contact's vCard as the sync sees it: the entries the vCard import
// would make of it, and why a date of it cannot become one.
#include <string>
#include <string_view>
#include <vector>

#include "EntryTable.h"
#include "VCard.h"

namespace tmf {

struct ContactCandidates {
    bool readable = false;  // the text holds a vCard at all
    std::string uid;
    std::string name;       // what the summary calls the contact
    VCardFile cards;        // as read, for the import's duplicates test
    std::vector<Row> rows;  // the entries the import makes of it, in its order
    std::vector<std::string> unusable;  // one German reason per date that gives no entry
    bool withoutDate = false;
    bool nameAdjusted = false;  // names brought to storable characters or cut
};

ContactCandidates ReadContactCandidates(std::string_view vcard);

// A card from a server comes as the characters of an XML text: a CHARSET
// parameter on a value that is not also encoded (quoted-printable, base64)
// no longer describes its bytes. Some servers keep the parameter when they
// decode a card and store it anew (Radicale turns "N;CHARSET=Windows-1252;
// ENCODING=QUOTED-PRINTABLE:M=FCller" into "N;CHARSET=Windows-1252:Müller"
// in UTF-8); the reader would take the UTF-8 bytes for Windows-1252 then.
// Such parameters are dropped; encoded values keep theirs.
std::string WithoutStaleCharsets(std::string_view vcard);

// The UID property of a vCard ("" when it has none).
std::string VCardUid(std::string_view vcard);

}  // namespace tmf
