#include "TerminalText.h"

#include <cstdint>
#include <cstring>

namespace tmf::cli {

namespace {

void AppendEscape(std::string& out, unsigned value) {
    constexpr char kHex[] = "0123456789abcdef";
    out += "\\x";
    out += kHex[(value >> 4) & 0x0F];
    out += kHex[value & 0x0F];
}

// The length of the well-formed UTF-8 sequence at i (1 to 4), or 0.
std::size_t SequenceLength(std::string_view s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t extra;
    unsigned cp;
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) extra = 1, cp = c & 0x1Fu;
    else if (c >= 0xE0 && c <= 0xEF) extra = 2, cp = c & 0x0Fu;
    else if (c >= 0xF0 && c <= 0xF4) extra = 3, cp = c & 0x07u;
    else return 0;
    if (i + extra >= s.size()) return 0;
    for (std::size_t k = 1; k <= extra; ++k) {
        const auto d = static_cast<unsigned char>(s[i + k]);
        if ((d & 0xC0) != 0x80) return 0;
        cp = cp << 6 | (d & 0x3Fu);
    }
    // Overlong forms, surrogates and code points beyond U+10FFFF are no
    // characters; a terminal might still decode them into controls.
    constexpr unsigned kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return extra + 1;
}

}  // namespace

std::string Visible(std::string_view text) {
    std::string out;
    AppendVisible(out, text);
    return out;
}

void AppendVisible(std::string& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        // Most texts are printable ASCII through and through: such a stretch
        // goes over as it is, in one piece.
        std::size_t plain = i;
        for (std::uint64_t w; plain + 8 <= text.size(); plain += 8) {
            std::memcpy(&w, text.data() + plain, 8);
            // A byte below a blank, or from DEL on, sets its high bit in one
            // of the two; the lowest such byte always does.
            constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHigh = 0x8080808080808080ull;
            if ((((w - 0x20 * kOnes) & ~w) | (w + kOnes) | w) & kHigh) break;
        }
        while (plain < text.size() && static_cast<unsigned char>(text[plain]) - 0x20u < 0x5Fu) ++plain;
        if (plain > i) {
            out.append(text.substr(i, plain - i));
            i = plain;
            continue;
        }
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t n = SequenceLength(text, i);
        if (n == 0) {
            AppendEscape(out, c);
            ++i;
        } else if (n == 1) {
            AppendEscape(out, c);  // a control: below 0x20 or DEL
            ++i;
        } else if (n == 2 && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
            AppendEscape(out, static_cast<unsigned char>(text[i + 1]));  // U+0080..U+009F
            i += 2;
        } else {
            out.append(text.substr(i, n));
            i += n;
        }
    }
}

std::string TerminalLines(std::string_view message, std::string_view name) {
    std::string out;
    std::size_t plain = 0;  // start of the text not yet written
    const auto flush = [&](std::size_t to) { out += Visible(message.substr(plain, to - plain)); };
    for (std::size_t i = 0; i < message.size();) {
        if (!name.empty() && message.compare(i, name.size(), name) == 0) {
            flush(i);
            out += Visible(name);
            plain = i += name.size();
        } else if (message.compare(i, 2, "\r\n") == 0) {
            flush(i);
            out += '\n';
            plain = i += 2;
        } else {
            ++i;
        }
    }
    flush(message.size());
    return out;
}

}  // namespace tmf::cli
