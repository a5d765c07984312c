// The address-book sync's decisions and its writing, without a network: an
// address book is a map of hrefs to vCard texts, handed in as the protocol
// would (only what changed since the last run carries its text).
#include <functional>
#include <map>

#include "AppointmentFile.h"
#include "ContactCandidates.h"
#include "ContactSync.h"
#include "ContactSyncCommit.h"
#include "CoreFixture.h"
#include "SampleFiles.h"

namespace tmf::test {
namespace {

constexpr const char* kBook = "https://dav.example/anna/kontakte/";

std::string Card(const std::string& uid, const std::string& given, const std::string& family,
                 const std::string& more) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid + "\r\nN:" + family + ";" + given + ";;;\r\nFN:" + given +
           " " + family + "\r\n" + more + "END:VCARD\r\n";
}

using Server = std::map<std::string, std::string>;  // href → vCard

class ContactSyncTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        file = dir.file("Kontakte.tmf");
        statePath = SyncStatePath(dir.path(), file);
        WriteAppointmentFileBytes(file, AppointmentFileBytes(std::vector<EntrySpec>{}, "10.06.2024"));
    }

    // One run against the server as it is now: returns what it reported.
    ContactSyncReport Sync(const Server& server, CommitOutcome* outcome = nullptr) {
        EXPECT_EQ(LoadAppointmentFile(file, "Alles"), LoadResult::Loaded);
        SyncStateFile onDisk;
        EXPECT_NE(ReadSyncState(statePath, onDisk), SyncStateRead::Damaged);
        const SyncTargetState basis = ReconcilePending(onDisk, EntryTable, EntryCount);
        AddressBookChanges book{kBook, "Kontakte", true, {}, {}, "token", ""};
        const auto known = basis.books.find(kBook);
        for (const auto& [href, text] : server) {
            const std::string etag = "\"" + std::to_string(std::hash<std::string>{}(text)) + "\"";
            bool same = false;
            if (known != basis.books.end()) {
                const auto c = known->second.contacts.find(href);
                same = c != known->second.contacts.end() && c->second.etag == etag;
            }
            book.contacts.push_back({href, etag, same ? std::nullopt : std::optional<std::string>(text)});
        }
        lastPlan = PlanContactSync(EntryTable, EntryCount, basis, {book});
        lastBasis = basis;
        lastOnDisk = onDisk;
        const CommitOutcome result = CommitContactSync(file, statePath, onDisk, basis, lastPlan);
        if (outcome) *outcome = result;
        return lastPlan.report;
    }

    // The file's entries as "Vorname Nachname|Terminart|TerminAm|Bemerkung|Warnung1|Erreicht".
    std::vector<std::string> Entries() {
        EXPECT_EQ(LoadAppointmentFile(file, "Alles"), LoadResult::Loaded);
        std::vector<std::string> out;
        for (int r = 1; r <= EntryCount; ++r) {
            const Row& row = EntryTable.row(r);
            out.push_back(row[Vorname].asText() + " " + row[Nachname].asText() + "|" + row[Terminart].asText() + "|" +
                          row[TerminAm].asText() + "|" + row[Bemerkung].asText() + "|" + row[Warnung1].asText() +
                          "|" + row[Erreicht].asText());
        }
        std::sort(out.begin(), out.end());
        return out;
    }

public:
    // Changes the file's entry of that first name as the editor would.
    void EditHere(const std::string& vorname, const std::function<void(Row&)>& edit) {
        ASSERT_EQ(LoadAppointmentFile(file, "Alles"), LoadResult::Loaded);
        for (int r = 1; r <= EntryCount; ++r)
            if (EntryTable(Vorname, r).asText() == vorname) edit(EntryTable.row(r));
        ASSERT_TRUE(SaveAppointmentFile(file, "Alles", ""));
    }

protected:
    std::string file, statePath;
    ContactSyncPlan lastPlan;
    SyncTargetState lastBasis;
    SyncStateFile lastOnDisk;
};

const std::string kAnna = Card("u-anna", "Anna", "Berg", "BDAY:1980-02-01\r\nANNIVERSARY:20050611\r\n");
const std::string kBert = Card("u-bert", "Bert", "Kurz", "BDAY:--0315\r\nTEL:0711 1234\r\n");
const std::string kCora = Card("u-cora", "Cora", "Lang", "EMAIL:cora@example.org\r\n");

struct Step {
    Server server;
    std::function<void(ContactSyncTest&)> before;  // what the user does in the file first
};

struct Scenario {
    const char* name;
    std::vector<EntrySpec> handTyped;  // in the file before the first run
    std::vector<Step> steps;
    std::vector<std::string> fileAfter;
    // Of the last run: added, changed, conflicts, deleted on the server,
    // dates removed, skipped, already there.
    std::array<std::size_t, 7> counts;
    std::vector<std::string> reasons;  // texts the last run's notes must hold
};

void PrintTo(const Scenario& s, std::ostream* os) { *os << s.name; }

std::array<std::size_t, 7> Counts(const ContactSyncReport& r) {
    return {r.added.size(), r.changed.size(), r.conflicts.size(), r.deletedOnServer.size(),
            r.datesRemoved.size(), r.skipped.size(), r.alreadyThere.size()};
}

std::string AllNotes(const ContactSyncReport& r) {
    std::string out;
    for (const auto* list : {&r.added, &r.changed, &r.conflicts, &r.deletedOnServer, &r.datesRemoved, &r.skipped,
                             &r.alreadyThere})
        for (const SyncNote& n : *list) out += n.name + "|" + n.term + "|" + n.date + "|" + n.reason + "\n";
    return out;
}

Server With(Server s, const std::string& href, const std::string& text) {
    s[href] = text;
    return s;
}

const Server kTwo = {{"/anna/kontakte/anna.vcf", kAnna}, {"/anna/kontakte/bert.vcf", kBert}};

const std::vector<Scenario> kScenarios = {
    {"NewContactsAddEveryDateByTheImportRules", {}, {{With(kTwo, "/anna/kontakte/cora.vcf", kCora), {}}},
     {"Anna Berg|Geburtstag|01.02.1980||0|0", "Anna Berg|Jahrestag|11.06.2005||0|0",
      "Bert Kurz|Geburtstag|15.03.0101||0|0"},
     {3, 0, 0, 0, 0, 0, 0}, {}},
    {"ServerChangeMovesTheDateAndKeepsTheUsersRemarkAndLeads", {},
     {{kTwo, {}},
      {With(kTwo, "/anna/kontakte/anna.vcf", Card("u-anna", "Anna", "Berg", "BDAY:1980-02-03\r\nANNIVERSARY:20050611\r\n")),
       [](ContactSyncTest& t) {
           t.EditHere("Anna", [](Row& r) {
               if (r[Terminart].asText() != "Geburtstag") return;
               r[Bemerkung] = Cell("Blumen");
               r[Warnung1] = Cell(-7);
               r[Erreicht] = Cell(1);
           });
       }}},
     {"Anna Berg|Geburtstag|03.02.1980|Blumen|-7|0", "Anna Berg|Jahrestag|11.06.2005||0|0",
      "Bert Kurz|Geburtstag|15.03.0101||0|0"},
     {0, 1, 0, 0, 0, 0, 0}, {}},
    {"EntryTheUserChangedIsKeptAndNamedAsConflict", {},
     {{kTwo, {}},
      {With(kTwo, "/anna/kontakte/bert.vcf", Card("u-bert", "Bert", "Kurz", "BDAY:--0316\r\nTEL:0711 1234\r\n")),
       [](ContactSyncTest& t) { t.EditHere("Bert", [](Row& r) { r[Nachname] = Cell("Kurz-Lang"); }); }}},
     {"Anna Berg|Geburtstag|01.02.1980||0|0", "Anna Berg|Jahrestag|11.06.2005||0|0",
      "Bert Kurz-Lang|Geburtstag|15.03.0101||0|0"},
     {0, 0, 1, 0, 0, 0, 0}, {"Bert Kurz|Geburtstag|15.03.0101|hier geändert"}},
    {"ContactDeletedOnTheServerLeavesItsEntries", {},
     {{kTwo, {}}, {Server{{"/anna/kontakte/bert.vcf", kBert}}, {}}},
     {"Anna Berg|Geburtstag|01.02.1980||0|0", "Anna Berg|Jahrestag|11.06.2005||0|0",
      "Bert Kurz|Geburtstag|15.03.0101||0|0"},
     {0, 0, 0, 2, 0, 0, 0}, {"Anna Berg|Jahrestag|11.06.2005|Kontakt auf dem Server gelöscht"}},
    {"DateTheContactNoLongerHasLeavesItsEntry", {},
     {{kTwo, {}}, {With(kTwo, "/anna/kontakte/anna.vcf", Card("u-anna", "Anna", "Berg", "BDAY:1980-02-01\r\n")), {}}},
     {"Anna Berg|Geburtstag|01.02.1980||0|0", "Anna Berg|Jahrestag|11.06.2005||0|0",
      "Bert Kurz|Geburtstag|15.03.0101||0|0"},
     {0, 0, 0, 0, 1, 0, 0}, {"Anna Berg|Jahrestag|11.06.2005|Datum auf dem Server entfernt"}},
    {"HandTypedEntriesAreNeverTouched",
     {{"Anna", "Berg", "01.02.1980", "Geburtstag", 3, 0, 0, false, "selbst"}},
     {{kTwo, {}},
      {With(kTwo, "/anna/kontakte/anna.vcf", Card("u-anna", "Anna", "Berg", "BDAY:1980-02-02\r\nANNIVERSARY:20050611\r\n")), {}}},
     // The hand-typed birthday stays; the contact's own one is new.
     {"Anna Berg|Geburtstag|01.02.1980|selbst|3|0", "Anna Berg|Geburtstag|02.02.1980||0|0",
      "Anna Berg|Jahrestag|11.06.2005||0|0", "Bert Kurz|Geburtstag|15.03.0101||0|0"},
     {1, 0, 0, 0, 0, 0, 0}, {}},
    {"SameNamesAndDayAsAnEntryThereAlreadyIsNotAdded",
     {{"Bert", "Kurz", "15.03.1970", "Geburtstag"}},
     {{kTwo, {}}},
     {"Anna Berg|Geburtstag|01.02.1980||0|0", "Anna Berg|Jahrestag|11.06.2005||0|0",
      "Bert Kurz|Geburtstag|15.03.1970||0|0"},
     {2, 0, 0, 0, 0, 0, 1}, {"Bert Kurz|Geburtstag|15.03.0101|ein Eintrag mit gleichem Namen"}},
    {"UnreadableCardsAndUnstorableDatesAreSkippedWithTheirReason", {},
     {{Server{{"/k/kaputt.vcf", "das ist keine vCard"},
              {"/k/schalt.vcf", Card("u-s", "Sina", "Schalt", "BDAY:2000-02-29\r\n")},
              {"/k/text.vcf", Card("u-t", "Tom", "Text", "BDAY;VALUE=text:irgendwann im Mai\r\n")}},
       {}}},
     {}, {0, 0, 0, 0, 0, 3, 0},
     {"/k/kaputt.vcf|||vCard nicht lesbar", "Sina Schalt|||29. Februar", "Tom Text|||Datum ohne Tag"}},
    {"ContactMovedToAnotherHrefKeepsItsEntries", {},
     {{kTwo, {}},
      {Server{{"/anna/kontakte/bert.vcf", kBert},
              {"/anna/kontakte/neu/anna.vcf", Card("u-anna", "Anna", "Berg", "BDAY:1980-02-05\r\nANNIVERSARY:20050611\r\n")}},
       {}}},
     {"Anna Berg|Geburtstag|05.02.1980||0|0", "Anna Berg|Jahrestag|11.06.2005||0|0",
      "Bert Kurz|Geburtstag|15.03.0101||0|0"},
     {0, 1, 0, 0, 0, 0, 0}, {}},
};

class Scenarios : public ContactSyncTest, public ::testing::WithParamInterface<Scenario> {};

TEST_P(Scenarios, FileAndReportAreWhatTheRunMustLeave) {
    const Scenario& s = GetParam();
    WriteAppointmentFileBytes(file, AppointmentFileBytes(s.handTyped, "10.06.2024"));
    ContactSyncReport report;
    for (const Step& step : s.steps) {
        if (step.before) step.before(*this);
        report = Sync(step.server);
    }
    EXPECT_EQ(Entries(), s.fileAfter);
    EXPECT_EQ(Counts(report), s.counts) << AllNotes(report);
    for (const std::string& reason : s.reasons) EXPECT_NE(AllNotes(report).find(reason), std::string::npos) << reason << "\n" << AllNotes(report);
    // A run over the same server again changes nothing and writes nothing.
    const std::string bytes = dir.read("Kontakte.tmf");
    CommitOutcome outcome{};
    const ContactSyncReport again = Sync(s.steps.back().server, &outcome);
    EXPECT_EQ(outcome, CommitOutcome::NothingToWrite);
    EXPECT_TRUE(again.added.empty() && again.changed.empty()) << AllNotes(again);
    EXPECT_EQ(dir.read("Kontakte.tmf"), bytes);
}

INSTANTIATE_TEST_SUITE_P(ContactSync, Scenarios, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ContactSyncTest, FailedSaveLeavesFileTableAndStateAsTheyWere) {
    Sync(Server{{"/k/bert.vcf", kBert}});
    const std::string fileBefore = dir.read("Kontakte.tmf");
    SyncStateFile stateBefore;
    ASSERT_EQ(ReadSyncState(statePath, stateBefore), SyncStateRead::Read);

    // The state is a few hundred bytes, the file over a thousand: only the save fails.
    SetWriteFailureAfterBytesForTesting(kRecordSize * 2);
    CommitOutcome outcome{};
    Sync(Server{{"/k/bert.vcf", kBert}, {"/k/anna.vcf", kAnna}}, &outcome);
    SetWriteFailureAfterBytesForTesting(std::nullopt);
    EXPECT_EQ(outcome, CommitOutcome::Failed);
    EXPECT_EQ(EntryCount, 1);
    EXPECT_EQ(dir.read("Kontakte.tmf"), fileBefore);
    SyncStateFile stateAfter;
    ASSERT_EQ(ReadSyncState(statePath, stateAfter), SyncStateRead::Read);
    EXPECT_EQ(stateAfter, stateBefore);

    // The next run picks it up.
    Sync(Server{{"/k/bert.vcf", kBert}, {"/k/anna.vcf", kAnna}});
    EXPECT_EQ(Entries().size(), 3u);
}

// A run killed between its two state writes: the state on disk holds the
// pending plan, and the file either has the plan's rows or not.
TEST_F(ContactSyncTest, RunKilledBetweenFileAndStateConvergesWithoutDuplicates) {
    for (const bool fileSaved : {false, true}) {
        SCOPED_TRACE(fileSaved ? "file saved" : "file not saved");
        WriteAppointmentFileBytes(file, AppointmentFileBytes(std::vector<EntrySpec>{}, "10.06.2024"));
        DeleteFile(statePath);
        Sync(Server{{"/k/bert.vcf", kBert}});
        const std::string fileBefore = dir.read("Kontakte.tmf");
        const Server next = {{"/k/bert.vcf", Card("u-bert", "Bert", "Kurz", "BDAY:--0316\r\n")}, {"/k/anna.vcf", kAnna}};
        Sync(next);
        SyncStateFile killed;
        killed.target = file;
        killed.current = lastBasis;
        killed.pending = lastPlan.state;
        killed.pendingWrites = lastPlan.writes;
        ASSERT_TRUE(WriteSyncState(statePath, killed));
        if (!fileSaved) WriteAppointmentFileBytes(file, fileBefore);

        Sync(next);
        EXPECT_EQ(Entries(), (std::vector<std::string>{"Anna Berg|Geburtstag|01.02.1980||0|0",
                                                        "Anna Berg|Jahrestag|11.06.2005||0|0",
                                                        "Bert Kurz|Geburtstag|16.03.0101||0|0"}));
        // The entries are the sync's own afterwards: the next change reaches them.
        Sync(Server{{"/k/bert.vcf", Card("u-bert", "Bert", "Kurz", "BDAY:--0317\r\n")}, {"/k/anna.vcf", kAnna}});
        EXPECT_EQ(Counts(lastPlan.report), (std::array<std::size_t, 7>{0, 1, 0, 0, 0, 0, 0})) << AllNotes(lastPlan.report);
        SyncStateFile settled;
        ASSERT_EQ(ReadSyncState(statePath, settled), SyncStateRead::Read);
        EXPECT_FALSE(settled.pending);
    }
}

TEST(SyncStateFormat, EveryTextSurvivesAndAnythingCutShortOrAlteredIsRefused) {
    SyncStateFile s;
    s.target = "/home/anna/Geburtstage\tneu.tmf";
    SyncTargetState& c = s.current;
    c.rulesVersion = 7;
    SyncedContact contact{"\"e\\1\"", "uid\r\n2", false,
                          {{"Jörg", "Back\\slash", "01.02.0101", "Geburtstag", std::string("Tel\0\nFax", 8), ""}}};
    c.books["https://x/a/"].syncToken = "http://radicale.org/ns/sync/abc";
    c.books["https://x/a/"].contacts["/a/j ö.vcf"] = contact;
    c.books["https://x/b/"].ctag = "42";
    s.pending = c;
    s.pending->books["https://x/a/"].contacts["/a/leer.vcf"] = {"\"x\"", "", true, {}};
    s.pendingWrites = {contact.entries.front()};
    const std::string text = FormatSyncState(s);
    ASSERT_EQ(ParseSyncState(text), s);

    for (const std::string& broken : std::vector<std::string>{text.substr(0, text.size() - 5), text.substr(0, text.rfind("ende")),
                                      text + "eintrag\tx\n", "Termifolio98-Abgleich\t2\nende\n",
                                      std::string("kontakt\t/a\tb\tc\t0\n") + text,
                                      text.substr(0, text.find("\\0")) + "\\q" + text.substr(text.find("\\0") + 2)})
        EXPECT_FALSE(ParseSyncState(broken)) << broken;
}

TEST(ServerCards, CharsetsOfValuesThatAreNotEncodedAreDroppedAndTheNamesReadRight) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"N;CHARSET=Windows-1252:M\xC3\xBCller;J\xC3\xB6rg\r\n", "N:M\xC3\xBCller;J\xC3\xB6rg\r\n"},
        {"FN;charset=iso-8859-1;LANGUAGE=de:Ab\r\n", "FN;LANGUAGE=de:Ab\r\n"},
        {"item1.ADR;TYPE=HOME;CHARSET=UTF-8:;;Weg;Ort\n", "item1.ADR;TYPE=HOME:;;Weg;Ort\n"},
        {"N;CHARSET=Windows-1252;ENCODING=QUOTED-PRINTABLE:M=FCller\r\n", "N;CHARSET=Windows-1252;ENCODING=QUOTED-PRINTABLE:M=FCller\r\n"},
        {"NOTE:CHARSET=x;y\r\n", "NOTE:CHARSET=x;y\r\n"},
        {" ;CHARSET=x:folded\r\n", " ;CHARSET=x:folded\r\n"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(WithoutStaleCharsets(in), out) << in;
    const ContactCandidates c = ReadContactCandidates(
        "BEGIN:VCARD\r\nVERSION:2.1\r\nUID:o-1\r\nN;CHARSET=Windows-1252:M\xC3\xBCller;J\xC3\xB6rg\r\n"
        "BDAY:19700722\r\nEND:VCARD\r\n");
    ASSERT_EQ(c.rows.size(), 1u);
    EXPECT_EQ(c.rows[0][Nachname].asText(), "M\xC3\xBCller");
    EXPECT_EQ(c.uid, "o-1");
}

TEST_F(ContactSyncTest, AReadingRunKeepsWhatPublishingRecordedInTheSameState) {
    SyncStateFile published;
    published.target = file;
    published.calendars["https://dav.example/anna/kal/"].events["u@termifolio98"] = {"/anna/kal/a.ics", "\"e\"", "f", "", false};
    ASSERT_TRUE(WriteSyncState(statePath, published));
    for (const Server& server : {Server{{"/b/anna.vcf", kAnna}}, Server{{"/b/anna.vcf", kAnna}, {"/b/bert.vcf", kBert}}}) {
        Sync(server);
        SyncStateFile after;
        ASSERT_EQ(ReadSyncState(statePath, after), SyncStateRead::Read);
        EXPECT_EQ(after.calendars, published.calendars);
        EXPECT_FALSE(after.current.books.empty());
    }
}

TEST_F(CoreTest, StatePathsKeepTwoFilesOfOneNameApart) {
    const std::string a = SyncStatePath(dir.path(), "/home/anna/Termif98.tmf");
    const std::string b = SyncStatePath(dir.path(), "/home/anna/alt/Termif98.tmf");
    EXPECT_NE(a, b);
    EXPECT_EQ(a.rfind(dir.path() + "Abgleich/Termif98-", 0), 0u) << a;
    EXPECT_EQ(SyncStatePath(dir.path(), "/home/anna/./alt/../Termif98.tmf"), a);
}

}  // namespace
}  // namespace tmf::test
