#include "SampleFiles.h"

#include <fstream>
#include <random>

#include "AppointmentFile.h"
#include "Dates.h"
#include "State.h"

namespace tmf::test {

Row MakeRow(const EntrySpec& e) {
    Row r;
    r[Vorname] = Cell(e.vorname);
    r[Nachname] = Cell(e.nachname);
    r[TerminAm] = Cell(e.termin);
    r[Bemerkung] = Cell(StoreLineBreaks(e.bemerkung));
    r[Warnung1] = Cell(e.warnung1);
    r[Warnung2] = Cell(e.warnung2);
    r[Erreicht] = Cell(e.erreicht);
    r[TelFaxMail] = Cell(StoreLineBreaks(e.telFaxMail));
    r[Adresse] = Cell(StoreLineBreaks(e.adresse));
    r[Loeschen] = Cell(e.loeschen ? -1 : 0);
    r[Terminart] = Cell(e.terminart);
    return r;
}

Row MakeHeader(int count, const std::string& lastCheck, int outputChoice, int sortChoice) {
    Row h;
    h[HeaderCount] = Cell(std::to_string(count));
    h[HeaderOutputChoice] = Cell(std::to_string(outputChoice));
    h[HeaderSortChoice] = Cell(std::to_string(sortChoice));
    h[HeaderVersion] = Cell(std::string(kVersionText));
    h[HeaderReserved] = Cell(0);
    h[HeaderLastCheck] = Cell(lastCheck);
    return h;
}

std::string AppointmentFileBytes(const Row& header, const std::vector<Row>& entries) {
    std::string bytes((entries.size() + 1) * kRecordSize, '\0');
    auto* out = reinterpret_cast<unsigned char*>(bytes.data());
    EncodeRecord(header, out);
    for (std::size_t i = 0; i < entries.size(); ++i) EncodeRecord(entries[i], out + (i + 1) * kRecordSize);
    return bytes;
}

std::string AppointmentFileBytes(const std::vector<EntrySpec>& entries, const std::string& lastCheck,
                                 int outputChoice, int sortChoice) {
    std::vector<Row> rows;
    for (const auto& e : entries) rows.push_back(MakeRow(e));
    return AppointmentFileBytes(MakeHeader(static_cast<int>(entries.size()), lastCheck, outputChoice, sortChoice),
                                rows);
}

void WriteAppointmentFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

void LoadIntoState(const std::vector<EntrySpec>& entries, const std::string& lastCheck) {
    const int n = static_cast<int>(entries.size());
    ResizeEntryTable(n);
    EntryTable.row(0) = MakeHeader(n, lastCheck);
    for (int i = 0; i < n; ++i) EntryTable.row(i + 1) = MakeRow(entries[static_cast<std::size_t>(i)]);
    EntryCount = n;
}

std::vector<EntrySpec> GenerateEntries(int n, unsigned seed) {
    static const char* first[] = {"Anna", "Bernd", "Claudia", "Dieter", "Elke", "Frank", "Gisela", "Hans",
                                  "Ingrid", "Jürgen", "Karin", "Lothar", "Monika", "Norbert", "Ölaf", "Petra",
                                  "Rüdiger", "Sabine", "Thomas", "Ursula", "Volker", "Waltraud", "Xaver", "Zoë"};
    static const char* last[] = {"Müller", "Schmidt", "Schneider", "Fischer", "Weber", "Meyer", "Wagner",
                                 "Becker", "Schulz", "Hoffmann", "Schäfer", "Koch", "Bauer", "Richter",
                                 "Klein", "Wolf", "Schröder", "Neumann", "Schwarz", "Zimmermann", "Braun",
                                 "Krüger", "Hofmann", "Hartmann", "Lange", "Schmitt", "Werner", "Krause"};
    static const char* terms[] = {"Geburtstag", "Hochzeitstag", "Jubiläum", "Namenstag", "Todestag", "Arzt",
                                  "Zahnarzt", "Versicherung"};
    std::mt19937 rng(seed);
    auto pick = [&](int k) { return static_cast<int>(rng() % static_cast<unsigned>(k)); };
    std::vector<EntrySpec> out;
    out.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        EntrySpec e;
        e.vorname = first[pick(24)];
        e.nachname = last[pick(28)];
        int d = 1 + pick(28), m = 1 + pick(12), y = 1925 + pick(100);
        e.termin = FormatDate(std::chrono::year{y} / std::chrono::month{static_cast<unsigned>(m)} /
                              std::chrono::day{static_cast<unsigned>(d)});
        e.terminart = terms[pick(8)];
        e.warnung1 = pick(4) == 0 ? 0 : 7 + pick(14);
        e.warnung2 = pick(3);
        e.bemerkung = "Bemerkung " + std::to_string(i + 1) + "\r\nzweite Zeile";
        e.telFaxMail = "0221 " + std::to_string(100000 + i) + "\r\n0221 " + std::to_string(200000 + i) +
                       "\r\nname" + std::to_string(i + 1) + "@example.org";
        e.adresse = "Hauptstraße " + std::to_string(1 + pick(200)) + "\r\n50667 Köln";
        out.push_back(std::move(e));
    }
    return out;
}

}  // namespace tmf::test
