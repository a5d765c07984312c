// Faults a publish meets: the fake server answers one request with a quota
// error, a refusal, a server error, silence, a lost answer (the request did
// its work, the answer never came), or the calendar is gone. The run must say
// so in German, never put an event twice, leave other events alone, and the
// next run without the fault must bring the calendar exactly in step.
#include <filesystem>

#include "CalendarPublishRun.h"
#include "FileIo.h"
#include "DavFixture.h"
#include "FakeServer.h"

namespace tmf::test {
namespace {

struct CalendarFault {
    const char* name;
    QByteArray method;  // the method whose nth request fails
    int nth;
    Fault fault;
    const char* message;  // a part of the German summary
    bool calendarFails;   // the calendar is named as not (wholly) published
    int refused;          // events the server refused
};

void PrintTo(const CalendarFault& c, std::ostream* os) { *os << c.name; }

const QByteArray kValidData =
    "<?xml version=\"1.0\"?><d:error xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\"><c:valid-calendar-data/>"
    "</d:error>";
const QByteArray kSupportedData =
    "<?xml version=\"1.0\"?><d:error xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\"><c:supported-calendar-data/>"
    "</d:error>";
const QByteArray kQuota = "<?xml version=\"1.0\"?><d:error xmlns:d=\"DAV:\"><d:quota-not-exceeded/></d:error>";

const std::vector<CalendarFault> kCalendarFaults = {
    {"QuotaExceeded", "PUT", 2, {507, kQuota}, "kein Platz mehr (507, Speicherplatz erschöpft)", true, 0},
    {"RefusedAsInvalid", "PUT", 1, {403, kValidData}, ": Geburtstag: vom Server abgelehnt (403, valid-calendar-data)",
     false, 1},
    {"RefusedMediaType", "PUT", 3, {415, kSupportedData}, "vom Server abgelehnt (415, supported-calendar-data)", false, 1},
    {"ServerErrorOnDelete", "DELETE", 1, {500}, "meldet einen Fehler (500)", true, 0},
    {"AnswerLostAfterPut", "PUT", 1, {.hangUp = true, .applied = true}, "Verbindung mitten in der Antwort", true, 0},
    {"AnswerLostAfterDelete", "DELETE", 1, {.hangUp = true, .applied = true}, "Verbindung mitten in der Antwort", true, 0},
    {"Silence", "PUT", 4, {.silent = true}, "hat 0,4 Sekunden lang nicht geantwortet", true, 0},
    {"CalendarDeleted", "PROPFIND", 1, {404}, "Den Kalender „Familie“", true, 0},
    {"CalendarDeletedMidRun", "PUT", 2, {404}, "gibt es auf dem Server nicht mehr", true, 0},
};

const QByteArray kOthersEvent =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Anderes Programm//DE\r\nBEGIN:VEVENT\r\nUID:fremd@example.org\r\n"
    "DTSTAMP:20240101T120000Z\r\nDTSTART;VALUE=DATE:20240704\r\nSUMMARY:Zahnarzt\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";

// One publish of target to the fake server's calendar "Familie".
dav::PublishResult PublishToFake(FakeServer& server, dav::CertificatePins& pins, const std::string& target,
                                 const std::string& dataFolder) {
    dav::ConnectionLimits limits;
    limits.timeoutMs = 400;  // the silence cases; nothing else here takes that long
    dav::FixedPassword password("geheim");
    dav::DavClient client({server.base().toString(), "anna", false}, password, pins, limits);
    dav::PublishOptions options;
    options.targets = {{server.calendar(), QString::fromStdString(target), "Familie"}};
    options.dataFolder = QString::fromStdString(dataFolder);
    return dav::RunCalendarPublish(client, options);
}

class CalendarFaults : public DavTest, public ::testing::WithParamInterface<CalendarFault> {
protected:
    void SetUp() override {
        DavTest::SetUp();
        server.events["fremd.ics"] = kOthersEvent;
        for (int i = 0; i < 8; ++i) entries.push_back({"Kind", "Nummer" + std::to_string(i), "0" + std::to_string(i + 1) + ".05.2001",
                                                       "Geburtstag", 7, 1});
    }
    void Write() { WriteAppointmentFileBytes(target, AppointmentFileBytes(entries, "10.06.2024")); }

    dav::PublishResult Run() { return PublishToFake(server, pins, target, dir.path()); }

    // UID → fingerprint of every event on the server but the foreign one,
    // which must be there as it was.
    std::map<std::string, std::string> OnServer() {
        std::map<std::string, std::string> out;
        EXPECT_EQ(server.events.value("fremd.ics"), kOthersEvent);
        for (auto it = server.events.cbegin(); it != server.events.cend(); ++it) {
            if (it.key() == "fremd.ics") continue;
            const std::string text = it.value().toStdString();
            EXPECT_FALSE(out.count(EventUidOf(text))) << "twice: " << EventUidOf(text);
            out[EventUidOf(text)] = EventFingerprint(text);
        }
        return out;
    }
    std::map<std::string, std::string> Wanted() {
        std::map<std::string, std::string> out;
        if (LoadAppointmentFile(target, "Alles") != LoadResult::Loaded) return {{"(nicht ladbar)", ""}};
        for (const WantedEvent& w : WantedEvents(EntryTable, EntryCount)) out[w.uid] = w.fingerprint;
        return out;
    }

    FakeServer server;
    std::vector<EntrySpec> entries;
};

TEST_P(CalendarFaults, AreNamedPutNothingTwiceAndTheNextRunBringsTheCalendarInStep) {
    const CalendarFault& c = GetParam();
    Write();
    ASSERT_TRUE(Run().ok);
    ASSERT_EQ(OnServer(), Wanted());
    // Changed, added and deleted entries: every kind of write.
    entries[1].termin = "11.11.2011";
    entries[5].warnung2 = 0;
    entries.push_back({"Neu", "Eins", "03.03.2003", "Geburtstag", 2, 0});
    entries.push_back({"Neu", "Zwei", "04.04.2004", "Geburtstag", 0, 0});
    entries.erase(entries.begin() + 3);
    Write();

    int seen = 0;
    bool struck = false;
    server.fault = [&](const FakeRequest& r) -> std::optional<Fault> {
        if (struck || r.method != c.method || ++seen != c.nth) return std::nullopt;
        struck = true;
        return c.fault;
    };
    const std::string stateBefore = StateBytes();
    const dav::PublishResult failed = Run();
    EXPECT_TRUE(struck);
    EXPECT_FALSE(failed.ok);
    EXPECT_NE(failed.summary.indexOf(QString::fromUtf8(c.message)), -1) << failed.summary.toStdString();
    EXPECT_EQ(failed.failures.size(), c.calendarFails ? 1 : 0) << failed.summary.toStdString();
    if (!failed.reports.empty()) {
        EXPECT_EQ(failed.reports[0].refused.size(), static_cast<std::size_t>(c.refused));
    }
    if (c.method == "PROPFIND") {
        EXPECT_EQ(StateBytes(), stateBefore) << "nothing sent, nothing recorded";
    }
    OnServer();  // no event twice, the foreign one untouched

    server.fault = nullptr;
    const dav::PublishResult next = Run();
    EXPECT_TRUE(next.ok) << next.summary.toStdString();
    EXPECT_EQ(OnServer(), Wanted());
    const dav::PublishResult quiet = Run();
    EXPECT_TRUE(quiet.ok);
    EXPECT_EQ(quiet.requests, 1) << quiet.summary.toStdString();
}

INSTANTIATE_TEST_SUITE_P(FakeServer, CalendarFaults, ::testing::ValuesIn(kCalendarFaults),
                         [](const auto& info) { return std::string(info.param.name); });

// A first publish of many entries as one whole calendar: a full server, an
// answer lost after the server stored it all, and a listing that is not
// answered. Named in German; nothing goes one event at a time in their wake
// (that takes such a server hours); the next run ends with each event once.
struct WholeFault {
    const char* name;
    QByteArray method;  // the first request with this method on the calendar fails
    Fault fault;
    const char* message;
};
void PrintTo(const WholeFault& c, std::ostream* os) { *os << c.name; }

class WholeUploadFaults : public DavTest, public ::testing::WithParamInterface<WholeFault> {};

TEST_P(WholeUploadFaults, AreNamedAndTheNextRunEndsWithEachEventOnce) {
    const WholeFault& c = GetParam();
    FakeServer server;
    server.takesWholeCalendars = true;
    std::vector<EntrySpec> entries;
    for (int i = 0; i < 40; ++i) entries.push_back({"Kind", "Nummer" + std::to_string(i), "01.05.2001", "Geburtstag", 7, 0});
    WriteAppointmentFileBytes(target, AppointmentFileBytes(entries, "10.06.2024"));
    const auto run = [&] { return PublishToFake(server, pins, target, dir.path()); };
    bool struck = false;
    server.fault = [&](const FakeRequest& r) -> std::optional<Fault> {
        if (struck || r.method != c.method) return std::nullopt;
        struck = true;
        return c.fault;
    };
    const dav::PublishResult failed = run();
    EXPECT_TRUE(struck);
    EXPECT_FALSE(failed.ok);
    EXPECT_NE(failed.summary.indexOf(QString::fromUtf8(c.message)), -1) << failed.summary.toStdString();
    EXPECT_LE(failed.requests, 4) << "no event sent on its own";

    server.fault = nullptr;
    const dav::PublishResult next = run();
    EXPECT_TRUE(next.ok) << next.summary.toStdString();
    EXPECT_LE(next.requests, 5) << next.summary.toStdString();
    EXPECT_EQ(server.events.size(), entries.size());
    for (auto it = server.events.cbegin(); it != server.events.cend(); ++it)
        EXPECT_EQ(it.key(), QByteArray::fromStdString(EventUidOf(it.value().toStdString())) + ".ics");
    const dav::PublishResult quiet = run();
    EXPECT_TRUE(quiet.ok);
    EXPECT_EQ(quiet.requests, 1) << quiet.summary.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    FakeServer, WholeUploadFaults,
    ::testing::Values(WholeFault{"Quota", "PUT", {507, kQuota}, "kein Platz mehr (507, Speicherplatz erschöpft)"},
                      WholeFault{"AnswerLost", "PUT", {.hangUp = true, .applied = true}, "Verbindung mitten in der Antwort"},
                      WholeFault{"ListingUnanswered", "REPORT", {.silent = true}, "Sekunden lang nicht geantwortet; abgebrochen"}),
    [](const auto& info) { return std::string(info.param.name); });

// A state file that is not whole sends nothing: without it the program
// could not tell its events from others'.
TEST_F(DavTest, ADamagedStateSendsNothing) {
    FakeServer server;
    WriteAppointmentFileBytes(target, AppointmentFileBytes({{"Anna", "Berg", "01.02.1980"}}, "10.06.2024"));
    const std::string statePath = SyncStatePath(dir.path(), target);
    std::filesystem::create_directories(std::filesystem::path(statePath).parent_path());
    // Cut short: no "ende".
    ASSERT_TRUE(WriteFileAtomically(statePath, "Termifolio98-Abgleich\t1\nkalender\thttp://x/\n"));
    dav::FixedPassword password("geheim");
    dav::DavClient client({server.base().toString(), "anna", false}, password, pins);
    dav::PublishOptions options;
    options.targets = {{server.calendar(), QString::fromStdString(target), "Familie"}};
    options.dataFolder = QString::fromStdString(dir.path());
    const dav::PublishResult r = dav::RunCalendarPublish(client, options);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.summary.indexOf(QStringLiteral("ist nicht lesbar")), -1) << r.summary.toStdString();
    EXPECT_EQ(server.requests, 0);
    EXPECT_TRUE(server.events.isEmpty());
}

}  // namespace
}  // namespace tmf::test
