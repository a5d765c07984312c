// The decisions of publishing, without a network: what a run sends given the
// file and the last run's record, and how the program knows its own events.
#include <gtest/gtest.h>

#include "CalendarPublish.h"
#include "SyncState.h"

namespace tmf {
namespace {

const std::string kEvent =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Termifolio98//Termifolio98 2.27//DE\r\nBEGIN:VEVENT\r\n"
    "UID:abc@termifolio98\r\nDTSTAMP:20261207T000000Z\r\nDTSTART;VALUE=DATE:19800201\r\nRRULE:FREQ=YEARLY\r\n"
    "SUMMARY:Anna Berg: Geburtstag\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:-P7D\r\nEND:VALARM\r\n"
    "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:-P1D\r\nEND:VALARM\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";

const std::string kSeven = "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:-P7D\r\nEND:VALARM\r\n";
const std::string kOne = "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:-P1D\r\nEND:VALARM\r\n";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    text.replace(text.find(from), from.size(), to);
    return text;
}

TEST(EventFingerprint, IsTheSameForWhatAServerMakesOfTheSameEventAndChangesWithItsContent) {
    struct Case {
        const char* name;
        std::string text;
        bool same;
    };
    const std::vector<Case> cases = {
        {"another stamp", Replaced(kEvent, "DTSTAMP:20261207T000000Z", "DTSTAMP:20300101T101010Z"), true},
        {"properties reordered", Replaced(Replaced(kEvent, "RRULE:FREQ=YEARLY\r\n", ""), "SUMMARY:", "RRULE:FREQ=YEARLY\r\nSUMMARY:"), true},
        {"alarms reordered", Replaced(kEvent, kSeven + kOne, kOne + kSeven), true},
        {"folded and LF", Replaced(Replaced(kEvent, "SUMMARY:Anna Berg", "SUMMARY:Anna\r\n  Berg"), "\r\nEND:VCALENDAR", "\nEND:VCALENDAR"), true},
        {"another calendar wrapper", Replaced(kEvent, "PRODID:-//Termifolio98//Termifolio98 2.27//DE", "PRODID:-//Server//DE"), true},
        {"summary changed", Replaced(kEvent, "Anna Berg", "Annas Fest"), false},
        {"alarm changed", Replaced(kEvent, "TRIGGER:-P7D", "TRIGGER:-P8D"), false},
        {"alarm removed", Replaced(kEvent, kOne, ""), false},
        {"a property moved into the alarm", Replaced(Replaced(kEvent, "RRULE:FREQ=YEARLY\r\n", ""), "ACTION:DISPLAY\r\nTRIGGER:-P7D",
                                                      "ACTION:DISPLAY\r\nRRULE:FREQ=YEARLY\r\nTRIGGER:-P7D"), false},
    };
    const std::string base = EventFingerprint(kEvent);
    ASSERT_EQ(base.size(), 16u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(EventFingerprint(c.text) == base, c.same);
    }
    EXPECT_EQ(EventFingerprint("BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n"), "");
    EXPECT_EQ(EventUidOf(kEvent), "abc@termifolio98");
    EXPECT_EQ(EventSummaryOf(Replaced(kEvent, "Anna Berg", "Anna\\, Berg")), "Anna, Berg: Geburtstag");
}

TEST(EventHref, IsMadeFromTheUidSoThatARunFindsItsResourceAgain) {
    EXPECT_EQ(EventHref("/anna/kal/", "0123456789abcdef-2@termifolio98"), "/anna/kal/termifolio98-0123456789abcdef-2.ics");
    EXPECT_EQ(EventHref("/anna/kal", "0123456789abcdef@termifolio98"), "/anna/kal/termifolio98-0123456789abcdef.ics");
    EXPECT_EQ(EventHref("/k/", "a/b@x"), "/k/termifolio98-ab.ics") << "nothing that leaves the collection";
}

PublishedEvent Known(const char* etag, const char* fp, const char* intent = "", bool gone = false) {
    return {std::string("/k/") + fp + ".ics", etag, fp, intent, gone};
}

TEST(PlanPublish, SendsOnlyWhatChangedAndRecordsTheIntentBeforehand) {
    PublishedCalendar last;
    last.events["same"] = Known("\"e1\"", "f1");
    last.events["changed"] = Known("\"e2\"", "f2");
    last.events["deleted"] = Known("\"e3\"", "f3");
    last.events["unheard"] = Known("", "f4", "f4new");           // a write that ended unheard
    last.events["keptGone"] = Known("", "f5", "", true);         // deleted elsewhere, kept so
    last.events["goneAndDropped"] = Known("", "f6", "", true);  // ... and now gone from the file
    last.events["deleteUnheard"] = Known("", "f7", "-");         // a deletion that ended unheard
    const std::vector<WantedEvent> wanted = {
        {"same", "f1", 1, "A"}, {"changed", "f2new", 2, "B"}, {"new", "f9", 3, "C"},
        {"unheard", "f4new", 4, "D"}, {"keptGone", "f5", 5, "E"},
    };
    const PublishPlan plan = PlanPublish(wanted, last, "/k/");
    struct Step {
        PublishAction action;
        std::string uid, ifMatch;
    };
    const std::vector<Step> expected = {
        {PublishAction::Update, "changed", "\"e2\""}, {PublishAction::Create, "new", ""}, {PublishAction::Create, "unheard", ""},
        {PublishAction::Delete, "deleteUnheard", ""}, {PublishAction::Delete, "deleted", "\"e3\""},
    };
    ASSERT_EQ(plan.steps.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].uid);
        EXPECT_EQ(plan.steps[i].action, expected[i].action);
        EXPECT_EQ(plan.steps[i].uid, expected[i].uid);
        EXPECT_EQ(plan.steps[i].ifMatch, expected[i].ifMatch);
    }
    EXPECT_EQ(plan.steps[1].href, EventHref("/k/", "new"));
    EXPECT_EQ(plan.unchanged, 2);
    EXPECT_EQ(plan.forgotten, std::vector<std::string>{"goneAndDropped"});
    // Written before the first request: every step's intent.
    EXPECT_EQ(plan.withIntents.events.at("changed").intent, "f2new");
    EXPECT_EQ(plan.withIntents.events.at("changed").etag, "\"e2\"");
    EXPECT_EQ(plan.withIntents.events.at("new").intent, "f9");
    EXPECT_EQ(plan.withIntents.events.at("new").etag, "");
    EXPECT_EQ(plan.withIntents.events.at("deleted").intent, PublishedEvent::kDeleting);
    EXPECT_EQ(plan.withIntents.events.at("same"), last.events.at("same"));
    EXPECT_FALSE(plan.withIntents.events.count("goneAndDropped"));
}

// Two runs killed in a row: the version the first one was writing may be on
// the server still, whatever the second one means to write or delete.
TEST(PlanPublish, AWriteThatEndedUnheardStaysOursThroughTheNextIntent) {
    PublishedCalendar last;
    last.events["changedAgain"] = Known("", "", "v1");
    last.events["deletedSince"] = Known("", "", "v1");
    last.events["heardThenUnheard"] = Known("\"e\"", "v0", "v1");
    const PublishPlan plan = PlanPublish({{"changedAgain", "v2", 1, "A"}, {"heardThenUnheard", "v2", 2, "B"}}, last, "/k/");
    for (const char* uid : {"changedAgain", "deletedSince", "heardThenUnheard"}) {
        SCOPED_TRACE(uid);
        const PublishedEvent& e = plan.withIntents.events.at(uid);
        const std::string wanted = e.intent == PublishedEvent::kDeleting ? "" : "v2";
        EXPECT_TRUE(IsOurOwnVersion(e, wanted, "v1")) << "the version the killed run was writing";
        EXPECT_TRUE(IsOurOwnVersion(e, wanted, "v2") || e.intent == PublishedEvent::kDeleting);
    }
    EXPECT_EQ(plan.withIntents.events.at("heardThenUnheard").etag, "\"e\"") << "names the version heard before";
}

TEST(IsOurOwnVersion, OnlyWhatThisProgramWroteOrWasWriting) {
    const PublishedEvent known = Known("\"e\"", "written", "writing");
    for (const auto& [server, ours] : std::vector<std::pair<std::string, bool>>{
             {"written", true}, {"writing", true}, {"wanted", true}, {"someoneElse", false}, {"", false}})
        EXPECT_EQ(IsOurOwnVersion(known, "wanted", server), ours) << server;
}

TEST(SyncStateFormat, KeepsThePublishedCalendarsBesideTheContacts) {
    SyncStateFile state;
    state.target = "/daten/Geburtstage.tmf";
    state.current.rulesVersion = 1;
    state.current.books["https://s/b/"].contacts["/b/a.vcf"] = {"\"x\"", "u", false, {}};
    state.calendars["https://s/kal/"].events["uid-1@termifolio98"] = {"/kal/a.ics", "\"e\\t1\"", "f1", "", false};
    state.calendars["https://s/kal/"].events["uid-2@termifolio98"] = {"/kal/b.ics", "", "f2", "f3", false};
    state.calendars["https://s/zwei/"].events["uid-3@termifolio98"] = {"/zwei/c.ics", "", "f4", "", true};
    const std::string text = FormatSyncState(state);
    EXPECT_EQ(ParseSyncState(text), state);
    EXPECT_EQ(ParseSyncState(Replaced(text, "\tf4\t\t1\n", "\tf4\t\t2\n")), std::nullopt);
    EXPECT_EQ(ParseSyncState(Replaced(text, "kalender\thttps://s/kal/\n", "")), std::nullopt) << "an event outside a calendar";
}

}  // namespace
}  // namespace tmf
