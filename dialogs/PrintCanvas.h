#pragma once
// Printing as a page-oriented canvas: text at device positions, measured in
// the canvas's font. The layout of the printed entry list is written against
// it, so that it can be checked line by line without a printer.
#include <string>
#include <vector>

namespace tmf {

class PrintCanvas {
public:
    virtual ~PrintCanvas() = default;
    // False when the document could not be started (nothing is printed).
    virtual bool BeginDoc() = 0;
    // x, y: top-left corner of the text in device pixels.
    virtual void TextOut(int x, int y, const std::string& text) = 0;
    virtual int TextWidth(const std::string& text) = 0;
    virtual int TextHeight(const std::string& text) = 0;
    virtual void NewPage() = 0;
    virtual void EndDoc() = 0;
};

// One printed entry: the cells of its row in the main list and its two
// contact fields as stored (line breaks as NUL LF).
struct PrintedEntry {
    std::string number;
    std::string vorname;
    std::string nachname;
    std::string terminart;
    std::string value;
    std::string adresse;
    std::string telFaxMail;
};

inline constexpr int kPrintLeft = 200;
inline constexpr int kPrintLinesPerPage = 60;
// Its length in characters divides its width into the average letter width.
inline constexpr const char* kWidthSample = "Durschnittsbreite eines Buchstaben";

// The header line, then one line per entry (three with the contacts), 60
// lines to a page; columns at multiples of the average letter width.
void PrintEntryList(PrintCanvas& canvas, const std::string& header, const std::vector<PrintedEntry>& entries,
                    bool withContacts);

// Number of lines of a stored multi-line text; a break at its very end
// starts no further line.
int StoredLineCount(const std::string& text);

// The telephone, fax and mail line printed under an entry.
std::string ContactLine(const std::string& telFaxMail);

// A line of the selection list: row number right-aligned in 4 characters,
// the names, the term name from character 59 and the value from 73.
std::string SelectionLine(const std::string& number, const std::string& vorname, const std::string& nachname,
                          const std::string& terminart, const std::string& value);

}  // namespace tmf
