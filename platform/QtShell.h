#pragma once
#include <QUrl>

#include <chrono>
#include <string>

#include "Ports.h"

namespace tmf::qt {

// What Open hands to the desktop: a document in folder when it is there, a
// mail or web address otherwise. An invalid URL when there is nothing to
// open, for instance a document name whose file is missing: it must not end
// up in the browser as a host name.
QUrl ShellUrl(const std::string& target, const std::string& folder);

// Opens through xdg-open, which says by its exit code whether any program
// took the document; a user with nothing installed for ".doc" must be told
// so rather than see nothing happen. In its generic mode xdg-open runs the
// chosen program in the foreground, so an opener still running after
// answerWait counts as success and is left to run.
class QtShell : public Shell {
public:
    explicit QtShell(std::chrono::milliseconds answerWait = std::chrono::milliseconds{2000})
        : answerWait_(answerWait) {}
    bool Open(const std::string& target, const std::string& folder) override;

private:
    std::chrono::milliseconds answerWait_;
};

}  // namespace tmf::qt
