#include "VCardLines.h"

#include <algorithm>
#include <cstring>

namespace tmf::vcard {
namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string UpperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = Upper(c);
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Upper(x) == Upper(y); });
}

bool IsBreak(char c) { return c == '\r' || c == '\n'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Index of the first ':' outside double quotes, or npos; quoted carries the
// state from one folded piece of a head to the next.
std::size_t ValueColon(std::string_view text, bool& quoted) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"') quoted = !quoted;
        else if (text[i] == ':' && !quoted) return i;
    }
    return std::string_view::npos;
}

void ParseHead(std::string_view head, Property& p) {
    std::vector<std::string_view> parts;
    bool quoted = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= head.size(); ++i) {
        if (i < head.size() && head[i] == '"') quoted = !quoted;
        if (i == head.size() || (head[i] == ';' && !quoted)) {
            parts.push_back(head.substr(start, i - start));
            start = i + 1;
        }
    }
    std::string_view name = parts.front();
    p.group.clear();
    if (const auto dot = name.rfind('.'); dot != std::string_view::npos) {
        p.group = UpperAscii(name.substr(0, dot));
        name = name.substr(dot + 1);
    }
    p.name = UpperAscii(name);
    p.parameters.clear();
    for (std::size_t k = 1; k < parts.size(); ++k) {
        std::string_view part = parts[k];
        Parameter param;
        if (const auto eq = part.find('='); eq != std::string_view::npos) {
            param.name = UpperAscii(part.substr(0, eq));
            std::string value;
            for (char c : part.substr(eq + 1))
                if (c != '"') value.push_back(c);
            param.value = UpperAscii(value);
        } else {
            param.value = UpperAscii(part);
        }
        p.parameters.push_back(std::move(param));
    }
}

// The value of one logical line as it is put together from its pieces: a
// view of the file while it is one piece, a bounded copy once a second
// piece comes for a property that is read, and only its last characters
// (which decide whether a quoted-printable value goes on) for any other.
class ValueParts {
public:
    ValueParts(std::string_view first, bool keep, std::string& buffer)
        : single_(first), keep_(keep), buffer_(buffer), size_(first.size()) {
        remember(first);
    }

    void append(std::string_view piece) {
        more_ = true;
        if (keep_) {
            if (!joined_) {
                buffer_.assign(single_.substr(0, std::min(single_.size(), kMaxKeptValueBytes)));
                joined_ = true;
            }
            if (buffer_.size() < kMaxKeptValueBytes)
                buffer_.append(piece.substr(0, std::min(piece.size(), kMaxKeptValueBytes - buffer_.size())));
        }
        size_ += piece.size();
        remember(piece);
    }

    // Removes the '=' of a quoted-printable soft break.
    void dropLast() {
        --size_;
        if (!more_) single_.remove_suffix(1);
        else if (joined_ && buffer_.size() > size_) buffer_.pop_back();
        last_ = beforeLast_;
        beforeLast_ = 0;
    }

    char last() const { return last_; }

    std::string_view view() const {
        if (joined_) return buffer_;
        return single_.substr(0, std::min(single_.size(), kMaxKeptValueBytes));
    }

private:
    void remember(std::string_view piece) {
        if (piece.size() >= 2) beforeLast_ = piece[piece.size() - 2];
        else if (piece.size() == 1) beforeLast_ = last_;
        if (!piece.empty()) last_ = piece.back();
    }

    std::string_view single_;
    bool keep_;
    std::string& buffer_;
    std::size_t size_;
    bool more_ = false;    // pieces after the first
    bool joined_ = false;  // they are in buffer_
    char last_ = 0;
    char beforeLast_ = 0;
};

}  // namespace

bool IsQuotedPrintable(const Property& p) {
    // 2.1 writers also give the encoding as a bare parameter.
    return std::any_of(p.parameters.begin(), p.parameters.end(), [](const Parameter& param) {
        return (param.name.empty() || param.name == "ENCODING") && param.value == "QUOTED-PRINTABLE";
    });
}

std::string_view PropertyReader::takeLine() {
    // memchr twice instead of find_first_of: a photo's line runs to
    // hundreds of megabytes.
    const char* from = bytes_.data() + pos_;
    std::size_t length = bytes_.size() - pos_;
    if (const void* lf = std::memchr(from, '\n', length)) length = static_cast<std::size_t>(static_cast<const char*>(lf) - from);
    if (const void* cr = std::memchr(from, '\r', length)) length = static_cast<std::size_t>(static_cast<const char*>(cr) - from);
    const std::size_t end = pos_ + length;
    const std::string_view line = bytes_.substr(pos_, end - pos_);
    pos_ = end;
    if (pos_ < bytes_.size()) pos_ += bytes_[pos_] == '\r' && pos_ + 1 < bytes_.size() && bytes_[pos_ + 1] == '\n' ? 2 : 1;
    return line;
}

std::size_t PropertyReader::nextNonEmpty() const {
    std::size_t p = pos_;
    while (p < bytes_.size() && IsBreak(bytes_[p])) ++p;
    return p;
}

bool PropertyReader::foldFollows() const {
    const std::size_t p = nextNonEmpty();
    return p < bytes_.size() && IsBlank(bytes_[p]);
}

bool PropertyReader::cardLineFollows() const {
    for (std::string_view word : {std::string_view("BEGIN:VCARD"), std::string_view("END:VCARD")}) {
        const std::size_t end = pos_ + word.size();
        if (end <= bytes_.size() && EqualsNoCase(bytes_.substr(pos_, word.size()), word) &&
            (end == bytes_.size() || IsBreak(bytes_[end])))
            return true;
    }
    return false;
}

bool PropertyReader::next(Property& out) {
    while (true) {
        pos_ = nextNonEmpty();
        if (pos_ >= bytes_.size()) return false;
        const std::string_view first = takeLine();

        bool quoted = false;
        std::string_view head, rest;
        bool found = false;
        if (const auto colon = ValueColon(first.substr(0, kMaxHeadBytes + 1), quoted); colon != std::string_view::npos) {
            head = first.substr(0, colon);
            rest = first.substr(colon + 1);
            found = true;
        } else {
            // The head itself may be folded; beyond its bound the line is
            // passed over, continuations and all.
            head_.assign(first.substr(0, std::min(first.size(), kMaxHeadBytes + 1)));
            while (foldFollows()) {
                pos_ = nextNonEmpty();
                const std::string_view piece = takeLine().substr(1);
                if (head_.size() > kMaxHeadBytes) continue;
                const auto colon = ValueColon(piece.substr(0, kMaxHeadBytes + 1), quoted);
                if (colon == std::string_view::npos) {
                    head_.append(piece.substr(0, std::min(piece.size(), kMaxHeadBytes + 1)));
                    continue;
                }
                head_.append(piece.substr(0, colon));
                rest = piece.substr(colon + 1);
                found = head_.size() <= kMaxHeadBytes;
                if (found) break;
            }
            if (!found) continue;
            head = head_;
        }

        ParseHead(head, out);
        const bool qp = IsQuotedPrintable(out);
        ValueParts value(rest, wanted_(out.name), value_);
        while (true) {
            if (qp && value.last() == '=' && pos_ < bytes_.size() && !IsBreak(bytes_[pos_]) && !cardLineFollows()) {
                // Some writers also indent the continuation; a QP value
                // never starts a line with a blank it means, since blanks
                // at line ends must be encoded.
                std::string_view piece = takeLine();
                while (!piece.empty() && IsBlank(piece.front())) piece.remove_prefix(1);
                value.dropLast();
                value.append(piece);
            } else if (foldFollows()) {
                pos_ = nextNonEmpty();
                value.append(takeLine().substr(1));
            } else {
                break;
            }
        }
        out.value = value.view();
        return true;
    }
}

}  // namespace tmf::vcard
