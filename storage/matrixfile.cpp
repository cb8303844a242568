#include "storage/matrixfile.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>

#include "model/matrixmodel.h"
#include "storage/diskfile.h"

namespace corvane {

namespace {

std::uint32_t readLittleEndian32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

// A name as the program itself would have stored it: at most 15 characters up to the first zero,
// zeros behind. Fields the program wrote are already in this form; anything else from a file
// would otherwise run past the field in a reader that looks for the zero, or reappear behind a
// later 15-character name, since a store leaves bytes 15..19 alone.
void normaliseName(char (&field)[kNameFieldSize]) {
    const void* zero = std::memchr(field, 0, kNameMaxLength);
    const std::size_t length =
        zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - field) : kNameMaxLength;
    std::memset(field + length, 0, kNameFieldSize - length);
}

// A file may hold any byte anywhere, and the views index tables by these values. Only values
// the program can never hold are changed, so a file it wrote loads back byte for byte:
// a line route above 4 becomes Disconnected and a channel route above 16 no line, as the unit's
// image does; a memory number above 4 becomes 0, a non-zero unsaved flag 1. ReverseMode keeps
// any value, and MatrixLayout and SelectedUnit are corrected where the arrangement is applied.
void sanitise(NameTable& names, MatrixState& state) {
    for (auto& unit : names.LineName)
        for (auto& field : unit) normaliseName(field);
    for (auto& unit : names.ChannelName)
        for (auto& field : unit) normaliseName(field);

    for (auto& unit : state.LineRoute)
        for (auto& slot : unit)
            for (std::uint8_t& v : slot) v = std::min(v, kDisconnected);
    for (auto& unit : state.ChannelRoute)
        for (auto& slot : unit)
            for (std::uint8_t& v : slot) v = std::min(v, kNoLine);
    for (std::uint8_t& m : state.CurrentMemory) m = ClampedMemory(m);
    for (std::uint8_t& f : state.UnsavedFlags) f = f ? 1 : 0;
}

}  // namespace

std::string FillFormat(std::string_view format, std::initializer_list<std::string_view> args) {
    std::string text;
    auto arg = args.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's') {
            if (arg != args.end()) text += *arg++;
            ++i;
        } else {
            text += format[i];
        }
    }
    return text;
}

std::string MatrixFileMessage(MatrixFileStatus status, std::string_view path, std::string_view systemError) {
    using namespace matrixfile;
    switch (status) {
        case MatrixFileStatus::Ok:
            return {};
        case MatrixFileStatus::CannotOpen:
            return FillFormat(kCannotOpenFile, {path, systemError});
        case MatrixFileStatus::CannotCreate:
            return FillFormat(kCannotCreateFile, {path, systemError});
        case MatrixFileStatus::ReadError:
            return FillFormat(kReadErrorFormat, {kStreamReadError, path});
        case MatrixFileStatus::WriteError:
            return FillFormat(kWriteErrorFormat, {kStreamWriteError, path});
        case MatrixFileStatus::ChecksumError:
            return std::string(kChecksumErrorText);
    }
    return {};
}

MatrixFileBytes EncodeMatrixFile(const NameTable& names, const MatrixState& state) {
    MatrixFileBytes bytes{};
    std::memcpy(bytes.data(), &names, sizeof names);
    std::memcpy(bytes.data() + sizeof names, &state, sizeof state);
    for (int i = 0; i < 4; ++i)
        bytes[matrixfile::kChecksum + i] = static_cast<std::uint8_t>(kMatrixFileChecksum >> (8 * i));
    return bytes;
}

MatrixFileLoad DecodeMatrixFile(std::span<const std::uint8_t> bytes) {
    MatrixFileLoad load;
    if (bytes.size() < static_cast<std::size_t>(kMatrixFileSize)) {
        load.status = MatrixFileStatus::ReadError;
        return load;
    }
    if (readLittleEndian32(bytes.data() + matrixfile::kChecksum) != kMatrixFileChecksum) {
        load.status = MatrixFileStatus::ChecksumError;
        return load;
    }
    std::memcpy(&load.contents.names, bytes.data(), sizeof load.contents.names);
    std::memcpy(&load.contents.state, bytes.data() + sizeof load.contents.names, sizeof load.contents.state);
    return load;
}

MatrixFileLoad ReadMatrixFile(const std::string& path) {
    // Bytes after the first 2256 are never looked at.
    const FileRead file = ReadRegularFile(path, kMatrixFileSize);
    if (!file.opened) {
        MatrixFileLoad load;
        load.status = MatrixFileStatus::CannotOpen;
        load.message = MatrixFileMessage(load.status, path, file.error);
        return load;
    }
    // A read that fails part-way leaves fewer bytes than a file has: the read error.
    MatrixFileLoad load = DecodeMatrixFile(
        std::span(reinterpret_cast<const std::uint8_t*>(file.bytes.data()), file.bytes.size()));
    load.message = MatrixFileMessage(load.status, path);
    return load;
}

MatrixFileSave SaveMatrixFile(const std::string& path, const NameTable& names, const MatrixState& state) {
    const MatrixFileBytes bytes = EncodeMatrixFile(names, state);
    const FileWrite written = ReplaceFile(path, [&bytes](QIODevice& out) {
        return out.write(reinterpret_cast<const char*>(bytes.data()), kMatrixFileSize) == kMatrixFileSize;
    });
    MatrixFileSave save;
    if (written.status == FileWriteStatus::CannotCreate) {
        save.status = MatrixFileStatus::CannotCreate;
        save.message = MatrixFileMessage(save.status, path, written.error);
    } else if (!written.ok()) {
        // The old file is still in place, unless no copy could be made beside it.
        save.status = MatrixFileStatus::WriteError;
        save.message = MatrixFileMessage(save.status, path);
    }
    return save;
}

void ApplyMatrixFile(const MatrixFileContents& loaded, NameTable& names, MatrixState& state) {
    const std::uint8_t slaveCount = state.SlaveCount;
    names = loaded.names;
    state = loaded.state;
    state.SlaveCount = slaveCount;
    sanitise(names, state);
    // The running system reports at most three slaves; never let the selection leave the table.
    MatrixModel model(state);
    model.lowerSelectionTo(std::min(model.slaveCount(), kUnits - 1));
    state = model.record();
}

std::string CaptionFileName(std::string_view path) {
    const std::size_t separator = path.find_last_of("/\\");
    std::string name(separator == std::string_view::npos ? path : path.substr(separator + 1));
    for (char& c : name) {
        const auto b = static_cast<unsigned char>(c);
        // a..z and the accented small letters of Latin-1 but the division sign; the sharp s and
        // the y with diaeresis have no capital there.
        if ((b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7)) c = static_cast<char>(b - 0x20);
    }
    return name;
}

}  // namespace corvane
