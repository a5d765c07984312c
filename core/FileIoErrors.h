#pragma once
// The German reasons that the file helpers hand to their callers' messages.
#include <sys/stat.h>

#include <string>

#include "FileIo.h"

namespace tmf::detail {

inline void SetError(IoError* error, const std::string& reason) {
    if (error) error->reason = reason;
}

std::string ErrnoText(int err);
// For something at the path that is not a plain file.
std::string NotRegularText(mode_t mode);
// For a symbolic link that another user may have planted (see
// ResolveForWriting).
std::string ForeignLinkText();

}  // namespace tmf::detail
