#pragma once
// The one self-inverse rule that hides every text in the program's data
// files: each byte is xor-ed with a key taken from the text's length.
#include <cstddef>
#include <string>
#include <string_view>

namespace tmf {

constexpr unsigned char ScrambleKey(std::size_t length) {
    std::size_t k = length;
    while (k > 240) k /= 2;
    return static_cast<unsigned char>(255 - k);
}

// Works on the Windows-1252 bytes of a text; the length stays the same.
std::string ScrambleText(std::string_view bytes);
void ScrambleInPlace(char* bytes, std::size_t length);

}  // namespace tmf
