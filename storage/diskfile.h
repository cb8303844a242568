#pragma once

#include <cstddef>
#include <functional>
#include <limits>
#include <string>
#include <string_view>

class QIODevice;
class QString;

namespace corvane {

// Paths are the local 8-bit bytes the file system uses. Error texts are the system's, in the same
// encoding, so that a message holding both can be decoded as a whole.

// A path as text, and text as a path, through the file system's encoding: the one conversion of
// paths in the program.
QString PathText(const std::string& path);
std::string PathBytes(const QString& text);

// The reason given for a path that names something other than a file (a FIFO, a device).
inline constexpr std::string_view kNotARegularFile = "Not a regular file";

// The messages of a file that cannot be opened, created or written: the path, then the reason.
inline constexpr std::string_view kCannotOpenFile = "Cannot open file \"%s\". %s";
inline constexpr std::string_view kCannotCreateFile = "Cannot create file \"%s\". %s";
inline constexpr std::string_view kCannotWriteFile = "Cannot write file \"%s\". %s";

struct FileRead {
    bool opened = false;
    bool complete = false;  // read to the end (or to the limit) without an error
    std::string error;      // why it could not be opened or read on
    std::string bytes;
};

// Reads at most maxBytes from the start of a regular file. Anything else is refused, and nothing
// here ever waits: a FIFO without a writer or a device cannot hold the window up.
FileRead ReadRegularFile(const std::string& path,
                         std::size_t maxBytes = std::numeric_limits<std::size_t>::max());

enum class FileWriteStatus { Ok, CannotCreate, WriteError };

struct FileWrite {
    FileWriteStatus status = FileWriteStatus::Ok;
    std::string error;
    bool ok() const { return status == FileWriteStatus::Ok; }
};

// Replaces the file with what `write` puts into the device (false from it abandons the save).
// The new content goes to a copy beside the file, which takes the file's place only once the
// system has taken every byte; a failure leaves the old file as it was. Only where no copy can be
// made beside it (a folder the operator may not write) is an existing file written in place.
FileWrite ReplaceFile(const std::string& path, const std::function<bool(QIODevice&)>& write);

}  // namespace corvane
