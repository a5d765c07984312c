#pragma once
// Texts live as UTF-8 in memory and as Windows-1252 bytes in every data file.
#include <cstddef>
#include <string>
#include <string_view>

namespace tmf {

// Windows-1252 bytes to UTF-8. The five bytes that Windows-1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become U+0081 etc., so that every
// byte read from a file is written back unchanged.
std::string Cp1252ToUtf8(std::string_view bytes);
void AppendCp1252AsUtf8(std::string& out, const unsigned char* bytes, std::size_t n);

// UTF-8 to Windows-1252; a character the code page cannot hold (and a broken
// UTF-8 sequence) becomes '?'. Stops after maxChars characters.
std::string Utf8ToCp1252(std::string_view utf8, std::size_t maxChars = std::string::npos);

// True when every character of the UTF-8 text has a Windows-1252 byte.
bool IsCp1252Representable(std::string_view utf8);

// Windows-1252 bytes in upper case by the code page's letters: a-z, the
// accented letters (ä to Ä, é to É, ...), š, œ, ž and ÿ; ß stays.
void UpperCp1252InPlace(std::string& bytes);
// A UTF-8 text as upper-case Windows-1252 bytes, for case-blind searching.
std::string UpperCp1252(std::string_view utf8);

// Number of characters (code points) of a UTF-8 text.
std::size_t Utf8Length(std::string_view utf8);
// The first n characters of a UTF-8 text.
std::string Utf8Left(std::string_view utf8, std::size_t n);

}  // namespace tmf
