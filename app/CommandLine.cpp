#include "CommandLine.h"

#include <array>
#include <string_view>

#include "State.h"

namespace tmf::app {

namespace {

// Options that QGuiApplication and QApplication take for themselves.
constexpr std::array<std::string_view, 14> kQtOptionsWithValue = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowicon", "qwindowtitle",
    "session", "style", "stylesheet", "display", "geometry", "name", "title"};
constexpr std::array<std::string_view, 5> kQtFlags = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

template <std::size_t N>
bool OneOf(std::string_view name, const std::array<std::string_view, N>& names) {
    for (std::string_view n : names)
        if (n == name) return true;
    return false;
}

std::string CommandName(int argc, const char* const* argv) {
    if (argc < 1 || argv[0] == nullptr || argv[0][0] == '\0') return "termif98";
    const std::string_view path = argv[0];
    const auto slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string HelpText(const std::string& command) {
    return "Aufruf: " + command + " [OPTION]\n"
           "Termifolio98 erinnert an Geburtstage und andere Termine: es prüft beim Start\n"
           "die Termindateien seiner Prüfliste und zeigt, was bald fällig ist.\n"
           "\n"
           "Optionen:\n"
           "  -h, --help       diese Hilfe zeigen und beenden\n"
           "  -v, --version    die Version zeigen und beenden\n"
           "\n"
           "Ohne Option öffnet sich das Programmfenster. Die Daten liegen im Ordner\n"
           "\"daten\" neben dem Programm oder, wenn es installiert ist, unter\n"
           "$XDG_DATA_HOME/Termifolio98/daten/ (sonst ~/.local/share/Termifolio98/daten/).\n";
}

}  // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    const std::string command = CommandName(argc, argv);
    CommandLine result;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i] != nullptr ? argv[i] : "";
        if (arg == "-h" || arg == "--help") {
            return {CommandLine::Action::Help, HelpText(command), 0};
        }
        if (arg == "-v" || arg == "--version") {
            return {CommandLine::Action::Version, std::string("Termifolio98 ") + kVersionText + "\n", 0};
        }
        std::string_view name = arg;
        if (name.starts_with("--")) name.remove_prefix(2);
        else if (name.starts_with("-")) name.remove_prefix(1);
        else name = {};
        const auto eq = name.find('=');
        const std::string_view bare = name.substr(0, eq);
        if (!bare.empty() && OneOf(bare, kQtOptionsWithValue)) {
            if (eq == std::string_view::npos) ++i;  // the value follows
            continue;
        }
        if (!bare.empty() && eq == std::string_view::npos && OneOf(bare, kQtFlags)) continue;
        const std::string what = arg.starts_with("-") ? "unbekannte Option" : "unerwarteter Parameter";
        result = {CommandLine::Action::Error,
                  command + ": " + what + " \u201E" + std::string(arg) + "\u201C\n" + "Hilfe gibt \u201E" + command +
                      " --help\u201C.\n",
                  2};
        return result;
    }
    return result;
}

}  // namespace tmf::app
