// Reading address books and adding their dates to an appointment file.
#include <cstdio>
#include <string>

#include "AppointmentFile.h"
#include "CoreFixture.h"
#include "Dates.h"
#include "Sort.h"
#include "VCard.h"
#include "VCardImport.h"

namespace tmf::test {
namespace {

using namespace std::string_literals;

struct DateCase {
    const char* text;
    std::optional<VCardDay> expected;
};

TEST(VCardDates, EveryListedFormIsReadAndAnythingElseRefused) {
    const DateCase cases[] = {
        {"1980-06-15", VCardDay{1980, 6, 15}},
        {"19800615", VCardDay{1980, 6, 15}},
        {"--0615", VCardDay{0, 6, 15}},
        {"--06-15", VCardDay{0, 6, 15}},
        {"1980-06-15T10:00:00Z", VCardDay{1980, 6, 15}},
        {"19800615T100000+0200", VCardDay{1980, 6, 15}},
        {"--0615T0800", VCardDay{0, 6, 15}},
        {"--0229", VCardDay{0, 2, 29}},  // a leap year's day; the import decides
        {"1984-02-29", VCardDay{1984, 2, 29}},
        {"1981-02-29", std::nullopt},
        {"1980-13-01", std::nullopt},
        {"--1340", std::nullopt},
        {"0000-01-01", std::nullopt},
        {"1980", std::nullopt},
        {"--06", std::nullopt},
        {"1980-6-15", std::nullopt},
        {"", std::nullopt},
        {"ungefähr 1950", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseVCardDate(c.text), c.expected) << c.text;
}

TEST(VCardDates, YearlessDaysGetTheMarkerYearAndUnstorableDaysNothing) {
    EXPECT_EQ(StoredVCardDate({0, 3, 15}), "15.03.0101");
    EXPECT_EQ(StoredVCardDate({1980, 6, 15}), "15.06.1980");
    EXPECT_EQ(StoredVCardDate({1984, 2, 29}), std::nullopt);
    EXPECT_EQ(StoredVCardDate({0, 2, 29}), std::nullopt);
    EXPECT_EQ(StoredVCardDate({50, 1, 1}), std::nullopt);
    // The marker year passes the program's own validation unchanged.
    int code = -1;
    EXPECT_EQ(ValidateDate("15.03.0101", &code), "15.03.0101");
    EXPECT_EQ(code, 0);
}

TEST(VCardReader, Version21QuotedPrintableCharsetsAndSoftBreaks) {
    const std::string file =
        "BEGIN:VCARD\r\nVERSION:2.1\r\n"
        "N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller;J=FCrgen;;;\r\n"
        "TEL;HOME;VOICE:030 1234\r\n"
        "TEL;WORK;FAX:030 9999\r\n"
        "EMAIL;INTERNET:j@example.org\r\n"
        "ADR;HOME;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:;;Hauptstra=C3=9Fe 1;Ber=\r\n"
        "lin;;10115;Deutschland\r\n"
        "BDAY:19800615\r\n"
        "NOTE;ENCODING=QUOTED-PRINTABLE:endet mit =\r\n"
        "END:VCARD\r\n"
        "BEGIN:VCARD\nVERSION:2.1\nN:Zweite;Karte\nBDAY:--0101\nEND:VCARD\n";
    const VCardFile f = ReadVCards(file);
    ASSERT_EQ(f.contacts.size(), 2u);
    const VCardContact& c = f.contacts[0];
    EXPECT_EQ(c.familyName, "Müller");
    EXPECT_EQ(c.givenName, "Jürgen");
    EXPECT_EQ(c.phone, "030 1234");
    EXPECT_EQ(c.fax, "030 9999");
    EXPECT_EQ(c.email, "j@example.org");
    EXPECT_EQ(c.addressLines, (std::vector<std::string>{"Hauptstraße 1", "10115 Berlin", "Deutschland"}));
    ASSERT_EQ(c.dates.size(), 1u);
    EXPECT_EQ(c.dates[0].day, (VCardDay{1980, 6, 15}));
    // The stray '=' before END:VCARD must not swallow the next card.
    EXPECT_EQ(f.contacts[1].familyName, "Zweite");
}

TEST(VCardReader, Version30FoldingEscapesGroupsAndPreferredValues) {
    const std::string file =
        "BEGIN:VCARD\r\nVERSION:3.0\r\n"
        "N:O'Brien\\, Jr.;Mary,Ann;;;\r\n"
        "item1.TEL;TYPE=work,voice:111\r\n"
        "TEL;TYPE=\"cell,pref\":222\r\n"
        "TEL;TYPE=work,fax:333\r\n"
        "ADR;TYPE=home;LABEL=\"a:b;c\":;;Lange \r\n"
        " Straße 5\\nHof;Köln;;50667;\r\n"
        "ANNIVERSARY:2001-09-08T00:00:00Z\r\n"
        "X-EVOLUTION-ANNIVERSARY:2001-09-08\r\n"
        "END:VCARD\r\n";
    const VCardFile f = ReadVCards(file);
    ASSERT_EQ(f.contacts.size(), 1u);
    const VCardContact& c = f.contacts[0];
    EXPECT_EQ(c.familyName, "O'Brien, Jr.");
    EXPECT_EQ(c.givenName, "Mary Ann");
    EXPECT_EQ(c.phone, "222");
    EXPECT_EQ(c.fax, "333");
    EXPECT_EQ(c.addressLines, (std::vector<std::string>{"Lange Straße 5 Hof", "50667 Köln"}));
    ASSERT_EQ(c.dates.size(), 2u);
    EXPECT_FALSE(c.dates[0].birthday);
}

// One line per contact: names, phone, fax, and the dates ("G" birthday,
// "J" anniversary, "?" for no usable day).
std::string Describe(const VCardFile& f) {
    std::string out;
    for (const VCardContact& c : f.contacts) {
        out += c.familyName + "|" + c.givenName + "|" + c.phone + "|" + c.fax + "|";
        for (const VCardDate& d : c.dates) {
            out += d.birthday ? " G" : " J";
            if (!d.day) out += "?";
            else out += std::to_string(d.day->year) + "-" + std::to_string(d.day->month) + "-" + std::to_string(d.day->day);
        }
        out += "\n";
    }
    return out;
}

struct ReaderCase {
    const char* what;
    std::string file;
    const char* expected;
};

TEST(VCardReader, ValuesEndLinesAndCharsetsAsTheirWritersMeantThem) {
    const ReaderCase cases[] = {
        {"a base64 photo ending in '=' is no soft break",
         "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Foto;Frida\r\nPHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQ==\r\n"
         "BDAY:1980-06-15\r\nEND:VCARD\r\n",
         "Foto|Frida||| G1980-6-15\n"},
        {"a folded 2.1 base64 photo ends with its empty line",
         "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Foto;Fritz\r\nPHOTO;ENCODING=BASE64;TYPE=JPEG:\r\n"
         "    /9j/4AAQSkZJRgABAQ=\r\n    AAAA==\r\n\r\nBDAY:19800615\r\nEND:VCARD\r\n",
         "Foto|Fritz||| G1980-6-15\n"},
        {"the bare 2.1 parameter QUOTED-PRINTABLE, soft break included",
         "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;QUOTED-PRINTABLE:M=C3=BCl=\r\nler;J=C3=BCrgen\r\n"
         "BDAY:19800615\r\nEND:VCARD\r\n",
         "Müller|Jürgen||| G1980-6-15\n"},
        {"a last card without END:VCARD",
         "BEGIN:VCARD\r\nN:Erste;Karte\r\nEND:VCARD\r\nBEGIN:VCARD\r\nN:Letzte;Karte\r\nBDAY:--0101",
         "Erste|Karte|||\nLetzte|Karte||| G0-1-1\n"},
        {"ISO-8859-15 is not Windows-1252",
         "BEGIN:VCARD\r\nN;CHARSET=ISO-8859-15;ENCODING=QUOTED-PRINTABLE:C=BDur;=A6imon =A4\r\nEND:VCARD\r\n",
         "Cœur|Šimon €|||\n"},
        {"Latin-1 and Windows-1252",
         "BEGIN:VCARD\r\nN;CHARSET=ISO-8859-1:Sch\xE4" "fer;Bj\xF6rn\r\nFN;CHARSET=WINDOWS-1252:x\r\nEND:VCARD\r\n",
         "Schäfer|Björn|||\n"},
        {"the first of two phones neither preferred",
         "BEGIN:VCARD\r\nN:T;T\r\nTEL;TYPE=home:111\r\nTEL;TYPE=cell:222\r\nTEL;TYPE=fax:333\r\nTEL;TYPE=fax:444\r\n"
         "END:VCARD\r\n",
         "T|T|111|333|\n"},
        {"a later preferred phone, 2.1 bare and 4.0 PREF=1",
         "BEGIN:VCARD\r\nN:T;T\r\nTEL;HOME:111\r\nTEL;PREF;CELL:222\r\nTEL;CELL:333\r\nEND:VCARD\r\n"
         "BEGIN:VCARD\r\nN:V;V\r\nTEL;PREF=2:111\r\nTEL;PREF=1:222\r\nEND:VCARD\r\n",
         "T|T|222||\nV|V|222||\n"},
        {"a stray '=' of a quoted-printable value before the card's end",
         "BEGIN:VCARD\r\nN:A;A\r\nNOTE;ENCODING=QUOTED-PRINTABLE:endet mit =\r\nEND:VCARD\r\n"
         "BEGIN:VCARD\r\nN:B;B\r\nEND:VCARD\r\n",
         "A|A|||\nB|B|||\n"},
        {"a byte order mark before the first card", "\xEF\xBB\xBF" "BEGIN:VCARD\r\nN:B;O\r\nEND:VCARD\r\n", "B|O|||\n"},
        {"a head folded before its colon",
         "BEGIN:VCARD\r\nN:F;F\r\nBDAY;VALUE=\r\n date:1970-01-02\r\nEND:VCARD\r\n", "F|F||| G1970-1-2\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(Describe(ReadVCards(c.file)), c.expected) << c.what;
}

TEST_F(CoreTest, Version40DatesGiveEntriesOrAreCountedAsSkipped) {
    const std::string file =
        "BEGIN:VCARD\r\nVERSION:4.0\r\n"
        "N:Łukasiewicz;Łucja;;;\r\n"
        "BDAY:--0315\r\n"
        "ANNIVERSARY;VALUE=text:irgendwann\r\n"
        "X-ANNIVERSARY:2001-02-30\r\n"
        "EMAIL;PREF=1:l@example.org\r\n"
        "END:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Nur Anzeigename\r\nBDAY:1984-02-29\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Ohne Termin\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:4.0\r\nN:;;;;\r\nFN:Nur Anzeigename\r\nBDAY:19700101\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Sehr-lange-Doppelnamen-Familie;Jo;;;\r\nBDAY:--0101\r\nEND:VCARD\r\n";
    const VCardImportPlan plan = PlanVCardImport(ReadVCards(file), EntryTable, 0);
    ASSERT_EQ(plan.rows.size(), 3u);
    const Row& r = plan.rows[0];
    EXPECT_EQ(r[Vorname].asText(), "Lucja");
    EXPECT_EQ(r[Nachname].asText(), "Lukasiewicz");
    EXPECT_EQ(r[TerminAm].asText(), "15.03.0101");
    EXPECT_EQ(r[Terminart].asText(), kBirthdayTerm);
    EXPECT_EQ(r[TelFaxMail].asText(), "\0\n\0\nl@example.org"s);
    EXPECT_EQ(r[Warnung1].asInteger(), 0);
    EXPECT_EQ(plan.rows[1][Nachname].asText(), "Nur Anzeigename");
    EXPECT_EQ(plan.rows[1][Vorname].asText(), "");
    // Text value, 30 February, 29 February, and the contact without a date.
    EXPECT_EQ(plan.counts.skipped, 4);
    EXPECT_EQ(plan.rows[2][Nachname].asText(), "Sehr-lange-Doppelnamen-Fa");  // cut to 25
    EXPECT_EQ(plan.counts.added, 3);
    EXPECT_EQ(plan.counts.namesChanged, 2);
}

struct ExporterCase {
    const char* writer;
    std::string card;
    std::vector<std::string> entries;  // "term date first last"
    std::vector<std::string> skipped;
};

// Contacts in the shapes their writers' documentation and exports show.
TEST(VCardEntries, ContactsAsEachWriterExportsThemGiveTheirBirthdaysAndAnniversaries) {
    const ExporterCase cases[] = {
        {"Google",
         "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna Berger\r\nN:Berger;Anna;;;\r\n"
         "EMAIL;TYPE=INTERNET;TYPE=HOME:anna@example.org\r\nTEL;TYPE=CELL:+49 170 1234567\r\nBDAY:--04-12\r\n"
         "item1.X-ABDATE:2012-08-18\r\nitem1.X-ABLabel:_$!<Anniversary>!$_\r\n"
         "item2.X-ABDATE:2019-03-01\r\nitem2.X-ABLabel:Einzug\r\nEND:VCARD\r\n",
         {"Geburtstag 12.04.0101 Anna Berger", "Jahrestag 18.08.2012 Anna Berger"}, {}},
        {"Apple",
         "BEGIN:VCARD\r\nVERSION:3.0\r\nPRODID:-//Apple Inc.//macOS 14.0//EN\r\nN:Keller;Jonas;;;\r\n"
         "FN:Jonas Keller\r\nBDAY;X-APPLE-OMIT-YEAR=1604:1604-11-03\r\n"
         "item3.X-ABLabel:_$!<Anniversary>!$_\r\nitem1.X-ABDATE;type=pref:2015-05-30\r\n"
         "item1.X-ABLabel:_$!<anniversary>!$_\r\nitem2.X-ABDATE:2020-01-10\r\nitem2.X-ABLabel:_$!<Other>!$_\r\n"
         "ITEM3.X-ABDATE;X-APPLE-OMIT-YEAR=1604:1604-02-14\r\nANNIVERSARY:2015-05-30\r\nEND:VCARD\r\n",
         {"Geburtstag 03.11.0101 Jonas Keller", "Jahrestag 30.05.2015 Jonas Keller",
          "Jahrestag 14.02.0101 Jonas Keller"},
         {}},
        {"Apple, another stand-in year and a yearless 29 February",
         "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lang;Lea;;;\r\nBDAY;value=date;X-APPLE-OMIT-YEAR=1900:1900-03-03\r\n"
         "item1.X-ABDATE;X-APPLE-OMIT-YEAR=1604:1604-02-29\r\nitem1.X-ABLabel:_$!<Anniversary>!$_\r\nEND:VCARD\r\n",
         {"Geburtstag 03.03.0101 Lea Lang"}, {"Jahrestag: 29. Februar"}},
        {"a stand-in year whose parameter was lost on the way",
         "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Ohne;Otto;;;\r\nBDAY:1604-09-09\r\nEND:VCARD\r\n",
         {"Geburtstag 09.09.0101 Otto Ohne"}, {}},
        {"Outlook",
         "BEGIN:VCARD\r\nVERSION:2.1\r\nN;LANGUAGE=de-de;CHARSET=Windows-1252;ENCODING=QUOTED-PRINTABLE:Sch=E4fer;Petra\r\n"
         "FN;CHARSET=Windows-1252;ENCODING=QUOTED-PRINTABLE:Petra Sch=E4fer\r\nTEL;WORK;VOICE:(030) 1234\r\n"
         "BDAY:19700305\r\nX-MS-ANNIVERSARY:19990612\r\nEND:VCARD\r\n",
         {"Geburtstag 05.03.1970 Petra Schäfer", "Jahrestag 12.06.1999 Petra Schäfer"}, {}},
        {"Thunderbird",
         "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Vogel;Lena;;;\r\nFN:Lena Vogel\r\nBDAY;VALUE=DATE:19920117\r\n"
         "ANNIVERSARY;VALUE=DATE:--0922\r\nEMAIL;PREF=1:lena@example.org\r\nEND:VCARD\r\n",
         {"Geburtstag 17.01.1992 Lena Vogel", "Jahrestag 22.09.0101 Lena Vogel"}, {}},
        {"Evolution",
         "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Wolf;Tobias;;;\r\nFN:Tobias Wolf\r\nBDAY:1988-10-02\r\n"
         "X-EVOLUTION-ANNIVERSARY:2014-06-14\r\nEND:VCARD\r\n",
         {"Geburtstag 02.10.1988 Tobias Wolf", "Jahrestag 14.06.2014 Tobias Wolf"}, {}},
        {"KAddressBook and a plain X-ANNIVERSARY",
         "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Kraus;Kai;;;\r\nX-KADDRESSBOOK-X-Anniversary:2009-07-04\r\n"
         "X-ANNIVERSARY:2010-08-05\r\nEND:VCARD\r\n",
         {"Jahrestag 04.07.2009 Kai Kraus", "Jahrestag 05.08.2010 Kai Kraus"}, {}},
        {"Nextcloud",
         "BEGIN:VCARD\r\nVERSION:3.0\r\nPRODID:-//Sabre//Sabre VObject 4.5.4//EN\r\nUID:4e2c9f3a-1b7d\r\n"
         "FN:Nina Roth\r\nN:Roth;Nina;;;\r\nBDAY;X-APPLE-OMIT-YEAR=1604;VALUE=DATE:1604-12-24\r\n"
         "ANNIVERSARY;VALUE=DATE:20100501\r\nEND:VCARD\r\n",
         {"Geburtstag 24.12.0101 Nina Roth", "Jahrestag 01.05.2010 Nina Roth"}, {}},
        {"Android",
         "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C3=96zt=C3=BCrk;Ay=C5=9Fe;;;\r\n"
         "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Ay=C5=9Fe =C3=96zt=C3=BCrk\r\nTEL;CELL:+49 151 2345678\r\n"
         "BDAY:--05-20\r\nEND:VCARD\r\n",
         {"Geburtstag 20.05.0101 Ayse Öztürk"}, {}},
        {"an old 2.1 phone",
         "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=ISO-8859-1;QUOTED-PRINTABLE:J=E4ger;Bj=F6rn\r\n"
         "TEL;PREF;CELL:0171 555\r\nBDAY:1965-08-30\r\nEND:VCARD\r\n",
         {"Geburtstag 30.08.1965 Björn Jäger"}, {}},
        {"date-time forms",
         "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Zeit;Zora;;;\r\nBDAY:1980-06-15T00:00:00Z\r\n"
         "ANNIVERSARY;VALUE=date-and-or-time:20050704T231000+0200\r\nX-ANNIVERSARY:--0612T1200\r\nEND:VCARD\r\n",
         {"Geburtstag 15.06.1980 Zora Zeit", "Jahrestag 04.07.2005 Zora Zeit", "Jahrestag 12.06.0101 Zora Zeit"}, {}},
        {"what cannot be kept",
         "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Rest;Rolf;;;\r\nBDAY;VALUE=text:um 1950\r\nANNIVERSARY:1990-06\r\n"
         "X-ANNIVERSARY:0050-01-01\r\nX-EVOLUTION-ANNIVERSARY:--0229\r\nEND:VCARD\r\n",
         {},
         {"Geburtstag: kein Kalenderdatum", "Jahrestag: kein Kalenderdatum", "Jahrestag: Jahr vor 100",
          "Jahrestag: 29. Februar"}},
        {"no date at all",
         "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Leer;Lutz;;;\r\nitem1.X-ABDATE:2001-01-01\r\nitem1.X-ABLabel:_$!<Other>!$_\r\n"
         "END:VCARD\r\n",
         {}, {"kein Geburtstag und kein Jahrestag"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.writer);
        const auto result = EntriesOfVCard(c.card);
        ASSERT_TRUE(result);
        std::vector<std::string> entries, skipped;
        for (const Row& r : result->rows)
            entries.push_back(r[Terminart].asText() + " " + r[TerminAm].asText() + " " + r[Vorname].asText() + " " +
                              r[Nachname].asText());
        for (const VCardSkip& s : result->skipped) skipped.push_back(VCardSkipText(s));
        EXPECT_EQ(entries, c.entries);
        EXPECT_EQ(skipped, c.skipped);
    }
    EXPECT_EQ(EntriesOfVCard("BEGIN:VCARD\r\nUID:urn:uuid:1\r\nBDAY:--0101\r\nEND:VCARD\r\n")->uid, "urn:uuid:1");
    EXPECT_FALSE(EntriesOfVCard("kein vCard"));
}

TEST_F(CoreTest, SameNamesTermAndDayAreNotAddedTwice) {
    EntryCount = 1;
    ResizeEntryTable(1);
    EntryTable(Vorname, 1) = Cell("Anna");
    EntryTable(Nachname, 1) = Cell("Lukasiewicz");
    EntryTable(TerminAm, 1) = Cell("15.06.1980");
    EntryTable(Terminart, 1) = Cell(kBirthdayTerm);
    const std::string file =
        "BEGIN:VCARD\nN:Łukasiewicz;Anna\nBDAY:--0615\nANNIVERSARY:--0615\nEND:VCARD\n"
        "BEGIN:VCARD\nN:Neu;Nina\nBDAY:1990-01-02\nEND:VCARD\n"
        "BEGIN:VCARD\nN:Neu;Nina\nBDAY:1990-01-02\nEND:VCARD\n";
    const VCardImportPlan plan = PlanVCardImport(ReadVCards(file), EntryTable, EntryCount);
    ASSERT_EQ(plan.rows.size(), 2u);
    EXPECT_EQ(plan.rows[0][Terminart].asText(), kAnniversaryTerm);
    EXPECT_EQ(plan.rows[1][Nachname].asText(), "Neu");
    EXPECT_EQ(plan.counts.alreadyThere, 2);
}

class VCardImportTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        target = dir.file("Ziel.tmf");
        EntryCount = 1;
        ResizeEntryTable(1);
        EntryTable(HeaderLastCheck, 0) = Cell("10.06.2024");
        EntryTable(HeaderSortChoice, 0) = Cell(SortLastName);
        EntryTable(Vorname, 1) = Cell("Zacharias");
        EntryTable(Nachname, 1) = Cell("Zuletzt");
        EntryTable(TerminAm, 1) = Cell("01.02.1950");
        EntryTable(Terminart, 1) = Cell(kBirthdayTerm);
        ASSERT_TRUE(SaveAppointmentFile(target, "Alles", ""));
        original = dir.read("Ziel.tmf");
        dir.write("k.vcf", "BEGIN:VCARD\r\nN:Adam;Berta\r\nBDAY:1970-05-04\r\nTEL:1\r\nEND:VCARD\r\n");
    }
    VCardImportOutcome Import(bool answer = true) {
        return ImportVCardFile(dir.file("k.vcf"), target, counts, [answer](const VCardImportCounts&) { return answer; });
    }
    std::string target, original;
    VCardImportCounts counts;
};

TEST_F(VCardImportTest, ImportSavesSortedEntriesAndKeepsTheLastCheckDate) {
    Modified = 1;
    ASSERT_EQ(Import(), VCardImportOutcome::Imported);
    EXPECT_EQ(Modified, 0);
    EXPECT_EQ(counts.added, 1);
    ResetProgramState();
    ASSERT_EQ(LoadAppointmentFile(target, "Alles"), LoadResult::Loaded);
    ASSERT_EQ(EntryCount, 2);
    EXPECT_EQ(EntryTable(Nachname, 1).asText(), "Adam");  // sorted by last name
    EXPECT_EQ(EntryTable(TerminAm, 1).asText(), "04.05.1970");
    EXPECT_EQ(EntryTable(TelFaxMail, 1).asText(), "1");
    EXPECT_EQ(EntryTable(HeaderLastCheck, 0).asText(), "10.06.2024");
    EXPECT_EQ(VCardImportSummary(counts, dir.file("k.vcf")),
              "vCard-Import aus k.vcf:\r\n\r\n1 Eintrag hinzugefügt\r\n0 schon vorhanden\r\n"
              "0 ohne verwendbares Datum übergangen\r\n0 Namen für die Speicherung angepaßt");
}

TEST_F(VCardImportTest, CancelledFailingAndOverfullImportsLeaveFileAndTable) {
    Modified = 1;
    EXPECT_EQ(Import(false), VCardImportOutcome::Cancelled);
    EXPECT_EQ(dir.read("Ziel.tmf"), original);

    SetWriteFailureAfterBytesForTesting(400);
    EXPECT_EQ(Import(), VCardImportOutcome::Failed);
    SetWriteFailureAfterBytesForTesting(std::nullopt);
    EXPECT_EQ(dir.read("Ziel.tmf"), original);
    EXPECT_EQ(EntryCount, 1);
    EXPECT_EQ(EntryTable.lastRow(), 1);
    EXPECT_EQ(EntryTable(Nachname, 1).asText(), "Zuletzt");
    EXPECT_EQ(Modified, 1);

    EntryCount = kMaxEntries;
    ResizeEntryTable(kMaxEntries);
    EXPECT_EQ(Import(), VCardImportOutcome::Failed);
    EXPECT_EQ(dir.read("Ziel.tmf"), original);
    EXPECT_EQ(EntryCount, kMaxEntries);
    EXPECT_NE(messages().back().find("höchstens 32000"), std::string::npos);

    EXPECT_EQ(ImportVCardFile(dir.file("fehlt.vcf"), target, counts, nullptr), VCardImportOutcome::Failed);
    dir.write("leer.vcf", "kein vCard\r\n");
    EXPECT_EQ(ImportVCardFile(dir.file("leer.vcf"), target, counts, nullptr), VCardImportOutcome::Failed);
    EXPECT_EQ(dir.read("Ziel.tmf"), original);
}

struct RoomCase {
    const char* what;
    std::string file;
    VCardImportOutcome outcome;
    int skipped;  // counted only while the file is read
};

// Reading stops at the first entry the file has no room for, so that a huge
// address book is refused without being held in memory whole.
TEST_F(VCardImportTest, FileWithMoreNewEntriesThanRoomIsRefusedAtTheFirstOneTooMany) {
    const std::string dateless = "BEGIN:VCARD\r\nN:Ohne;Datum\r\nEND:VCARD\r\n";
    const auto card = [](const char* name) { return "BEGIN:VCARD\r\nN:" + std::string(name) + "\r\nBDAY:1970-01-01\r\nEND:VCARD\r\n"; };
    const RoomCase cases[] = {
        {"the last new entry fits", card("Eins") + dateless + dateless, VCardImportOutcome::Imported, 2},
        {"a duplicate takes no room", card("Zwei") + card("Zwei") + dateless, VCardImportOutcome::Imported, 1},
        {"one too many", card("Drei") + card("Vier") + dateless + dateless, VCardImportOutcome::Failed, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EntryCount = kMaxEntries - 1;
        ResizeEntryTable(EntryCount);
        dir.write("k.vcf", c.file);
        EXPECT_EQ(Import(), c.outcome);
        EXPECT_EQ(counts.skipped, c.skipped);
        if (c.outcome == VCardImportOutcome::Failed) {
            EXPECT_NE(messages().back().find("31999 vorhanden, mehr als 1 neu"), std::string::npos) << messages().back();
            EXPECT_EQ(EntryCount, kMaxEntries - 1);
        }
    }
}

TEST_F(CoreTest, AddressBookWrittenByVobjectIsImported) {
    const std::string vcf = dir.file("vobject.vcf");
    const std::string command = "/usr/bin/python3 " TMF_TEST_SCRIPTS "make_vcards.py " + vcf;
    ASSERT_EQ(std::system(command.c_str()), 0) << "python3-vobject missing?";
    std::optional<std::string> bytes = ReadWholeFile(vcf);
    ASSERT_TRUE(bytes);
    const VCardImportPlan plan = PlanVCardImport(ReadVCards(*bytes), EntryTable, 0);
    ASSERT_EQ(plan.rows.size(), 3u);
    const Row& anna = plan.rows[0];
    EXPECT_EQ(anna[Nachname].asText(), "Lukasiewicz");
    EXPECT_EQ(anna[TerminAm].asText(), "15.06.1980");
    EXPECT_EQ(anna[TelFaxMail].asText(), "+49 30 123456\0\n+49 30 654321\0\nanna@example.org"s);
    EXPECT_EQ(anna[Adresse].asText(), "Hauptstraße 1\0\n10115 Berlin\0\nDeutschland"s);
    const Row& juergen = plan.rows[1];
    EXPECT_EQ(juergen[Vorname].asText(), "Jürgen");
    EXPECT_EQ(juergen[TerminAm].asText(), "15.03.0101");
    EXPECT_EQ(juergen[Adresse].asText(),
              "bei Schmidt, 2. Stock\0\nAm langen Weg zur Mühle hinter dem Bach 12a; Hinterhaus\0\n50667 Köln"s);
    EXPECT_EQ(plan.rows[2][Terminart].asText(), kAnniversaryTerm);
    EXPECT_EQ(plan.rows[2][TerminAm].asText(), "08.09.2001");
    // No date, a text date, and 29 February of a common year.
    EXPECT_EQ(plan.counts.skipped, 3);
    EXPECT_EQ(plan.counts.namesChanged, 1);
}

}  // namespace
}  // namespace tmf::test
