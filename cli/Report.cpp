#include "Report.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "Dates.h"
#include "TerminalText.h"

namespace tmf::cli {

namespace {

// Labels are padded to the widest, "Heute Termin", counting characters.
constexpr std::size_t kLabelWidth = 12;

std::size_t Utf8Length(std::string_view s) {
    std::size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

const char* KindColour(int kind) {
    switch (kind) {
        case FirstWarning: return "\033[33m";
        case SecondWarning: return "\033[1;33m";
        case DueToday: return "\033[1;32m";
        case PassedOver: return "\033[1;31m";
        default: return "";
    }
}

void AppendLabel(std::string& out, int kind, bool colour) {
    const std::string label = CheckKindLabel(kind);
    if (colour) out += KindColour(kind);
    out += label;
    if (colour) out += "\033[0m";
    for (std::size_t n = Utf8Length(label); n < kLabelWidth; ++n) out += ' ';
}

}  // namespace

void ReportWriter::startBlock() {
    // Blocks are parted by a blank line.
    if (wroteAny_) std::fputc('\n', out_);
    wroteAny_ = true;
}

void ReportWriter::file(const FileReport& file) {
    if (!file.checked || file.findings.empty()) return;
    std::string& out = text_;
    out.clear();
    // Names, terms and paths come from files that others may have written.
    out += Visible(file.path) + " - Prüfung am " + FormatDate(style_.today) + "\n";
    for (const Finding& f : file.findings) {
        AppendLabel(out, f.kind, style_.colour);
        out += "  " + Visible(f.who) + ", " + Visible(f.text);
        if (f.wouldDelete) out += " (würde gelöscht)";
        out += '\n';
    }
    out += CheckSummaryText(file.counts) + "\n";
    startBlock();
    put(out);
}

void ReportWriter::upcoming(const UpcomingList& upcoming) {
    if (style_.aheadDays < 0) return;
    startBlock();
    std::string& out = text_;
    out = "Termine der nächsten " + std::to_string(style_.aheadDays) + " Tage:\n";
    if (upcoming.empty()) out += "keine\n";
    // Written a stretch at a time: a long list has tens of thousands.
    constexpr std::size_t kStretch = 64 * 1024;
    int day = -1;
    std::string date;
    upcoming.forEach([&](const Upcoming& u) {
        if (u.days != day) {
            day = u.days;
            date = FormatDate(style_.today + std::chrono::days{day});
        }
        std::string when = u.days == 0 ? "Heute" : "in " + std::to_string(u.days) + " Tag(en)";
        while (Utf8Length(when) < kLabelWidth + 3) when += ' ';
        out += when + date + "  " + Visible(u.who) + ", " + Visible(u.term);
        if (u.years > 0) out += ", wird " + std::to_string(u.years);
        out += '\n';
        if (out.size() >= kStretch) {
            put(out);
            out.clear();
        }
    });
    put(out);
}

bool WantColour(std::FILE* stream) {
    if (!isatty(fileno(stream))) return false;
    const char* noColour = std::getenv("NO_COLOR");
    if (noColour && *noColour) return false;
    const char* term = std::getenv("TERM");
    return !term || std::strcmp(term, "dumb") != 0;
}

}  // namespace tmf::cli
