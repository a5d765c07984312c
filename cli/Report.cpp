#include "Report.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "TerminalText.h"

namespace tmf::cli {

namespace {

// Labels are padded to the widest, "Heute Termin", counting characters.
constexpr std::size_t kLabelWidth = 12;

std::size_t Utf8Length(const std::string& s) {
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

void AppendFile(std::string& out, const FileReport& file, const ReportStyle& style) {
    if (!out.empty()) out += '\n';
    // Names, terms and paths come from files that others may have written.
    out += Visible(file.path) + " - Prüfung am " + style.checkDate + "\n";
    for (const Finding& f : file.findings) {
        AppendLabel(out, f.kind, style.colour);
        out += "  " + Visible(f.who) + ", " + Visible(f.text);
        if (f.wouldDelete) out += " (würde gelöscht)";
        out += '\n';
    }
    out += CheckSummaryText(file.counts) + "\n";
}

void AppendUpcoming(std::string& out, const CheckOutcome& outcome, const ReportStyle& style) {
    if (!out.empty()) out += '\n';
    out += "Termine der nächsten " + std::to_string(style.aheadDays) + " Tage:\n";
    if (outcome.upcoming.empty()) out += "keine\n";
    for (const Upcoming& u : outcome.upcoming) {
        std::string when = u.days == 0 ? "Heute" : "in " + std::to_string(u.days) + " Tag(en)";
        while (Utf8Length(when) < kLabelWidth + 3) when += ' ';
        out += when + u.date + "  " + Visible(u.who) + ", " + Visible(u.term);
        if (u.years > 0) out += ", wird " + std::to_string(u.years);
        out += '\n';
    }
}

}  // namespace

std::string FormatReport(const CheckOutcome& outcome, const ReportStyle& style) {
    std::string out;
    for (const FileReport& file : outcome.files)
        if (file.checked && !file.findings.empty()) AppendFile(out, file, style);
    if (style.aheadDays >= 0) AppendUpcoming(out, outcome, style);
    return out;
}

bool WantColour(std::FILE* stream) {
    if (!isatty(fileno(stream))) return false;
    const char* noColour = std::getenv("NO_COLOR");
    if (noColour && *noColour) return false;
    const char* term = std::getenv("TERM");
    return !term || std::strcmp(term, "dumb") != 0;
}

}  // namespace tmf::cli
