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

bool makeOwnerOnlyDirectory(const QString& path) {
    QDir().mkpath(path);
    setMode(path, 0700);
    return QDir(path).exists();
}

}  // namespace SystemCalls
