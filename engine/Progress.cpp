#include "Progress.h"

#include <cmath>

#include "Funky.h"
#include "Views.h"

namespace tmf {

int ProgressPercent(float position, float total) {
    const float p = 100.0f / total * position;
    return static_cast<int>(std::nearbyint(p));
}

void EngineProgress::ShowProgress(const std::string& text, float position, float total) {
    if (!(total > 0.0f)) return;
    std::string name = ThePlatform().desktop->ActiveWindowName();
    if (name.empty()) name = "GebF";
    Views& v = TheViews();
    if (name == "StartF") {
        if (!v.splash) return;
        v.splash->SetProgressText(text);
        ProcessPendingMessages();
        v.splash->SetProgressValue(ProgressPercent(position, total));
    } else if (name == "GebF" || name == "EinF" || name == "EinstellF") {
        if (!v.main) return;
        v.main->SetProgressText(text);
        ProcessPendingMessages();
        const int p = ProgressPercent(position, total);
        v.main->SetProgressValue(p);
        if (p >= 100) v.main->SetProgressText("Fertig");
    }
}

void InstallEngineProgress() {
    static EngineProgress progress;
    ThePlatform().progress = &progress;
}

}  // namespace tmf
