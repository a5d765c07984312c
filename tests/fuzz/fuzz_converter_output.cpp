// The text file of the old-file converter, a program of its own whose output
// the program reads back.
#include "FuzzMain.h"
#include "FuzzReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static tmf::fuzz::ScratchDir dir;
    tmf::fuzz::Report(tmf::fuzz::CheckConverterOutput(tmf::fuzz::AsText(data, size), dir.path()));
    return 0;
}
