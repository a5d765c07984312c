// Publishing to real servers from Debian's packages: what another client
// (python3-caldav) reads back after each run, what a second run sends, and
// that events of others are never touched.
#include <QEventLoop>
#include <QProcess>
#include <map>
#include <memory>

#include "CalendarCreate.h"
#include "CalendarPublishRun.h"
#include "CalendarReader.h"
#include "DavFixture.h"
#include "DavServers.h"
#include "ICalendar.h"

namespace tmf::test {
namespace {

int calendarNumber = 0;

// An event another client put there; it must come through every run as it is.
const QByteArray kForeignEvent =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Anderes Programm//DE\r\nBEGIN:VEVENT\r\nUID:fremd-1@example.org\r\n"
    "DTSTAMP:20240101T120000Z\r\nDTSTART;VALUE=DATE:20240704\r\nSUMMARY:Zahnarzt\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
const char* const kForeignEventLine = "fremd-1@example.org\tZahnarzt\t-\t-\t";

// One line of what the reader prints for an entry's event.
std::string EventLine(const EntrySpec& e, int occurrence, const char* in2027, const char* in2028, const char* triggers) {
    return EntryUid(e.vorname, e.nachname, e.terminart, occurrence) + "\t" + e.vorname + " " + e.nachname + ": " +
           e.terminart + "\t" + in2027 + "\t" + in2028 + "\t" + triggers;
}

struct Published {
    EntrySpec entry;
    int occurrence;
    const char* in2027;
    const char* in2028;
    const char* triggers;
};

// Each kind of entry the export knows, and what a calendar must show of it.
const std::vector<Published> kEntries = {
    {{"Anna", "Berg", "01.02.1980", "Geburtstag", 7, 1}, 0, "0201", "0201", "7d,1d"},
    // The program takes no 29 February: loaded, it is its fallback day.
    {{"Lea", "Schalt", "29.02.2000", "Geburtstag", 3, 0}, 0, "0101", "0101", "3d"},
    {{"Otto", "Ohnejahr", "15.03.0101", "Geburtstag", 0, 0}, 0, "0315", "0315", ""},
    {{"Jörg", "Müller, Sohn; Erbe", "24.12.1950", "Jahrestag", 14, 14}, 0, "1224", "1224", "14d"},
    {{"Kim", "Doppel", "05.05.1990", "Geburtstag", 2, 0}, 0, "0505", "0505", "2d"},
    {{"Kim", "Doppel", "06.06.1991", "Geburtstag", 0, 5}, 1, "0606", "0606", "5d"},
};

class CalendarPublish : public DavTest, public ::testing::WithParamInterface<std::string> {
protected:
    void SetUp() override {
        DavTest::SetUp();
        QString why;
        server = SharedServer(GetParam(), &why);
        ASSERT_NE(server, nullptr) << GetParam() << ": " << why.toStdString();
        calendar = server->makeCalendar(QStringLiteral("kal%1").arg(++calendarNumber), QStringLiteral("Geburtstage"));
    }

    void WriteEntries(const std::vector<EntrySpec>& entries, const std::string& file = {}) {
        WriteAppointmentFileBytes(file.empty() ? target : file, AppointmentFileBytes(entries, "10.06.2024"));
    }

    dav::PublishResult Publish(const QList<dav::CalendarTarget>& targets, dav::ConflictDecision decide = {}) {
        dav::FixedPassword passwords(server->password());
        dav::DavClient client({server->base().toString(), server->user(), false}, passwords, pins);
        dav::PublishOptions options;
        options.targets = targets;
        options.dataFolder = QString::fromStdString(dir.path());
        return dav::RunCalendarPublish(client, options, std::move(decide));
    }
    dav::PublishResult Publish(dav::ConflictDecision decide = {}) {
        return Publish({{calendar, QString::fromStdString(target), "Geburtstage"}}, std::move(decide));
    }

    std::vector<std::string> ReadBack(const QUrl& url) { return ReadCalendar(url, server->user(), server->password()); }
    std::vector<std::string> ReadBack() { return ReadBack(calendar); }

    static std::vector<std::string> Sorted(std::vector<std::string> v) {
        std::sort(v.begin(), v.end());
        return v;
    }

    DavServer* server = nullptr;
    QUrl calendar;
};

std::string WhyNot(const dav::PublishResult& r) { return r.summary.toStdString(); }

bool HasPart(const std::vector<std::string>& lines, const std::string& part) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(part) != std::string::npos; });
}

TEST_P(CalendarPublish, EachEntryIsReadBackOnceOnItsDayWithItsAlarmsAndOnlyChangesAreSentLater) {
    ASSERT_EQ(Http("PUT", calendar.resolved(QUrl("fremd.ics")), kForeignEvent, {{"Content-Type", "text/calendar"}},
                   server->user(), server->password()).status, 201);
    std::vector<EntrySpec> entries;
    std::vector<std::string> expected = {kForeignEventLine};
    for (const Published& p : kEntries) {
        entries.push_back(p.entry);
        expected.push_back(EventLine(p.entry, p.occurrence, p.in2027, p.in2028, p.triggers));
    }
    WriteEntries(entries);
    const dav::PublishResult first = Publish();
    ASSERT_TRUE(first.ok) << WhyNot(first);
    ASSERT_EQ(first.reports.size(), 1u);
    EXPECT_EQ(first.reports[0].created.size(), kEntries.size());
    EXPECT_EQ(ReadBack(), Sorted(expected));

    // Nothing changed: the calendar is looked at once, nothing is written.
    const std::string state = StateBytes();
    const dav::PublishResult quiet = Publish();
    ASSERT_TRUE(quiet.ok) << WhyNot(quiet);
    EXPECT_LE(quiet.requests, 2);
    EXPECT_EQ(quiet.reports[0].unchanged, static_cast<int>(kEntries.size()));
    EXPECT_EQ(StateBytes(), state);

    // One entry changed: its event alone goes out.
    entries[0].termin = "02.02.1980";
    entries[0].warnung2 = 0;
    WriteEntries(entries);
    const dav::PublishResult one = Publish();
    ASSERT_TRUE(one.ok) << WhyNot(one);
    EXPECT_LE(one.requests, 3);
    EXPECT_EQ(one.reports[0].updated, std::vector<std::string>{"Anna Berg: Geburtstag"});

    // Changed, added and deleted, then read again.
    entries[1].warnung2 = 10;                               // Lea: a second lead
    entries.push_back({"Neu", "Hinzu", "30.06.1999", "Geburtstag", 1, 0});  // added
    entries.erase(entries.begin() + 2);                     // Otto deleted
    entries[2].nachname = "Müller-Neu";                     // Jörg renamed: another UID
    WriteEntries(entries);
    const dav::PublishResult changed = Publish();
    ASSERT_TRUE(changed.ok) << WhyNot(changed);
    EXPECT_EQ(changed.reports[0].created.size(), 2u) << "the new entry and the renamed one";
    EXPECT_EQ(changed.reports[0].updated.size(), 1u);
    EXPECT_EQ(changed.reports[0].deleted.size(), 2u) << "Otto and the renamed one's old event";
    const std::vector<std::string> after = {
        kForeignEventLine,
        EventLine(entries[0], 0, "0202", "0202", "7d"),
        EventLine(entries[1], 0, "0101", "0101", "10d,3d"),
        EventLine(entries[2], 0, "1224", "1224", "14d"),
        EventLine(entries[3], 0, "0505", "0505", "2d"),
        EventLine(entries[4], 1, "0606", "0606", "5d"),
        EventLine(entries[5], 0, "0630", "0630", "1d"),
    };
    EXPECT_EQ(ReadBack(), Sorted(after));
    EXPECT_LE(Publish().requests, 2);
}

TEST_P(CalendarPublish, TwoFilesGoIntoTwoCalendars) {
    const QUrl work = server->makeCalendar(QStringLiteral("kal%1").arg(++calendarNumber), QStringLiteral("Arbeit"));
    const std::string other = dir.file("Arbeit.tmf");
    const EntrySpec anna{"Anna", "Berg", "01.02.1980", "Geburtstag", 7, 0};
    const EntrySpec bert{"Bert", "Kurz", "15.03.1975", "Jubiläum", 0, 2};
    WriteEntries({anna});
    WriteEntries({bert}, other);
    const dav::PublishResult r = Publish({{calendar, QString::fromStdString(target), "Geburtstage"},
                                          {work, QString::fromStdString(other), "Arbeit"}});
    ASSERT_TRUE(r.ok) << WhyNot(r);
    EXPECT_EQ(ReadBack(calendar), std::vector<std::string>{EventLine(anna, 0, "0201", "0201", "7d")});
    EXPECT_EQ(ReadBack(work), std::vector<std::string>{EventLine(bert, 0, "0315", "0315", "2d")});
    EXPECT_NE(r.summary.indexOf(QStringLiteral("Termine aus Arbeit.tmf im Kalender „Arbeit“:\n1 Termin neu")), -1)
        << WhyNot(r);
}

TEST_P(CalendarPublish, AnEventChangedOrDeletedElsewhereIsNotOverwrittenUnlessTheUserSaysSo) {
    std::vector<EntrySpec> entries = {{"Anna", "Berg", "01.02.1980", "Geburtstag", 7, 0},
                                      {"Bert", "Kurz", "15.03.1975", "Geburtstag", 7, 0},
                                      {"Cora", "Lang", "24.12.1990", "Geburtstag", 7, 0}};
    WriteEntries(entries);
    ASSERT_TRUE(Publish().ok);
    // On the phone: Anna's event edited, Bert's deleted.
    const QUrl annaUrl = calendar.resolved(QUrl(QString::fromStdString(
        EventHref("", EntryUid("Anna", "Berg", "Geburtstag", 0)).substr(1))));
    const QUrl bertUrl = calendar.resolved(QUrl(QString::fromStdString(
        EventHref("", EntryUid("Bert", "Kurz", "Geburtstag", 0)).substr(1))));
    HttpAnswer anna = Http("GET", annaUrl, {}, {}, server->user(), server->password());
    ASSERT_EQ(anna.status, 200);
    anna.body.replace("SUMMARY:Anna Berg: Geburtstag", "SUMMARY:Annas Fest");
    const int edited = Http("PUT", annaUrl, anna.body, {{"Content-Type", "text/calendar"}}, server->user(),
                            server->password()).status;
    ASSERT_TRUE(edited == 201 || edited == 204) << edited;
    ASSERT_LT(Http("DELETE", bertUrl, {}, {}, server->user(), server->password()).status, 300);
    for (EntrySpec& e : entries) e.warnung1 = 3;
    WriteEntries(entries);

    // The terminal's way: nothing decided, nothing overwritten, named.
    const dav::PublishResult open = Publish();
    EXPECT_FALSE(open.ok);
    EXPECT_EQ(open.openConflicts, 2);
    EXPECT_NE(open.summary.indexOf(QStringLiteral("Anna Berg: Geburtstag (anderswo geändert)")), -1) << WhyNot(open);
    EXPECT_NE(open.summary.indexOf(QStringLiteral("Bert Kurz: Geburtstag (anderswo gelöscht)")), -1) << WhyNot(open);
    std::vector<std::string> read = ReadBack();
    EXPECT_EQ(read.size(), 2u);
    EXPECT_TRUE(HasPart(read, "Annas Fest"));
    EXPECT_FALSE(HasPart(read, "Bert Kurz"));
    EXPECT_EQ(open.reports[0].updated, std::vector<std::string>{"Cora Lang: Geburtstag"});

    // The window's way: asked once each; Anna's kept as the server has it,
    // Bert's written again.
    std::vector<std::string> asked;
    const dav::PublishResult decided = Publish([&](const dav::PublishConflict& c) {
        asked.push_back(c.summary.toStdString() + (c.deletedOnServer ? " gelöscht" : " geändert"));
        return c.deletedOnServer ? dav::ConflictChoice::Overwrite : dav::ConflictChoice::KeepServers;
    });
    ASSERT_TRUE(decided.ok) << WhyNot(decided);
    EXPECT_EQ(Sorted(asked), (std::vector<std::string>{"Anna Berg: Geburtstag geändert", "Bert Kurz: Geburtstag gelöscht"}));
    read = ReadBack();
    EXPECT_EQ(read.size(), 3u);
    EXPECT_TRUE(HasPart(read, "Annas Fest"));
    EXPECT_TRUE(HasPart(read, "Bert Kurz: Geburtstag\t0315\t0315\t3d"));
    // Decided: the next run leaves both alone.
    const dav::PublishResult after = Publish();
    EXPECT_TRUE(after.ok) << WhyNot(after);
    EXPECT_LE(after.requests, 2);
}

TEST_P(CalendarPublish, NeuerKalenderMakesAFreshCalendarForEventsAndNeverTakesOneOver) {
    dav::FixedPassword passwords(server->password());
    dav::DavClient client({server->base().toString(), server->user(), false}, passwords, pins);
    std::vector<QUrl> made;
    for (int i = 0; i < 2; ++i) {
        QEventLoop loop;
        dav::MakeCalendar(client, server->calendarHome(), "Termifolio98", [&](const dav::DavCollection& c, const dav::DavError& e) {
            EXPECT_FALSE(e) << e.message.toStdString();
            EXPECT_TRUE(c.calendar);
            EXPECT_TRUE(c.takesEvents);
            EXPECT_EQ(c.displayName, "Termifolio98");
            made.push_back(c.url);
            loop.quit();
        });
        loop.exec();
    }
    ASSERT_EQ(made.size(), 2u);
    EXPECT_NE(made[0], made[1]);
    WriteEntries({{"Anna", "Berg", "01.02.1980", "Geburtstag", 7, 0}});
    calendar = made[1];
    ASSERT_TRUE(Publish().ok);
    EXPECT_EQ(ReadBack().size(), 1u);
}

// Many new events into an empty calendar go in as one whole calendar where
// the server takes that (Radicale), else one by one (Xandikos); a calendar
// with someone else's event or a colour of its own is never replaced.
TEST_P(CalendarPublish, AFirstPublishOfManyEventsKeepsTheCalendarsNameAndAnythingElseItHeld) {
    enum class Held { Nothing, ForeignEvent, Colour };
    for (const Held held : {Held::Nothing, Held::ForeignEvent, Held::Colour}) {
        const bool foreign = held == Held::ForeignEvent;
        SCOPED_TRACE(static_cast<int>(held));
        calendar = server->makeCalendar(QStringLiteral("kal%1").arg(++calendarNumber), QStringLiteral("Geburtstage"));
        if (foreign) {
            ASSERT_EQ(Http("PUT", calendar.resolved(QUrl("fremd.ics")), kForeignEvent, {{"Content-Type", "text/calendar"}},
                           server->user(), server->password()).status, 201);
        }
        if (held == Held::Colour) {
            ASSERT_EQ(Http("PROPPATCH", calendar,
                           "<?xml version=\"1.0\"?><d:propertyupdate xmlns:d=\"DAV:\" xmlns:i=\"http://apple.com/ns/ical/\">"
                           "<d:set><d:prop><i:calendar-color>#FF8800</i:calendar-color></d:prop></d:set></d:propertyupdate>",
                           {{"Content-Type", "application/xml"}}, server->user(), server->password()).status, 207);
        }
        std::vector<EntrySpec> entries;
        for (int i = 0; i < 40; ++i)
            entries.push_back({"Gast", "Nummer" + std::to_string(i), "0" + std::to_string(1 + i % 9) + ".03.1970",
                               "Geburtstag", 1 + i % 5, 0});
        WriteEntries(entries);
        const dav::PublishResult first = Publish();
        ASSERT_TRUE(first.ok) << WhyNot(first);
        EXPECT_EQ(first.reports[0].created.size(), entries.size());
        if (GetParam() == "Radicale" && held == Held::Nothing) {
            EXPECT_LE(first.requests, 4);
        }
        std::vector<std::string> read = ReadBack();
        EXPECT_EQ(read.size(), entries.size() + (foreign ? 1 : 0));
        EXPECT_EQ(HasPart(read, kForeignEventLine), foreign);
        EXPECT_TRUE(HasPart(read, EventLine(entries[39], 0, "0304", "0304", "5d")));
        const HttpAnswer props = Http("PROPFIND", calendar, {}, {{"Depth", "0"}}, server->user(), server->password());
        EXPECT_NE(props.body.indexOf("Geburtstage</"), -1) << props.body.toStdString();
        if (held == Held::Colour) {
            EXPECT_NE(props.body.indexOf("#FF8800"), -1) << props.body.toStdString();
        }

        entries[39].warnung1 = 9;
        WriteEntries(entries);
        const dav::PublishResult one = Publish();
        ASSERT_TRUE(one.ok) << WhyNot(one);
        EXPECT_LE(one.requests, 3);
        EXPECT_EQ(one.reports[0].updated, std::vector<std::string>{"Gast Nummer39: Geburtstag"});
        EXPECT_TRUE(HasPart(ReadBack(), EventLine(entries[39], 0, "0304", "0304", "9d")));
    }
}

INSTANTIATE_TEST_SUITE_P(RealServers, CalendarPublish, ::testing::Values("Radicale", "Xandikos"),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace tmf::test
