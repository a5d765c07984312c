#include "PrintCanvas.h"

#include "Cp1252.h"
#include "Dates.h"

namespace tmf {

namespace {

void PadTo(std::string& text, std::size_t length) {
    const std::size_t have = Utf8Length(text);
    if (have < length) text.append(length - have, ' ');
}

}  // namespace

int StoredLineCount(const std::string& text) {
    const std::string s = RestoreLineBreaks(text);
    if (s.empty()) return 0;
    int breaks = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
        if (s[i] == '\r' || s[i] == '\n') ++breaks;
    }
    const char last = s.back();
    return breaks + (last == '\r' || last == '\n' ? 0 : 1);
}

std::string ContactLine(const std::string& telFaxMail) {
    const int lines = StoredLineCount(telFaxMail);
    // TextLine gives the last line for a number beyond the text; here a
    // missing line prints as nothing.
    auto line = [&](int n) { return lines >= n ? TextLine(telFaxMail, n) : std::string(); };
    return "TEL.: " + line(1) + "  " + "FAX: " + line(2) + "  " + "MAIL: " + line(3);
}

std::string SelectionLine(const std::string& number, const std::string& vorname, const std::string& nachname,
                          const std::string& terminart, const std::string& value) {
    const std::size_t digits = Utf8Length(number);
    std::string line(digits < 4 ? 4 - digits : 0, ' ');
    line += number + ". " + vorname + " " + nachname;
    PadTo(line, 58);
    line += terminart;
    PadTo(line, 72);
    line += value;
    return line;
}

void PrintEntryList(PrintCanvas& canvas, const std::string& header, const std::vector<PrintedEntry>& entries,
                    bool withContacts) {
    if (!canvas.BeginDoc()) return;
    const int w = canvas.TextWidth(kWidthSample) / static_cast<int>(Utf8Length(kWidthSample));
    const int h = canvas.TextHeight(kWidthSample);
    const int x = kPrintLeft;
    canvas.TextOut(x, 0, header);
    int line = 1;
    bool pageFull = false;
    for (const PrintedEntry& e : entries) {
        // A page is started only when something goes on it, so a list that
        // fills its last page exactly leaves no blank sheet behind.
        if (pageFull) {
            canvas.NewPage();
            line = 0;
            pageFull = false;
        }
        ++line;
        const int y = line * h;
        canvas.TextOut(x + w, y, e.number + ".");
        canvas.TextOut(x + 7 * w, y, e.vorname);
        canvas.TextOut(x + 35 * w, y, e.nachname);
        canvas.TextOut(x + 65 * w, y, e.terminart);
        canvas.TextOut(x + 85 * w, y, e.value);
        if (withContacts) {
            ++line;
            canvas.TextOut(x + 7 * w, line * h, TextLine(e.adresse, 0));
            ++line;
            canvas.TextOut(x + 7 * w, line * h, ContactLine(e.telFaxMail));
        }
        if (line >= kPrintLinesPerPage) pageFull = true;
    }
    canvas.EndDoc();
}

}  // namespace tmf
