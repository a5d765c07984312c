#pragma once
// Appointment files and entries made in code, for tests and benchmarks.
#include <string>
#include <vector>

#include "EntryTable.h"

namespace tmf::test {

struct EntrySpec {
    std::string vorname;
    std::string nachname;
    std::string termin = "01.01.2000";
    std::string terminart = "Geburtstag";
    int warnung1 = 0;
    int warnung2 = 0;
    int erreicht = 0;
    bool loeschen = false;
    std::string bemerkung;
    std::string telFaxMail;
    std::string adresse;
};

Row MakeRow(const EntrySpec& e);
Row MakeHeader(int count, const std::string& lastCheck = "", int outputChoice = 0, int sortChoice = 0);

// The bytes of a whole appointment file.
std::string AppointmentFileBytes(const Row& header, const std::vector<Row>& entries);
std::string AppointmentFileBytes(const std::vector<EntrySpec>& entries, const std::string& lastCheck = "",
                                 int outputChoice = 0, int sortChoice = 0);
void WriteAppointmentFileBytes(const std::string& path, const std::string& bytes);

// Puts the entries into the program state (EntryTable, EntryCount).
void LoadIntoState(const std::vector<EntrySpec>& entries, const std::string& lastCheck = "");

// n realistic entries (names, birthdays over a century, term names, leads),
// the same for the same seed.
std::vector<EntrySpec> GenerateEntries(int n, unsigned seed = 1);

}  // namespace tmf::test
