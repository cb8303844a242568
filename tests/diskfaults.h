#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

// Disks that fail as real ones do, for tests of what a save leaves behind.

// A disk that takes at most `bytes` bytes of any file while the object lives, as a full one would:
// writes beyond fail with EFBIG instead of ending the process.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit m_saved{};
    void (*m_handler)(int) = nullptr;
};

// A folder in which nothing can be created while the object lives, also when the tests run as
// root: the folder loses its write permission, and the calling thread loses the capabilities that
// let the superuser ignore permissions (only from its effective set, so they come back after).
class ReadOnlyFolder {
  public:
    explicit ReadOnlyFolder(const QString& folder) : m_folder(QFile::encodeName(folder)) {
        m_header.version = _LINUX_CAPABILITY_VERSION_3;
        m_header.pid = 0;
        if (syscall(SYS_capget, &m_header, m_saved) == 0) {
            __user_cap_data_struct lowered[2] = {m_saved[0], m_saved[1]};
            lowered[0].effective &= ~(CAP_TO_MASK(CAP_DAC_OVERRIDE) | CAP_TO_MASK(CAP_DAC_READ_SEARCH));
            m_lowered = syscall(SYS_capset, &m_header, lowered) == 0;
        }
        chmod(m_folder.constData(), 0555);
    }
    ~ReadOnlyFolder() {
        chmod(m_folder.constData(), 0755);
        if (m_lowered) syscall(SYS_capset, &m_header, m_saved);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    // Whether creating a file in the folder is refused now; a test that needs it skips otherwise.
    bool holds() const {
        const QByteArray probe = m_folder + "/.probe";
        const int fd = open(probe.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0) return errno == EACCES;
        close(fd);
        unlink(probe.constData());
        return false;
    }

  private:
    QByteArray m_folder;
    __user_cap_header_struct m_header{};
    __user_cap_data_struct m_saved[2]{};
    bool m_lowered = false;
};
