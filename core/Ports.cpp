#include "Ports.h"

namespace tmf {

namespace {
Platform gPlatform;
}

Platform& ThePlatform() { return gPlatform; }
void InstallPlatform(const Platform& platform) { gPlatform = platform; }

void ShowMessage(const std::string& text, MessageKind kind) {
    gPlatform.dialogs->ShowMessage(text, kind);
}

Answer Ask(const std::string& text, MessageKind kind, Buttons buttons) {
    return gPlatform.dialogs->Ask(text, kind, buttons);
}

std::string Processes::ProgramFile() {
    std::string dir = ProgramDir();
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir + "Termif98";
}

std::chrono::sys_days Today() { return gPlatform.clock->Today(); }

void ShowProgress(const std::string& text, float position, float total) {
    if (gPlatform.progress) gPlatform.progress->ShowProgress(text, position, total);
}

void Notify(const Notification& notification) {
    if (gPlatform.notifications) gPlatform.notifications->Notify(notification);
}

}  // namespace tmf
