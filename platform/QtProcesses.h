#pragma once
#include <QString>

#include "Ports.h"

namespace tmf::qt {

// The program file to start: a bare or relative name is looked for in the
// working folder first, where the program keeps its helper tools; a bare
// name found nowhere there is left to the PATH search.
QString ResolveProgram(const QString& program, const QString& folder);

class QtProcesses : public Processes {
public:
    // Waits without a time limit; meanwhile the windows are repainted but
    // take no input, so that nothing else can start while the other program
    // works on our files.
    bool RunAndWait(const std::string& program, const std::vector<std::string>& arguments,
                    const std::string& folder) override;
    std::string ProgramDir() override;
    std::string ProgramFile() override;
};

}  // namespace tmf::qt
