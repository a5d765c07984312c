// The 388-byte record, byte by byte, and the round trip of
// every field kind through it.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "AppointmentFile.h"
#include "Cp1252.h"
#include "Dates.h"
#include "EntryTable.h"

using namespace tmf;
using namespace std::string_literals;

namespace {

using Record = std::array<unsigned char, kRecordSize>;

// Writes a text field by the file layout, with the key given by hand.
void PutText(Record& r, std::size_t offset, const std::string& cp1252, unsigned key) {
    r[offset] = static_cast<unsigned char>(cp1252.size());
    for (std::size_t i = 0; i < cp1252.size(); ++i)
        r[offset + 1 + i] = static_cast<unsigned char>(static_cast<unsigned char>(cp1252[i]) ^ key);
}

Row GoldenRow() {
    Row row;
    row[Vorname] = Cell("Anna");
    row[Nachname] = Cell("Müller");
    row[TerminAm] = Cell("15.06.1980");
    row[Bemerkung] = Cell("Zeile1\0\nZeile2"s);
    row[Warnung1] = Cell(0x1234);
    row[Warnung2] = Cell(-2);
    row[Erreicht] = Cell(1);
    row[TelFaxMail] = Cell("€ 5");
    row[Adresse] = Cell("„Haus“");
    row[Loeschen] = Cell(true);
    row[Terminart] = Cell("Geburtstag");
    return row;
}

Record GoldenBytes() {
    Record r{};
    PutText(r, 0, "Anna", 251);
    PutText(r, 26, "M\xFCller", 249);
    PutText(r, 52, "15.06.1980", 245);
    PutText(r, 63, "Zeile1\0\nZeile2"s, 241);
    r[164] = 0x34;
    r[165] = 0x12;
    r[166] = 0xFE;
    r[167] = 0xFF;
    r[168] = 0x01;
    PutText(r, 169, "\x80 5", 252);
    PutText(r, 270, "\x84Haus\x93", 249);
    r[371] = 0xFF;
    PutText(r, 372, "Geburtstag", 245);
    return r;
}

Record Encode(const Row& row) {
    Record r;
    r.fill(0xAA);  // EncodeRecord must set every byte itself
    EncodeRecord(row, r.data());
    return r;
}

Row RoundTrip(const Row& row) {
    Record r = Encode(row);
    Row back;
    DecodeRecord(r.data(), back);
    return back;
}

Row WithField(int field, Cell value) {
    Row row;
    row[static_cast<std::size_t>(field)] = std::move(value);
    return row;
}

}  // namespace

TEST(RecordLayout, RecordIs388Bytes) {
    EXPECT_EQ(kRecordSize, 388u);
}

TEST(RecordLayout, GoldenRecordMatchesAtEveryOffset) {
    const Record expected = GoldenBytes();
    const Record actual = Encode(GoldenRow());
    for (std::size_t i = 0; i < kRecordSize; ++i)
        EXPECT_EQ(static_cast<int>(actual[i]), static_cast<int>(expected[i])) << "offset " << i;
}

TEST(RecordLayout, GoldenRecordSpotChecks) {
    const Record r = Encode(GoldenRow());
    // Length bytes are stored plainly.
    EXPECT_EQ(r[0], 4);
    EXPECT_EQ(r[26], 6);
    EXPECT_EQ(r[52], 10);
    EXPECT_EQ(r[63], 14);
    EXPECT_EQ(r[169], 3);
    EXPECT_EQ(r[270], 6);
    EXPECT_EQ(r[372], 10);
    // "Anna" with key 251, ü (0xFC) with key 249, € (0x80) with key 252.
    EXPECT_EQ(r[1], 'A' ^ 251);
    EXPECT_EQ(r[28], 0xFC ^ 249);
    EXPECT_EQ(r[170], 0x80 ^ 252);
    // The NUL LF line break is scrambled like any other character.
    EXPECT_EQ(r[63 + 1 + 6], 0 ^ 241);
    EXPECT_EQ(r[63 + 1 + 7], 10 ^ 241);
    // Little-endian integers and Loeschen true as 255.
    EXPECT_EQ(r[164], 0x34);
    EXPECT_EQ(r[165], 0x12);
    EXPECT_EQ(r[166], 0xFE);
    EXPECT_EQ(r[167], 0xFF);
    EXPECT_EQ(r[168], 1);
    EXPECT_EQ(r[371], 255);
    // Zero padding after each text.
    for (std::size_t i = 5; i < 26; ++i) EXPECT_EQ(r[i], 0) << i;
    for (std::size_t i = 63 + 15; i < 164; ++i) EXPECT_EQ(r[i], 0) << i;
    for (std::size_t i = 372 + 11; i < 388; ++i) EXPECT_EQ(r[i], 0) << i;
}

TEST(RecordLayout, GoldenRecordDecodesToItsValues) {
    const Record r = GoldenBytes();
    Row row;
    DecodeRecord(r.data(), row);
    EXPECT_EQ(row[Vorname], Cell("Anna"));
    EXPECT_EQ(row[Nachname], Cell("Müller"));
    EXPECT_EQ(row[TerminAm], Cell("15.06.1980"));
    EXPECT_EQ(row[Bemerkung], Cell("Zeile1\0\nZeile2"s));
    EXPECT_EQ(row[Warnung1], Cell(0x1234));
    EXPECT_EQ(row[Warnung2], Cell(-2));
    EXPECT_EQ(row[Erreicht], Cell(1));
    EXPECT_EQ(row[TelFaxMail], Cell("€ 5"));
    EXPECT_EQ(row[Adresse], Cell("„Haus“"));
    EXPECT_EQ(row[Loeschen], Cell(-1));
    EXPECT_TRUE(row[Loeschen].asBoolean());
    EXPECT_EQ(row[Terminart], Cell("Geburtstag"));
}

TEST(RecordLayout, BytesAfterTheTextLengthAreIgnoredWhenReading) {
    Record r = GoldenBytes();
    for (std::size_t i = 5; i < 26; ++i) r[i] = 0x55;
    Row row;
    DecodeRecord(r.data(), row);
    EXPECT_EQ(row[Vorname], Cell("Anna"));
    EXPECT_EQ(row[Nachname], Cell("Müller"));
}

TEST(RecordLayout, LengthByteBeyondTheFieldReadsNoMoreThanTheField) {
    Record r = GoldenBytes();
    r[0] = 200;
    Row row;
    DecodeRecord(r.data(), row);
    EXPECT_EQ(Utf8Length(row[Vorname].asText()), 25u);
    EXPECT_EQ(row[Nachname], Cell("Müller"));
}

TEST(RecordLayout, HeaderRecordHoldsCountChoicesVersionAndDate) {
    Row h;
    h[HeaderCount] = Cell(12);
    h[HeaderOutputChoice] = Cell("3");
    h[HeaderSortChoice] = Cell(6);
    h[HeaderVersion] = Cell("2.27");
    h[HeaderReserved] = Cell(0);
    h[HeaderLastCheck] = Cell("15.06.2024");
    const Record r = Encode(h);
    Record expected{};
    PutText(expected, 0, "12", 253);
    PutText(expected, 26, "3", 254);
    PutText(expected, 52, "6", 254);
    PutText(expected, 63, "2.27", 251);
    PutText(expected, 372, "15.06.2024", 245);
    for (std::size_t i = 0; i < kRecordSize; ++i)
        EXPECT_EQ(static_cast<int>(r[i]), static_cast<int>(expected[i])) << "offset " << i;
    Row back;
    DecodeRecord(r.data(), back);
    EXPECT_EQ(back[HeaderCount], Cell("12"));
    EXPECT_EQ(back[HeaderOutputChoice], Cell("3"));
    EXPECT_EQ(back[HeaderSortChoice], Cell("6"));
    EXPECT_EQ(back[HeaderVersion], Cell("2.27"));
    EXPECT_EQ(back[HeaderLastCheck], Cell("15.06.2024"));
    EXPECT_EQ(back[HeaderReserved], Cell(0));
}

TEST(RecordLayout, EmptyRowIsAllZeroBytes) {
    const Record r = Encode(Row{});
    for (std::size_t i = 0; i < kRecordSize; ++i) EXPECT_EQ(r[i], 0) << i;
}

TEST(RecordRoundTrip, TextsUpToTheirCapacityComeBackUnchanged) {
    struct Case {
        int field;
        std::size_t capacity;
    };
    for (Case c : {Case{Vorname, 25}, Case{Nachname, 25}, Case{TerminAm, 10}, Case{Bemerkung, 100},
                   Case{TelFaxMail, 100}, Case{Adresse, 100}, Case{Terminart, 15}}) {
        for (std::size_t len : {std::size_t{0}, std::size_t{1}, c.capacity - 1, c.capacity}) {
            std::string text = std::string(len, 'q');
            Row back = RoundTrip(WithField(c.field, Cell(text)));
            EXPECT_EQ(back[static_cast<std::size_t>(c.field)], Cell(text)) << c.field << " " << len;
        }
    }
}

TEST(RecordRoundTrip, LongerTextsAreCutToTheirCapacity) {
    std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    EXPECT_EQ(RoundTrip(WithField(Vorname, Cell(alphabet.substr(0, 26))))[Vorname],
              Cell(alphabet.substr(0, 25)));
    EXPECT_EQ(RoundTrip(WithField(Nachname, Cell(alphabet)))[Nachname], Cell(alphabet.substr(0, 25)));
    EXPECT_EQ(RoundTrip(WithField(Terminart, Cell(alphabet.substr(0, 20))))[Terminart],
              Cell(alphabet.substr(0, 15)));
    EXPECT_EQ(RoundTrip(WithField(TerminAm, Cell("15.06.19801")))[TerminAm], Cell("15.06.1980"));
    std::string longText(101, 'b');
    EXPECT_EQ(RoundTrip(WithField(Bemerkung, Cell(longText)))[Bemerkung], Cell(std::string(100, 'b')));
    EXPECT_EQ(RoundTrip(WithField(Adresse, Cell(std::string(300, 'c'))))[Adresse],
              Cell(std::string(100, 'c')));
}

TEST(RecordRoundTrip, CapacityCountsCharactersSoUmlautsFitTheSameNumber) {
    std::string umlauts;
    for (int i = 0; i < 26; ++i) umlauts += "ä";
    Row back = RoundTrip(WithField(Vorname, Cell(umlauts)));
    EXPECT_EQ(Utf8Length(back[Vorname].asText()), 25u);
    EXPECT_EQ(back[Vorname].asText(), Utf8Left(umlauts, 25));
    std::string euros;
    for (int i = 0; i < 15; ++i) euros += "€";
    EXPECT_EQ(RoundTrip(WithField(Terminart, Cell(euros)))[Terminart], Cell(euros));
}

TEST(RecordRoundTrip, ThirtyCharacterTextUsesKey225) {
    std::string text = "Vorsorgeuntersuchung Zahnarzt!";
    ASSERT_EQ(text.size(), 30u);
    Record r = Encode(WithField(Bemerkung, Cell(text)));
    EXPECT_EQ(r[63], 30);
    for (std::size_t i = 0; i < 30; ++i) EXPECT_EQ(r[64 + i], static_cast<unsigned char>(text[i]) ^ 225) << i;
    Row back;
    DecodeRecord(r.data(), back);
    EXPECT_EQ(back[Bemerkung], Cell(text));
}

TEST(RecordRoundTrip, MultiLineTextsKeepNulLf) {
    std::string text = "Hauptstraße 5\0\n50667 Köln\0\n\0\nEnde"s;
    Row back = RoundTrip(WithField(Adresse, Cell(text)));
    EXPECT_EQ(back[Adresse], Cell(text));
}

TEST(RecordRoundTrip, EveryWindows1252CharacterComesBack) {
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    for (std::size_t start = 0; start < all.size(); start += 100) {
        std::string chunk = Cp1252ToUtf8(all.substr(start, 100));
        EXPECT_EQ(RoundTrip(WithField(Bemerkung, Cell(chunk)))[Bemerkung], Cell(chunk)) << start;
    }
}

TEST(RecordRoundTrip, CharactersOutsideWindows1252AreStoredAsQuestionMarks) {
    EXPECT_EQ(RoundTrip(WithField(Nachname, Cell("Łukasz")))[Nachname], Cell("?ukasz"));
}

TEST(RecordRoundTrip, SixteenBitFieldsKeepTheLowSixteenBits) {
    struct Case {
        Cell in;
        int out;
    };
    for (const Case& c :
         {Case{Cell(0), 0}, Case{Cell(-1), -1}, Case{Cell(32767), 32767}, Case{Cell(-32768), -32768},
          Case{Cell(32768), -32768}, Case{Cell(40000), -25536}, Case{Cell(70000), 4464}, Case{Cell(65536), 0},
          Case{Cell(-70000), -4464}, Case{Cell("12"), 12}, Case{Cell("-3"), -3}, Case{Cell(""), 0},
          Case{Cell(), 0}, Case{Cell(2.5), 2}, Case{Cell(true), -1}}) {
        Row back = RoundTrip(WithField(Warnung1, c.in));
        EXPECT_EQ(back[Warnung1], Cell(c.out)) << c.in.asText();
        back = RoundTrip(WithField(Warnung2, c.in));
        EXPECT_EQ(back[Warnung2], Cell(c.out)) << c.in.asText();
    }
    Record r = Encode(WithField(Warnung1, Cell(70000)));
    EXPECT_EQ(r[164], 0x70);
    EXPECT_EQ(r[165], 0x11);
    r = Encode(WithField(Warnung2, Cell(40000)));
    EXPECT_EQ(r[166], 0x40);
    EXPECT_EQ(r[167], 0x9C);
}

TEST(RecordRoundTrip, EightBitFieldsKeepTheLowEightBits) {
    struct Case {
        Cell in;
        int out;
    };
    for (const Case& c : {Case{Cell(0), 0}, Case{Cell(1), 1}, Case{Cell(-1), -1}, Case{Cell(127), 127},
                          Case{Cell(128), -128}, Case{Cell(200), -56}, Case{Cell(255), -1},
                          Case{Cell(256), 0}, Case{Cell(70000), 112}, Case{Cell("1"), 1}}) {
        EXPECT_EQ(RoundTrip(WithField(Erreicht, c.in))[Erreicht], Cell(c.out)) << c.in.asText();
        EXPECT_EQ(RoundTrip(WithField(Loeschen, c.in))[Loeschen], Cell(c.out)) << c.in.asText();
    }
}

TEST(RecordRoundTrip, LoeschenTrueIsByte255AndReadsBackAsMinusOne) {
    Record r = Encode(WithField(Loeschen, Cell(true)));
    EXPECT_EQ(r[371], 255);
    Row back;
    DecodeRecord(r.data(), back);
    EXPECT_EQ(back[Loeschen], Cell(-1));
    EXPECT_TRUE(back[Loeschen].asBoolean());
    r = Encode(WithField(Loeschen, Cell(false)));
    EXPECT_EQ(r[371], 0);
}

TEST(RecordRoundTrip, NonTextValuesInTextFieldsAreStoredAsTheirText) {
    EXPECT_EQ(RoundTrip(WithField(Vorname, Cell(42)))[Vorname], Cell("42"));
    EXPECT_EQ(RoundTrip(WithField(Nachname, Cell(true)))[Nachname], Cell("True"));
    EXPECT_EQ(RoundTrip(WithField(Terminart, Cell()))[Terminart], Cell(""));
}

TEST(RecordLayout, TheCheckReadsAStoredDateAsItIsOnlyWhereTheValidationKeepsIt) {
    // The reference: a date of the calendar in the stored form that the
    // validation passes unchanged (no 29 February, no year before 100).
    const auto expected = [](const std::string& text) -> std::optional<std::chrono::year_month_day> {
        using namespace std::chrono;
        const auto date = ParseNormalizedDate(text);
        if (!date || (date->month() == February && date->day() == day{29}) || date->year() < year{100}) return {};
        return date;
    };
    std::vector<std::string> texts = {"15.06.1980", "31.12.9999", "01.01.0100", "31.01.2000", "30.04.2001",
                                      "28.02.2023", "29.02.2024", "29.02.2023", "31.04.1990", "00.01.2000",
                                      "01.00.2000", "01.13.2000", "32.01.2000", "15.06.0099", "15.06.0000",
                                      "1.6.1990",   "15-06-1980", "15.06.198",  "15.06.19800", ":5.06.1980",
                                      "15.0/.1980", "15.06.198:", "15.06.19 0", "",           "??.??.????"};
    // And random texts of ten characters near the form.
    std::uint32_t seed = 12345;
    const std::string alphabet = "0123456789./: ";
    for (int n = 0; n < 20000; ++n) {
        std::string t(10, ' ');
        for (char& c : t) {
            seed = seed * 1664525u + 1013904223u;
            c = alphabet[(seed >> 16) % alphabet.size()];
        }
        if (n % 2) t[2] = t[5] = '.';
        texts.push_back(t);
    }
    Record r{};
    for (const std::string& text : texts) {
        r.fill(0);
        PutText(r, 52, text, 255 - static_cast<unsigned>(text.size()));
        const auto got = NormalStoredDate(r.data());
        ASSERT_EQ(got, expected(text)) << '"' << text << '"';
    }
}
