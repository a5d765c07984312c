#pragma once
// Small texts both server syncs share: the hash that names state files and
// event resources, and the pieces of their German summaries.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tmf {

// 16 hex digits of the 64-bit FNV-1a hash: stable across runs and builds,
// which std::hash is not.
inline std::string HashHex(std::string_view text) {
    std::uint64_t h = 14695981039346656037ull;
    for (unsigned char c : text) {
        h ^= c;
        h *= 1099511628211ull;
    }
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out(16, '0');
    for (int i = 15; i >= 0; --i, h >>= 4) out[static_cast<std::size_t>(i)] = kHex[h & 15];
    return out;
}

// "1 Eintrag", "3 Einträge".
inline std::string CountText(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// A heading and its lines, at most kNamesPerKind of them: more would bury
// the rest of a summary. `total` counts lines the caller did not make.
inline constexpr std::size_t kNamesPerKind = 30;
inline void AppendNameList(std::string& out, const std::string& heading, const std::vector<std::string>& lines,
                           std::size_t total = 0) {
    total = std::max(total, lines.size());
    if (total == 0) return;
    out += heading + "\r\n";
    for (std::size_t i = 0; i < lines.size() && i < kNamesPerKind; ++i) out += "  " + lines[i] + "\r\n";
    if (total > kNamesPerKind) out += "  ... und " + std::to_string(total - kNamesPerKind) + " weitere\r\n";
}

}  // namespace tmf
