#pragma once
// Every core test starts from the program state of a fresh start, on the
// scripted platform (today 15.06.2024), with its own data folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FileIo.h"
#include "ScriptedPlatform.h"
#include "State.h"
#include "TempDir.h"

namespace tmf::test {

class CoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform.install();
        ResetProgramState();
        platform.programDir = dir.path();
        ProgramDir = dir.path();
        DataDir = dir.path();
        SoundDir = dir.path() + "musik/";
        SpecialDir = dir.path() + "spezial/";
        SetWriteFailureAfterBytesForTesting(std::nullopt);
    }
    void TearDown() override {
        SetWriteFailureAfterBytesForTesting(std::nullopt);
        ResetProgramState();
    }

    std::vector<std::string> messages() const { return platform.messageTexts(); }

    ScriptedPlatform platform;
    TempDir dir;
};

// A text made of n copies of c.
inline std::string Chars(std::size_t n, char c = 'x') {
    return std::string(n, c);
}

}  // namespace tmf::test
