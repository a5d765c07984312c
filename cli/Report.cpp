#include "Report.h"

#include <unistd.h>

#include <algorithm>
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
    const std::string_view label = CheckKindLabel(kind);
    if (colour) out += KindColour(kind);
    out += label;
    if (colour) out += "\033[0m";
    out.append(kLabelWidth - std::min(kLabelWidth, Utf8Length(label)), ' ');
}

}  // namespace

ReportWriter::ReportWriter(std::FILE* out, ReportStyle style) : out_(out), style_(std::move(style)) {
    // Room for a stretch and the line that fills it, taken once: grown on
    // the way, each larger copy would be new memory to fault in.
    text_.reserve(kStretch + 4096);
    for (int kind = FirstWarning; kind <= PassedOver; ++kind) {
        AppendLabel(labels_[kind], kind, style_.colour);
        labels_[kind] += "  ";
    }
}

void ReportWriter::startBlock() {
    // Blocks are parted by a blank line.
    if (wroteAny_) std::fputc('\n', out_);
    wroteAny_ = true;
}

void ReportWriter::file(const FileReport& file) {
    if (!file.checked || file.size() == 0) return;
    startBlock();
    std::string& out = text_;
    out.clear();
    // Names, terms and paths come from files that others may have written.
    AppendVisible(out, file.path);
    out += " - Prüfung am ";
    out += FormatDate(style_.today);
    out += '\n';
    std::string& term = findingText_;
    file.forEach([&](const ShownFinding& f) {
        out += labels_[f.kind];
        AppendVisible(out, f.who);
        out += ", ";
        // The words around the term are printable, and neither ends nor
        // starts a sequence that a cut-off one in the term could complete.
        term.clear();
        AppendVisible(term, f.term);
        AppendFindingText(out, f.kind, f.days, term);
        if (f.wouldDelete) out += " (würde gelöscht)";
        out += '\n';
        putFull(out);
    });
    out += CheckSummaryText(file.counts);
    out += '\n';
    put(out);
}

void ReportWriter::upcoming(const UpcomingList& upcoming) {
    if (style_.aheadDays < 0) return;
    startBlock();
    std::string& out = text_;
    out = "Termine der nächsten " + std::to_string(style_.aheadDays) + " Tage:\n";
    if (upcoming.empty()) out += "keine\n";
    int day = -1;
    std::string lead;  // "in 3 Tag(en)   17.06.2024  "
    upcoming.forEach([&](const Upcoming& u) {
        if (u.days != day) {
            day = u.days;
            lead = day == 0 ? "Heute" : "in " + std::to_string(day) + " Tag(en)";
            while (Utf8Length(lead) < kLabelWidth + 3) lead += ' ';
            lead += FormatDate(style_.today + std::chrono::days{day}) + "  ";
        }
        out += lead;
        AppendVisible(out, u.who);
        out += ", ";
        AppendVisible(out, u.term);
        if (u.years > 0) {
            out += ", wird ";
            out += std::to_string(u.years);
        }
        out += '\n';
        putFull(out);
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
