// `tarnwhistle-tool verify` against signatures made independently by Python's hmac module.
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kTool = QStringLiteral(TARNWHISTLE_BINARY_DIR "/tools/tarnwhistle-tool");

QString pythonSignature(const QString& secret, const QString& timestamp, const QString& bodyPath) {
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {"-c",
                  "import base64,hashlib,hmac,sys\n"
                  "body=open(sys.argv[3],'rb').read()\n"
                  "mac=hmac.new(sys.argv[1].encode(),sys.argv[2].encode()+b'.'+body,hashlib.sha256)\n"
                  "print('v1='+base64.b64encode(mac.digest()).decode())",
                  secret, timestamp, bodyPath});
    python.waitForFinished();
    return QString::fromUtf8(python.readAllStandardOutput()).trimmed();
}

struct Result {
    int exitCode;
    QString output;
};

Result verify(const QStringList& args, const QByteArray& input = {},
              const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess tool;
    tool.setProcessEnvironment(environment);
    tool.start(kTool, QStringList{"verify"} + args);
    tool.write(input);
    tool.closeWriteChannel();
    tool.waitForFinished();
    return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardOutput()).trimmed()};
}

TEST(VerifyTool, AcceptsExactlyTheSignedBytes) {
    QTemporaryDir dir;
    const QByteArray body = "{\"data\":[],\"note\":\"caf\xc3\xa9\"}\r\n";
    const QString path = dir.filePath(QStringLiteral("body.json"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(body);
    file.close();
    const QString secret = QStringLiteral("s3cr\u00e9t ");
    const QString signature = pythonSignature(secret, "1733500000", path);
    ASSERT_TRUE(signature.startsWith("v1="));

    const QStringList good{"--secret", secret, "--timestamp", "1733500000", "--signature", signature};
    const Result fromFile = verify(good + QStringList{path});
    EXPECT_EQ(fromFile.exitCode, 0);
    EXPECT_EQ(fromFile.output, "valid");
    EXPECT_EQ(verify(good, body).output, "valid");  // from standard input

    const Result tampered = verify(good, body.chopped(1));
    EXPECT_EQ(tampered.exitCode, 1);
    EXPECT_EQ(tampered.output, "invalid");

    EXPECT_EQ(verify({"--secret", secret, "--timestamp", "1"}).exitCode, 2);
    EXPECT_EQ(verify(good + QStringList{dir.filePath("missing")}).exitCode, 2);

    // The secret kept off the command line: from a file (one final line break is not part of
    // it) or from the environment; one source only.
    const QStringList signedAt{"--timestamp", "1733500000", "--signature", signature, path};
    const QString secretPath = dir.filePath(QStringLiteral("secret"));
    QFile secretFile(secretPath);
    ASSERT_TRUE(secretFile.open(QIODevice::WriteOnly));
    secretFile.write(secret.toUtf8() + "\n");
    secretFile.close();
    EXPECT_EQ(verify(QStringList{"--secret-file", secretPath} + signedAt).output, "valid");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOOK_SECRET"), secret);
    EXPECT_EQ(verify(QStringList{"--secret-env", "HOOK_SECRET"} + signedAt, {}, environment).output,
              "valid");
    EXPECT_EQ(verify(QStringList{"--secret-env", "NO_SUCH_VARIABLE_SET"} + signedAt).exitCode, 2);
    EXPECT_EQ(verify(QStringList{"--secret", secret, "--secret-env", "HOOK_SECRET"} + signedAt, {},
                     environment)
                  .exitCode,
              2);
}

}  // namespace
