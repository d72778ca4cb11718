#include "fake_model_server.h"

#include <QJsonDocument>
#include <QTcpSocket>

FakeModelServer::FakeModelServer() {
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
        }
    });
}

int FakeModelServer::count(const QByteArray& path) const {
    return int(std::count_if(requests.begin(), requests.end(),
                             [&](const Request& r) { return r.path == path; }));
}

// Answers once the headers and the whole body (Content-Length) have arrived.
void FakeModelServer::readFrom(QTcpSocket* socket) {
    const QByteArray data = socket->peek(socket->bytesAvailable());
    const int headerEnd = data.indexOf("\r\n\r\n");
    if (headerEnd < 0) return;
    qsizetype length = 0;
    for (const QByteArray& line : data.left(headerEnd).split('\n'))
        if (line.toLower().startsWith("content-length:"))
            length = line.mid(15).trimmed().toLongLong();
    if (data.size() < headerEnd + 4 + length) return;
    socket->read(headerEnd + 4 + length);
    const Request request{data.split(' ').value(1),
                          QJsonDocument::fromJson(data.mid(headerEnd + 4, length)).object()};
    requests.push_back(request);

    const bool tags = request.path == "/api/tags";
    const Mode mode = tags ? tagsMode : chatMode;
    if (mode == Mode::silent) return;
    QByteArray body = R"({"error":"model failed to load"})";
    if (mode == Mode::answer && tags) body = tagsBody;
    if (mode == Mode::answer && !tags)
        body =
            QJsonDocument(
                QJsonObject{{"message", QJsonObject{{"role", "assistant"}, {"content", chatReply}}},
                            {"done", true}})
                .toJson(QJsonDocument::Compact);
    socket->write((mode == Mode::fail ? "HTTP/1.1 500 Error" : "HTTP/1.1 200 OK") +
                  QByteArray("\r\nContent-Type: application/json\r\nContent-Length: ") +
                  QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    socket->disconnectFromHost();
}
