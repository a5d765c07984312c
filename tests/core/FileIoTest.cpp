// The file helpers under the data files: whole reads, writes that replace a
// file completely or not at all, writes in place, and path identity.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "CoreFixture.h"
#include "FileIo.h"

using namespace tmf;
using tmf::test::CoreTest;
namespace fs = std::filesystem;

class FileIo : public CoreTest {
protected:
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir.path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

// ------------------------------------------------------------------ reads

TEST_F(FileIo, ReadWholeFileGivesEveryByte) {
    std::string bytes;
    for (int i = 0; i < 70000; ++i) bytes.push_back(static_cast<char>(i * 7));
    dir.write("a.bin", bytes);
    auto read = ReadWholeFile(dir.file("a.bin"));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, bytes);
    dir.write("leer", "");
    EXPECT_EQ(ReadWholeFile(dir.file("leer")), std::optional<std::string>(""));
}

TEST_F(FileIo, ReadWholeFileOfAMissingFileOrAFolderFailsWithAReason) {
    IoError error;
    EXPECT_FALSE(ReadWholeFile(dir.file("fehlt"), &error).has_value());
    EXPECT_EQ(error.reason, "Datei oder Ordner nicht gefunden.");
    EXPECT_FALSE(ReadWholeFile(dir.path(), &error).has_value());
    EXPECT_EQ(error.reason, "Der Name bezeichnet einen Ordner.");
}

// ---------------------------------------------------------- atomic writes

TEST_F(FileIo, AtomicWriteCreatesAndReplaces) {
    ASSERT_TRUE(WriteFileAtomically(dir.file("a"), "erste Fassung"));
    EXPECT_EQ(dir.read("a"), "erste Fassung");
    ASSERT_TRUE(WriteFileAtomically(dir.file("a"), "kurz"));
    EXPECT_EQ(dir.read("a"), "kurz");
    ASSERT_TRUE(WriteFileAtomically(dir.file("a"), ""));
    EXPECT_EQ(dir.read("a"), "");
    EXPECT_EQ(Names(), std::vector<std::string>{"a"});
}

TEST_F(FileIo, FailedAtomicWriteLeavesTheOldFileAndNoTemporaryFile) {
    dir.write("a", "alt und gut");
    for (std::size_t after : {0u, 1u, 5u, 99u}) {
        SetWriteFailureAfterBytesForTesting(after);
        IoError error;
        EXPECT_FALSE(WriteFileAtomically(dir.file("a"), std::string(100, 'n'), &error)) << after;
        EXPECT_EQ(error.reason, "Ein-/Ausgabefehler.");
        EXPECT_EQ(dir.read("a"), "alt und gut");
        EXPECT_EQ(Names(), std::vector<std::string>{"a"});
    }
    SetWriteFailureAfterBytesForTesting(100);  // exactly enough
    EXPECT_TRUE(WriteFileAtomically(dir.file("a"), std::string(100, 'n')));
    SetWriteFailureAfterBytesForTesting(std::nullopt);
    EXPECT_EQ(dir.read("a"), std::string(100, 'n'));
}

TEST_F(FileIo, AtomicWriteThroughALinkReplacesTheTargetAndKeepsTheLink) {
    fs::create_directory(dir.file("echt"));
    dir.write("echt/a.tmf", "alt");
    fs::create_symlink(dir.file("echt/a.tmf"), dir.file("link.tmf"));
    ASSERT_TRUE(WriteFileAtomically(dir.file("link.tmf"), "neu"));
    EXPECT_TRUE(fs::is_symlink(dir.file("link.tmf")));
    EXPECT_EQ(dir.read("echt/a.tmf"), "neu");
}

TEST_F(FileIo, AtomicWriteKeepsThePermissions) {
    dir.write("a", "x");
    ASSERT_EQ(::chmod(dir.file("a").c_str(), 0640), 0);
    ASSERT_TRUE(WriteFileAtomically(dir.file("a"), "y"));
    struct stat st {};
    ASSERT_EQ(::stat(dir.file("a").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(FileIo, AtomicWriteIntoAMissingFolderFails) {
    IoError error;
    EXPECT_FALSE(WriteFileAtomically(dir.file("fehlt/a"), "x", &error));
    EXPECT_EQ(error.reason, "Datei oder Ordner nicht gefunden.");
}

TEST_F(FileIo, AtomicWriteIntoAReadOnlyFolderFailsAndKeepsTheFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may write anywhere";
    fs::create_directory(dir.file("nurlesen"));
    dir.write("nurlesen/a", "alt");
    ASSERT_EQ(::chmod(dir.file("nurlesen").c_str(), 0555), 0);
    IoError error;
    EXPECT_FALSE(WriteFileAtomically(dir.file("nurlesen/a"), "neu", &error));
    EXPECT_EQ(error.reason, "Keine Berechtigung.");
    ::chmod(dir.file("nurlesen").c_str(), 0755);
    EXPECT_EQ(dir.read("nurlesen/a"), "alt");
}

// ------------------------------------------------------- writes in place

TEST_F(FileIo, WriteAtChangesOnlyTheGivenBytes) {
    dir.write("a", "0123456789");
    ASSERT_TRUE(WriteFileAt(dir.file("a"), 2, "ab"));
    EXPECT_EQ(dir.read("a"), "01ab456789");
    ASSERT_TRUE(WriteFileAt(dir.file("a"), 8, "XYZ"));
    EXPECT_EQ(dir.read("a"), "01ab4567XYZ");
}

TEST_F(FileIo, WriteAtCreatesAMissingFile) {
    ASSERT_TRUE(WriteFileAt(dir.file("neu"), 0, "kopf"));
    EXPECT_EQ(dir.read("neu"), "kopf");
}

// ------------------------------------------------------ names and checks

TEST_F(FileIo, ExistenceDistinguishesFilesAndFolders) {
    dir.write("a", "x");
    fs::create_directory(dir.file("ordner"));
    EXPECT_TRUE(FileExists(dir.file("a")));
    EXPECT_FALSE(FileExists(dir.file("ordner")));
    EXPECT_FALSE(FileExists(dir.file("fehlt")));
    EXPECT_FALSE(FileExists(""));
    EXPECT_TRUE(DirectoryExists(dir.file("ordner")));
    EXPECT_FALSE(DirectoryExists(dir.file("a")));
    EXPECT_FALSE(DirectoryExists(""));
    EXPECT_TRUE(DeleteFile(dir.file("a")));
    EXPECT_FALSE(FileExists(dir.file("a")));
    EXPECT_FALSE(DeleteFile(dir.file("a")));
}

TEST_F(FileIo, SameFileWhenTheFileSystemSaysSo) {
    dir.write("a.tmf", "x");
    fs::create_symlink(dir.file("a.tmf"), dir.file("link.tmf"));
    fs::create_hard_link(dir.file("a.tmf"), dir.file("hart.tmf"));
    EXPECT_TRUE(SameFile(dir.file("a.tmf"), dir.file("a.tmf")));
    EXPECT_TRUE(SameFile(dir.file("a.tmf"), dir.path() + "./x/../a.tmf"));
    EXPECT_TRUE(SameFile(dir.file("a.tmf"), dir.path() + "/a.tmf"));
    EXPECT_TRUE(SameFile(dir.file("link.tmf"), dir.file("a.tmf")));
    EXPECT_TRUE(SameFile(dir.file("hart.tmf"), dir.file("a.tmf")));
    // Missing files are the same only when their paths are.
    EXPECT_TRUE(SameFile(dir.file("fehlt.tmf"), dir.path() + "./fehlt.tmf"));
    EXPECT_FALSE(SameFile(dir.file("fehlt.tmf"), dir.file("fehlt2.tmf")));
}

TEST_F(FileIo, PathsDifferingInLetterCaseAreDifferentFiles) {
    dir.write("a.tmf", "x");
    dir.write("A.TMF", "y");
    EXPECT_FALSE(SameFile(dir.file("a.tmf"), dir.file("A.TMF")));
    EXPECT_FALSE(SameFile(dir.file("b.tmf"), dir.file("B.TMF")));
    EXPECT_FALSE(SameFile(dir.file("a.tmf"), ""));
    EXPECT_FALSE(SameFile("", dir.file("a.tmf")));
}

TEST_F(FileIo, FileNameAndFolderOfAPath) {
    EXPECT_EQ(ExtractFileName("/daten/Familie.tmf"), "Familie.tmf");
    EXPECT_EQ(ExtractFileDir("/daten/Familie.tmf"), "/daten/");
    EXPECT_EQ(ExtractFileName("Familie.tmf"), "Familie.tmf");
    EXPECT_EQ(ExtractFileDir("Familie.tmf"), "");
    EXPECT_EQ(ExtractFileName("/daten/"), "");
    EXPECT_EQ(ExtractFileDir("/daten/"), "/daten/");
}
