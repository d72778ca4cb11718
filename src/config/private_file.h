// Files that hold secrets: written atomically (a temporary file in the same folder, renamed
// over the target) and owner-only (0600) from the moment the temporary file exists.
#pragma once

#include <QByteArray>
#include <QString>

// Returns false and describes the failure in `error`; the target is then unchanged.
bool writePrivateFileAtomically(const QString& path, const QByteArray& bytes,
                                QString* error = nullptr);

// Creates `path` and its parents; the last folder gets mode 0700. Failures are ignored.
void makePrivateDirectory(const QString& path);
