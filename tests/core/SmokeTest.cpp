#include <gtest/gtest.h>

#include "AppointmentFile.h"
#include "ScriptedPlatform.h"
#include "State.h"
#include "TempDir.h"
#include "SampleFiles.h"

using namespace tmf;

TEST(Smoke, SavedFileLoadsBack) {
    test::ScriptedPlatform p;
    p.install();
    test::TempDir dir;
    ResetProgramState();
    test::LoadIntoState({{"Anna", "Müller", "15.06.1980"}});
    ASSERT_TRUE(SaveAppointmentFile(dir.file("a.tmf"), "Alles", "Datum"));
    ResetProgramState();
    ASSERT_EQ(LoadAppointmentFile(dir.file("a.tmf"), "Alles"), LoadResult::Loaded);
    EXPECT_EQ(EntryCount, 1);
    EXPECT_EQ(EntryTable(Nachname, 1).asText(), "Müller");
    EXPECT_EQ(EntryTable(HeaderLastCheck, 0).asText(), "15.06.2024");
}
