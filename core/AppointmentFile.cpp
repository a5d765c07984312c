#include "AppointmentFile.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <memory>
#include <utility>
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

// A length byte beyond the field is not something the program writes;
// reading it as the full field keeps the bytes of the next field out.
std::size_t TextLength(const unsigned char* record, const TextSlot& slot) {
    return std::min<std::size_t>(record[slot.offset], slot.capacity);
}

// length scrambled bytes to UTF-8.
void ReadScrambled(const unsigned char* in, std::size_t length, std::string& text) {
    const unsigned char key = ScrambleKey(length);
    text.resize(length);
    // Plain ASCII is its own UTF-8; other characters take two or three bytes.
    if (!XorCopy(in, reinterpret_cast<unsigned char*>(text.data()), length, key)) return;
    unsigned char buf[128];
    XorCopy(in, buf, length, key);
    text.clear();
    AppendCp1252AsUtf8(text, buf, length);
}

void ReadText(const unsigned char* record, const TextSlot& slot, std::string& text) {
    ReadScrambled(record + slot.offset + 1, TextLength(record, slot), text);
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

// A record packed for the table: each text slot as its length byte and its
// scrambled bytes, without the slot's empty room, then the six bytes of the
// numbers as they stand in the record. The texts of a typical entry fill a
// third of a record.
constexpr std::size_t kNumberBytes = 6;
constexpr std::size_t kMostPacked = kRecordSize;
static_assert([] {
    std::size_t end = 0;
    for (const auto& slot : kTexts) end += 1 + slot.capacity;
    return end + kNumberBytes <= kMostPacked;
}());

// Each slot is copied whole, a size known when compiling (a few vector
// moves, where a copy of the text's own length took a string instruction
// that dominated the load), and the next one written over its empty room:
// the room for a row holds every slot whole.
template <std::size_t... I>
unsigned char* PackTexts(const unsigned char* record, unsigned char* p, std::index_sequence<I...>) {
    ((*p = static_cast<unsigned char>(TextLength(record, kTexts[I])),
      std::memcpy(p + 1, record + kTexts[I].offset + 1, kTexts[I].capacity), p += 1 + *p),
     ...);
    return p;
}

void PackRecord(const unsigned char* record, PackedRows& rows) {
    unsigned char* out = rows.room(kMostPacked);
    unsigned char* p = PackTexts(record, out, std::make_index_sequence<std::size(kTexts)>());
    std::memcpy(p, record + kWarnung1At, 5);  // both leads and Erreicht lie side by side
    p[5] = record[kLoeschenAt];
    rows.add(static_cast<std::size_t>(p + kNumberBytes - out));
}

void DecodePacked(const unsigned char* packed, Row& row) {
    for (const auto& slot : kTexts) {
        const std::size_t length = *packed++;
        ReadScrambled(packed, length, row[static_cast<std::size_t>(slot.field)].textToFill());
        packed += length;
    }
    row[Warnung1] = Cell(ReadInt16(packed));
    row[Warnung2] = Cell(ReadInt16(packed + 2));
    row[Erreicht] = Cell(ReadInt8(packed + 4));
    row[Loeschen] = Cell(ReadInt8(packed + 5));
}

void PackedText(const unsigned char* packed, int field, std::string& out) {
    for (const auto& slot : kTexts) {
        const std::size_t length = *packed++;
        if (slot.field == field) {
            ReadScrambled(packed, length, out);
            return;
        }
        packed += length;
    }
    const unsigned char* numbers = packed;
    switch (field) {
        case Warnung1: out = std::to_string(ReadInt16(numbers)); break;
        case Warnung2: out = std::to_string(ReadInt16(numbers + 2)); break;
        case Erreicht: out = std::to_string(ReadInt8(numbers + 4)); break;
        case Loeschen: out = std::to_string(ReadInt8(numbers + 5)); break;
        default: out.clear(); break;
    }
}

void PackedCp1252(const unsigned char* const row, int field, std::string& out) {
    const unsigned char* packed = row;
    for (const auto& slot : kTexts) {
        const std::size_t length = *packed++;
        if (slot.field == field) {
            out.resize(length);
            XorCopy(packed, reinterpret_cast<unsigned char*>(out.data()), length, ScrambleKey(length));
            return;
        }
        packed += length;
    }
    PackedText(row, field, out);  // numbers are ASCII either way
}

// The record a packed row came from, as EncodeRecord writes it for the
// decoded row: empty room zero, lengths within their fields.
void UnpackRecord(const unsigned char* packed, unsigned char* record) {
    std::memset(record, 0, kRecordSize);
    for (const auto& slot : kTexts) {
        const std::size_t length = *packed;
        std::memcpy(record + slot.offset, packed, length + 1);
        packed += length + 1;
    }
    std::memcpy(record + kWarnung1At, packed, 5);
    record[kLoeschenAt] = packed[5];
}

constexpr PackedFormat kPackedRecords{DecodePacked, PackedText, PackedCp1252};

// The file whose records are the table's rows as adopted: read from it
// without a date to mend, to its last byte, or written there in full since.
// While the table and the file are both as they were then, a full save has
// the records to write already on disk and writes the header only: the
// start, which saves the current file in full, then costs the same with
// 32,000 entries as with none.
struct FileAsRead {
    std::string path;
    FileStamp stamp;
    std::string header;  // record 0 as it stands in the file
    std::uint64_t adoption = 0;
};
std::optional<FileAsRead> gAsRead;

bool HoldsTheTableAsRead(const std::string& name, std::int32_t n) {
    if (!gAsRead || EntryTable.adoption() == 0 || EntryTable.adoption() != gAsRead->adoption ||
        n != EntryTable.lastRow())
        return false;
    if (name != gAsRead->path && !SameFile(name, gAsRead->path)) return false;
    const auto now = StampOf(name);
    if (!now || *now != gAsRead->stamp || now->size != static_cast<unsigned long long>(n + 1) * kRecordSize)
        return false;
    // A change within the clock tick of the last one leaves the stamp as it
    // was; one by another program would hardly leave the header so.
    return ReadFileStart(name, kRecordSize) == gAsRead->header;
}

// After a write into a file, starting with the header: what it holds now.
void NoteWritten(const std::string& name, bool all, std::string_view header) {
    const bool same = gAsRead && (name == gAsRead->path || SameFile(name, gAsRead->path));
    const auto now = StampOf(name);
    // A full save of the rows as adopted leaves exactly them in the file; a
    // header leaves the records as they were.
    if (all && EntryTable.adoption() != 0 && now) {
        gAsRead = FileAsRead{name, *now, std::string(header), EntryTable.adoption()};
    } else if (same && !all && now) {
        gAsRead->stamp = *now;
        gAsRead->header = header;
    } else if (same) {
        gAsRead.reset();
    }
}


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
    gAsRead.reset();
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
    // The records are read a piece at a time and packed for the table; the
    // table is untouched until it adopts them, so a read that fails leaves
    // it as it was.
    constexpr std::int32_t kPieceRecords = 512;
    const std::unique_ptr<unsigned char[]> piece(new unsigned char[static_cast<std::size_t>(kPieceRecords) * kRecordSize]);
    PackedRows packed;

    // The dates are checked now, as the messages belong to the load; a date
    // that needs another form gets it in the record itself.
    ShowProgress("Lade...", 0.0f, static_cast<float>(n));
    std::int32_t dateErrors = 0;
    bool mended = false;
    std::string date;
    for (std::int32_t first = 1; first <= rows;) {
        const std::int32_t want = std::min(kPieceRecords, rows - first + 1);
        const auto got = file.read(piece.get(), static_cast<std::size_t>(want) * kRecordSize);
        if (!got) {
            ReportLoadFailure(name);
            return LoadResult::Failed;
        }
        // The file may have shrunk since it was opened.
        const auto complete = static_cast<std::int32_t>(*got / kRecordSize);
        if (complete < want) rows = first - 1 + complete;
        for (std::int32_t k = 0; k < complete; ++k) {
            const std::int32_t i = first + k;
            unsigned char* record = piece.get() + static_cast<std::size_t>(k) * kRecordSize;
            if (k + 16 < complete) __builtin_prefetch(record + 16 * kRecordSize + kDateSlot.offset);
            if (!StoredDateIsNormal(record)) {
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
                    mended = true;
                }
            }
            PackRecord(record, packed);
            if (i % 10 == 0 || i == n) ShowProgress("Lade...", static_cast<float>(i), static_cast<float>(n));
        }
        first += want;
    }
    MarkReadable(name);
    EntryTable.adoptPacked(std::move(packed), &kPackedRecords);
    if (!mended && rows == n && file.size() == static_cast<std::size_t>(n + 1) * kRecordSize)
        gAsRead = FileAsRead{name, file.stamp(), std::string(reinterpret_cast<const char*>(first), kRecordSize),
                             EntryTable.adoption()};
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
    IoError error;
    if (all && HoldsTheTableAsRead(name, n)) {
        ShowProgress("Speicher...", 0.0f, static_cast<float>(n));
        std::string header(kRecordSize, '\0');
        EncodeRecord(EntryTable.row(0), reinterpret_cast<unsigned char*>(header.data()));
        if (WriteFileAt(name, 0, header, &error)) {
            if (n > 0) ShowProgress("Speicher...", static_cast<float>(n), static_cast<float>(n));
            NoteWritten(name, false, header);
            return true;
        }
        EntryTable(HeaderCount, 0) = storedCount;
        ShowMessage("Die Datei " + name + " konnte nicht gespeichert werden !\r\n" + error.reason +
                        "\r\nDie Datei auf dem Datenträger ist unverändert.",
                    MessageKind::Error);
        return false;
    }
    std::string buffer(static_cast<std::size_t>(n + 1) * kRecordSize, '\0');
    auto* out = reinterpret_cast<unsigned char*>(buffer.data());
    for (std::int32_t i = 0; i <= n; ++i) {
        unsigned char* record = out + static_cast<std::size_t>(i) * kRecordSize;
        // Rows nothing has looked at since the load are written as they were
        // read, without being decoded first.
        if (const unsigned char* p = i > 0 ? EntryTable.packedRow(i) : nullptr) UnpackRecord(p, record);
        else EncodeRecord(EntryTable.row(i), record);
        if (i % 10 == 0 || i == n) ShowProgress("Speicher...", static_cast<float>(i), static_cast<float>(n));
    }
    bool ok = all ? WriteFileAtomically(name, buffer, &error) : WriteFileAt(name, 0, buffer, &error);
    if (ok) NoteWritten(name, all, std::string_view(buffer).substr(0, kRecordSize));
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
