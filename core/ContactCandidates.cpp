#include "ContactCandidates.h"

#include "VCardImport.h"

namespace tmf {
namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != prefix[i]) return false;
    }
    return true;
}

std::string TwoDigits(unsigned n) { return {static_cast<char>('0' + n / 10 % 10), static_cast<char>('0' + n % 10)}; }

std::string WhyUnusable(const VCardDate& date) {
    if (!date.day) return "Datum ohne Tag des Kalenders (etwa ein Text)";
    const VCardDay& d = *date.day;
    if (d.month == 2 && d.day == 29) return "29. Februar: die Termindatei kann diesen Tag nicht speichern";
    if (d.year != 0 && d.year < 100) return "Jahr " + std::to_string(d.year) + " vor dem Jahr 100";
    return "Datum " + TwoDigits(d.day) + "." + TwoDigits(d.month) + "." + std::to_string(d.year) +
           " gibt es nicht";
}

std::string ContactName(const VCardContact& c) {
    std::string name = c.givenName;
    if (!c.familyName.empty()) name += (name.empty() ? "" : " ") + c.familyName;
    if (name.empty()) name = !c.formattedName.empty() ? c.formattedName : !c.organization.empty() ? c.organization : c.email;
    return name;
}

bool ContainsNoCase(std::string_view text, std::string_view what) {
    for (std::size_t i = 0; i + what.size() <= text.size(); ++i)
        if (StartsWithNoCase(text.substr(i), what)) return true;
    return false;
}

}  // namespace

std::string WithoutStaleCharsets(std::string_view vcard) {
    std::string out;
    out.reserve(vcard.size());
    while (!vcard.empty()) {
        std::size_t end = vcard.find('\n');
        end = end == std::string_view::npos ? vcard.size() : end + 1;
        std::string_view line = vcard.substr(0, end);
        vcard.remove_prefix(end);
        const std::size_t colon = line.find(':');
        const std::string_view head = line.substr(0, colon);
        if (line.empty() || line.front() == ' ' || line.front() == '\t' || colon == std::string_view::npos ||
            ContainsNoCase(head, "ENCODING=") || !ContainsNoCase(head, ";CHARSET=")) {
            out += line;
            continue;
        }
        std::size_t from = 0;
        for (std::size_t i = 0; i < head.size(); ++i)
            if (StartsWithNoCase(head.substr(i), ";CHARSET=")) {
                out += head.substr(from, i - from);
                std::size_t next = head.find(';', i + 1);
                from = next == std::string_view::npos ? head.size() : next;
                i = from - 1;
            }
        out += head.substr(from);
        out += line.substr(colon);
    }
    return out;
}

std::string VCardUid(std::string_view vcard) {
    // Folded lines continue with a blank or a tab; a UID is rarely folded,
    // but a long one may be.
    std::string uid;
    bool inUid = false;
    while (!vcard.empty()) {
        std::size_t end = vcard.find_first_of("\r\n");
        std::string_view line = vcard.substr(0, end);
        vcard.remove_prefix(end == std::string_view::npos ? vcard.size() : end);
        if (!vcard.empty() && vcard.front() == '\r') vcard.remove_prefix(1);
        if (!vcard.empty() && vcard.front() == '\n') vcard.remove_prefix(1);
        if (inUid && !line.empty() && (line.front() == ' ' || line.front() == '\t')) {
            uid += line.substr(1);
            continue;
        }
        if (inUid) break;
        if (StartsWithNoCase(line, "UID:") || StartsWithNoCase(line, "UID;")) {
            const std::size_t colon = line.find(':');
            uid = std::string(line.substr(colon + 1));
            inUid = true;
        }
    }
    return uid;
}

ContactCandidates ReadContactCandidates(std::string_view vcard) {
    ContactCandidates c;
    c.cards = ReadVCards(WithoutStaleCharsets(vcard));
    c.readable = !c.cards.contacts.empty();
    if (!c.readable) return c;
    c.uid = VCardUid(vcard);
    c.name = ContactName(c.cards.contacts.front());
    const VCardImportPlan plan = PlanVCardImport(c.cards, EntryTableType{}, 0);
    c.rows = plan.rows;
    c.nameAdjusted = plan.counts.namesChanged > 0;
    bool anyDate = false;
    for (const VCardContact& card : c.cards.contacts) {
        anyDate = anyDate || !card.dates.empty();
        for (const VCardDate& d : card.dates)
            if (!d.day || !StoredVCardDate(*d.day)) c.unusable.push_back(WhyUnusable(d));
    }
    c.withoutDate = !anyDate;
    return c;
}

}  // namespace tmf
