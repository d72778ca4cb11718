#include <gtest/gtest.h>
#include <QBuffer>

#include "privacy/redaction_stream.h"
#include "qt_printers.h"

namespace {

QByteArray run(const QByteArray& input, bool whole) {
    QByteArray in = input;
    QByteArray out;
    QBuffer inBuffer(&in);
    QBuffer outBuffer(&out);
    inBuffer.open(QIODevice::ReadOnly);
    outBuffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(redactStream(inBuffer, outBuffer, whole));
    return out;
}

TEST(RedactionStream, OneLineOutPerLineIn) {
    EXPECT_EQ(run("", false), "");
    EXPECT_EQ(run("\n\n", false), "\n\n");
    EXPECT_EQ(run("a@b.example.com\r\nid 1234567\nlast", false),
              "\xE2\x9F\xA8"
              "email\xE2\x9F\xA9\r\nid \xE2\x9F\xA8number\xE2\x9F\xA9\nlast\n");
    // Invalid UTF-8 becomes U+FFFD; a NUL byte is kept.
    EXPECT_EQ(run(QByteArray("x\xff\n\0y\n", 6), false), QByteArray("x\xEF\xBF\xBD\n\0y\n", 8));
}

TEST(RedactionStream, WholeInputIsOneText) {
    // Line breaks are kept; a name or phone number never runs across one.
    const QByteArray text = "Anna\nSchmidt\nphone +49 30\n1234567\n";
    EXPECT_EQ(run(text, true), "Anna\nSchmidt\nphone +49 30\n\xE2\x9F\xA8number\xE2\x9F\xA9\n");
    EXPECT_EQ(run("no newline at end", true), "no newline at end");
}

}  // namespace
