#include "ProgramFolders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>

#include "FileIoErrors.h"
#include "Ports.h"
#include "State.h"

namespace tmf {

namespace fs = std::filesystem;

namespace {

constexpr const char* kShareFolder = "share/termifolio98/";
constexpr const char* kUserFolder = "Termifolio98/daten/";

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

bool IsFolder(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

bool IsAbsolute(const char* path) { return path != nullptr && path[0] == '/'; }

std::string HomeFolder(const EnvironmentLookup& environment) {
    const char* home = environment("HOME");
    if (IsAbsolute(home)) return home;
    // A session without HOME (started by a service) still has a user.
    if (const passwd* pw = getpwuid(getuid()); pw != nullptr && IsAbsolute(pw->pw_dir)) return pw->pw_dir;
    return "/";
}

// "<prefix>/" when folder is "<prefix>/bin/" and the shipped files are there.
std::string InstalledPrefix(const std::string& folder) {
    const fs::path dir = fs::path(folder).parent_path();  // drops the trailing "/"
    if (dir.filename() != "bin") return {};
    const std::string prefix = WithSlash(dir.parent_path().string());
    return IsFolder(prefix + kShareFolder) ? prefix : std::string();
}

}  // namespace

std::string UserDataFolder(const EnvironmentLookup& environment) {
    const char* xdg = environment("XDG_DATA_HOME");
    const std::string base = IsAbsolute(xdg) ? std::string(xdg) : HomeFolder(environment) + "/.local/share";
    return WithSlash(fs::path(base).lexically_normal().string()) + kUserFolder;
}

ProgramFolders LocateProgramFolders(const std::string& programFile, const EnvironmentLookup& environment) {
    ProgramFolders f;
    f.programFile = programFile;
    const std::string folder = fs::path(programFile).parent_path().string();
    f.program = folder.empty() ? folder : WithSlash(folder);
    if (const std::string prefix = InstalledPrefix(f.program); !prefix.empty()) {
        const std::string share = prefix + kShareFolder;
        f.installed = true;
        f.data = UserDataFolder(environment);
        f.sounds = share + "musik/";
        f.special = share + "spezial/";
        f.documents = share + "daten/";
        f.dialogStart = f.data;
        return f;
    }
    f.data = IsFolder(f.program + "daten") ? f.program + "daten/" : f.program;
    f.sounds = IsFolder(f.program + "musik") ? f.program + "musik/" : f.program;
    f.special = f.program + "spezial/";
    f.documents = f.data;
    f.dialogStart = f.program;
    return f;
}

ProgramFolders LocateProgramFolders(const std::string& programFile) {
    return LocateProgramFolders(programFile, [](const char* name) { return std::getenv(name); });
}

bool MakeDataFolder(const std::string& folder, std::string* reason) {
    constexpr const char* kFileInTheWay = "Eine Datei steht an der Stelle eines Ordners.";
    const auto fail = [reason](std::string why) {
        if (reason) *reason = std::move(why);
        return false;
    };
    if (folder.empty()) return fail("Es ist kein Ordner angegeben.");
    if (IsFolder(folder)) return true;
    // Parent by parent, so that every folder made here is the user's alone;
    // folders that exist already keep their modes.
    fs::path made;
    for (const fs::path& part : fs::path(folder).lexically_normal()) {
        if (part.empty()) continue;
        made /= part;
        if (::mkdir(made.c_str(), 0700) != 0 && errno != EEXIST)
            return fail(errno == ENOTDIR ? kFileInTheWay : detail::ErrnoText(errno));
    }
    return IsFolder(folder) || fail(kFileInTheWay);
}

bool DataFolderReady() {
    std::string reason;
    if (MakeDataFolder(DataDir, &reason)) return true;
    ShowMessage("Der Datenordner " + DataDir + " kann nicht angelegt werden !\r\n" + reason +
                    "\r\nEr liegt in $XDG_DATA_HOME, sonst in $HOME/.local/share. Termifolio98 wird beendet.",
                MessageKind::Error);
    return false;
}

}  // namespace tmf
