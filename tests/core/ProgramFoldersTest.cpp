// Where the program keeps its data: beside the program file, or, when it is
// installed, in the user's data folder with the shipped files under share/.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>

#include "CoreFixture.h"
#include "Funky.h"
#include "ProgramFolders.h"
#include "State.h"

using namespace tmf;
using tmf::test::CoreTest;
namespace fs = std::filesystem;

namespace {

EnvironmentLookup Environment(std::map<std::string, std::string> values) {
    return [values = std::move(values)](const char* name) -> const char* {
        auto it = values.find(name);
        return it == values.end() ? nullptr : it->second.c_str();
    };
}

}  // namespace

class ProgramFoldersTest : public CoreTest {};

TEST_F(ProgramFoldersTest, TheLayoutAroundTheProgramFileDecides) {
    const std::string root = dir.path();
    struct Case {
        const char* what;
        std::vector<std::string> folders;  // made below root
        std::string programFile;           // below root
        std::map<std::string, std::string> env;
        bool installed;
        std::string data, sounds, special, documents, dialogStart;  // below root
    };
    const std::map<std::string, std::string> home{{"HOME", root + "home"}};
    const std::vector<Case> cases = {
        {"build tree", {"build/bin/daten", "build/bin/musik"}, "build/bin/Termif98", home, false,
         "build/bin/daten/", "build/bin/musik/", "build/bin/spezial/", "build/bin/daten/", "build/bin/"},
        {"unpacked folder without daten", {"t98"}, "t98/Termif98", home, false, "t98/", "t98/", "t98/spezial/",
         "t98/", "t98/"},
        {"installed, XDG_DATA_HOME unset", {"usr/bin", "usr/share/termifolio98"}, "usr/bin/termif98", home, true,
         "home/.local/share/Termifolio98/daten/", "usr/share/termifolio98/musik/",
         "usr/share/termifolio98/spezial/", "usr/share/termifolio98/daten/",
         "home/.local/share/Termifolio98/daten/"},
        {"installed, absolute XDG_DATA_HOME", {"opt/bin", "opt/share/termifolio98"}, "opt/bin/termif98",
         {{"HOME", root + "home"}, {"XDG_DATA_HOME", root + "xdg/"}}, true, "xdg/Termifolio98/daten/",
         "opt/share/termifolio98/musik/", "opt/share/termifolio98/spezial/", "opt/share/termifolio98/daten/",
         "xdg/Termifolio98/daten/"},
        {"installed, relative XDG_DATA_HOME ignored", {"usr/bin", "usr/share/termifolio98"}, "usr/bin/termif98",
         {{"HOME", root + "home"}, {"XDG_DATA_HOME", "xdg"}}, true, "home/.local/share/Termifolio98/daten/",
         "usr/share/termifolio98/musik/", "usr/share/termifolio98/spezial/", "usr/share/termifolio98/daten/",
         "home/.local/share/Termifolio98/daten/"},
        // A bin folder alone is no installation, nor is share/ beside another folder.
        {"bin without share", {"b/bin/daten"}, "b/bin/Termif98", home, false, "b/bin/daten/", "b/bin/",
         "b/bin/spezial/", "b/bin/daten/", "b/bin/"},
        {"share beside a folder not named bin", {"p/app/daten", "p/share/termifolio98"}, "p/app/Termif98", home,
         false, "p/app/daten/", "p/app/", "p/app/spezial/", "p/app/daten/", "p/app/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& f : c.folders) fs::create_directories(root + f);
        const ProgramFolders got = LocateProgramFolders(root + c.programFile, Environment(c.env));
        EXPECT_EQ(got.installed, c.installed);
        EXPECT_EQ(got.programFile, root + c.programFile);
        EXPECT_EQ(got.program, root + fs::path(c.programFile).parent_path().string() + "/");
        EXPECT_EQ(got.data, root + c.data);
        EXPECT_EQ(got.sounds, root + c.sounds);
        EXPECT_EQ(got.special, root + c.special);
        EXPECT_EQ(got.documents, root + c.documents);
        EXPECT_EQ(got.dialogStart, root + c.dialogStart);
        fs::remove_all(root + fs::path(c.programFile).begin()->string());
    }
}

TEST_F(ProgramFoldersTest, MakeDataFolderMakesPrivateFoldersAndLeavesExistingOnesAlone) {
    fs::create_directories(dir.path() + "share");
    ::chmod((dir.path() + "share").c_str(), 0755);
    const std::string data = dir.path() + "share/Termifolio98/daten/";
    ASSERT_TRUE(MakeDataFolder(data));
    EXPECT_TRUE(fs::is_directory(data));
    EXPECT_EQ(fs::status(dir.path() + "share/Termifolio98").permissions(), fs::perms::owner_all);
    EXPECT_EQ(fs::status(data).permissions(), fs::perms::owner_all);
    EXPECT_EQ(fs::status(dir.path() + "share").permissions() & fs::perms::others_read, fs::perms::others_read);
    EXPECT_TRUE(MakeDataFolder(data));  // a second start finds it

    dir.write("datei", "x");  // a file where the folder should be
    EXPECT_FALSE(MakeDataFolder(dir.path() + "datei/daten/"));
    EXPECT_FALSE(MakeDataFolder(""));
}

TEST_F(ProgramFoldersTest, ADataFolderThatCannotBeMadeIsSaidOnceWithWhereAndWhy) {
    // A file where a folder of the path should be; a read-only folder would
    // not stop root, who may run these tests.
    dir.write("datei", "x");
    fs::create_directories(dir.path() + "xdg/Termifolio98");
    dir.write("xdg/Termifolio98/daten", "x");
    const std::pair<std::string, const char*> cases[] = {
        {dir.path() + "datei/Termifolio98/daten/", "Eine Datei steht an der Stelle eines Ordners."},
        {dir.path() + "xdg/Termifolio98/daten/", "Eine Datei steht an der Stelle eines Ordners."},
    };
    for (const auto& [folder, reason] : cases) {
        SCOPED_TRACE(folder);
        platform.clearRecords();
        DataDir = folder;
        EXPECT_FALSE(DataFolderReady());
        EXPECT_EQ(messages(), std::vector<std::string>{"Der Datenordner " + folder +
                                                       " kann nicht angelegt werden !\r\n" + reason +
                                                       "\r\nEr liegt in $XDG_DATA_HOME, sonst in $HOME/.local/share. "
                                                       "Termifolio98 wird beendet."});
    }
    platform.clearRecords();
    DataDir = dir.path() + "neu/Termifolio98/daten/";
    EXPECT_TRUE(DataFolderReady());
    EXPECT_TRUE(fs::is_directory(DataDir));
    EXPECT_TRUE(messages().empty());
}

TEST_F(ProgramFoldersTest, AnInstalledProgramMakesItsDataFolderAtFirstStartAndNamesItsRealFile) {
    fs::create_directories(dir.path() + "usr/bin");
    fs::create_directories(dir.path() + "usr/share/termifolio98/musik");
    platform.programDir = dir.path() + "usr/bin/";
    const std::string xdg = dir.path() + "xdg";
    ::setenv("XDG_DATA_HOME", xdg.c_str(), 1);
    SetupFolders();
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(DataDir, xdg + "/Termifolio98/daten/");
    EXPECT_TRUE(fs::is_directory(DataDir));
    EXPECT_EQ(SoundDir, dir.path() + "usr/share/termifolio98/musik/");
    EXPECT_EQ(ProgramFile, dir.path() + "usr/bin/Termif98");
    // Nothing of the user's lands beside the program.
    EXPECT_FALSE(fs::exists(dir.path() + "usr/bin/daten"));
}
