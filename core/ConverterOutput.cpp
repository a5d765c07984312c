#include "ConverterOutput.h"

#include "Cell.h"
#include "Cp1252.h"
#include "State.h"

namespace tmf {
namespace {

// Lines end in CR LF; a bare LF is taken as a line end too, since the
// converter is a program of its own and the file may have been touched.
std::vector<std::string_view> SplitLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::string Unquoted(std::string_view line) {
    std::string s;
    s.reserve(line.size());
    for (char c : line)
        if (c != '"') s.push_back(c);
    return Cp1252ToUtf8(s);
}

}  // namespace

ConverterOutput ParseConverterOutput(std::string_view bytes) {
    ConverterOutput out;
    const auto lines = SplitLines(bytes);
    const auto count = ParseInteger(lines.empty() ? std::string() : Unquoted(lines[0]));
    if (!count || *count < 0 || *count > kMaxEntries) {
        out.error = "Die umgewandelte Datei ist unbrauchbar: ihre erste Zeile nennt keine Anzahl von 0 bis " +
                    std::to_string(kMaxEntries) + " Einträgen.";
        return out;
    }
    const auto n = static_cast<std::size_t>(*count);
    out.rows.resize(n + 1);
    std::size_t next = 0;
    for (std::size_t i = 0; i <= n; ++i) {
        for (std::size_t j = 0; j < kFieldCount; ++j, ++next)
            out.rows[i][j] = Cell(next < lines.size() ? Unquoted(lines[next]) : std::string());
    }
    for (std::size_t i = 1; i <= n; ++i) {
        Row& r = out.rows[i];
        for (int f : {Warnung1, Warnung2, Erreicht}) {
            const std::string text = r[static_cast<std::size_t>(f)].asText();
            const auto v = ParseInteger(text);
            if (!v && !text.empty()) out.numbersReplaced = true;
            r[static_cast<std::size_t>(f)] = Cell(static_cast<std::int64_t>(v.value_or(0)));
        }
        // The flag may come as "True"/"False" or as a number.
        r[Loeschen] = Cell(r[Loeschen].asBoolean() ? -1 : 0);
    }
    out.rows[0][HeaderCount] = Cell(static_cast<std::int64_t>(n));
    out.ok = true;
    return out;
}

}  // namespace tmf
