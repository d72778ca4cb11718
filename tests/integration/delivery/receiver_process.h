// The loopback test receiver (tools/receiver, Python) as a child process. It checks every
// signature itself with Python's hmac/hashlib and records each request in a folder.
#pragma once

#include <gtest/gtest.h>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
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
        QNetworkAccessManager network;
        QNetworkRequest request(QUrl(url(QStringLiteral("/_control"))));
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
        QNetworkReply* reply = network.post(request, QJsonDocument::fromVariant(plan).toJson());
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        EXPECT_EQ(reply->error(), QNetworkReply::NoError);
        delete reply;
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
