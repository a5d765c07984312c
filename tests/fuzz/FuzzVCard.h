#pragma once
// What the vCard fuzz target promises, shared with the regression test: any
// bytes give entries the appointment file can hold, with dates the program
// accepts, and a calendar export of them that stays well-formed.
#include <string>
#include <string_view>

#include "AppointmentFile.h"
#include "FuzzReaders.h"
#include "ICalendar.h"
#include "VCard.h"
#include "VCardImport.h"

namespace tmf::fuzz {

#define TMF_FUZZ_REQUIRE(cond, what) \
    do {                             \
        if (!(cond)) return std::string(what) + " [" #cond "]"; \
    } while (false)

inline std::string CheckVCard(std::string_view bytes) {
    const VCardFile file = ReadVCards(bytes);
    for (const auto& c : file.contacts)
        for (const auto& d : c.dates)
            if (d.day) {
                const auto text = StoredVCardDate(*d.day);
                if (text) TMF_FUZZ_REQUIRE(ValidateDate(*text) == *text, "a stored date fails the validation");
            }
    // A card read alone, as the server sync reads it, gives what it gives
    // in the file.
    const auto single = EntriesOfVCard(bytes);
    TMF_FUZZ_REQUIRE(single.has_value() == !file.contacts.empty(), "the first card read alone");
    if (single) {
        const VCardContactEntries first = EntriesOfContact(file.contacts.front());
        TMF_FUZZ_REQUIRE(single->rows.size() == first.rows.size() && single->skipped.size() == first.skipped.size(),
                         "the first card read alone gives other entries");
    }
    EntryTableType table;
    const VCardImportPlan plan = PlanVCardImport(file, table, 0);
    TMF_FUZZ_REQUIRE(plan.rows.size() == static_cast<std::size_t>(plan.counts.added), "added count");
    int entries = 0;
    table.resize(static_cast<int>(plan.rows.size()));
    for (const Row& row : plan.rows) {
        for (int f : {Vorname, Nachname, Bemerkung, TelFaxMail, Adresse, Terminart}) {
            const std::string text = row[static_cast<std::size_t>(f)].asText();
            TMF_FUZZ_REQUIRE(IsCp1252Representable(text), "an imported text cannot be stored");
            TMF_FUZZ_REQUIRE(Utf8Length(text) <= (f <= Nachname ? 25u : f == Terminart ? 15u : 100u),
                             "an imported text is longer than its field");
        }
        const std::string date = row[TerminAm].asText();
        TMF_FUZZ_REQUIRE(IsNormalizedDate(date), "an imported date is not normalised");
        TMF_FUZZ_REQUIRE(date.compare(0, 5, "29.02") != 0, "29 February was imported");
        // What was planned is a duplicate of itself the second time round.
        table.row(++entries) = row;
        std::string record(kRecordSize, '\0');
        EncodeRecord(row, reinterpret_cast<unsigned char*>(record.data()));
        Row back;
        DecodeRecord(reinterpret_cast<const unsigned char*>(record.data()), back);
        TMF_FUZZ_REQUIRE(back[Vorname].asText() == row[Vorname].asText() && back[Adresse].asText() == row[Adresse].asText(),
                         "an imported entry does not survive its record");
    }
    const VCardImportPlan again = PlanVCardImport(file, table, entries);
    TMF_FUZZ_REQUIRE(again.rows.empty(), "a second import of the same file adds entries");
    const std::string ics = WriteICalendar(table, entries, std::chrono::sys_days{std::chrono::year{2024} / 6 / 15});
    TMF_FUZZ_REQUIRE(detail::IsValidUtf8(ics), "the calendar export is not UTF-8");
    for (std::size_t start = 0; start < ics.size();) {
        const auto end = ics.find("\r\n", start);
        TMF_FUZZ_REQUIRE(end != std::string::npos, "a calendar line without CR LF");
        TMF_FUZZ_REQUIRE(end - start <= 75, "a calendar line longer than 75 octets");
        TMF_FUZZ_REQUIRE(ics.find_first_of(std::string_view("\r\n\0", 3), start) == end, "a bare line break or NUL");
        start = end + 2;
    }
    return {};
}

#undef TMF_FUZZ_REQUIRE

}  // namespace tmf::fuzz
