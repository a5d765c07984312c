#include "ProgramRunner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace tmf::test {

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

namespace {

pid_t Start(const std::string& program, const std::vector<std::string>& arguments, const std::string& outPath,
            const std::string& errPath) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(126);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    return pid;
}

ProgramRun Finish(pid_t pid, const std::string& outPath, const std::string& errPath) {
    ProgramRun run;
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadAll(outPath);
    run.err = ReadAll(errPath);
    std::filesystem::remove(outPath);
    std::filesystem::remove(errPath);
    return run;
}

}  // namespace

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& folder) {
    const std::string outPath = folder + ".stdout", errPath = folder + ".stderr";
    return Finish(Start(program, arguments, outPath, errPath), outPath, errPath);
}

std::vector<ProgramRun> RunAtOnce(const std::string& program, const std::vector<std::vector<std::string>>& calls,
                                  const std::string& folder) {
    std::vector<pid_t> pids;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const std::string n = std::to_string(i);
        pids.push_back(Start(program, calls[i], folder + ".stdout" + n, folder + ".stderr" + n));
    }
    std::vector<ProgramRun> runs;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const std::string n = std::to_string(i);
        runs.push_back(Finish(pids[i], folder + ".stdout" + n, folder + ".stderr" + n));
    }
    return runs;
}

std::vector<std::pair<std::string, std::string>> FolderSnapshot(const std::string& folder) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder))
        if (!e.is_directory())  // a pipe is named, never read
            files.emplace_back(e.path().string(), e.is_regular_file() ? ReadAll(e.path().string()) : "(special)");
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace tmf::test
