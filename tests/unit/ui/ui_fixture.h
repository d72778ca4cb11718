// The real core objects the windows and the tray show, over a temporary folder: the delivery
// tests' store, configuration store and outbox (not started, no network watching, a hand-driven
// clock), an event log, and the status model over them with a switchable trust answer.
#pragma once

#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>

#include "../delivery/outbox_fixture.h"
#include "app/app_status.h"
#include "signals/event_log.h"
#include "ui/ui_services.h"

class UiFixture : public OutboxFixture {
  protected:
    void SetUp() override {
        OutboxFixture::SetUp();
        status.now = [this] { return clock; };
        services.configStore = &configStore;
        services.store = &store;
        services.outbox = &outbox;
        services.eventLog = &eventLog;
        services.status = &status;
        services.loginName = QStringLiteral("alex");
    }

    EventLog eventLog;
    bool trusted = true;
    AppStatus status{configStore, store, outbox, [this] { return trusted; }};
    UiServices services;
};

// An HTTP receiver on loopback that keeps every request open until answerAll(), or answers each
// at once with 200 when `answerAtOnce` is set.
class LoopbackReceiver : public QTcpServer {
  public:
    explicit LoopbackReceiver(bool answerAtOnce = false) : answerAtOnce_(answerAtOnce) {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = nextPendingConnection()) {
                clients.push_back(s);
                connect(s, &QTcpSocket::readyRead, s, [this, s] {
                    if (answerAtOnce_ && wholeRequest(s->peek(1 << 20))) answer(s);
                });
            }
        });
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1/hook").arg(serverPort()); }
    void answerAll() {
        for (QTcpSocket* s : clients) answer(s);
    }
    std::vector<QTcpSocket*> clients;

  private:
    // Headers and as many body bytes as Content-Length says.
    static bool wholeRequest(const QByteArray& request) {
        static const QRegularExpression length(QStringLiteral("content-length: *(\\d+)"),
                                               QRegularExpression::CaseInsensitiveOption);
        const auto match = length.match(QString::fromLatin1(request));
        const qsizetype end = request.indexOf("\r\n\r\n");
        return match.hasMatch() && end >= 0 &&
               request.size() - end - 4 >= match.captured(1).toLongLong();
    }
    static void answer(QTcpSocket* s) {
        s->readAll();
        s->write("HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        s->flush();
    }
    bool answerAtOnce_;
};
