#include "capture/clipboard_payload.h"

namespace tarnwhistle {

namespace ClipboardPayload {

namespace {
bool offers(const QStringList& targets, std::initializer_list<const char*> names) {
    for (const QString& target : targets) {
        // A MIME type may carry parameters: "text/plain;charset=utf-8".
        const QString bare = target.section(QLatin1Char(';'), 0, 0).trimmed();
        for (const char* name : names)
            if (bare.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) return true;
    }
    return false;
}
}  // namespace

QString typeFor(const QStringList& targets) {
    if (offers(targets, {"text/uri-list", "x-special/gnome-copied-files"}))
        return QStringLiteral("file");
    if (offers(targets, {"image/png"})) return QStringLiteral("image");
    if (offers(targets, {"image/tiff"})) return QStringLiteral("image");
    if (offers(targets, {"UTF8_STRING", "text/plain", "STRING", "TEXT"}))
        return QStringLiteral("text");
    if (offers(targets, {"text/rtf", "application/rtf"})) return QStringLiteral("text");
    if (offers(targets, {"text/html"})) return QStringLiteral("text");
    return QStringLiteral("other");
}

}  // namespace ClipboardPayload

}  // namespace tarnwhistle
