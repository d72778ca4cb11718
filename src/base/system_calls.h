// Every call the core makes into the operating system, in one place: who the user is, the
// system log, and the modes of the private files and folders. Nothing here throws; a failure
// is a false return (with the system's reason where one is asked for).
#pragma once

#include <QByteArray>
#include <QString>

namespace tarnwhistle {

namespace SystemCalls {

// The login name of the user running the process; empty when the system does not know it.
QString loginName();

// One line in the system log (facility user, priority error), written as data, never as a
// format, since error texts may hold '%'.
void syslogError(const QByteArray& line);

// While one of these lives, files the process creates are owner-only from their first moment
// (umask 077), so no other user can open them between creation and a mode change. The umask
// is process-wide: create these on the main thread only, around the creation they guard.
class OwnerOnlyCreation {
  public:
    OwnerOnlyCreation();
    ~OwnerOnlyCreation();
    OwnerOnlyCreation(const OwnerOnlyCreation&) = delete;
    OwnerOnlyCreation& operator=(const OwnerOnlyCreation&) = delete;

  private:
    unsigned previous_;
};

// chmod of an existing file or folder, e.g. 0600 or 0700.
bool setMode(const QString& path, unsigned mode);

// Writes `bytes` to a temporary file (0600) beside `path`, flushes it to disk and renames it
// over `path`; on failure `path` is unchanged and `error` holds the system's reason.
bool writeOwnerOnlyFileAtomically(const QString& path, const QByteArray& bytes,
                                  QString* error = nullptr);

// Reads the regular file at `path` whole. `missing` only when there is no such file: every
// other problem (permissions, a folder, pipe or device in its place, I/O) is `failed` with the
// system's reason in `error`, so a caller never mistakes an unreadable file for an absent one.
// A file larger than `maxSize` is `tooLarge` and not read.
enum class ReadOutcome { read, missing, tooLarge, failed };
ReadOutcome readRegularFile(const QString& path, qint64 maxSize, QByteArray* bytes,
                            QString* error);

// Creates `path` and its parents; the last folder gets mode 0700. False when it does not exist
// afterwards.
bool makeOwnerOnlyDirectory(const QString& path);

}  // namespace SystemCalls

}  // namespace tarnwhistle
