#include "config/private_file.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool writePrivateFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
    auto fail = [&](int code) {
        if (error) *error = QString::fromLocal8Bit(std::strerror(code));
        return false;
    };
    QByteArray tempPath = QFile::encodeName(path) + ".tmp-XXXXXX";
    const int fd = ::mkstemp(tempPath.data());  // created 0600
    if (fd < 0) return fail(errno);
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int code = errno ? errno : EIO;
            ::close(fd);
            ::unlink(tempPath.constData());
            return fail(code);
        }
        written += n;
    }
    if (::fchmod(fd, 0600) != 0 || ::fsync(fd) != 0) {
        const int code = errno;
        ::close(fd);
        ::unlink(tempPath.constData());
        return fail(code);
    }
    ::close(fd);
    if (::rename(tempPath.constData(), QFile::encodeName(path).constData()) != 0) {
        const int code = errno;
        ::unlink(tempPath.constData());
        return fail(code);
    }
    return true;
}

void makePrivateDirectory(const QString& path) {
    QDir().mkpath(path);
    ::chmod(QFile::encodeName(path).constData(), 0700);
}
