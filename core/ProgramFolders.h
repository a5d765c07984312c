#pragma once
// Where the program's files are. Decided once at start from the layout the
// program file finds itself in, never from write permission (root may write
// anywhere):
// - beside the program (the build tree, an unpacked folder): data in
//   "daten/" next to the program file, sounds in "musik/", "spezial/";
// - installed as <prefix>/bin/<program> with <prefix>/share/termifolio98/:
//   the user's data in $XDG_DATA_HOME/Termifolio98/daten/ (by default
//   ~/.local/share/...), the shipped sounds and documents under share/.
// Standard C++ only, so that the terminal program decides the same way.
#include <functional>
#include <string>

namespace tmf {

struct ProgramFolders {
    bool installed = false;
    std::string programFile;  // the program file really running
    std::string program;      // its folder; every folder here ends in "/"
    std::string data;         // appointment files, "Liste.dat", "Termin.dat"
    std::string sounds;
    std::string special;
    std::string documents;    // "Beschreibung.doc"
    std::string dialogStart;  // where the file pickers open
};

// Reads an environment variable; nullptr when it is not set.
using EnvironmentLookup = std::function<const char*(const char*)>;

// programFile: the absolute path of the running program file.
ProgramFolders LocateProgramFolders(const std::string& programFile, const EnvironmentLookup& environment);
ProgramFolders LocateProgramFolders(const std::string& programFile);

// The installed layout's user data folder from XDG_DATA_HOME and HOME
// (a relative XDG_DATA_HOME is ignored, as the XDG rules ask).
std::string UserDataFolder(const EnvironmentLookup& environment);

// Creates the data folder with its parents when it is missing; new folders
// are private to the user. False when it does not exist afterwards, with the
// reason in German.
bool MakeDataFolder(const std::string& folder, std::string* reason = nullptr);

// After SetupFolders: true when DataDir is a folder, made now if need be.
// Otherwise it says once, as an error, that the folder cannot be made and
// where, and returns false: every file the program reads or writes lives
// there, so it ends instead of failing on each of them.
bool DataFolderReady();

}  // namespace tmf
