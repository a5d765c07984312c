#pragma once
// Texts from other programs may hold characters that the appointment files
// cannot store. They are brought to their nearest storable form here, so that
// "Łukasz" is kept as "Lukasz" and not as "?ukasz".
#include <string>
#include <string_view>

namespace tmf {

// The UTF-8 text with every character Windows-1252 cannot hold replaced: a
// letter with a mark the code page lacks by its plain letter (Ł → L, ő → o,
// ﬁ → fi), dashes and quotes by their plain forms, anything else (and a
// broken UTF-8 sequence) by '?'. Control characters other than tab, CR and
// LF become blanks. changed, when given, tells whether anything was replaced.
std::string FoldToCp1252(std::string_view utf8, bool* changed = nullptr);

// Bytes of ISO-8859-15 to UTF-8 (it differs from Latin-1 in eight places).
std::string Latin9ToUtf8(std::string_view bytes);

// True when the bytes are well-formed UTF-8.
bool IsUtf8(std::string_view bytes);

}  // namespace tmf
