// A loopback HTTP server that speaks the part of the Ollama API the classifier uses:
// GET /api/tags and POST /api/chat. Each endpoint can answer, fail or stay silent.
#pragma once

#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <vector>

class FakeModelServer : public QObject {
  public:
    enum class Mode { answer, fail, silent };
    struct Request {
        QByteArray path;
        QJsonObject body;
    };

    FakeModelServer() {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
        });
    }
    QUrl url() const { return QUrl(QString("http://127.0.0.1:%1").arg(server_.serverPort())); }

    QByteArray tagsBody = R"({"models":[{"name":"tiny:1b"},{"name":"other:7b"}]})";
    Mode tagsMode = Mode::answer;
    QString chatReply = "planning";
    Mode chatMode = Mode::answer;
    std::vector<Request> requests;

  private:
    // Answers once the headers and, for a POST, the whole JSON body have arrived.
    void answer(QTcpSocket* socket) {
        const QByteArray data = socket->peek(socket->bytesAvailable());
        const qsizetype headerEnd = data.indexOf("\r\n\r\n");
        const QJsonDocument body = QJsonDocument::fromJson(data.mid(headerEnd + 4));
        if (headerEnd < 0 || (data.startsWith("POST") && body.isNull())) return;
        socket->readAll();
        const QByteArray path = data.split(' ').value(1);
        requests.push_back({path, body.object()});

        const Mode mode = path == "/api/tags" ? tagsMode : chatMode;
        if (mode == Mode::silent) return;
        const QJsonObject reply{{"message", QJsonObject{{"content", chatReply}}}, {"done", true}};
        const QByteArray content = mode == Mode::fail    ? R"({"error":"model failed to load"})"
                                   : path == "/api/tags" ? tagsBody
                                                         : QJsonDocument(reply).toJson();
        socket->write((mode == Mode::fail ? "HTTP/1.1 500 Error" : "HTTP/1.1 200 OK") +
                      QByteArray("\r\nContent-Length: ") + QByteArray::number(content.size()) +
                      "\r\nConnection: close\r\n\r\n" + content);
        socket->disconnectFromHost();
    }

    QTcpServer server_;
};
