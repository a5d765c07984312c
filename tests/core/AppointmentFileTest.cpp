// Loading and saving appointment files: the modes, the progress
// reports, every failure message, and the save that never leaves half a file.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "AppointmentFile.h"
#include "CheckListEdit.h"
#include "CoreFixture.h"
#include "Cp1252.h"
#include "Dates.h"
#include "SampleFiles.h"
#include "State.h"

using namespace tmf;
using namespace std::string_literals;
using tmf::test::CoreTest;
using tmf::test::EntrySpec;
using tmf::test::ProgressCall;

namespace {

std::string HeaderWithCount(const std::string& count) {
    Row h = test::MakeHeader(0);
    h[HeaderCount] = Cell(count);
    std::string bytes(kRecordSize, '\0');
    EncodeRecord(h, reinterpret_cast<unsigned char*>(bytes.data()));
    return bytes;
}

std::string EntryBytes(const EntrySpec& e) {
    std::string bytes(kRecordSize, '\0');
    EncodeRecord(test::MakeRow(e), reinterpret_cast<unsigned char*>(bytes.data()));
    return bytes;
}

Row DecodeAt(const std::string& bytes, std::size_t record) {
    Row row;
    DecodeRecord(reinterpret_cast<const unsigned char*>(bytes.data()) + record * kRecordSize, row);
    return row;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<ProgressCall> Calls(const std::string& text, std::initializer_list<int> positions, int total) {
    std::vector<ProgressCall> calls;
    for (int p : positions) calls.push_back({text, static_cast<float>(p), static_cast<float>(total)});
    return calls;
}

}  // namespace

class AppointmentFile : public CoreTest {
protected:
    std::string path = dir.file("Familie.tmf");

    // A table of n rows, recognisable afterwards.
    void PutOldTable(int n) {
        ResizeEntryTable(n);
        for (int r = 0; r <= n; ++r) EntryTable(Vorname, r) = Cell("alt" + std::to_string(r));
        EntryCount = n;
    }
};

// ---------------------------------------------------------------- full load

TEST_F(AppointmentFile, SavedEntriesLoadBackFieldByField) {
    auto entries = test::GenerateEntries(25, 3);
    entries[0].bemerkung = "Zeile eins\r\nZeile „zwei“ 5 €";
    entries[1].loeschen = true;
    entries[2].warnung1 = -14;
    entries[3].erreicht = 1;
    test::LoadIntoState(entries, "14.06.2024");
    ASSERT_TRUE(SaveAppointmentFile(path, "Alles", ""));
    ResetProgramState();
    ASSERT_EQ(LoadAppointmentFile(path, "Alles"), LoadResult::Loaded);
    EXPECT_EQ(EntryCount, 25);
    EXPECT_EQ(EntryTable.lastRow(), 25);
    for (int r = 1; r <= 25; ++r) {
        Row expected = test::MakeRow(entries[static_cast<std::size_t>(r - 1)]);
        for (int f = 0; f < kFieldCount; ++f)
            EXPECT_EQ(EntryTable(f, r), expected[static_cast<std::size_t>(f)])
                << "row " << r << " field " << f;
    }
    EXPECT_EQ(EntryTable(HeaderCount, 0), Cell("25"));
    EXPECT_EQ(EntryTable(HeaderVersion, 0), Cell("2.27"));
    EXPECT_EQ(EntryTable(HeaderLastCheck, 0), Cell("14.06.2024"));
    EXPECT_TRUE(EntryTable(Loeschen, 2).asBoolean());
    EXPECT_EQ(EntryTable(Warnung1, 3), Cell(-14));
    EXPECT_TRUE(messages().empty());
}

TEST_F(AppointmentFile, BoundaryValuesComeBackCutAsTheFieldsHoldThem) {
    std::string umlauts26;
    for (int i = 0; i < 26; ++i) umlauts26 += "ü";
    ResizeEntryTable(2);
    EntryTable.row(0) = test::MakeHeader(2);
    Row& a = EntryTable.row(1);
    a[Vorname] = Cell(std::string(25, 'v'));
    a[Nachname] = Cell(umlauts26);
    a[TerminAm] = Cell("15.06.1980");
    a[Bemerkung] = Cell(std::string(100, 'b'));
    a[Warnung1] = Cell(70000);
    a[Warnung2] = Cell(-1);
    a[Erreicht] = Cell(1);
    a[TelFaxMail] = Cell("Tel. 0221 „privat“\0\nFax € 0,12"s);
    a[Adresse] = Cell(std::string(101, 'a'));
    a[Loeschen] = Cell(true);
    a[Terminart] = Cell("Sechzehn Zeiche");
    Row& b = EntryTable.row(2);
    b[Vorname] = Cell(std::string(26, 'w'));
    b[TerminAm] = Cell("01.01.0100");
    b[Warnung1] = Cell("40000");
    b[Warnung2] = Cell(32767);
    b[Erreicht] = Cell(200);
    b[Loeschen] = Cell(false);
    b[Terminart] = Cell("Sechzehn Zeichen");
    EntryCount = 2;
    ASSERT_TRUE(SaveAppointmentFile(path, "Alles", ""));
    ResetProgramState();
    ASSERT_EQ(LoadAppointmentFile(path, "Alles"), LoadResult::Loaded);
    EXPECT_EQ(EntryTable(Vorname, 1), Cell(std::string(25, 'v')));
    EXPECT_EQ(EntryTable(Nachname, 1).asText(), Utf8Left(umlauts26, 25));
    EXPECT_EQ(EntryTable(Bemerkung, 1), Cell(std::string(100, 'b')));
    EXPECT_EQ(EntryTable(Warnung1, 1), Cell(4464));
    EXPECT_EQ(EntryTable(Warnung2, 1), Cell(-1));
    EXPECT_EQ(EntryTable(Erreicht, 1), Cell(1));
    EXPECT_EQ(EntryTable(TelFaxMail, 1), Cell("Tel. 0221 „privat“\0\nFax € 0,12"s));
    EXPECT_EQ(EntryTable(Adresse, 1), Cell(std::string(100, 'a')));
    EXPECT_EQ(EntryTable(Loeschen, 1), Cell(-1));
    EXPECT_EQ(EntryTable(Terminart, 1), Cell("Sechzehn Zeiche"));
    EXPECT_EQ(EntryTable(Vorname, 2), Cell(std::string(25, 'w')));
    EXPECT_EQ(EntryTable(TerminAm, 2), Cell("01.01.0100"));
    EXPECT_EQ(EntryTable(Warnung1, 2), Cell(-25536));
    EXPECT_EQ(EntryTable(Warnung2, 2), Cell(32767));
    EXPECT_EQ(EntryTable(Erreicht, 2), Cell(-56));
    EXPECT_EQ(EntryTable(Loeschen, 2), Cell(0));
    EXPECT_EQ(EntryTable(Terminart, 2), Cell("Sechzehn Zeiche"));
    EXPECT_TRUE(messages().empty());
}

TEST_F(AppointmentFile, FullLoadReplacesTheWholeTable) {
    PutOldTable(40);
    dir.write("Familie.tmf", test::AppointmentFileBytes({{"Anna", "Ober"}, {"Max", "Zeh"}}));
    ASSERT_EQ(LoadAppointmentFile(path, "Alles"), LoadResult::Loaded);
    EXPECT_EQ(EntryCount, 2);
    EXPECT_EQ(EntryTable.lastRow(), 2);
    EXPECT_EQ(EntryTable(Vorname, 1), Cell("Anna"));
    EXPECT_EQ(EntryTable(Vorname, 2), Cell("Max"));
    EXPECT_EQ(EntryTable(HeaderCount, 0), Cell("2"));
}

TEST_F(AppointmentFile, FileOfOneRecordLoadsAsEmptyTableAndSavesAsOneRecord) {
    PutOldTable(3);
    dir.write("Familie.tmf", test::AppointmentFileBytes({}));
    ASSERT_EQ(LoadAppointmentFile(path, "Alles"), LoadResult::Loaded);
    EXPECT_EQ(EntryCount, 0);
    EXPECT_EQ(EntryTable.lastRow(), 0);
    EXPECT_EQ(platform.progress, Calls("Lade...", {0}, 0));
    ASSERT_TRUE(SaveAppointmentFile(path, "Alles", "Datum"));
    EXPECT_EQ(dir.read("Familie.tmf").size(), kRecordSize);
}

TEST_F(AppointmentFile, FileWithMoreRecordsThanItsCountLoadsTheCountOnly) {
    std::string bytes = HeaderWithCount("1") + EntryBytes({"Anna", "A"}) + EntryBytes({"Bert", "B"});
    dir.write("Familie.tmf", bytes);
    ASSERT_EQ(LoadAppointmentFile(path, "Alles"), LoadResult::Loaded);
    EXPECT_EQ(EntryCount, 1);
    EXPECT_EQ(EntryTable.lastRow(), 1);
    EXPECT_EQ(EntryTable(Vorname, 1), Cell("Anna"));
}

TEST_F(AppointmentFile, LoadReportsProgressAtEveryTenthRecordAndTheLast) {
    test::LoadIntoState(test::GenerateEntries(25));
    ASSERT_TRUE(SaveAppointmentFile(path, "Alles", ""));
    platform.clearRecords();
    ASSERT_EQ(LoadAppointmentFile(path, "Alles"), LoadResult::Loaded);
    EXPECT_EQ(platform.progress, Calls("Lade...", {0, 10, 20, 25}, 25));
}

TEST_F(AppointmentFile, LoadOfExactlyTwentyReportsTheLastRecordOnce) {
    test::LoadIntoState(test::GenerateEntries(20));
    ASSERT_TRUE(SaveAppointmentFile(path, "Alles", ""));
    platform.clearRecords();
    ASSERT_EQ(LoadAppointmentFile(path, "Alles"), LoadResult::Loaded);
    EXPECT_EQ(platform.progress, Calls("Lade...", {0, 10, 20}, 20));
}

// ------------------------------------------------------------ load failures

TEST_F(AppointmentFile, EmptyFileCannotBeLoadedAndLeavesTheTable) {
    PutOldTable(2);
    dir.write("Familie.tmf", "");
    EXPECT_EQ(LoadAppointmentFile(path, "Alles"), LoadResult::Failed);
    EXPECT_EQ(messages(), std::vector<std::string>{path + " konnte nicht geladen werden !"});
    EXPECT_EQ(EntryCount, 2);
    EXPECT_EQ(EntryTable.lastRow(), 2);
    EXPECT_EQ(EntryTable(Vorname, 2), Cell("alt2"));
    // The fallback to "TestDatei.tmf" is the caller's business.
    EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"Familie.tmf"});
    EXPECT_EQ(CurrentFile(), "");
}

TEST_F(AppointmentFile, FileShorterThanOneRecordCannotBeLoaded) {
    dir.write("Familie.tmf", HeaderWithCount("0").substr(0, kRecordSize - 1));
    EXPECT_EQ(LoadAppointmentFile(path, "Alles"), LoadResult::Failed);
    EXPECT_EQ(messages(), std::vector<std::string>{path + " konnte nicht geladen werden !"});
    platform.clearRecords();
    EXPECT_EQ(LoadAppointmentFile(path, ""), LoadResult::Failed);
    EXPECT_EQ(messages(), std::vector<std::string>{path + " konnte nicht geladen werden !"});
}

TEST_F(AppointmentFile, MissingFileOrFolderCannotBeLoaded) {
    EXPECT_EQ(LoadAppointmentFile(path, "Alles"), LoadResult::Failed);
    EXPECT_EQ(LoadAppointmentFile(dir.path(), "Alles"), LoadResult::Failed);
    EXPECT_EQ(LoadAppointmentFile(path, ""), LoadResult::Failed);
    EXPECT_EQ(messages(), (std::vector<std::string>{path + " konnte nicht geladen werden !",
                                                    dir.path() + " konnte nicht geladen werden !",
                                                    path + " konnte nicht geladen werden !"}));
}

TEST_F(AppointmentFile, CountThatIsNoNumberIsNoAppointmentFile) {
    for (const char* count : {"", "abc", "1x", "-1", "-2000000000", "99999999999"}) {
        platform.clearRecords();
        PutOldTable(2);
        dir.write("Familie.tmf", HeaderWithCount(count) + EntryBytes({"Anna"}));
        EXPECT_EQ(LoadAppointmentFile(path, "Alles"), LoadResult::NotAppointmentFile) << count;
        EXPECT_EQ(messages(), std::vector<std::string>{"Keine Termifolio98 Datei !"}) << count;
        // A check run going on to the next file names the one it passes by.
        platform.clearRecords();
        EXPECT_EQ(LoadAppointmentFile(path, "Alles", NameInMessage::Yes), LoadResult::NotAppointmentFile) << count;
        EXPECT_EQ(messages(), std::vector<std::string>{"Keine Termifolio98 Datei !\r\n" + path}) << count;
        EXPECT_EQ(EntryCount, 2) << count;
        EXPECT_EQ(EntryTable(Vorname, 0), Cell("alt0")) << count;
        EXPECT_TRUE(platform.progress.empty());
    }
}

TEST_F(AppointmentFile, CountOfThreeWithTwoRecordsLoadsTwoAndSaysSo) {
    dir.write("Familie.tmf", HeaderWithCount("3") + EntryBytes({"Anna", "A"}) + EntryBytes({"Bert", "B"}));
    EXPECT_EQ(LoadAppointmentFile(path, "Alles"), LoadResult::Truncated);
    EXPECT_EQ(messages(), std::vector<std::string>{"Dateiende bei 2 einträgen erreicht !"});
    EXPECT_EQ(EntryCount, 2);
    EXPECT_EQ(EntryTable.lastRow(), 2);
    EXPECT_EQ(EntryTable(HeaderCount, 0).asInteger(), 2);
    EXPECT_EQ(EntryTable(Vorname, 1), Cell("Anna"));
    EXPECT_EQ(EntryTable(Vorname, 2), Cell("Bert"));
    EXPECT_TRUE(IsLoaded(LoadResult::Truncated));
    EXPECT_EQ(platform.progress, Calls("Lade...", {0}, 3));
}

TEST_F(AppointmentFile, HugeCountIsSizedByWhatTheFileHolds) {
    dir.write("Familie.tmf", HeaderWithCount("2000000000") + EntryBytes({"Anna"}) + EntryBytes({"Bert"}));
    EXPECT_EQ(LoadAppointmentFile(path, "Alles"), LoadResult::Truncated);
    EXPECT_EQ(messages(), std::vector<std::string>{"Dateiende bei 2 einträgen erreicht !"});
    EXPECT_EQ(EntryCount, 2);
    EXPECT_EQ(EntryTable.lastRow(), 2);
    EXPECT_EQ(EntryTable(Vorname, 2), Cell("Bert"));
}

TEST_F(AppointmentFile, CountWithNoEntryRecordsAtAllLoadsNone) {
    dir.write("Familie.tmf", HeaderWithCount("5"));
    EXPECT_EQ(LoadAppointmentFile(path, "Alles"), LoadResult::Truncated);
    EXPECT_EQ(messages(), std::vector<std::string>{"Dateiende bei 0 einträgen erreicht !"});
    EXPECT_EQ(EntryCount, 0);
}

TEST_F(AppointmentFile, HalfARecordAtTheEndIsNoRecord) {
    std::string third = EntryBytes({"Carl"});
    dir.write("Familie.tmf",
              HeaderWithCount("3") + EntryBytes({"Anna"}) + EntryBytes({"Bert"}) + third.substr(0, 200));
    EXPECT_EQ(LoadAppointmentFile(path, "Alles"), LoadResult::Truncated);
    EXPECT_EQ(messages(), std::vector<std::string>{"Dateiende bei 2 einträgen erreicht !"});
    EXPECT_EQ(EntryCount, 2);
}

TEST_F(AppointmentFile, TruncatedLoadReportsProgressOnlyForRecordsRead) {
    auto entries = test::GenerateEntries(12);
    std::string bytes = HeaderWithCount("25");
    for (const auto& e : entries) bytes += EntryBytes(e);
    dir.write("Familie.tmf", bytes);
    EXPECT_EQ(LoadAppointmentFile(path, "Alles"), LoadResult::Truncated);
    EXPECT_EQ(platform.progress, Calls("Lade...", {0, 10}, 25));
    EXPECT_EQ(messages(), std::vector<std::string>{"Dateiende bei 12 einträgen erreicht !"});
}

TEST_F(AppointmentFile, InvalidStoredDatesAreReportedAndGetTheFallback) {
    dir.write("Familie.tmf", test::AppointmentFileBytes({{"A", "", "31.04.2024"},
                                                         {"B", "", "29.02.2024"},
                                                         {"C", "", "1.2.2003"},
                                                         {"D", "", "15.06.0099"},
                                                         {"E", "", ""},
                                                         {"F", "", "15.06.1980"},
                                                         {"G", "", "01.01.0100"}}));
    ASSERT_EQ(LoadAppointmentFile(path, "Alles"), LoadResult::Loaded);
    EXPECT_EQ(EntryTable(TerminAm, 1), Cell("01.01.0100"));
    EXPECT_EQ(EntryTable(TerminAm, 2), Cell("01.01.0100"));
    EXPECT_EQ(EntryTable(TerminAm, 3), Cell("01.02.2003"));
    EXPECT_EQ(EntryTable(TerminAm, 4), Cell("01.01.0100"));
    EXPECT_EQ(EntryTable(TerminAm, 5), Cell("01.01.0100"));
    EXPECT_EQ(EntryTable(TerminAm, 6), Cell("15.06.1980"));
    EXPECT_EQ(EntryTable(TerminAm, 7), Cell("01.01.0100"));
    EXPECT_EQ(messages(),
              (std::vector<std::string>{DateErrorMessage(3, "31.04.2024"), DateErrorMessage(2, "29.02.2024"),
                                        DateErrorMessage(2, "15.06.0099"), DateErrorMessage(3, "")}));
}

TEST_F(AppointmentFile, DateMessagesComeBeforeTheEndOfFileMessage) {
    dir.write("Familie.tmf", HeaderWithCount("3") + EntryBytes({"A", "", "32.01.2000"}) + EntryBytes({"B"}));
    EXPECT_EQ(LoadAppointmentFile(path, "Alles"), LoadResult::Truncated);
    EXPECT_EQ(messages(), (std::vector<std::string>{DateErrorMessage(3, "32.01.2000"),
                                                    "Dateiende bei 2 einträgen erreicht !"}));
}

TEST_F(AppointmentFile, HeaderDateIsNotValidated) {
    Row h = test::MakeHeader(0, "kein Datum");
    dir.write("Familie.tmf", test::AppointmentFileBytes(h, {}));
    ASSERT_EQ(LoadAppointmentFile(path, "Alles"), LoadResult::Loaded);
    EXPECT_EQ(EntryTable(HeaderLastCheck, 0), Cell("kein Datum"));
    EXPECT_TRUE(messages().empty());
}

// --------------------------------------------------------- header-only load

TEST_F(AppointmentFile, HeaderOnlyLoadReadsRecordZeroAndTheCount) {
    PutOldTable(2);
    dir.write("Familie.tmf", test::AppointmentFileBytes({{"A", "", "31.04.2024"}, {"B"}, {"C"}, {"D"}, {"E"}},
                                                        "14.06.2024", 3, 5));
    ASSERT_EQ(LoadAppointmentFile(path, ""), LoadResult::Loaded);
    EXPECT_EQ(EntryCount, 5);
    EXPECT_EQ(EntryTable.lastRow(), 2);  // not resized
    EXPECT_EQ(EntryTable(Vorname, 1), Cell("alt1"));
    EXPECT_EQ(EntryTable(Vorname, 2), Cell("alt2"));
    EXPECT_EQ(EntryTable(HeaderCount, 0), Cell("5"));
    EXPECT_EQ(EntryTable(HeaderOutputChoice, 0), Cell("3"));
    EXPECT_EQ(EntryTable(HeaderSortChoice, 0), Cell("5"));
    EXPECT_EQ(EntryTable(HeaderVersion, 0), Cell("2.27"));
    EXPECT_EQ(EntryTable(HeaderLastCheck, 0), Cell("14.06.2024"));
    EXPECT_TRUE(messages().empty());  // entries, and their dates, are not read
    EXPECT_TRUE(platform.progress.empty());
}

TEST_F(AppointmentFile, HeaderOnlyLoadWithCountThatIsNoNumberCannotBeLoaded) {
    for (const char* count : {"abc", "", "-1"}) {
        platform.clearRecords();
        PutOldTable(1);
        dir.write("Familie.tmf", HeaderWithCount(count));
        EXPECT_EQ(LoadAppointmentFile(path, ""), LoadResult::Failed) << count;
        EXPECT_EQ(messages(), std::vector<std::string>{path + " konnte nicht geladen werden !"});
        EXPECT_EQ(EntryTable(Vorname, 0), Cell("alt0"));
        EXPECT_EQ(EntryCount, 1);
    }
}

TEST_F(AppointmentFile, FullSaveAfterHeaderOnlyLoadRefusesToDropTheEntries) {
    const std::string original = test::AppointmentFileBytes({{"A"}, {"B"}, {"C"}});
    dir.write("Familie.tmf", original);
    ASSERT_EQ(LoadAppointmentFile(path, ""), LoadResult::Loaded);
    EXPECT_FALSE(SaveAppointmentFile(path, "Alles", "Datum"));
    EXPECT_EQ(dir.read("Familie.tmf"), original);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].rfind("Die Datei " + path + " konnte nicht gespeichert werden !", 0), 0u);
}

TEST_F(AppointmentFile, FullSaveAfterHeaderOnlyLoadIsRefusedWhateverTheTableHolds) {
    // The table still holds the five rows of the file loaded before: enough
    // rows for the three the header promises, none of them this file's.
    dir.write("Gross.tmf", test::AppointmentFileBytes({{"G1"}, {"G2"}, {"G3"}, {"G4"}, {"G5"}}));
    const std::string original = test::AppointmentFileBytes({{"A"}, {"B"}, {"C"}});
    dir.write("Familie.tmf", original);
    ASSERT_EQ(LoadAppointmentFile(dir.file("Gross.tmf"), "Alles"), LoadResult::Loaded);
    ASSERT_EQ(LoadAppointmentFile(path, ""), LoadResult::Loaded);
    ASSERT_EQ(EntryCount, 3);
    EXPECT_FALSE(SaveAppointmentFile(path, "Alles", "Datum"));
    EXPECT_EQ(dir.read("Familie.tmf"), original);
    // A header-only save is what such a table is for.
    EXPECT_TRUE(SaveAppointmentFile(path, "", ""));
    // Once the file is loaded in full, or a new file is started, the table
    // is whole again.
    ASSERT_EQ(LoadAppointmentFile(path, "Alles"), LoadResult::Loaded);
    EXPECT_TRUE(SaveAppointmentFile(path, "Alles", ""));
    ASSERT_EQ(LoadAppointmentFile(path, ""), LoadResult::Loaded);
    ResetData("F[]", "");
    EXPECT_TRUE(SaveAppointmentFile(dir.file("Neu.tmf"), "Alles", ""));
}

TEST_F(AppointmentFile, BadDatesShowAFewMessagesPerFileAndSumUpTheRest) {
    for (int bad : {1, 5, 6, 12}) {
        SCOPED_TRACE(bad);
        platform.messages.clear();
        std::vector<EntrySpec> entries(static_cast<std::size_t>(bad), EntrySpec{.termin = "kein Datum"});
        entries.push_back({.vorname = "gut", .termin = "02.03.1990"});
        dir.write("Familie.tmf", test::AppointmentFileBytes(entries));
        ASSERT_EQ(LoadAppointmentFile(path, "Alles"), LoadResult::Loaded);
        for (int r = 1; r <= bad; ++r) EXPECT_EQ(EntryTable(TerminAm, r), Cell("01.01.0100"));
        EXPECT_EQ(EntryTable(TerminAm, bad + 1), Cell("02.03.1990"));
        const auto shown = messages();
        ASSERT_EQ(shown.size(), static_cast<std::size_t>(std::min(bad, 5) + (bad > 5 ? 1 : 0)));
        for (int m = 0; m < std::min(bad, 5); ++m) EXPECT_EQ(shown[static_cast<std::size_t>(m)].rfind("Datumsfehler: 3", 0), 0u);
        if (bad > 5) {
            EXPECT_EQ(shown.back(), "Datumsfehler in " + path + " :\r\n\r\nWeitere " + std::to_string(bad - 5) +
                                        " Einträge haben kein gültiges Datum.\r\nFür sie wird der 01.01.0100 angenommen.");
        }
    }
}

// --------------------------------------------------------------------- save

TEST_F(AppointmentFile, FullSaveWritesCountPlusOneRecordsOfTheTable) {
    std::vector<EntrySpec> entries = {{"Anna", "Ober", "01.01.2000"}, {"Max", "Zeh", "02.02.1990"}};
    test::LoadIntoState(entries, "01.06.2024");
    EntryTable(HeaderCount, 0) = Cell("17");  // kept equal to EntryCount when written
    ASSERT_TRUE(SaveAppointmentFile(path, "Alles", ""));
    std::string bytes = dir.read("Familie.tmf");
    ASSERT_EQ(bytes.size(), 3 * kRecordSize);
    EXPECT_EQ(EntryTable(HeaderCount, 0).asInteger(), 2);
    EXPECT_EQ(bytes, test::AppointmentFileBytes(entries, "01.06.2024"));
}

TEST_F(AppointmentFile, FullSaveWritesOnlyRowsUpToTheCount) {
    test::LoadIntoState({{"A"}, {"B"}, {"C"}});
    DeleteEntry(1);
    ASSERT_TRUE(SaveAppointmentFile(path, "Alles", ""));
    std::string bytes = dir.read("Familie.tmf");
    ASSERT_EQ(bytes.size(), 3 * kRecordSize);
    EXPECT_EQ(DecodeAt(bytes, 0)[HeaderCount], Cell("2"));
    EXPECT_EQ(DecodeAt(bytes, 1)[Vorname], Cell("B"));
    EXPECT_EQ(DecodeAt(bytes, 2)[Vorname], Cell("C"));
}

TEST_F(AppointmentFile, FullSaveReplacesALongerFileCompletely) {
    dir.write("Familie.tmf", test::AppointmentFileBytes(test::GenerateEntries(10)));
    test::LoadIntoState({{"Einzig"}});
    ASSERT_TRUE(SaveAppointmentFile(path, "Alles", ""));
    EXPECT_EQ(dir.read("Familie.tmf").size(), 2 * kRecordSize);
    EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"Familie.tmf"});
}

TEST_F(AppointmentFile, OptionDatumStampsTodayAndTheEmptyOptionKeepsTheDate) {
    test::LoadIntoState({{"A"}}, "01.01.2020");
    ASSERT_TRUE(SaveAppointmentFile(path, "Alles", ""));
    EXPECT_EQ(DecodeAt(dir.read("Familie.tmf"), 0)[HeaderLastCheck], Cell("01.01.2020"));
    ASSERT_TRUE(SaveAppointmentFile(path, "Alles", "Datum"));
    EXPECT_EQ(EntryTable(HeaderLastCheck, 0), Cell("15.06.2024"));
    EXPECT_EQ(DecodeAt(dir.read("Familie.tmf"), 0)[HeaderLastCheck], Cell("15.06.2024"));
    platform.setToday(2025, 1, 2);
    ASSERT_TRUE(SaveAppointmentFile(path, "", "Datum"));
    EXPECT_EQ(DecodeAt(dir.read("Familie.tmf"), 0)[HeaderLastCheck], Cell("02.01.2025"));
}

TEST_F(AppointmentFile, SaveReportsProgressAtEveryTenthRecordAndTheLast) {
    test::LoadIntoState(test::GenerateEntries(25));
    ASSERT_TRUE(SaveAppointmentFile(path, "Alles", ""));
    EXPECT_EQ(platform.progress, Calls("Speicher...", {0, 10, 20, 25}, 25));
    platform.clearRecords();
    test::LoadIntoState(test::GenerateEntries(30));
    ASSERT_TRUE(SaveAppointmentFile(path, "Alles", ""));
    EXPECT_EQ(platform.progress, Calls("Speicher...", {0, 10, 20, 30}, 30));
    platform.clearRecords();
    test::LoadIntoState({});
    ASSERT_TRUE(SaveAppointmentFile(path, "Alles", ""));
    EXPECT_EQ(platform.progress, Calls("Speicher...", {0}, 0));
}

TEST_F(AppointmentFile, HeaderOnlySaveRewritesBytesZeroTo387Only) {
    const std::string original = test::AppointmentFileBytes(test::GenerateEntries(5), "01.01.2024", 1, 2);
    dir.write("Familie.tmf", original);
    ASSERT_EQ(LoadAppointmentFile(path, ""), LoadResult::Loaded);
    EntryTable(HeaderOutputChoice, 0) = Cell(3);
    EntryTable(HeaderSortChoice, 0) = Cell("6");
    platform.clearRecords();
    ASSERT_TRUE(SaveAppointmentFile(path, "", "Datum"));
    const std::string now = dir.read("Familie.tmf");
    ASSERT_EQ(now.size(), original.size());
    EXPECT_EQ(now.substr(kRecordSize), original.substr(kRecordSize));
    EXPECT_NE(now.substr(0, kRecordSize), original.substr(0, kRecordSize));
    Row h = DecodeAt(now, 0);
    EXPECT_EQ(h[HeaderCount], Cell("5"));
    EXPECT_EQ(h[HeaderOutputChoice], Cell("3"));
    EXPECT_EQ(h[HeaderSortChoice], Cell("6"));
    EXPECT_EQ(h[HeaderLastCheck], Cell("15.06.2024"));
    EXPECT_EQ(platform.progress, Calls("Speicher...", {0}, 0));
    // The entries are still there for a full load.
    ASSERT_EQ(LoadAppointmentFile(path, "Alles"), LoadResult::Loaded);
    EXPECT_EQ(EntryCount, 5);
}

// The file holds one record: an empty header stamped with today's date.
static Row FreshHeaderOnDisk(const test::TempDir& dir) {
    const std::string bytes = dir.read("Familie.tmf");
    EXPECT_EQ(bytes.size(), kRecordSize);
    if (bytes.size() < kRecordSize) return {};
    Row h = DecodeAt(bytes, 0);
    EXPECT_EQ(h[HeaderCount], Cell("0"));
    EXPECT_EQ(h[HeaderOutputChoice], Cell("0"));
    EXPECT_EQ(h[HeaderSortChoice], Cell("0"));
    EXPECT_EQ(h[HeaderVersion], Cell("2.27"));
    EXPECT_EQ(h[HeaderLastCheck], Cell("15.06.2024"));
    return h;
}

TEST_F(AppointmentFile, HeaderOnlySaveOntoAMissingFileCreatesOneRecord) {
    ResetFileHeader();
    ASSERT_TRUE(SaveAppointmentFile(path, "", "Datum"));
    const Row h = FreshHeaderOnDisk(dir);
    EXPECT_EQ(h[HeaderReserved], Cell(0));
    ASSERT_EQ(LoadAppointmentFile(path, "Alles"), LoadResult::Loaded);
    EXPECT_EQ(EntryCount, 0);
}

TEST_F(AppointmentFile, FailedFullSaveLeavesTheOldFileByteForByte) {
    const std::string original = test::AppointmentFileBytes(test::GenerateEntries(4, 9));
    dir.write("Familie.tmf", original);
    test::LoadIntoState(test::GenerateEntries(7, 2));
    for (std::size_t failAfter : {std::size_t{0}, std::size_t{1}, std::size_t{387}, std::size_t{500},
                                  7 * kRecordSize, 8 * kRecordSize - 1}) {
        platform.clearRecords();
        SetWriteFailureAfterBytesForTesting(failAfter);
        EXPECT_FALSE(SaveAppointmentFile(path, "Alles", "Datum")) << failAfter;
        SetWriteFailureAfterBytesForTesting(std::nullopt);
        EXPECT_EQ(dir.read("Familie.tmf"), original) << failAfter;
        EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"Familie.tmf"}) << "no temporary file left";
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_EQ(
            platform.messages[0].text.rfind("Die Datei " + path + " konnte nicht gespeichert werden !", 0),
            0u);
        EXPECT_EQ(platform.messages[0].kind, MessageKind::Error);
    }
    // Once the hook is off the same save works.
    EXPECT_TRUE(SaveAppointmentFile(path, "Alles", "Datum"));
    EXPECT_EQ(dir.read("Familie.tmf").size(), 8 * kRecordSize);
}

TEST_F(AppointmentFile, FailedFullSaveOfANewFileLeavesNoFile) {
    test::LoadIntoState({{"A"}});
    SetWriteFailureAfterBytesForTesting(100);
    EXPECT_FALSE(SaveAppointmentFile(path, "Alles", ""));
    SetWriteFailureAfterBytesForTesting(std::nullopt);
    EXPECT_TRUE(FilesIn(dir.path()).empty());
}

TEST_F(AppointmentFile, SaveIntoAMissingFolderFailsWithAMessage) {
    test::LoadIntoState({{"A"}});
    const std::string nowhere = dir.file("gibtsnicht/a.tmf");
    EXPECT_FALSE(SaveAppointmentFile(nowhere, "Alles", ""));
    EXPECT_FALSE(SaveAppointmentFile(nowhere, "", ""));
    ASSERT_EQ(messages().size(), 2u);
    for (const auto& m : messages())
        EXPECT_EQ(m.rfind("Die Datei " + nowhere + " konnte nicht gespeichert werden !", 0), 0u);
}

TEST_F(AppointmentFile, FullSaveKeepsTheFilePermissions) {
    dir.write("Familie.tmf", test::AppointmentFileBytes({{"A"}}));
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    test::LoadIntoState({{"B"}});
    ASSERT_TRUE(SaveAppointmentFile(path, "Alles", ""));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// -------------------------------------------------------------- save prompt

TEST_F(AppointmentFile, SavePromptYesWritesTheFileWithTodayAndClearsModified) {
    test::LoadIntoState({{"Anna"}}, "01.01.2020");
    Modified = 1;
    platform.queueAnswer(Answer::Yes);
    EXPECT_TRUE(AskSaveIfChanged(path));
    ASSERT_EQ(platform.questions.size(), 1u);
    EXPECT_EQ(platform.questions[0], "->" + path + " Datei wurde geändert !\r\nABSPEICHERN ?");
    EXPECT_EQ(platform.messages[0].kind, MessageKind::Information);
    EXPECT_EQ(Modified, 0);
    const std::string bytes = dir.read("Familie.tmf");
    ASSERT_EQ(bytes.size(), 2 * kRecordSize);
    EXPECT_EQ(DecodeAt(bytes, 0)[HeaderLastCheck], Cell("15.06.2024"));
    EXPECT_EQ(DecodeAt(bytes, 1)[Vorname], Cell("Anna"));
}

TEST_F(AppointmentFile, SavePromptNoWritesNothingAndKeepsModified) {
    test::LoadIntoState({{"Anna"}});
    Modified = 1;
    platform.queueAnswer(Answer::No);
    EXPECT_FALSE(AskSaveIfChanged(path));
    EXPECT_EQ(Modified, 1);
    EXPECT_FALSE(FileExists(path));
}

TEST_F(AppointmentFile, SavePromptWithAFailedSaveKeepsModifiedAndTheOldFile) {
    const std::string original = test::AppointmentFileBytes({{"alt"}});
    dir.write("Familie.tmf", original);
    test::LoadIntoState({{"neu"}, {"neu2"}});
    Modified = 1;
    platform.queueAnswer(Answer::Yes);
    SetWriteFailureAfterBytesForTesting(10);
    EXPECT_FALSE(AskSaveIfChanged(path));
    SetWriteFailureAfterBytesForTesting(std::nullopt);
    EXPECT_EQ(Modified, 1);
    EXPECT_EQ(dir.read("Familie.tmf"), original);
    ASSERT_EQ(messages().size(), 2u);  // the question, then the failure
    EXPECT_NE(messages()[1].find(path), std::string::npos);
    EXPECT_NE(messages()[1].find("nicht gespeichert"), std::string::npos);
}

// ------------------------------------------------------------ new and reset

TEST_F(AppointmentFile, NewFileIsTheResetHeaderSavedWithTheDate) {
    PutOldTable(3);
    ResetData("F[]", "");
    ASSERT_TRUE(SaveAppointmentFile(path, "", "Datum"));
    const Row h = FreshHeaderOnDisk(dir);
}

TEST_F(AppointmentFile, ResetToTestFileMakesTestDateiCurrentWithDefaultsAndCreatesIt) {
    PutOldTable(3);
    CheckList(0) = dir.file("kaputt.tmf");
    CheckList(1) = dir.file("andere.tmf");
    SettingsLines(CheckAtStart) = "0";
    SettingsLines(CountdownSeconds) = "9";
    ResetToTestFile();
    EXPECT_EQ(CurrentFile(), dir.file("TestDatei.tmf"));
    EXPECT_EQ(CheckList(1), dir.file("andere.tmf"));
    EXPECT_EQ(SettingsLines(CheckAtStart), "1");
    EXPECT_EQ(SettingsLines(CountdownSeconds), "3");
    EXPECT_EQ(EntryCount, 0);
    const std::string bytes = dir.read("TestDatei.tmf");
    ASSERT_EQ(bytes.size(), kRecordSize);
    EXPECT_EQ(DecodeAt(bytes, 0)[HeaderCount], Cell("0"));
    EXPECT_EQ(DecodeAt(bytes, 0)[HeaderLastCheck], Cell("15.06.2024"));
}

TEST_F(AppointmentFile, ConstantsAreTheProgramsOwnTexts) {
    EXPECT_STREQ(kFileFilter, "Termifoliodateien (*.tmf)");
    EXPECT_STREQ(kDefaultFileName, "Termif98.tmf");
    EXPECT_STREQ(kTestFileName, "TestDatei.tmf");
}
