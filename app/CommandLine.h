#pragma once
// The command line, read before any window or display is needed, so that
// "--help" and "--version" work on a console without a desktop.
#include <string>

namespace tmf::app {

struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    std::string output;  // what to print: the help, the version or the error
    int exitCode = 0;
};

// Qt's own options (-platform, -style, ...) are left for Qt and count as no
// option of ours; anything else unknown is an error.
CommandLine ParseCommandLine(int argc, const char* const* argv);

}  // namespace tmf::app
