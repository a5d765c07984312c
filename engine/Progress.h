#pragma once
// The program's one progress indicator: the splash window's during start-up,
// the main window's otherwise.
#include <string>

#include "Ports.h"

namespace tmf {

// 100 / total * position in single precision, rounded half to even.
int ProgressPercent(float position, float total);

class EngineProgress : public ProgressSink {
public:
    void ShowProgress(const std::string& text, float position, float total) override;
};

// Installs the engine's progress display into the platform.
void InstallEngineProgress();

}  // namespace tmf
