#include "privacy/redaction_stream.h"

#include "privacy/privacy.h"

namespace tarnwhistle {

bool redactStream(QIODevice& in, QIODevice& out, bool whole) {
    auto write = [&out](const QByteArray& bytes) { return out.write(bytes) == bytes.size(); };
    if (whole) return write(Privacy::redact(QString::fromUtf8(in.readAll())).toUtf8());
    for (;;) {
        QByteArray line = in.readLine();
        if (line.isEmpty()) return true;  // a blank line is "\n"; empty means the end
        QByteArray ending = "\n";
        if (line.endsWith('\n')) {
            line.chop(1);
            if (line.endsWith('\r')) {
                line.chop(1);
                ending = "\r\n";
            }
        }
        if (!write(Privacy::redact(QString::fromUtf8(line)).toUtf8() + ending)) return false;
    }
}

}  // namespace tarnwhistle
