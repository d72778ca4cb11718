// `tarnwhistle-tool verify` against a signature made independently by Python's hmac module.
#include <gtest/gtest.h>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct Result {
    int exitCode;
    QString output;
    bool operator==(const Result&) const = default;
};

Result verify(const QStringList& args, const QByteArray& input = {},
              const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess tool;
    tool.setProcessEnvironment(environment);
    tool.start(QStringLiteral(TARNWHISTLE_BINARY_DIR "/tools/tarnwhistle-tool"),
               QStringList{"verify"} + args);
    tool.write(input);
    tool.closeWriteChannel();
    tool.waitForFinished();
    return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardOutput()).trimmed()};
}

QString written(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return file.fileName();
}

TEST(VerifyTool, AcceptsExactlyTheSignedBytes) {
    QTemporaryDir dir;
    // UTF-8 in the body and the secret, a line break at the end of each: all of it is signed.
    const QByteArray body = "{\"data\":[],\"note\":\"caf\xc3\xa9\"}\r\n";
    const QString path = written(dir, "body.json", body);
    const QString secret = QStringLiteral("s3cr\u00e9t ");
    // HMAC-SHA256 of "1733500000." + body keyed with the secret, from Python's hmac module.
    const QStringList signedAt{"--timestamp", "1733500000", "--signature",
                               "v1=I9wUeUkX551NSqnOZdSr+SvebrjM8Er4gNNu+Ii5gu0="};
    const QStringList good = QStringList{"--secret", secret} + signedAt;
    EXPECT_EQ(verify(good + QStringList{path}), (Result{0, "valid"}));  // from a file
    EXPECT_EQ(verify(good, body).output, "valid");                      // from standard input

    EXPECT_EQ(verify(good, body.chopped(1)), (Result{1, "invalid"}));

    EXPECT_EQ(verify({"--secret", secret, "--timestamp", "1"}).exitCode, 2);
    EXPECT_EQ(verify(good + QStringList{dir.filePath("missing")}).exitCode, 2);

    // The secret kept off the command line: from a file (one final line break is not part of
    // it) or from the environment; one source only.
    const QString secretPath = written(dir, "secret", secret.toUtf8() + "\n");
    EXPECT_EQ(verify(QStringList{"--secret-file", secretPath} + signedAt, body).output, "valid");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOOK_SECRET"), secret);
    const QStringList fromEnvironment = QStringList{"--secret-env", "HOOK_SECRET"} + signedAt;
    EXPECT_EQ(verify(fromEnvironment, body, environment).output, "valid");
    EXPECT_EQ(verify(QStringList{"--secret-env", "NO_SUCH_VARIABLE_SET"} + signedAt).exitCode, 2);
    EXPECT_EQ(verify(QStringList{"--secret", secret} + fromEnvironment, body, environment).exitCode,
              2);
}

}  // namespace
