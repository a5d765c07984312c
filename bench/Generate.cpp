// tmf_generate <path> <count> [seed]: writes an appointment file of count
// realistic entries (names, birthdays over a century, term names, several
// lines of remarks and addresses), the same file for the same seed.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "AppointmentFile.h"
#include "FileIo.h"
#include "SampleFiles.h"

namespace {

bool ParseCount(const char* text, long max, long& out) {
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < 0 || v > max) return false;
    out = v;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    long count = 0, seed = 1;
    if (argc < 3 || argc > 4 || !ParseCount(argv[2], 10'000'000, count) ||
        (argc == 4 && !ParseCount(argv[3], 0xFFFFFFFFL, seed))) {
        std::fprintf(stderr, "usage: %s <path> <count 0..10000000> [seed]\n", argc > 0 ? argv[0] : "tmf_generate");
        return 2;
    }
    const auto entries = tmf::test::GenerateEntries(static_cast<int>(count), static_cast<unsigned>(seed));
    const std::string bytes = tmf::test::AppointmentFileBytes(entries);
    tmf::IoError error;
    if (!tmf::WriteFileAtomically(argv[1], bytes, &error)) {
        std::fprintf(stderr, "%s: %s\n", argv[1], error.reason.c_str());
        return 1;
    }
    std::printf("%s: %ld entries, %zu bytes\n", argv[1], count, bytes.size());
    return 0;
}
