#pragma once
// The content lines of a vCard file, unfolded one at a time over the file's
// own bytes. Address books reach hundreds of megabytes (a photo per
// contact), so a line is copied only when it is folded and its property is
// one the caller reads, and then only up to a bound.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tmf::vcard {

struct Parameter {
    std::string name;   // upper case; empty for a bare 2.1 parameter
    std::string value;  // upper case, quotes removed
};

struct Property {
    std::string group;  // upper case ("ITEM1" of "item1.X-ABDATE"); may be empty
    std::string name;   // upper case
    std::vector<Parameter> parameters;
    std::string_view value;  // raw, still escaped and encoded; valid until the next line is read
};

// A head (name and parameters) longer than this is no property of a
// contact: its line is passed over.
inline constexpr std::size_t kMaxHeadBytes = 4096;
// Of a property the caller reads, only this much of the value is kept; no
// name, number or date comes near it.
inline constexpr std::size_t kMaxKeptValueBytes = 64 * 1024;

class PropertyReader {
public:
    // wanted says whether the caller reads a property of that (upper-case)
    // name; the values of all others are passed over without being joined.
    PropertyReader(std::string_view bytes, bool (*wanted)(std::string_view name)) : bytes_(bytes), wanted_(wanted) {}

    // The next content line with a name and a value; false at the end.
    // Lines may end in CR LF, LF or CR. A line starting with a blank or tab
    // continues the one before (empty lines between do not matter); a
    // quoted-printable value ending in '=' goes on in the next line, which
    // 2.1 writers do not indent, unless that line begins or ends a card.
    bool next(Property& out);

private:
    std::string_view takeLine();
    std::size_t nextNonEmpty() const;
    bool foldFollows() const;
    bool cardLineFollows() const;

    std::string_view bytes_;
    bool (*wanted_)(std::string_view);
    std::size_t pos_ = 0;
    std::string head_;   // a head spread over folded lines, joined
    std::string value_;  // a folded value of a wanted property, joined
};

bool IsQuotedPrintable(const Property& p);

}  // namespace tmf::vcard
