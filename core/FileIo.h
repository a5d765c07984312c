#pragma once
// Small file helpers on top of POSIX: whole-file reads, writes that either
// replace a file completely or leave it as it was, and path identity.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tmf {

struct IoError {
    std::string reason;  // German, for the user
};

// What tells one state of a file from a later one: the file itself (device
// and inode), its size and its last change (nanoseconds).
struct FileStamp {
    unsigned long long device = 0;
    unsigned long long inode = 0;
    unsigned long long size = 0;
    long long changedNs = 0;
    bool operator==(const FileStamp&) const = default;
};
// The stamp of the file at path, links followed; nothing when there is none.
std::optional<FileStamp> StampOf(const std::string& path);

// The whole file, or nothing when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string& path, IoError* error = nullptr);
// At most the first limit bytes of the file (fewer when it is shorter).
std::optional<std::string> ReadFileStart(const std::string& path, std::size_t limit, IoError* error = nullptr);

// Reading and writing take plain files only: a folder, a FIFO or a device at
// the name is refused with a reason and left as it is, and nothing waits for
// the other end of a FIFO.

// A plain file read front to back in pieces, for readers that turn the bytes
// into something else at once and need no copy of the whole file.
class PlainFileReader {
public:
    PlainFileReader() = default;
    ~PlainFileReader();
    PlainFileReader(const PlainFileReader&) = delete;
    PlainFileReader& operator=(const PlainFileReader&) = delete;

    // False (with the reason) for anything but a plain file it can open.
    bool open(const std::string& path, IoError* error = nullptr);
    // The size when it was opened.
    std::size_t size() const { return size_; }
    // The stamp of the file opened, when it was opened.
    const FileStamp& stamp() const { return stamp_; }
    // Fills up to n bytes; fewer only at the end of the file. Nothing on an
    // input/output error.
    std::optional<std::size_t> read(void* buffer, std::size_t n, IoError* error = nullptr);

private:
    int fd_ = -1;
    std::size_t size_ = 0;
    FileStamp stamp_;
};

// The path that a write to path goes to, every symbolic link on the way
// resolved; absolute. A link is followed only where the system's protection
// of shared folders would follow it: a link of the user's own, one in a
// folder that not everybody may write to with the sticky bit set (the
// system's temporary folder), or one of that folder's owner. Otherwise
// another user could plant a link in such a folder and have this program
// overwrite, or create, any file the user may write; nothing then (with the
// reason).
std::optional<std::string> ResolveForWriting(const std::string& path, IoError* error = nullptr);

// Writes a temporary file in the same folder, flushes it to disk and renames
// it over path, so that a failure at any point leaves the old file intact.
// A symbolic link is followed as ResolveForWriting says: its target is
// replaced, the link stays. A file the user may not write to is refused, as
// writing into it would be. The temporary file is never readable by more
// people than the file it replaces.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, IoError* error = nullptr);

// Writes bytes at offset of an existing file (creating it when missing)
// without truncating it, and flushes it to disk; links as above.
bool WriteFileAt(const std::string& path, std::size_t offset, std::string_view bytes,
                 IoError* error = nullptr);

// Removes the temporary files that saves of processes no longer running left
// in the folder (a save killed half-way); returns how many. The first save
// into a folder in a run calls it for that folder.
int RemoveStaleTemporaryFiles(const std::string& folder);

// What is at a path, links followed.
enum class PathKind { Missing, File, Directory, Special, DanglingLink };
PathKind KindOfPath(const std::string& path);
// Why something of that kind cannot be read as a file, in the words the
// save and load messages use ("" for a file).
std::string PathKindText(PathKind kind);

bool FileExists(const std::string& path);  // an existing file, not a folder
bool DirectoryExists(const std::string& path);
bool DeleteFile(const std::string& path);

// True when both paths name the same file: equal after normalising, or the
// same file on disk (links, "..", and so on).
bool SameFile(const std::string& a, const std::string& b);

// The file name without its folder, and the folder with a trailing "/".
std::string ExtractFileName(const std::string& path);
std::string ExtractFileDir(const std::string& path);

// Lets tests make writes fail after the given number of bytes; nullopt turns
// it off. Only the atomic writer and WriteFileAt honour it.
void SetWriteFailureAfterBytesForTesting(std::optional<std::size_t> bytes);

// Faults of the disk that tests put in. NoSpaceForNewFiles: a full disk,
// where a new file gets no bytes but a file's own bytes can be overwritten
// in place; FailingSync: flushing a written file to the disk fails.
enum class WriteFault { None, NoSpaceForNewFiles, FailingSync };
void SetWriteFaultForTesting(WriteFault fault);
// Called with the temporary file's path as soon as the atomic writer has
// made it, before anything is written into it; nullptr turns it off.
void SetTemporaryFileObserverForTesting(std::function<void(const std::string& path)> observer);

}  // namespace tmf
