#pragma once
#include <QUrl>

#include <string>

#include "Ports.h"

namespace tmf::qt {

// What Open hands to the desktop: a document in folder when it is there, a
// mail or web address otherwise. An invalid URL when there is nothing to
// open, for instance a document name whose file is missing: it must not end
// up in the browser as a host name.
QUrl ShellUrl(const std::string& target, const std::string& folder);

class QtShell : public Shell {
public:
    bool Open(const std::string& target, const std::string& folder) override;
};

}  // namespace tmf::qt
