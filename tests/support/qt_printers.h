// Qt strings as readable text in assertion failures and in the messages streamed into them.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <ostream>

inline std::ostream& operator<<(std::ostream& out, const QByteArray& bytes) {
    return out << '"' << bytes.toStdString() << '"';
}
inline std::ostream& operator<<(std::ostream& out, const QString& text) {
    return out << text.toUtf8();
}
inline std::ostream& operator<<(std::ostream& out, const QStringList& list) {
    return out << list.join(QStringLiteral(" | "));
}
// gtest prints containers element by element unless a PrintTo says otherwise.
inline void PrintTo(const QByteArray& bytes, std::ostream* out) {
    *out << bytes;
}
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << text;
}
