// Date texts typed by the user or read from a file, and the text helpers
// around them.
#include "FuzzMain.h"
#include "FuzzReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tmf::fuzz::Report(tmf::fuzz::CheckDateTexts(tmf::fuzz::AsText(data, size)));
    return 0;
}
