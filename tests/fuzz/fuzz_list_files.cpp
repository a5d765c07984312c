// "Liste.dat" and "Termin.dat": any bytes as lines, as the check-list file
// and as the term-name file.
#include "FuzzMain.h"
#include "FuzzReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static tmf::fuzz::ScratchDir dir;
    tmf::fuzz::Report(tmf::fuzz::CheckListFiles(tmf::fuzz::AsText(data, size), dir.path()));
    return 0;
}
