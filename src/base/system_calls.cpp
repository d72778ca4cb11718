#include "base/system_calls.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>

namespace tarnwhistle {

namespace SystemCalls {

QString loginName() {
    const passwd* entry = ::getpwuid(::getuid());
    return entry && entry->pw_name ? QString::fromLocal8Bit(entry->pw_name) : QString();
}

void syslogError(const QByteArray& line) {
    ::syslog(LOG_USER | LOG_ERR, "%s", line.constData());
}

OwnerOnlyCreation::OwnerOnlyCreation() : previous_(::umask(077)) {}

OwnerOnlyCreation::~OwnerOnlyCreation() {
    ::umask(mode_t(previous_));
}

bool setMode(const QString& path, unsigned mode) {
    return ::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0;
}

bool writeOwnerOnlyFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
    auto fail = [&](int code) {
        if (error) *error = QString::fromLocal8Bit(std::strerror(code));
        return false;
    };
    QByteArray tempPath = QFile::encodeName(path) + ".tmp-XXXXXX";
    const int fd = ::mkstemp(tempPath.data());  // created 0600
    if (fd < 0) return fail(errno);
    auto abandon = [&](int code) {
        ::close(fd);
        ::unlink(tempPath.constData());
        return fail(code);
    };
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return abandon(errno ? errno : EIO);
        written += n;
    }
    if (::fchmod(fd, 0600) != 0 || ::fsync(fd) != 0) return abandon(errno);
    ::close(fd);
    if (::rename(tempPath.constData(), QFile::encodeName(path).constData()) != 0) {
        const int code = errno;
        ::unlink(tempPath.constData());
        return fail(code);
    }
    return true;
}

ReadOutcome readRegularFile(const QString& path, qint64 maxSize, QByteArray* bytes,
                            QString* error) {
    auto failed = [&](int code) {
        if (error) *error = QString::fromLocal8Bit(std::strerror(code));
        return ReadOutcome::failed;
    };
    // Non-blocking, so a pipe put in the file's place cannot hang the caller.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errno == ENOENT ? ReadOutcome::missing : failed(errno);
    struct stat info {};
    int code = 0;
    if (::fstat(fd, &info) != 0)
        code = errno;
    else if (S_ISDIR(info.st_mode))
        code = EISDIR;
    else if (!S_ISREG(info.st_mode))
        code = EINVAL;
    if (code == 0 && info.st_size > maxSize) {
        ::close(fd);
        return ReadOutcome::tooLarge;
    }
    while (code == 0 && bytes->size() <= maxSize) {
        char chunk[65536];
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) code = errno;
        if (n <= 0) break;
        bytes->append(chunk, n);
    }
    ::close(fd);
    return code ? failed(code) : ReadOutcome::read;
}

bool makeOwnerOnlyDirectory(const QString& path) {
    QDir().mkpath(path);
    setMode(path, 0700);
    return QDir(path).exists();
}

}  // namespace SystemCalls

}  // namespace tarnwhistle
