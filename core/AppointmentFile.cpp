#include "AppointmentFile.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "CheckListEdit.h"
#include "Cp1252.h"
#include "Dates.h"
#include "FileIo.h"
#include "Ports.h"
#include "Scramble.h"
#include "State.h"

namespace tmf {
namespace {

struct TextSlot {
    int field;
    std::size_t offset;
    std::size_t capacity;
};
constexpr TextSlot kTexts[] = {
    {Vorname, 0, 25},      {Nachname, 26, 25},  {TerminAm, 52, 10},  {Bemerkung, 63, 100},
    {TelFaxMail, 169, 100}, {Adresse, 270, 100}, {Terminart, 372, 15},
};
constexpr TextSlot kDateSlot = kTexts[2];
constexpr std::size_t kWarnung1At = 164, kWarnung2At = 166, kErreichtAt = 168, kLoeschenAt = 371;

// Scrambling is a byte-wise xor, done here eight bytes at a time: loading
// and saving the largest files is mostly this loop. True when a plain byte
// is beyond ASCII.
bool XorCopy(const unsigned char* in, unsigned char* out, std::size_t n, unsigned char key) {
    constexpr std::uint64_t kTopBits = 0x8080808080808080ull;
    if (n < 8) {
        unsigned any = 0;
        for (std::size_t i = 0; i < n; ++i) {
            out[i] = in[i] ^ key;
            any |= out[i];
        }
        return any >= 0x80;
    }
    const std::uint64_t key8 = 0x0101010101010101ull * key;
    std::uint64_t any8 = 0;
    auto word = [&](std::size_t at) {
        std::uint64_t w;
        std::memcpy(&w, in + at, 8);
        w ^= key8;
        any8 |= w;
        std::memcpy(out + at, &w, 8);
    };
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) word(i);
    // The rest as one word that overlaps the last one, so it stays inside.
    if (i < n) word(n - 8);
    return (any8 & kTopBits) != 0;
}

void ReadText(const unsigned char* record, const TextSlot& slot, std::string& text) {
    // A length byte beyond the field is not something the program writes;
    // reading it as the full field keeps the bytes of the next field out.
    const std::size_t length = std::min<std::size_t>(record[slot.offset], slot.capacity);
    const unsigned char* in = record + slot.offset + 1;
    const unsigned char key = ScrambleKey(length);
    text.resize(length);
    // Plain ASCII is its own UTF-8; other characters take two or three bytes.
    if (!XorCopy(in, reinterpret_cast<unsigned char*>(text.data()), length, key)) return;
    unsigned char buf[128];
    XorCopy(in, buf, length, key);
    text.clear();
    AppendCp1252AsUtf8(text, buf, length);
}

void WriteText(unsigned char* record, const TextSlot& slot, const Cell& cell) {
    std::string converted;
    const std::string* text = cell.textIf();
    if (!text) {
        converted = cell.asText();
        text = &converted;
    }
    // ASCII up to the capacity is already the Windows-1252 form.
    std::string_view bytes(text->data(), std::min(text->size(), slot.capacity));
    std::string cp1252;
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            cp1252 = Utf8ToCp1252(*text, slot.capacity);
            bytes = cp1252;
            break;
        }
    }
    record[slot.offset] = static_cast<unsigned char>(bytes.size());
    XorCopy(reinterpret_cast<const unsigned char*>(bytes.data()), record + slot.offset + 1, bytes.size(),
            ScrambleKey(bytes.size()));
}

void WriteInt16(unsigned char* at, const Cell& cell) {
    auto v = static_cast<std::uint16_t>(static_cast<std::uint64_t>(cell.toInteger().value_or(0)));
    at[0] = static_cast<unsigned char>(v & 0xFF);
    at[1] = static_cast<unsigned char>(v >> 8);
}

void WriteInt8(unsigned char* at, const Cell& cell) {
    *at = static_cast<unsigned char>(static_cast<std::uint64_t>(cell.toInteger().value_or(0)));
}

int ReadInt16(const unsigned char* at) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(at[0] | (at[1] << 8)));
}

// Files whose last load in this run failed. Whatever the table holds then
// is not their content, so nothing of it may be written into them.
std::vector<std::string> gUnreadable;

void MarkUnreadable(const std::string& name) {
    if (!FailedToLoad(name)) gUnreadable.push_back(name);
}

void MarkReadable(const std::string& name) {
    std::erase_if(gUnreadable, [&](const std::string& p) { return SameFile(p, name); });
}

void ReportLoadFailure(const std::string& name) {
    MarkUnreadable(name);
    ShowMessage(name + " konnte nicht geladen werden !");
}

int ReadInt8(const unsigned char* at) { return static_cast<std::int8_t>(*at); }


bool StoredDateIsNormal(const unsigned char* record) { return NormalStoredDate(record).has_value(); }

}  // namespace

void DecodeRecord(const unsigned char* record, Row& row) {
    for (const auto& slot : kTexts) ReadText(record, slot, row[static_cast<std::size_t>(slot.field)].textToFill());
    row[Warnung1] = Cell(ReadInt16(record + kWarnung1At));
    row[Warnung2] = Cell(ReadInt16(record + kWarnung2At));
    row[Erreicht] = Cell(static_cast<int>(static_cast<std::int8_t>(record[kErreichtAt])));
    row[Loeschen] = Cell(static_cast<int>(static_cast<std::int8_t>(record[kLoeschenAt])));
}

std::string DateErrorSummary(const std::string& name, std::int32_t more) {
    return "Datumsfehler in " + name + " :\r\n\r\nWeitere " + std::to_string(more) +
           " Einträge haben kein gültiges Datum.\r\nFür sie wird der 01.01.0100 angenommen.";
}

std::optional<std::chrono::year_month_day> NormalStoredDate(const unsigned char* record) {
    // Every entry of a file comes through here, so the ten bytes are looked
    // at as two words: "dd.mm.yy" and "yy".
    const unsigned char* field = record + kDateSlot.offset;
    if (field[0] != 10) return std::nullopt;
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kKey = kOnes * ScrambleKey(10);
    std::uint64_t head = 0;
    std::uint16_t tail = 0;
    std::memcpy(&head, field + 1, 8);
    std::memcpy(&tail, field + 9, 2);
    if constexpr (std::endian::native == std::endian::big) {
        head = __builtin_bswap64(head);
        tail = __builtin_bswap16(tail);
    }
    head ^= kKey;
    tail = static_cast<std::uint16_t>(tail ^ kKey);
    // Byte i of a word is character i: the dots are characters 2 and 5.
    constexpr std::uint64_t kDotMask = 0xFFull << 16 | 0xFFull << 40;
    constexpr std::uint64_t kDots = std::uint64_t{'.'} << 16 | std::uint64_t{'.'} << 40;
    if ((head & kDotMask) != kDots) return std::nullopt;
    const std::uint64_t digits = (head & ~kDotMask) | (kOnes * '0' & kDotMask);
    // A byte is a digit when it is 0x30..0x3F and stays below 0x40 plus 6.
    constexpr std::uint64_t kHigh = kOnes * 0xF0, kZeros = kOnes * '0', kSix = kOnes * 6;
    if ((digits & kHigh) != kZeros || ((digits + kSix) & kHigh) != kZeros) return std::nullopt;
    if ((tail & 0xF0F0) != 0x3030 || ((tail + 0x0606) & 0xF0F0) != 0x3030) return std::nullopt;
    const auto at = [v = digits - kZeros](int i) { return static_cast<unsigned>((v >> (8 * i)) & 0xFF); };
    const unsigned d = at(0) * 10 + at(1), m = at(3) * 10 + at(4);
    const unsigned y = at(6) * 1000 + at(7) * 100 + ((tail & 0xFFu) - '0') * 10 + ((tail >> 8) - '0');
    // 29 February and years before 100 take the validation, which changes them.
    static constexpr unsigned char kDays[] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m - 1 >= 12 || d - 1 >= kDays[m] || y < 100) return std::nullopt;
    return std::chrono::year_month_day{std::chrono::year{static_cast<int>(y)}, std::chrono::month{m},
                                       std::chrono::day{d}};
}

void DecodeTexts(const unsigned char* record, Row& row, std::initializer_list<int> fields) {
    for (const auto& slot : kTexts)
        if (std::find(fields.begin(), fields.end(), slot.field) != fields.end())
            ReadText(record, slot, row[static_cast<std::size_t>(slot.field)].textToFill());
}

void PrefetchCheckFields(const unsigned char* record) {
    // Three cache lines: the date, the numbers, and the deletion flag with
    // the term beside it. The last is read only for an entry that has
    // something to show, but waiting for it then costs more than fetching
    // it for every entry.
    __builtin_prefetch(record + kDateSlot.offset);
    __builtin_prefetch(record + kWarnung1At);
    __builtin_prefetch(record + kLoeschenAt);
}

void DecodeCheckFields(const unsigned char* record, CheckFields& fields) {
    fields.date = NormalStoredDate(record);
    fields.warnung1 = ReadInt16(record + kWarnung1At);
    fields.warnung2 = ReadInt16(record + kWarnung2At);
    fields.erreicht = ReadInt8(record + kErreichtAt);
}

bool StoredLoeschen(const unsigned char* record) { return ReadInt8(record + kLoeschenAt) != 0; }

void EncodeRecord(const Row& row, unsigned char* record) {
    std::memset(record, 0, kRecordSize);
    for (const auto& slot : kTexts) WriteText(record, slot, row[static_cast<std::size_t>(slot.field)]);
    WriteInt16(record + kWarnung1At, row[Warnung1]);
    WriteInt16(record + kWarnung2At, row[Warnung2]);
    WriteInt8(record + kErreichtAt, row[Erreicht]);
    WriteInt8(record + kLoeschenAt, row[Loeschen]);
}

bool FailedToLoad(const std::string& name) {
    return std::any_of(gUnreadable.begin(), gUnreadable.end(), [&](const std::string& p) { return SameFile(p, name); });
}

void ForgetLoadFailure(const std::string& name) { MarkReadable(name); }
void ForgetAllLoadFailures() { gUnreadable.clear(); }

LoadResult LoadAppointmentFile(const std::string& name, std::string_view mode, NameInMessage naming) {
    TableOperation busy;
    PlainFileReader file;
    unsigned char first[kRecordSize];
    if (!file.open(name) || file.read(first, kRecordSize).value_or(0) < kRecordSize) {
        ReportLoadFailure(name);
        return LoadResult::Failed;
    }
    Row header;
    DecodeRecord(first, header);
    // A negative count or one beyond 32 bits is no number of entries.
    auto count = ParseInteger(header[HeaderCount].asText());
    bool countOk = count && *count >= 0 && *count <= std::numeric_limits<std::int32_t>::max();

    if (mode != "Alles") {
        if (!countOk) {
            ReportLoadFailure(name);
            return LoadResult::Failed;
        }
        EntryTable.row(0) = std::move(header);
        EntryCount = static_cast<std::int32_t>(*count);
        MarkReadable(name);
        EntryTableContent = TableContent::HeaderOnly;
        return LoadResult::Loaded;
    }

    if (!countOk) {
        MarkUnreadable(name);
        ShowMessage(naming == NameInMessage::Yes ? "Keine Termifolio98 Datei !\r\n" + name
                                                 : std::string("Keine Termifolio98 Datei !"));
        return LoadResult::NotAppointmentFile;
    }
    const auto n = static_cast<std::int32_t>(*count);
    const auto available = static_cast<std::int32_t>(
        std::min<std::size_t>(file.size() / kRecordSize - 1, std::numeric_limits<std::int32_t>::max()));
    std::int32_t rows = std::min(n, available);
    // The entries go straight into the table's record store and are decoded
    // row by row when first looked at; until they are adopted the table is
    // untouched, so a read that fails leaves it as it was.
    unsigned char* records = EntryTable.recordBuffer(static_cast<std::size_t>(rows), kRecordSize);
    const auto got = file.read(records, static_cast<std::size_t>(rows) * kRecordSize);
    if (!got) {
        ReportLoadFailure(name);
        return LoadResult::Failed;
    }
    // The file may have shrunk since it was opened.
    rows = std::min(rows, static_cast<std::int32_t>(*got / kRecordSize));

    // The dates are checked now, as the messages belong to the load; a date
    // that needs another form gets it in the record itself.
    ShowProgress("Lade...", 0.0f, static_cast<float>(n));
    std::int32_t dateErrors = 0;
    std::string date;
    for (std::int32_t i = 1; i <= rows; ++i) {
        unsigned char* record = records + static_cast<std::size_t>(i - 1) * kRecordSize;
        if (i + 16 <= rows) __builtin_prefetch(record + 16 * kRecordSize + kDateSlot.offset);
        if (StoredDateIsNormal(record)) {
            if (i % 10 == 0 || i == n) ShowProgress("Lade...", static_cast<float>(i), static_cast<float>(n));
            continue;
        }
        ReadText(record, kDateSlot, date);
        if (!IsNormalizedDate(date) || (date[0] == '2' && date[1] == '9' && date[3] == '0' && date[4] == '2') ||
            (date[6] == '0' && date[7] == '0')) {
            int code = 0;
            std::string checked = CheckDateText(date, code);
            if (code != 0) {
                // A file of random bytes under a valid header would ask for
                // one box per entry: a few show what is wrong, one sums up.
                if (++dateErrors <= kDateMessagesPerFile) ShowMessage(DateErrorMessage(code, checked));
                checked = kFallbackDate;
            }
            WriteText(record, kDateSlot, Cell(std::move(checked)));
        }
        if (i % 10 == 0 || i == n) ShowProgress("Lade...", static_cast<float>(i), static_cast<float>(n));
    }
    MarkReadable(name);
    EntryTable.adoptRecords(rows, DecodeRecord);
    EntryTable.row(0) = std::move(header);
    EntryTableContent = TableContent::Entries;
    if (dateErrors > kDateMessagesPerFile)
        ShowMessage(DateErrorSummary(name, dateErrors - kDateMessagesPerFile));
    if (rows < n) {
        ShowMessage("Dateiende bei " + std::to_string(rows) + " einträgen erreicht !");
        EntryTable(HeaderCount, 0) = Cell(rows);
        EntryCount = rows;
        return LoadResult::Truncated;
    }
    EntryCount = n;
    return LoadResult::Loaded;
}

bool SaveAppointmentFile(const std::string& name, std::string_view mode, std::string_view option) {
    if (FailedToLoad(name)) {
        ShowMessage("Die Datei " + name + " konnte nicht gespeichert werden !\r\n"
                    "Sie ließ sich nicht laden; die Einträge im Programm gehören nicht zu ihr, "
                    "darum wird sie nicht überschrieben.", MessageKind::Error);
        return false;
    }
    TableOperation busy;
    if (option == "Datum") EntryTable(HeaderLastCheck, 0) = Cell(FormatDate(Today()));
    const bool all = mode == "Alles";
    const std::int32_t n = all ? EntryCount : 0;
    if (all && (EntryTableContent == TableContent::HeaderOnly || n < 0 || n > EntryTable.lastRow())) {
        // Only a header was read (or the count is broken): writing the table
        // now would replace the file's entries by empty records, or by the
        // rows of the file loaded before, however many it had.
        ShowMessage("Die Datei " + name + " konnte nicht gespeichert werden !\r\n"
                    "Die Einträge sind nicht vollständig geladen.", MessageKind::Error);
        return false;
    }
    // Until the new file is in place the header goes on counting what the
    // file on disk holds: a header-only write after a failed save must not
    // cut the stored entries short.
    const Cell storedCount = EntryTable(HeaderCount, 0);
    if (all) EntryTable(HeaderCount, 0) = Cell(n);
    std::string buffer(static_cast<std::size_t>(n + 1) * kRecordSize, '\0');
    auto* out = reinterpret_cast<unsigned char*>(buffer.data());
    for (std::int32_t i = 0; i <= n; ++i) {
        EncodeRecord(EntryTable.row(i), out + static_cast<std::size_t>(i) * kRecordSize);
        if (i % 10 == 0 || i == n) ShowProgress("Speicher...", static_cast<float>(i), static_cast<float>(n));
    }
    IoError error;
    bool ok = all ? WriteFileAtomically(name, buffer, &error) : WriteFileAt(name, 0, buffer, &error);
    if (!ok) {
        if (all) EntryTable(HeaderCount, 0) = storedCount;
        ShowMessage("Die Datei " + name + " konnte nicht gespeichert werden !\r\n" + error.reason +
                        "\r\nDie Datei auf dem Datenträger ist unverändert.",
                    MessageKind::Error);
    }
    return ok;
}

SavePrompt AskSaveIfChangedOutcome(const std::string& name) {
    Answer a = Ask("->" + name + " Datei wurde geändert !\r\nABSPEICHERN ?", MessageKind::Information, Buttons::YesNo);
    if (a != Answer::Yes) return SavePrompt::Declined;
    if (!SaveAppointmentFile(name, "Alles", "Datum")) return SavePrompt::Failed;
    Modified = 0;
    return SavePrompt::Saved;
}

bool AskSaveIfChanged(const std::string& name) { return AskSaveIfChangedOutcome(name) == SavePrompt::Saved; }

bool OfferSaveBeforeReplacing() {
    return Modified != 1 || AskSaveIfChangedOutcome(CurrentFile()) != SavePrompt::Failed;
}

void ResetToTestFile() {
    ResetData("F[]", kTestFileName);
    SaveAppointmentFile(CurrentFile(), "", "Datum");
}

}  // namespace tmf
