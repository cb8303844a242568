#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "model/matrixstate.h"
#include "model/nametable.h"

namespace corvane {

// A matrix file is the name table and the state byte for byte, then a four-byte checksum.
inline constexpr int kMatrixDataSize = static_cast<int>(sizeof(NameTable) + sizeof(MatrixState));
inline constexpr int kMatrixFileSize = kMatrixDataSize + 4;
static_assert(kMatrixFileSize == 2256);

// The checksum of any data is 0: the writer stores it and the reader accepts nothing else.
inline constexpr std::uint32_t kMatrixFileChecksum = 0;

// The current-file text that means no file at all.
inline constexpr std::string_view kNoMatrixFile = "0";

namespace matrixfile {
inline constexpr int kLineName = 0;
inline constexpr int kChannelName = 1360;
inline constexpr int kLineRoute = 1760;
inline constexpr int kChannelRoute = 2144;
inline constexpr int kCurrentMemory = 2240;
inline constexpr int kMatrixLayout = 2244;
inline constexpr int kSlaveCount = 2245;
inline constexpr int kSelectedUnit = 2246;
inline constexpr int kReverseMode = 2247;
inline constexpr int kUnsavedFlags = 2248;
inline constexpr int kChecksum = 2252;

constexpr int lineName(int unit, int entry) {
    return kLineName + kNameFieldSize * (kLineEntries * unit + entry);
}
constexpr int channelName(int unit, int entry) {
    return kChannelName + kNameFieldSize * (kChannelEntries * unit + entry);
}
constexpr int lineRoute(int unit, int slot, int line) {
    return kLineRoute + 96 * unit + 16 * slot + line;
}
constexpr int channelRoute(int unit, int slot, int channel) {
    return kChannelRoute + 24 * unit + 4 * slot + channel;
}

// Texts the file commands show; every %s is filled in order by FillFormat.
inline constexpr std::string_view kChecksumErrorText = " Error in file checksum? ";
inline constexpr std::string_view kReadErrorFormat = "%s\n\n Error reading the file: %s ";
inline constexpr std::string_view kStreamReadError = "Stream read error";
inline constexpr std::string_view kWriteErrorFormat = "%s\n\n Error writing the file: %s ";
inline constexpr std::string_view kStreamWriteError = "Stream write error";
inline constexpr std::string_view kCaptionFormat = "CORVANE - %s";
}  // namespace matrixfile

// Replaces each %s of the format with the next argument; a %s without one becomes empty.
std::string FillFormat(std::string_view format, std::initializer_list<std::string_view> args);

enum class MatrixFileStatus { Ok, CannotOpen, CannotCreate, ReadError, WriteError, ChecksumError };

// The message the operator sees for a failure, filled with the path and, where the text has a
// place for it, the system's error text. Empty for Ok.
std::string MatrixFileMessage(MatrixFileStatus status, std::string_view path,
                              std::string_view systemError = {});

// The staging copy a file is read into before anything live is replaced.
struct MatrixFileContents {
    NameTable names;
    MatrixState state;
};

struct MatrixFileLoad {
    MatrixFileStatus status = MatrixFileStatus::Ok;
    std::string message;            // the text to show; empty on success
    MatrixFileContents contents{};  // the file's data as read, only on success
    bool ok() const { return status == MatrixFileStatus::Ok; }
};

struct MatrixFileSave {
    MatrixFileStatus status = MatrixFileStatus::Ok;
    std::string message;
    bool ok() const { return status == MatrixFileStatus::Ok; }
};

using MatrixFileBytes = std::array<std::uint8_t, kMatrixFileSize>;

MatrixFileBytes EncodeMatrixFile(const NameTable& names, const MatrixState& state);

// Checks what loading checks: at least 2256 bytes (more are ignored) and a zero checksum field.
// Gives the status only; the message needs the path and is filled by ReadMatrixFile.
MatrixFileLoad DecodeMatrixFile(std::span<const std::uint8_t> bytes);

// Paths are the file system's local 8-bit bytes; a message that names the file is in the same
// encoding. Only a regular file is read: anything else cannot be opened.
MatrixFileLoad ReadMatrixFile(const std::string& path);

// Writes beside the target and replaces it only once the whole file is written, so a failed save
// leaves an existing file as it was. Only in a folder the operator may not write is an existing
// file written in place.
MatrixFileSave SaveMatrixFile(const std::string& path, const NameTable& names, const MatrixState& state);

// Makes a loaded file live: the names and the state are replaced, SlaveCount stays the running
// system's, and SelectedUnit is lowered to it. Values out of range are brought into range first.
void ApplyMatrixFile(const MatrixFileContents& loaded, NameTable& names, MatrixState& state);

// The file's name for the caption: after the last '/' or '\', Latin-1 letters upper-cased.
std::string CaptionFileName(std::string_view path);

}  // namespace corvane
