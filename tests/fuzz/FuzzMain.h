#pragma once
// The entry point every target shares: run one check, stop loudly on the
// first broken promise so that libFuzzer keeps the input.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace tmf::fuzz {

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

inline void Report(const std::string& violation) {
    if (violation.empty()) return;
    std::fprintf(stderr, "broken promise: %s\n", violation.c_str());
    std::abort();
}

}  // namespace tmf::fuzz
