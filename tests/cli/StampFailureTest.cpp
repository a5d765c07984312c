// termif98-check --stempeln on a disk that fails: what it says about a file
// must be what the file holds.
#include <gtest/gtest.h>

#include "CheckFiles.h"
#include "EngineFixture.h"
#include "FileIo.h"

using namespace tmf;
using namespace tmf::test;

class StampFailure : public EngineTest {
protected:
    void TearDown() override {
        SetWriteFaultForTesting(WriteFault::None);
        EngineTest::TearDown();
    }
};

TEST_F(StampFailure, OnAFullDiskAChangedFileKeepsEvenItsOldCheckDateAndTheQuietOneGetsItsNewOne) {
    // A first warning is given in the one and kept in its entry; the other
    // has nothing to keep but the date of the check.
    const std::string changing =
        MakeFile("Haupt.tmf", {{.vorname = "Anna", .nachname = "Berg", .termin = "20.06.1990", .warnung1 = 7}},
                 "10.06.2024");
    const std::string quiet = MakeFile("Ruhig.tmf", {{.vorname = "Emil", .termin = "01.01.1990"}}, "10.06.2024");
    const auto before = ReadWholeFile(changing);
    // A full disk still lets a file's own bytes be overwritten in place.
    SetWriteFaultForTesting(WriteFault::NoSpaceForNewFiles);
    std::vector<std::size_t> findings;
    const cli::CheckOutcome outcome = cli::CheckFiles(
        {changing, quiet},
        {.stamp = true, .onReport = [&](const cli::FileReport& file) { findings.push_back(file.size()); }});

    EXPECT_TRUE(outcome.failed);
    EXPECT_EQ(findings, (std::vector<std::size_t>{1, 0}));
    EXPECT_TRUE(ReadWholeFile(changing) == before);
    EXPECT_EQ(messages(), std::vector<std::string>{"Die Datei " + changing +
                                                   " konnte nicht gespeichert werden !\r\n"
                                                   "Kein Platz mehr auf dem Datenträger.\r\n"
                                                   "Die Datei auf dem Datenträger ist unverändert."});
    EXPECT_EQ(ReadOnDisk(quiet).lastCheck(), "15.06.2024");
}
