// Address books written by other programs, for the vCard import.
#include "FuzzMain.h"
#include "FuzzVCard.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tmf::fuzz::Report(tmf::fuzz::CheckVCard(tmf::fuzz::AsText(data, size)));
    return 0;
}
