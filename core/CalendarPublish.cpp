#include "CalendarPublish.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>

#include "FileIo.h"
#include "ICalendar.h"
#include "SyncText.h"

namespace tmf {
namespace {

// Content lines with folding undone and line ends of either kind.
std::vector<std::string> UnfoldedLines(std::string_view text) {
    std::vector<std::string> lines;
    std::string current;
    bool have = false;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t end = text.find('\n', i);
        std::string_view line = text.substr(i, end == std::string_view::npos ? std::string_view::npos : end - i);
        i = end == std::string_view::npos ? text.size() : end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty() && (line.front() == ' ' || line.front() == '\t') && have) {
            current.append(line.substr(1));
            continue;
        }
        if (have) lines.push_back(std::move(current));
        current.assign(line);
        have = true;
    }
    if (have) lines.push_back(std::move(current));
    return lines;
}

std::string PropertyName(const std::string& line) {
    const std::size_t end = line.find_first_of(";:");
    std::string name = line.substr(0, end);
    for (char& c : name)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return name;
}

std::string PropertyValue(const std::string& line) {
    const std::size_t colon = line.find(':');
    std::string value = colon == std::string::npos ? std::string() : line.substr(colon + 1);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.pop_back();
    std::string upper = value;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

struct EventComponent {
    std::string name;
    std::vector<std::string> lines;
    std::vector<std::string> children;  // canonical texts
};

std::string CanonicalText(EventComponent& c) {
    std::sort(c.lines.begin(), c.lines.end());
    std::sort(c.children.begin(), c.children.end());
    std::string out = "BEGIN:" + c.name + "\n";
    for (const std::string& l : c.lines) out += l + "\n";
    for (const std::string& k : c.children) out += k;
    return out + "END:" + c.name + "\n";
}

std::string TrimmedBlanks(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    std::size_t k = 0;
    while (k < s.size() && s[k] == ' ') ++k;
    return s.substr(k);
}

// The answers come in the order the server gives them.
std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

std::string EventFingerprint(std::string_view icalendar) {
    std::vector<EventComponent> stack;
    std::vector<std::string> events;
    for (std::string& line : UnfoldedLines(icalendar)) {
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
        if (line.empty()) continue;
        const std::string name = PropertyName(line);
        if (name == "BEGIN") {
            stack.push_back({PropertyValue(line), {}, {}});
        } else if (name == "END") {
            if (stack.empty()) continue;
            EventComponent done = std::move(stack.back());
            stack.pop_back();
            if (done.name != PropertyValue(line)) return {};  // not nested as it says
            if (done.name == "VEVENT") events.push_back(CanonicalText(done));
            else if (!stack.empty()) stack.back().children.push_back(CanonicalText(done));
        } else if (!stack.empty() && name != "DTSTAMP" && stack.back().name != "VCALENDAR") {
            stack.back().lines.push_back(line);
        }
    }
    if (events.empty()) return {};
    std::sort(events.begin(), events.end());
    std::string all;
    for (const std::string& e : events) all += e;
    return HashHex(all);
}

namespace {

// The raw value of a property of the first VEVENT (not of its alarms).
std::string EventProperty(std::string_view icalendar, const char* property) {
    int depth = 0;  // 1 inside the VEVENT, 2 inside one of its components
    for (const std::string& line : UnfoldedLines(icalendar)) {
        const std::string name = PropertyName(line);
        if (name == "BEGIN") {
            if (depth > 0 || PropertyValue(line) == "VEVENT") ++depth;
        } else if (name == "END") {
            if (depth == 1) return {};
            if (depth > 1) --depth;
        } else if (depth == 1 && name == property) {
            std::string value = line.substr(line.find(':') + 1);
            while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.pop_back();
            return value;
        }
    }
    return {};
}

}  // namespace

std::string EventUidOf(std::string_view icalendar) { return EventProperty(icalendar, "UID"); }

std::string EventSummaryOf(std::string_view icalendar) {
    const std::string raw = EventProperty(icalendar, "SUMMARY");
    std::string out;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 1 < raw.size()) {
            ++i;
            out += raw[i] == 'n' || raw[i] == 'N' ? ' ' : raw[i];
        } else {
            out += raw[i];
        }
    }
    return out;
}

std::string EventHref(const std::string& collectionPath, const std::string& uid) {
    std::string name;
    for (char c : uid.substr(0, uid.find('@')))
        if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-') name += c;
    if (name.empty()) name = HashHex(uid);
    std::string path = collectionPath;
    if (path.empty() || path.back() != '/') path += '/';
    return path + "termifolio98-" + name + ".ics";
}

std::vector<WantedEvent> WantedEvents(const EntryTableType& table, int entryCount) {
    std::vector<WantedEvent> out;
    for (EntryEvent& e : EntryEvents(table, entryCount)) {
        // A fixed stamp: the fingerprint must not change from day to day.
        const std::string text = WriteEventResource(table, e.row, e.uid, std::chrono::sys_days{});
        const std::string summary = TrimmedBlanks(table(Vorname, e.row).asText() + " " + table(Nachname, e.row).asText()) +
                                    ": " + table(Terminart, e.row).asText();
        out.push_back({std::move(e.uid), EventFingerprint(text), e.row, summary});
    }
    return out;
}

namespace {

// A write that ended unheard may have left its version on the server: it
// stays one this program knows as its own, or a second run killed in turn
// would take it for someone else's. The ETag still names the version heard
// before it.
void SetIntent(PublishedEvent& e, const std::string& intent) {
    if (!e.intent.empty() && e.intent != PublishedEvent::kDeleting && e.intent != intent) e.fingerprint = e.intent;
    e.intent = intent;
}

}  // namespace

PublishPlan PlanPublish(const std::vector<WantedEvent>& wanted, const PublishedCalendar& last,
                        const std::string& collectionPath) {
    PublishPlan plan;
    plan.withIntents = last;
    std::set<std::string> seen;
    for (const WantedEvent& w : wanted) {
        seen.insert(w.uid);
        const auto it = last.events.find(w.uid);
        if (it == last.events.end()) {
            const std::string href = EventHref(collectionPath, w.uid);
            plan.steps.push_back({PublishAction::Create, w.uid, href, {}, w.fingerprint, w.row, w.summary});
            plan.withIntents.events[w.uid] = PublishedEvent{href, {}, {}, w.fingerprint, false};
            continue;
        }
        const PublishedEvent& known = it->second;
        if (known.intent.empty() && known.fingerprint == w.fingerprint) {
            ++plan.unchanged;
            continue;
        }
        // An unknown ETag (a write that ended unheard, a server that did not
        // say) or an event deleted elsewhere: created if missing, else
        // looked at before anything is written over.
        const bool create = known.etag.empty() || known.gone;
        plan.steps.push_back({create ? PublishAction::Create : PublishAction::Update, w.uid, known.href,
                              create ? std::string() : known.etag, w.fingerprint, w.row, w.summary});
        SetIntent(plan.withIntents.events[w.uid], w.fingerprint);
    }
    for (const auto& [uid, known] : last.events) {
        if (seen.count(uid)) continue;
        if (known.gone && known.intent.empty()) {
            plan.forgotten.push_back(uid);
            plan.withIntents.events.erase(uid);
            continue;
        }
        plan.steps.push_back({PublishAction::Delete, uid, known.href, known.etag, {}, 0, {}});
        SetIntent(plan.withIntents.events[uid], PublishedEvent::kDeleting);
    }
    return plan;
}

bool IsOurOwnVersion(const PublishedEvent& known, const std::string& wantedFingerprint,
                     const std::string& serverFingerprint) {
    if (serverFingerprint.empty()) return false;
    return serverFingerprint == known.fingerprint || serverFingerprint == known.intent ||
           serverFingerprint == wantedFingerprint;
}

std::string PublishSummary(const PublishReport& r, const std::string& target, const std::string& calendarName) {
    std::string out = "Termine aus " + ExtractFileName(target) + " im Kalender \xE2\x80\x9E" + calendarName +
                      "\xE2\x80\x9C:\r\n";
    out += CountText(r.created.size(), "Termin", "Termine") + " neu\r\n";
    out += CountText(r.updated.size(), "Termin", "Termine") + " geändert\r\n";
    out += CountText(r.deleted.size(), "Termin", "Termine") + " gelöscht\r\n";
    out += CountText(static_cast<std::size_t>(r.unchanged), "Termin", "Termine") + " unverändert\r\n";
    if (!r.conflicts.empty())
        out += CountText(r.conflicts.size(), "Termin", "Termine") +
               " anderswo geändert oder gelöscht und nicht überschrieben (Konflikt)\r\n";
    if (!r.overwritten.empty())
        out += CountText(r.overwritten.size(), "Termin", "Termine") + " nach Rückfrage überschrieben\r\n";
    if (!r.keptServers.empty())
        out += CountText(r.keptServers.size(), "Termin", "Termine") + " nach Rückfrage wie auf dem Server belassen\r\n";
    if (!r.refused.empty()) out += CountText(r.refused.size(), "Termin", "Termine") + " vom Server abgelehnt\r\n";
    if (r.notSent > 0)
        out += CountText(static_cast<std::size_t>(r.notSent), "Termin", "Termine") + " nicht gesendet (beim nächsten Mal)\r\n";
    AppendNameList(out, "Neu:", Sorted(r.created));
    AppendNameList(out, "Geändert:", Sorted(r.updated));
    AppendNameList(out, "Gelöscht:", Sorted(r.deleted));
    AppendNameList(out, "Konflikte (anderswo geändert, nicht überschrieben):", Sorted(r.conflicts));
    AppendNameList(out, "Überschrieben:", Sorted(r.overwritten));
    AppendNameList(out, "Wie auf dem Server belassen:", Sorted(r.keptServers));
    AppendNameList(out, "Abgelehnt:", Sorted(r.refused));
    return out;
}

}  // namespace tmf
