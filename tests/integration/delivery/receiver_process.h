// The loopback test receiver (tools/receiver, Python) as a child process. It checks every
// signature itself with Python's hmac/hashlib and records each request in a folder.
#pragma once

#include <gtest/gtest.h>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>

struct ReceivedRequest {
    QByteArray body;
    QJsonObject record;  // headers, signature_valid, action, status

    QString header(const char* name) const {
        return record["headers"].toObject()[QString::fromLatin1(name)].toString();
    }
};

class ReceiverProcess {
  public:
    explicit ReceiverProcess(QStringList arguments) {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start("python3",
                       QStringList{TARNWHISTLE_SOURCE_DIR "/tools/receiver/tarnwhistle_receiver.py",
                                   "--out", out_.path()} +
                           arguments);
        while (port_ == 0 && process_.waitForReadyRead(10'000)) {
            const QByteArray line = process_.readLine().trimmed();
            if (line.startsWith("listening on ")) port_ = line.mid(13).toInt();
        }
        if (port_ == 0) ADD_FAILURE() << "the receiver did not start";
    }
    ~ReceiverProcess() {
        process_.kill();
        process_.waitForFinished();
    }

    // How later requests are answered: any of "status", "reply", "action", "delay", "size",
    // "headers"; the rest as a receiver started without options answers.
    void answerWith(const QJsonObject& behaviour) {
        QVariantMap plan{
            {"status", 200}, {"reply", "ok"}, {"action", "status"}, {"headers", QVariantMap()}};
        plan.insert(behaviour.toVariantMap());
        const QByteArray body = QJsonDocument::fromVariant(plan).toJson();
        QTcpSocket control;
        control.connectToHost(QHostAddress::LocalHost, quint16(port_));
        EXPECT_TRUE(control.waitForConnected(10'000));
        control.write("POST /_control HTTP/1.1\r\nHost: x\r\nContent-Length: " +
                      QByteArray::number(body.size()) + "\r\n\r\n" + body);
        EXPECT_TRUE(control.waitForReadyRead(10'000) && control.readAll().contains(" 204 "));
    }

    int port() const { return port_; }
    QString folder() const { return out_.path(); }
    QString url(const QString& path = QStringLiteral("/hook")) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(port_).arg(path);
    }

    // Every request so far, in arrival order.
    std::vector<ReceivedRequest> received() const {
        std::vector<ReceivedRequest> out;
        for (int n = 1;; ++n) {
            QFile record(out_.filePath(QStringLiteral("%1.json").arg(n)));
            QFile body(out_.filePath(QStringLiteral("%1.body").arg(n)));
            if (!record.open(QIODevice::ReadOnly) || !body.open(QIODevice::ReadOnly)) break;
            out.push_back({body.readAll(), QJsonDocument::fromJson(record.readAll()).object()});
        }
        return out;
    }

  private:
    QTemporaryDir out_;
    QProcess process_;
    int port_ = 0;
};
