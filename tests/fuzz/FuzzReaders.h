#pragma once
// What every fuzz target does with its input, shared with the regression
// test of the normal build. Each check feeds the bytes to the readers of the
// data core and returns a description of the first broken promise, or an
// empty text when all held. Sanitizers catch the crashes; these catch the
// quiet faults: a save that does not load back, a lost check-list slot.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>

#include "AppointmentFile.h"
#include "ConverterOutput.h"
#include "Cp1252.h"
#include "Dates.h"
#include "FileIo.h"
#include "FuzzPlatform.h"
#include "ListFiles.h"
#include "Scramble.h"
#include "State.h"

namespace tmf::fuzz {

// A folder for the files of one process; in memory when /dev/shm exists,
// because every save flushes to disk and the fuzzers save thousands of
// times a second. TMF_FUZZ_SCRATCH names another base, so that run.sh can
// clear away what a crashed target leaves behind.
class ScratchDir {
public:
    ScratchDir() {
        std::error_code ec;
        const char* chosen = std::getenv("TMF_FUZZ_SCRATCH");
        std::filesystem::path base = chosen && *chosen ? std::filesystem::path(chosen)
                                     : std::filesystem::is_directory("/dev/shm", ec)
                                         ? std::filesystem::path("/dev/shm")
                                         : std::filesystem::temp_directory_path();
        std::string pattern = (base / "tmf-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        path_ = pattern + "/";
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

namespace detail {

#define TMF_FUZZ_REQUIRE(cond, what) \
    do {                             \
        if (!(cond)) return std::string(what) + " [" #cond "]"; \
    } while (false)

inline bool WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::string EncodeRow(const Row& row) {
    std::string record(kRecordSize, '\0');
    EncodeRecord(row, reinterpret_cast<unsigned char*>(record.data()));
    return record;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing beyond U+10FFFF.
inline bool IsValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        int extra;
        std::uint32_t cp, min;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            extra = 1, cp = c & 0x1F, min = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2, cp = c & 0x0F, min = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3, cp = c & 0x07, min = 0x10000;
        } else {
            return false;
        }
        if (i + static_cast<std::size_t>(extra) >= s.size()) return false;
        for (int k = 1; k <= extra; ++k) {
            auto d = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((d & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

inline bool IsStoredDate(const std::string& t) {
    return IsNormalizedDate(t) && t.compare(0, 5, "29.02") != 0 && t.compare(6, 4, "0100") >= 0;
}

}  // namespace detail

// One record through decode and encode, then the whole bytes as a file:
// full load, save, load again (nothing to report the second time, and the
// second save must give the same bytes), and the header-only load followed by
// the in-place header rewrite.
inline std::string CheckAppointmentFile(std::string_view bytes, const std::string& dir) {
    using namespace detail;
    FuzzPlatform platform;

    if (bytes.size() >= kRecordSize) {
        const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
        Row first, second;
        DecodeRecord(in, first);
        const std::string encoded = EncodeRow(first);
        DecodeRecord(reinterpret_cast<const unsigned char*>(encoded.data()), second);
        TMF_FUZZ_REQUIRE(first == second, "a record decoded, encoded and decoded again changed");
        TMF_FUZZ_REQUIRE(EncodeRow(second) == encoded, "encoding a record is not stable");
    }

    const std::string input = dir + "in.tmf";
    const std::string saved = dir + "saved.tmf";
    const std::string again = dir + "again.tmf";
    const std::string header = dir + "header.tmf";
    TMF_FUZZ_REQUIRE(WriteBytes(input, bytes), "cannot write the input file");
    DeleteFile(saved);
    DeleteFile(again);

    ResetProgramState();
    const LoadResult full = LoadAppointmentFile(input, "Alles");
    if (bytes.size() < kRecordSize) TMF_FUZZ_REQUIRE(full == LoadResult::Failed, "a file shorter than a record loaded");
    if (IsLoaded(full)) {
        const std::size_t records = bytes.size() / kRecordSize;
        TMF_FUZZ_REQUIRE(EntryCount >= 0 && static_cast<std::size_t>(EntryCount) < records,
                         "more entries than the file holds records");
        TMF_FUZZ_REQUIRE(EntryTable.lastRow() >= EntryCount, "the table is smaller than the entry count");
        TMF_FUZZ_REQUIRE(EntryTable(HeaderCount, 0).toInteger() == EntryCount, "header count and entry count disagree");
        if (full == LoadResult::Truncated)
            TMF_FUZZ_REQUIRE(static_cast<std::size_t>(EntryCount) == records - 1,
                             "a short file did not keep every record it holds");
        for (int r = 1; r <= EntryCount; ++r) {
            const std::string* date = EntryTable(TerminAm, r).textIf();
            TMF_FUZZ_REQUIRE(date && IsStoredDate(*date), "a loaded entry has a date that validation refuses");
        }

        const int count = EntryCount;
        TMF_FUZZ_REQUIRE(SaveAppointmentFile(saved, "Alles", ""), "saving a loaded file failed");
        const std::string first = ReadBytes(saved);
        TMF_FUZZ_REQUIRE(first.size() == (static_cast<std::size_t>(count) + 1) * kRecordSize,
                         "the saved file has the wrong length");

        ResetProgramState();
        platform.messages = 0;
        TMF_FUZZ_REQUIRE(LoadAppointmentFile(saved, "Alles") == LoadResult::Loaded, "a saved file does not load");
        TMF_FUZZ_REQUIRE(platform.messages == 0, "loading a saved file reports: " + platform.lastMessage);
        TMF_FUZZ_REQUIRE(EntryCount == count, "a saved file loads with another count");
        TMF_FUZZ_REQUIRE(SaveAppointmentFile(again, "Alles", ""), "saving the reloaded file failed");
        TMF_FUZZ_REQUIRE(ReadBytes(again) == first, "save, load and save again changed the file");
    }

    // The header-only load must neither touch the entries nor let a later
    // full save replace them with the empty rows it never read.
    ResetProgramState();
    TMF_FUZZ_REQUIRE(WriteBytes(header, bytes), "cannot write the header file");
    const LoadResult head = LoadAppointmentFile(input, "");
    if (bytes.size() < kRecordSize) TMF_FUZZ_REQUIRE(head == LoadResult::Failed, "a short file gave a header");
    if (IsLoaded(head)) {
        TMF_FUZZ_REQUIRE(EntryTable.lastRow() == 0, "the header-only load resized the table");
        if (EntryCount > 0) {
            DeleteFile(saved);
            TMF_FUZZ_REQUIRE(!SaveAppointmentFile(saved, "Alles", ""), "a full save after a header-only load succeeded");
            TMF_FUZZ_REQUIRE(!FileExists(saved), "a refused save left a file");
        }
        TMF_FUZZ_REQUIRE(SaveAppointmentFile(header, "", "Datum"), "the header rewrite failed");
        const std::string rewritten = ReadBytes(header);
        TMF_FUZZ_REQUIRE(rewritten.size() == bytes.size(), "the header rewrite changed the file length");
        TMF_FUZZ_REQUIRE(rewritten.compare(kRecordSize, std::string::npos, bytes.substr(kRecordSize)) == 0,
                         "the header rewrite touched the entries");
        TMF_FUZZ_REQUIRE(rewritten.compare(0, kRecordSize, EncodeRow(EntryTable.row(0))) == 0,
                         "the rewritten header is not the header in memory");
        TMF_FUZZ_REQUIRE(EntryTable(HeaderLastCheck, 0).asText() == "15.06.2024", "the date was not stamped");
    }
    ResetProgramState();
    return {};
}

// The bytes as lines, as "Liste.dat" and as "Termin.dat".
inline std::string CheckListFiles(std::string_view bytes, const std::string& dir) {
    using namespace detail;
    FuzzPlatform platform;

    const auto lines = SplitCrLfLines(bytes);
    std::string joined;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        TMF_FUZZ_REQUIRE(lines[i].find("\r\n") == std::string_view::npos, "a line still holds CR LF");
        if (i) joined += "\r\n";
        joined += lines[i];
    }
    if (bytes.size() >= 2 && bytes.substr(bytes.size() - 2) == "\r\n") joined += "\r\n";
    TMF_FUZZ_REQUIRE(joined == bytes, "the lines do not join back to the bytes");
    for (std::string_view line : lines) {
        const std::string text = DecodeListLine(line);
        if (text == Cp1252ToUtf8(ScrambleText(line.substr(0, 255)))) {
            // Read as Windows-1252 text: it must be written back as the
            // bytes it was, whatever they are.
            TMF_FUZZ_REQUIRE(Utf8Length(text) == std::min<std::size_t>(line.size(), 255), "a line lost characters");
            TMF_FUZZ_REQUIRE(EncodeListLine(text) == line.substr(0, 255), "a line does not encode back to its bytes");
        } else {
            // A marked line: many spellings give one text, which must come
            // back, within the 255 characters a line holds.
            TMF_FUZZ_REQUIRE(Utf8Length(text) <= 255, "a marked line read as more than 255 characters");
            TMF_FUZZ_REQUIRE(DecodeListLine(EncodeListLine(text)) == text, "a marked line does not read back as its text");
        }
    }

    const std::string oldDataDir = DataDir;
    DataDir = dir;
    const std::string listPath = dir + kCheckListFileName;
    const std::string termPath = dir + kTermNamesFileName;
    struct Restore {
        std::string dataDir;
        ~Restore() {
            DataDir = dataDir;
            ResetProgramState();
        }
    } restore{oldDataDir};

    // Check list: vanished files leave, the others keep their order, and
    // nothing else changes.
    std::array<std::string, kListLineCount> expected;
    for (std::size_t k = 0; k < expected.size() && k < lines.size(); ++k) expected[k] = DecodeListLine(lines[k]);
    {
        std::size_t to = kSettingsLineCount;
        for (std::size_t from = kSettingsLineCount; from < expected.size(); ++from) {
            std::string name = expected[from];
            if (!name.empty() && !FileExists(name)) continue;
            expected[to++] = std::move(name);
        }
        while (to < expected.size()) expected[to++].clear();
    }
    ResetProgramState();
    TMF_FUZZ_REQUIRE(WriteBytes(listPath, bytes), "cannot write Liste.dat");
    TMF_FUZZ_REQUIRE(LoadCheckList(), "Liste.dat did not load");
    for (std::size_t k = 0; k < expected.size(); ++k)
        TMF_FUZZ_REQUIRE(ListLines[k] == expected[k], "Liste.dat line " + std::to_string(k) + " reads wrong");
    TMF_FUZZ_REQUIRE(SaveCheckList(), "Liste.dat could not be written");
    ResetProgramState();
    platform.messages = 0;
    TMF_FUZZ_REQUIRE(LoadCheckList(), "the written Liste.dat did not load");
    TMF_FUZZ_REQUIRE(platform.messages == 0, "the written Liste.dat still names vanished files");
    for (std::size_t k = 0; k < expected.size(); ++k)
        TMF_FUZZ_REQUIRE(ListLines[k] == expected[k], "written Liste.dat line " + std::to_string(k) + " reads wrong");

    // Term names: up to the first empty line, 15 characters each.
    ResetProgramState();
    TMF_FUZZ_REQUIRE(WriteBytes(termPath, bytes), "cannot write Termin.dat");
    LoadTermNames();
    std::size_t named = 0;
    while (named < lines.size() && named < static_cast<std::size_t>(kTermNameSlots) && !lines[named].empty()) ++named;
    for (std::size_t k = 0; k < TermNames.size(); ++k) {
        const std::string want = k < named ? Utf8Left(DecodeListLine(lines[k]), 15) : std::string();
        TMF_FUZZ_REQUIRE(TermNames[k] == want, "term name " + std::to_string(k) + " reads wrong");
    }
    const auto names = TermNames;
    TMF_FUZZ_REQUIRE(SaveTermNames(), "Termin.dat could not be written");
    // A name cut to 15 characters is scrambled with another key, which can
    // make a CR LF of two of its characters; the format cannot hold that.
    bool representable = true;
    for (std::size_t k = 0; k < named; ++k)
        if (EncodeListLine(names[k]).find("\r\n") != std::string::npos) representable = false;
    if (representable) {
        ResetProgramState();
        LoadTermNames();
        TMF_FUZZ_REQUIRE(TermNames == names, "the written Termin.dat reads back differently");
    }
    return {};
}

// The text file the old-file converter leaves: whatever it holds, the rows
// must be fit for the file writer, and the file written from them must load
// and save like any other.
inline std::string CheckConverterOutput(std::string_view bytes, const std::string& dir) {
    using namespace detail;
    FuzzPlatform platform;

    const ConverterOutput out = ParseConverterOutput(bytes);
    if (!out.ok) {
        TMF_FUZZ_REQUIRE(!out.error.empty() && out.rows.empty(), "a refused output has rows or no reason");
        return {};
    }
    TMF_FUZZ_REQUIRE(!out.rows.empty() && out.rows.size() <= static_cast<std::size_t>(kMaxEntries) + 1,
                     "the number of rows is out of range");
    const auto n = static_cast<std::int32_t>(out.rows.size() - 1);
    TMF_FUZZ_REQUIRE(out.rows[0][HeaderCount].toInteger() == n, "the header does not count the entries");
    for (std::size_t i = 0; i < out.rows.size(); ++i) {
        const Row& r = out.rows[i];
        for (const Cell& c : r) {
            const std::string t = c.asText();
            TMF_FUZZ_REQUIRE(t.find('"') == std::string::npos, "a quote survived");
            TMF_FUZZ_REQUIRE(t.find('\n') == std::string::npos, "a line end survived");
            TMF_FUZZ_REQUIRE(IsValidUtf8(t), "a value is not UTF-8");
        }
        if (i == 0) continue;
        for (int f : {Warnung1, Warnung2, Erreicht, Loeschen})
            TMF_FUZZ_REQUIRE(r[static_cast<std::size_t>(f)].isInteger(), "a number field is not a number");
        TMF_FUZZ_REQUIRE(r[Loeschen].asInteger() == 0 || r[Loeschen].asInteger() == -1, "the delete flag is no flag");
    }

    // Every row costs the same; large counts would only slow the fuzzer down.
    if (n > 200) return {};
    ResetProgramState();
    ResizeEntryTable(n);
    for (std::int32_t i = 0; i <= n; ++i) EntryTable.row(i) = out.rows[static_cast<std::size_t>(i)];
    EntryCount = n;
    const std::string converted = dir + "converted.tmf";
    TMF_FUZZ_REQUIRE(SaveAppointmentFile(converted, "Alles", "Datum"), "the converted entries could not be saved");
    const std::string saved = ReadBytes(converted);
    TMF_FUZZ_REQUIRE(saved.size() == (static_cast<std::size_t>(n) + 1) * kRecordSize, "the saved file has the wrong length");
    ResetProgramState();
    TMF_FUZZ_REQUIRE(LoadAppointmentFile(converted, "Alles") == LoadResult::Loaded, "the converted file does not load");
    TMF_FUZZ_REQUIRE(EntryCount == n, "the converted file loads with another count");
    return CheckAppointmentFile(saved, dir);
}

// Date texts and the small text helpers. The first four bytes choose the
// line number for TextLine and a day for the explicit-today date values,
// the fifth a character limit; the rest is the text.
inline std::string CheckDateTexts(std::string_view bytes) {
    using namespace detail;
    using namespace std::chrono;
    FuzzPlatform platform;

    std::int32_t n = 0;
    unsigned limit = 255;
    if (bytes.size() >= 5) {
        std::uint32_t u;
        std::memcpy(&u, bytes.data(), 4);
        n = static_cast<std::int32_t>(u);
        limit = static_cast<unsigned char>(bytes[4]);
        bytes.remove_prefix(5);
    }
    const std::string_view text = bytes;
    const sys_days today = platform.today;

    const auto parsed = ParseDate(text);
    if (parsed) {
        TMF_FUZZ_REQUIRE(parsed->ok(), "ParseDate gave an impossible date");
        TMF_FUZZ_REQUIRE(parsed->year() >= year{1} && parsed->year() <= year{9999}, "ParseDate year out of range");
        const std::string formatted = FormatDate(*parsed);
        TMF_FUZZ_REQUIRE(IsNormalizedDate(formatted), "a formatted date is not normalised");
        TMF_FUZZ_REQUIRE(ParseDate(formatted) == parsed, "a formatted date parses to another date");
    }

    int code = -1;
    platform.messages = 0;
    const std::string valid = ValidateDate(text, &code);
    TMF_FUZZ_REQUIRE(code == 0 || code == 2 || code == 3, "unknown validation code");
    TMF_FUZZ_REQUIRE(platform.messages == (code == 0 ? 0 : 1), "validation messages do not match the code");
    TMF_FUZZ_REQUIRE(IsStoredDate(valid), "validation returned a date it would refuse");
    if (code == 0) TMF_FUZZ_REQUIRE(parsed && valid == FormatDate(*parsed), "validation changed a good date");
    if (code != 0) TMF_FUZZ_REQUIRE(valid == kFallbackDate, "a refused date did not fall back");
    int again = -1;
    TMF_FUZZ_REQUIRE(ValidateDate(valid, &again) == valid && again == 0, "validation is not idempotent");

    const sys_days day{*ParseDate(valid)};
    const int nt = DateValue(valid, "NT"), at = DateValue(valid, "AT"), aj = DateValue(valid, "AJ");
    TMF_FUZZ_REQUIRE(at == (today - day).count(), "AT is not the days since the date");
    if (day <= today) {
        TMF_FUZZ_REQUIRE(nt >= 0 && nt <= 366, "NT out of range for a past date");
        TMF_FUZZ_REQUIRE(aj >= 0, "a past date has a negative age");
    } else {
        TMF_FUZZ_REQUIRE(nt == -at, "NT of a future date is not the days until it");
        TMF_FUZZ_REQUIRE(aj < 0, "a future date has a positive age");
    }
    platform.messages = 0;
    DateValue(text, "NT");
    DateValue(text, "AT");
    DateValue(text, "AJ");
    TMF_FUZZ_REQUIRE(platform.messages == 0, "a date value of a raw text shows a message");
    TMF_FUZZ_REQUIRE(DateValue(valid, text) == 0 || text == "NT" || text == "AT" || text == "AJ",
                     "an unknown kind gave a value");

    // Any day of the calendar the program can hold as "today".
    const sys_days someDay = sys_days{year{1} / January / 1} + days{static_cast<std::uint32_t>(n) % 3652059u};
    for (DateKind kind : {DateKind::NT, DateKind::AT, DateKind::AJ}) DateValue(year_month_day{day}, kind, someDay);

    const std::string weekday = AnniversaryWeekday(text);
    static const char* const kNames[] = {"Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag", "Sonntag"};
    TMF_FUZZ_REQUIRE(std::find(std::begin(kNames), std::end(kNames), weekday) != std::end(kNames),
                     "no weekday name");

    const std::string stored = StoreLineBreaks(text);
    const std::string restored = RestoreLineBreaks(text);
    TMF_FUZZ_REQUIRE(Utf8Length(stored) <= 255 && Utf8Length(restored) <= 255, "line-break texts exceed 255");
    TMF_FUZZ_REQUIRE(stored.find('\r') == std::string::npos, "a CR survived StoreLineBreaks");
    TMF_FUZZ_REQUIRE(restored.find('\0') == std::string::npos, "a NUL survived RestoreLineBreaks");
    if (text.find('\0') == std::string_view::npos)
        TMF_FUZZ_REQUIRE(RestoreLineBreaks(stored) == Utf8Left(text, 255), "line breaks do not restore");
    const std::string line = TextLine(text, n);
    TMF_FUZZ_REQUIRE(line.find_first_of("\r\n") == std::string::npos, "a line holds a line break");
    const std::string oneLine = TextLine(text, 0);
    TMF_FUZZ_REQUIRE(oneLine.find_first_of("\r\n") == std::string::npos, "the one-line form holds a line break");

    const std::string utf8 = Cp1252ToUtf8(text);
    TMF_FUZZ_REQUIRE(IsValidUtf8(utf8), "Windows-1252 bytes gave broken UTF-8");
    TMF_FUZZ_REQUIRE(Utf8Length(utf8) == text.size(), "Windows-1252 bytes gave another number of characters");
    TMF_FUZZ_REQUIRE(IsCp1252Representable(utf8), "decoded bytes are not representable");
    TMF_FUZZ_REQUIRE(Utf8ToCp1252(utf8) == text, "bytes to UTF-8 and back changed them");
    TMF_FUZZ_REQUIRE(Utf8ToCp1252(utf8, limit) == text.substr(0, limit), "the character limit cut wrong");
    const std::string bytesOut = Utf8ToCp1252(text, limit);
    TMF_FUZZ_REQUIRE(bytesOut.size() <= limit, "the character limit was exceeded");
    if (IsValidUtf8(text)) {
        TMF_FUZZ_REQUIRE(Utf8ToCp1252(text).size() == Utf8Length(text), "one byte per character expected");
        TMF_FUZZ_REQUIRE(Utf8Left(text, limit) == text.substr(0, Utf8Left(text, limit).size()), "Utf8Left");
        TMF_FUZZ_REQUIRE(Utf8Length(Utf8Left(text, limit)) == std::min<std::size_t>(Utf8Length(text), limit),
                         "Utf8Left kept the wrong number of characters");
        if (IsCp1252Representable(text))
            TMF_FUZZ_REQUIRE(Cp1252ToUtf8(Utf8ToCp1252(text)) == text, "representable text did not round trip");
    }
    return {};
}

#undef TMF_FUZZ_REQUIRE

}  // namespace tmf::fuzz
