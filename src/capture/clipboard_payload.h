// Names the kind of thing on the clipboard from the list of data types it offers (never its
// contents): "file", "image", "text" or "other".
#pragma once

#include <QString>
#include <QStringList>

namespace tarnwhistle {

namespace ClipboardPayload {
// The first rule that matches, in order: file list, PNG, TIFF, plain text, RTF, HTML, other.
QString typeFor(const QStringList& targets);
}  // namespace ClipboardPayload

}  // namespace tarnwhistle
