#include "Cp1252.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace tmf {
namespace {

// Code points of the bytes 0x80..0x9F; the rest of the code page is Latin-1.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int ToCp1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (std::size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] == cp) return static_cast<int>(0x80 + i);
    return -1;
}

// Decodes one UTF-8 sequence at s[i]; advances i. Returns U+FFFD on error.
char32_t NextCodePoint(std::string_view s, std::size_t& i) {
    auto c = static_cast<unsigned char>(s[i++]);
    if (c < 0x80) return c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
    if (extra < 0 || c > 0xF4) return 0xFFFD;
    char32_t cp = c & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        if (i >= s.size()) return 0xFFFD;
        auto d = static_cast<unsigned char>(s[i]);
        if ((d & 0xC0) != 0x80) return 0xFFFD;
        cp = (cp << 6) | (d & 0x3F);
        ++i;
    }
    return cp;
}

}  // namespace

namespace {

// The UTF-8 form of every byte, so that loading a file does one lookup per
// character and one allocation per text.
struct Utf8Form {
    unsigned char length;
    char bytes[3];
};
constexpr std::array<Utf8Form, 256> kUtf8Forms = [] {
    std::array<Utf8Form, 256> forms{};
    for (unsigned b = 0; b < 256; ++b) {
        char32_t cp = b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : b;
        Utf8Form& f = forms[b];
        if (cp < 0x80) {
            f = {1, {static_cast<char>(cp), 0, 0}};
        } else if (cp < 0x800) {
            f = {2, {static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F)), 0}};
        } else {
            f = {3, {static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
                     static_cast<char>(0x80 | (cp & 0x3F))}};
        }
    }
    return forms;
}();

}  // namespace

void AppendCp1252AsUtf8(std::string& out, const unsigned char* bytes, std::size_t n) {
    constexpr std::size_t kChunk = 256;
    char chunk[3 * kChunk];
    while (n > 0) {
        const std::size_t take = n < kChunk ? n : kChunk;
        char* p = chunk;
        for (std::size_t i = 0; i < take;) {
            if (i + 8 <= take) {
                // Runs of ASCII go eight bytes at a time; all eight are
                // copied, and those up to the first other byte are kept.
                std::uint64_t w;
                std::memcpy(&w, bytes + i, 8);
                std::memcpy(p, &w, 8);
                const std::uint64_t high = w & 0x8080808080808080ull;
                const std::size_t ascii =
                    high == 0 ? 8
                              : static_cast<std::size_t>(std::endian::native == std::endian::little
                                                             ? std::countr_zero(high)
                                                             : std::countl_zero(high)) / 8;
                p += ascii;
                i += ascii;
                if (ascii == 8) continue;
            }
            const unsigned char b = bytes[i++];
            if (b < 0x80) {
                *p++ = static_cast<char>(b);
                continue;
            }
            const Utf8Form& f = kUtf8Forms[b];
            p[0] = f.bytes[0];
            p[1] = f.bytes[1];
            p[2] = f.bytes[2];
            p += f.length;
        }
        out.append(chunk, static_cast<std::size_t>(p - chunk));
        bytes += take;
        n -= take;
    }
}

std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    AppendCp1252AsUtf8(out, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    return out;
}

std::string Utf8ToCp1252(std::string_view utf8, std::size_t maxChars) {
    // ASCII maps to itself, and most texts are ASCII up to their first umlaut.
    const std::size_t limit = utf8.size() < maxChars ? utf8.size() : maxChars;
    std::size_t i = 0;
    while (i < limit && static_cast<unsigned char>(utf8[i]) < 0x80) ++i;
    std::string out(utf8.substr(0, i));
    if (i == limit) return out;
    out.reserve(limit);
    while (i < utf8.size() && out.size() < maxChars) {
        auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        int b = ToCp1252(NextCodePoint(utf8, i));
        out.push_back(b < 0 ? '?' : static_cast<char>(b));
    }
    return out;
}

bool IsCp1252Representable(std::string_view utf8) {
    std::size_t i = 0;
    while (i < utf8.size())
        if (ToCp1252(NextCodePoint(utf8, i)) < 0) return false;
    return true;
}

std::size_t Utf8Length(std::string_view utf8) {
    std::size_t n = 0;
    for (char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

std::string Utf8Left(std::string_view utf8, std::size_t n) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) {
            if (count == n) return std::string(utf8.substr(0, i));
            ++count;
        }
    }
    return std::string(utf8);
}

void UpperCp1252InPlace(std::string& bytes) {
    for (char& ch : bytes) {
        auto c = static_cast<unsigned char>(ch);
        if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) c = static_cast<unsigned char>(c - 0x20);
        else if (c == 0x9A || c == 0x9C || c == 0x9E) c = static_cast<unsigned char>(c - 0x10);  // š œ ž
        else if (c == 0xFF) c = 0x9F;                                                             // ÿ
        ch = static_cast<char>(c);
    }
}

std::string UpperCp1252(std::string_view utf8) {
    std::string s = Utf8ToCp1252(utf8);
    UpperCp1252InPlace(s);
    return s;
}

}  // namespace tmf
