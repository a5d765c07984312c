#include "SyncState.h"

#include <cstdint>
#include <filesystem>
#include <system_error>

#include "SyncText.h"

namespace tmf {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kMagic = "Termifolio98-Abgleich";
constexpr int kFormat = 1;

void Escape(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\0': out += "\\0"; break;
            default: out += c;
        }
    }
}

std::optional<std::string> Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return std::nullopt;
        switch (text[i]) {
            case '\\': out += '\\'; break;
            case 't': out += '\t'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case '0': out += '\0'; break;
            default: return std::nullopt;
        }
    }
    return out;
}

void Line(std::string& out, std::string_view keyword, std::initializer_list<std::string_view> fields) {
    out += keyword;
    for (std::string_view f : fields) {
        out += '\t';
        Escape(out, f);
    }
    out += '\n';
}

void Fields(std::string& out, std::string_view keyword, const ContactFields& f) {
    Line(out, keyword, {f.vorname, f.nachname, f.terminAm, f.terminart, f.telFaxMail, f.adresse});
}

void Section(std::string& out, std::string_view which, const SyncTargetState& s) {
    Line(out, "zustand", {which, std::to_string(s.rulesVersion)});
    for (const auto& [url, book] : s.books) {
        Line(out, "buch", {url, book.syncToken, book.ctag});
        for (const auto& [href, c] : book.contacts) {
            Line(out, "kontakt", {href, c.etag, c.uid, c.unreadable ? "1" : "0"});
            for (const ContactFields& e : c.entries) Fields(out, "eintrag", e);
        }
    }
}

std::optional<int> Number(const std::string& text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    int n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n;
}

}  // namespace

std::string SyncStatePath(const std::string& dataDir, const std::string& targetFile) {
    std::error_code ec;
    fs::path full = fs::weakly_canonical(fs::absolute(targetFile, ec), ec);
    if (ec) full = fs::path(targetFile).lexically_normal();
    const std::string hex = HashHex(full.string());
    std::string dir = dataDir;
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir + "Abgleich/" + full.stem().string() + "-" + hex + ".txt";
}

std::string FormatSyncState(const SyncStateFile& state) {
    std::string out;
    Line(out, kMagic, {std::to_string(kFormat)});
    Line(out, "ziel", {state.target});
    Section(out, "aktuell", state.current);
    if (state.pending) {
        Section(out, "schwebend", *state.pending);
        for (const ContactFields& f : state.pendingWrites) Fields(out, "schreibt", f);
    }
    for (const auto& [url, calendar] : state.calendars) {
        Line(out, "kalender", {url});
        for (const auto& [uid, e] : calendar.events)
            Line(out, "termin", {uid, e.href, e.etag, e.fingerprint, e.intent, e.gone ? "1" : "0"});
    }
    out += "ende\n";
    return out;
}

std::optional<SyncStateFile> ParseSyncState(std::string_view text) {
    SyncStateFile state;
    SyncTargetState* section = nullptr;
    SyncedAddressBook* book = nullptr;
    SyncedContact* contact = nullptr;
    PublishedCalendar* calendar = nullptr;
    bool first = true, ended = false;
    std::vector<std::string> f;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos || ended) return std::nullopt;  // cut short, or text after the end
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        f.clear();
        for (std::size_t start = 0;;) {
            const std::size_t tab = line.find('\t', start);
            auto field = Unescape(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
            if (!field) return std::nullopt;
            f.push_back(std::move(*field));
            if (tab == std::string_view::npos) break;
            start = tab + 1;
        }
        const std::string& key = f[0];
        if (first) {
            if (key != kMagic || f.size() != 2 || Number(f[1]) != kFormat) return std::nullopt;
            first = false;
        } else if (key == "ziel" && f.size() == 2) {
            state.target = f[1];
        } else if (key == "zustand" && f.size() == 3) {
            const auto rules = Number(f[2]);
            if (!rules) return std::nullopt;
            if (f[1] == "aktuell") section = &state.current;
            else if (f[1] == "schwebend" && !state.pending) section = &state.pending.emplace();
            else return std::nullopt;
            section->rulesVersion = *rules;
            calendar = nullptr;
            book = nullptr;
            contact = nullptr;
        } else if (key == "buch" && f.size() == 4 && section) {
            book = &section->books[f[1]];
            book->syncToken = f[2];
            book->ctag = f[3];
            contact = nullptr;
        } else if (key == "kontakt" && f.size() == 5 && book) {
            contact = &book->contacts[f[1]];
            contact->etag = f[2];
            contact->uid = f[3];
            contact->unreadable = f[4] == "1";
        } else if ((key == "eintrag" && contact) || (key == "schreibt" && state.pending)) {
            if (f.size() != 7) return std::nullopt;
            ContactFields e{f[1], f[2], f[3], f[4], f[5], f[6]};
            (key == "eintrag" ? contact->entries : state.pendingWrites).push_back(std::move(e));
        } else if (key == "kalender" && f.size() == 2) {
            calendar = &state.calendars[f[1]];
            section = nullptr;
            book = nullptr;
            contact = nullptr;
        } else if (key == "termin" && f.size() == 7 && calendar) {
            if (f[6] != "0" && f[6] != "1") return std::nullopt;
            calendar->events[f[1]] = PublishedEvent{f[2], f[3], f[4], f[5], f[6] == "1"};
        } else if (key == "ende" && f.size() == 1) {
            ended = true;
        } else {
            return std::nullopt;
        }
    }
    if (!ended) return std::nullopt;
    return state;
}

SyncStateRead ReadSyncState(const std::string& path, SyncStateFile& state, IoError* error) {
    state = {};
    if (KindOfPath(path) == PathKind::Missing) return SyncStateRead::Missing;
    const auto text = ReadWholeFile(path, error);
    if (!text) return SyncStateRead::Damaged;
    auto parsed = ParseSyncState(*text);
    if (!parsed) {
        if (error) error->reason = "Der Inhalt ist keine vollständige Abgleichsdatei.";
        return SyncStateRead::Damaged;
    }
    state = std::move(*parsed);
    return SyncStateRead::Read;
}

bool WriteSyncState(const std::string& path, const SyncStateFile& state, IoError* error) {
    std::error_code ec;
    const fs::path dir = fs::path(path).parent_path();
    if (!dir.empty() && !fs::is_directory(dir, ec)) {
        fs::create_directories(dir, ec);
        if (ec) {
            if (error) error->reason = "Der Ordner " + dir.string() + " kann nicht angelegt werden: " + ec.message();
            return false;
        }
    }
    return WriteFileAtomically(path, FormatSyncState(state), error);
}

}  // namespace tmf
