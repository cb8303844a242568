#include "storage/diskfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace corvane {

QString PathText(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string PathBytes(const QString& text) {
    return QFile::encodeName(text).toStdString();
}

namespace {

std::string systemText(int error) {
    return std::strerror(error);
}

std::string systemText(const QFileDevice& file) {
    return file.errorString().toLocal8Bit().toStdString();
}

// QSaveFile reports "Unknown error" where it could not make its copy; errno knows better.
std::string createError(const QString& name, int error, const QFileDevice& file) {
    if (error == 0 && QFileInfo(name).isDir()) error = EISDIR;
    return error != 0 ? systemText(error) : systemText(file);
}

#ifdef Q_OS_UNIX
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};
#endif

}  // namespace

FileRead ReadRegularFile(const std::string& path, std::size_t maxBytes) {
    FileRead result;
#ifdef Q_OS_UNIX
    // Opening a FIFO for reading waits for a writer unless O_NONBLOCK is given; for a regular file
    // the flag changes nothing. What was opened is checked on the descriptor itself, so nothing
    // can be swapped in between.
    const Descriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0) {
        result.error = systemText(errno);
        return result;
    }
    struct stat info {};
    if (::fstat(file.fd, &info) != 0) {
        result.error = systemText(errno);
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        result.error = S_ISDIR(info.st_mode) ? systemText(EISDIR) : std::string(kNotARegularFile);
        return result;
    }
    result.opened = true;
    char buffer[65536];
    while (result.bytes.size() < maxBytes) {
        const std::size_t wanted = std::min(sizeof buffer, maxBytes - result.bytes.size());
        const ssize_t got = ::read(file.fd, buffer, wanted);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            result.error = systemText(errno);
            return result;
        }
        if (got == 0) break;
        result.bytes.append(buffer, static_cast<std::size_t>(got));
    }
    result.complete = true;
#else
    QFile file(PathText(path));
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = systemText(file);
        return result;
    }
    result.opened = true;
    const qint64 limit = static_cast<qint64>(std::min<std::size_t>(maxBytes, INT_MAX));
    result.bytes = file.read(limit).toStdString();
    result.complete = file.error() == QFileDevice::NoError;
    if (!result.complete) result.error = systemText(file);
#endif
    return result;
}

FileWrite ReplaceFile(const std::string& path, const std::function<bool(QIODevice&)>& write) {
    const QString name = PathText(path);
    QSaveFile file(name);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        const int error = errno;
        const std::string reason = createError(name, error, file);
        // A shared folder the operator may not write can still hold a file they may write. Only
        // then, with no copy possible beside it, is the file itself written: a failure half-way
        // leaves it damaged, and the caller's message says so.
        const bool folderRefused = error == EACCES || error == EPERM;
        file.setDirectWriteFallback(true);
        if (!folderRefused || !QFileInfo(name).isFile() || !file.open(QIODevice::WriteOnly))
            return {FileWriteStatus::CannotCreate, reason};
    }
    // commit() does not notice a disk that took only part of the buffered bytes and would put
    // the shortened copy in place; an explicit flush does notice.
    errno = 0;
    if (!write(file) || !file.flush()) {
        // The device's own text stays "Unknown error" after a failed flush.
        const int error = errno;
        const std::string reason = error != 0 ? systemText(error) : systemText(file);
        file.cancelWriting();
        return {FileWriteStatus::WriteError, reason};
    }
    if (!file.commit()) return {FileWriteStatus::WriteError, systemText(file)};
    return {};
}

}  // namespace corvane
