// Appointment files: any bytes as a .tmf file, and the first 388 as a record.
#include "FuzzMain.h"
#include "FuzzReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static tmf::fuzz::ScratchDir dir;
    tmf::fuzz::Report(tmf::fuzz::CheckAppointmentFile(tmf::fuzz::AsText(data, size), dir.path()));
    return 0;
}
