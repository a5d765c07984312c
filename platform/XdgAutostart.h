#pragma once
// The desktop's autostart group is the folder of XDG autostart entries.
#include <QString>

#include "Ports.h"

namespace tmf::qt {

// $XDG_CONFIG_HOME/autostart/, or ~/.config/autostart/ when the variable is
// unset, empty or relative (a relative one is invalid by the XDG rules).
QString AutostartFolder();
// The entry file of an item: its name with everything but letters, digits,
// dot, dash and underscore replaced, plus ".desktop".
QString AutostartFileName(const QString& itemName);
// One argument of an Exec line: in double quotes with \ " ` $ escaped, then
// escaped once more as a key-file string, with % doubled.
QString QuoteExecArgument(const QString& argument);
// The whole entry that starts programPath.
QString AutostartEntry(const QString& programPath, const QString& itemName);

class XdgAutostart : public Autostart {
public:
    // Writes the entry file atomically; false when it cannot be written.
    bool Add(const std::string& programPath, const std::string& itemName) override;
    // An entry that is not there counts as removed.
    bool Remove(const std::string& itemName) override;
};

}  // namespace tmf::qt
