// The whole privacy promise, end to end on the headless desktop: a unique canary string shown,
// typed, copied, put in file, folder and web address names and used as the login name must not
// reach the database, its log, any delivered request or the agent's output, except as coded
// identifiers; and after "Delete all local data" no signal's text is left on disk.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "canary_agent.h"
#include "desktop_driver.h"
#include "qt_printers.h"
#include "test_data.h"

namespace {

// Runs this program as the agent with `arguments`; its standard output and error together.
std::unique_ptr<QProcess> agent(const QStringList& arguments) {
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->start(QCoreApplication::applicationFilePath(), arguments);
    return process;
}

TEST(Canary, NothingLeavesTheMachineAndNothingStaysAfterDeleteAll) {
    const QString canary = "Qcnry" + QString::number(QRandomGenerator::system()->generate64(), 36);
    const QString secret = "canary-webhook-secret";
    QTemporaryDir data, received;
    QProcess receiver;  // stopped when it goes out of scope
    receiver.start("python3", {TARNWHISTLE_SOURCE_DIR "/tools/receiver/tarnwhistle_receiver.py",
                               "--port", "0", "--secret", secret, "--out", received.path()});
    QString port;
    ASSERT_TRUE(DesktopDriver::waitUntil([&] {
        receiver.waitForReadyRead(100);
        port += QString::fromUtf8(receiver.readAllStandardOutput());
        return port.contains(u'\n');
    }));
    port = port.section(u' ', -1).trimmed();

    const auto session = agent({"--agent-session", data.path(), canary,
                                QString("http://127.0.0.1:%1/hook").arg(port), secret});
    ASSERT_TRUE(session->waitForFinished(240000));
    const QByteArray output = session->readAll();
    ASSERT_EQ(session->exitCode(), 0) << output;

    // The session really happened: signals of every kind it should make were delivered, with
    // coded identifiers standing in for the names.
    QSet<QString> types;
    QStringList ids;
    const QStringList bodies = QDir(received.path()).entryList({"*.body"});
    ASSERT_FALSE(bodies.isEmpty());
    for (const QString& name : bodies) {
        const QJsonObject body =
            QJsonDocument::fromJson(fileContents(received.filePath(name))).object();
        EXPECT_TRUE(body["subject"].toString().startsWith("sub_"));
        for (const auto& value : body["data"].toArray()) {
            const QJsonObject signal = value.toObject();
            types.insert(signal["type"].toString());
            ids << signal["id"].toString();
            if (signal["type"] == "document.ref") {
                EXPECT_TRUE(
                    QStringList({"file", "document"}).contains(signal["doc_class"].toString()))
                    << QJsonDocument(signal).toJson();
            }
        }
    }
    for (const char* type : {"app.focus", "window.context", "document.ref", "handover"})
        EXPECT_TRUE(types.contains(type)) << type;

    // The canary is nowhere: not in the database or its log, not in a body or its headers,
    // not in the agent's output, error or system log lines.
    const QByteArray needle = canary.toUtf8().toLower();
    QStringList places = {data.filePath("store.sqlite"), data.filePath("store.sqlite-wal")};
    for (const QString& name : QDir(received.path()).entryList(QDir::Files))
        places << received.filePath(name);
    for (const QString& place : places)
        EXPECT_FALSE(fileContents(place).toLower().contains(needle)) << place;
    EXPECT_FALSE(output.toLower().contains(needle)) << output;

    // "Delete all local data", the connection still open: no signal's text is left.
    const auto eraser = agent({"--agent-delete", data.path()});
    ASSERT_TRUE(DesktopDriver::waitUntil(
        [&] {
            eraser->waitForReadyRead(100);
            return eraser->peek(4096).contains("deleted") ||
                   eraser->state() == QProcess::NotRunning;
        },
        30000));
    const QByteArray database = fileContents(data.filePath("store.sqlite")) +
                                fileContents(data.filePath("store.sqlite-wal"));
    eraser->write("\n");
    eraser->closeWriteChannel();
    ASSERT_TRUE(eraser->waitForFinished(10000));
    EXPECT_EQ(eraser->exitCode(), 0) << eraser->readAll();
    ASSERT_FALSE(ids.isEmpty());
    for (const QString& id : ids) EXPECT_FALSE(database.contains(id.toUtf8())) << id;
    for (const char* text : {"window.context", "bundle_id", "signals.batch"})
        EXPECT_FALSE(database.contains(text)) << text;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 6 && args[1] == "--agent-session")
        return CanaryAgent::runSession(args[2], args[3], args[4], args[5]);
    if (args.size() == 3 && args[1] == "--agent-delete") return CanaryAgent::deleteAll(args[2]);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
