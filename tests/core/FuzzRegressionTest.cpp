// Every input kept under tests/fuzz/regressions/ goes through the same checks
// as in the fuzz targets, so that a fault the fuzzers once found stays fixed in
// the ordinary build. The faults themselves are pinned down by name below.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../fuzz/FuzzReaders.h"
#include "../fuzz/FuzzVCard.h"
#include "CheckListEdit.h"
#include "CoreFixture.h"
#include "Cp1252.h"
#include "Dates.h"
#include "Scramble.h"
#include "ListFiles.h"
#include "State.h"

using namespace tmf;
using tmf::test::CoreTest;

namespace {

namespace fs = std::filesystem;

fs::path RegressionDir(const std::string& target) {
    return fs::path(TMF_SOURCE_DIR) / "tests" / "fuzz" / "regressions" / target;
}

std::vector<fs::path> InputsOf(const std::string& target) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(RegressionDir(target), ec))
        if (e.is_regular_file()) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::string Contents(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

template <typename Check>
void RunAll(const std::string& target, Check check) {
    const auto files = InputsOf(target);
    ASSERT_FALSE(files.empty()) << "no inputs in " << RegressionDir(target);
    for (const auto& f : files) {
        SCOPED_TRACE(f.filename().string());
        EXPECT_EQ(check(Contents(f)), "");
    }
}

}  // namespace

TEST(FuzzRegressions, AppointmentFileInputsLoadSaveAndReloadConsistently) {
    fuzz::ScratchDir dir;
    RunAll("appointment_file", [&](const std::string& bytes) { return fuzz::CheckAppointmentFile(bytes, dir.path()); });
}

TEST(FuzzRegressions, ListFileInputsReadAsCheckListAndTermNames) {
    fuzz::ScratchDir dir;
    RunAll("list_files", [&](const std::string& bytes) { return fuzz::CheckListFiles(bytes, dir.path()); });
}

TEST(FuzzRegressions, ConverterOutputInputsGiveRowsTheFileWriterTakes) {
    fuzz::ScratchDir dir;
    RunAll("converter_output", [&](const std::string& bytes) { return fuzz::CheckConverterOutput(bytes, dir.path()); });
}

TEST(FuzzRegressions, DateTextInputsKeepTheirPromises) {
    RunAll("dates", [](const std::string& bytes) { return fuzz::CheckDateTexts(bytes); });
}

// A check list with gaps comes only from a "Liste.dat" written elsewhere, but
// removing or adding a slot must not lose a file listed beyond the gap.
class CheckListGaps : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        existing = dir.file("da.tmf");
        dir.write("da.tmf", "x");
    }
    std::string existing;
};

TEST_F(CheckListGaps, RemovingASlotKeepsTheFileBeyondTheGap) {
    CheckList(0) = "/weg/a.tmf";
    CheckList(2) = existing;
    EditCheckList("0", "Raus");
    EXPECT_EQ(CheckList(0), "");
    EXPECT_EQ(CheckList(1), existing);
    EXPECT_EQ(CheckList(2), "");
}

TEST_F(CheckListGaps, RemovingASlotLeavesNoDoubleInSlot100) {
    CheckList(0) = "/weg/a.tmf";
    CheckList(100) = existing;
    EditCheckList("0", "Raus");
    EXPECT_EQ(CheckList(99), existing);
    EXPECT_EQ(CheckList(100), "");
    EXPECT_EQ(UsedCheckListSlots(), 1);
}

TEST_F(CheckListGaps, RemovingFromAFullListStillEmptiesTheLastSlot) {
    for (int k = 0; k < kCheckListSlots; ++k) CheckList(k) = "/f" + std::to_string(k);
    EditCheckList("100", "Raus");
    EXPECT_EQ(CheckList(99), "/f99");
    EXPECT_EQ(CheckList(100), "");
    EditCheckList("0", "Raus");
    EXPECT_EQ(CheckList(0), "/f1");
    EXPECT_EQ(CheckList(98), "/f99");
    EXPECT_EQ(CheckList(99), "");
}

TEST_F(CheckListGaps, AddingAFileMovesOnlyTheSlotsBeforeTheGap) {
    CheckList(0) = "/a.tmf";
    CheckList(2) = "/c.tmf";
    EditCheckList("/neu.tmf", "Neu");
    EXPECT_EQ(CheckList(0), "/neu.tmf");
    EXPECT_EQ(CheckList(1), "/a.tmf");
    EXPECT_EQ(CheckList(2), "/c.tmf");
    EXPECT_EQ(UsedCheckListSlots(), 3);
}

TEST_F(CheckListGaps, AddingAFileListedBeyondTheGapMakesItCurrentWithoutACopy) {
    CheckList(0) = "/a.tmf";
    CheckList(2) = existing;
    EditCheckList(existing, "Neu");
    EXPECT_EQ(CheckList(0), existing);
    EXPECT_EQ(CheckList(2), "/a.tmf");
    EXPECT_EQ(UsedCheckListSlots(), 2);
}

TEST_F(CheckListGaps, LoadingDropsTheVanishedFileAndKeepsTheOneBeyondTheGap) {
    std::string bytes;
    for (int k = 0; k < kListLineCount; ++k) {
        std::string line = k == 20 ? "/weg/a.tmf" : k == 22 ? existing : "";
        bytes += EncodeListLine(line) + "\r\n";
    }
    dir.write(kCheckListFileName, bytes);
    ASSERT_TRUE(LoadCheckList());
    EXPECT_EQ(CheckList(0), "");
    EXPECT_EQ(CheckList(1), existing);
    EXPECT_EQ(UsedCheckListSlots(), 1);
    ASSERT_EQ(messages().size(), 1u);
    ResetProgramState();
    ASSERT_TRUE(LoadCheckList());
    EXPECT_EQ(CheckList(1), existing) << "the rewritten file lost it";
}

TEST_F(CoreTest, TextLineTakesAnyLineNumberAnIntHolds) {
    const std::string text = "A\r\nB\r\nC";
    EXPECT_EQ(TextLine(text, INT_MAX), "C");
    EXPECT_EQ(TextLine(text, INT_MAX / 2 + 1), "C");
    EXPECT_EQ(TextLine(text, INT_MIN), "C");
    EXPECT_EQ(TextLine(text, 2), "B");
}

// The record code unscrambles eight bytes at a time; every length of the
// longest field, with one umlaut at every place (or none), must give the
// bytes a plain byte-wise xor gives, and read back unchanged.
TEST(WordWiseScrambling, EveryLengthAndUmlautPositionMatchesTheByteWiseRule) {
    for (std::size_t length = 0; length <= 100; ++length) {
        for (std::size_t umlaut = 0; umlaut <= length; ++umlaut) {
            std::string cp1252;
            for (std::size_t i = 0; i < length; ++i) cp1252 += i == umlaut ? '\xE4' : static_cast<char>('a' + i % 26);
            Row row;
            row[Bemerkung] = Cell(Cp1252ToUtf8(cp1252));
            unsigned char record[kRecordSize];
            EncodeRecord(row, record);
            ASSERT_EQ(record[63], length);
            const unsigned char key = ScrambleKey(length);
            for (std::size_t i = 0; i < length; ++i)
                ASSERT_EQ(record[64 + i], static_cast<unsigned char>(cp1252[i]) ^ key) << length << "/" << i;
            Row back;
            DecodeRecord(record, back);
            ASSERT_EQ(back[Bemerkung], row[Bemerkung]) << "length " << length << ", umlaut at " << umlaut;
        }
    }
}

TEST_F(CoreTest, VCardInputsGiveStorableEntriesAndAWellFormedCalendar) {
    RunAll("vcard", [](const std::string& bytes) { return fuzz::CheckVCard(bytes); });
}
