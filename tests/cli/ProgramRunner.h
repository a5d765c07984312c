#pragma once
// Runs the terminal program as the user would, in its own process, and
// keeps what it wrote to standard output and standard error.
#include <string>
#include <vector>

namespace tmf::test {

struct ProgramRun {
    std::string out;
    std::string err;
    int status = -1;  // the exit status, -1 when it did not exit normally
};

// program: path of the program file; folder: a scratch folder for its output.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& folder);

// Runs the program once for each argument list, all at the same time; the
// runs in the order given. Their outputs go to files beside folder.
std::vector<ProgramRun> RunAtOnce(const std::string& program, const std::vector<std::vector<std::string>>& calls,
                                  const std::string& folder);

// Every file below the folder with its bytes, to see whether anything was
// written, created or removed.
std::vector<std::pair<std::string, std::string>> FolderSnapshot(const std::string& folder);

}  // namespace tmf::test
