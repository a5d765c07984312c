#include "Scramble.h"

namespace tmf {

void ScrambleInPlace(char* bytes, std::size_t length) {
    const unsigned char key = ScrambleKey(length);
    for (std::size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<char>(static_cast<unsigned char>(bytes[i]) ^ key);
}

std::string ScrambleText(std::string_view bytes) {
    std::string s(bytes);
    ScrambleInPlace(s.data(), s.size());
    return s;
}

}  // namespace tmf
