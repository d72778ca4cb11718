#include "fake_model_server.h"

#include <QJsonDocument>

FakeModelServer::FakeModelServer() {
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
        }
    });
}

QUrl FakeModelServer::url() const {
    return QUrl(QString("http://127.0.0.1:%1").arg(server_.serverPort()));
}

int FakeModelServer::count(const QByteArray& path) const {
    int n = 0;
    for (const auto& r : requests) n += r.path == path ? 1 : 0;
    return n;
}

// Waits until the headers and the whole body (Content-Length) have arrived.
void FakeModelServer::readFrom(QTcpSocket* socket) {
    const QByteArray data = socket->peek(socket->bytesAvailable());
    const int headerEnd = data.indexOf("\r\n\r\n");
    if (headerEnd < 0) return;
    qsizetype length = 0;
    for (const QByteArray& line : data.left(headerEnd).split('\n')) {
        if (line.toLower().startsWith("content-length:")) length = line.mid(15).trimmed().toLongLong();
    }
    if (data.size() < headerEnd + 4 + length) return;
    socket->read(headerEnd + 4 + length);
    const QList<QByteArray> first = data.left(data.indexOf("\r\n")).split(' ');
    Request request{first.value(0), first.value(1),
                    QJsonDocument::fromJson(data.mid(headerEnd + 4, length)).object()};
    requests.push_back(request);
    respond(socket, request);
}

void FakeModelServer::respond(QTcpSocket* socket, const Request& request) {
    const bool tags = request.path == "/api/tags";
    const Mode mode = tags ? tagsMode : chatMode;
    if (mode == Mode::silent) return;
    int status = 200;
    QByteArray body;
    if (mode == Mode::fail) {
        status = 500;
        body = R"({"error":"model failed to load"})";
    } else if (tags) {
        body = tagsBody;
    } else {
        body = QJsonDocument(QJsonObject{
                                 {"model", request.body["model"]},
                                 {"message", QJsonObject{{"role", "assistant"}, {"content", chatReply}}},
                                 {"done", true}})
                   .toJson(QJsonDocument::Compact);
    }
    socket->write("HTTP/1.1 " + QByteArray::number(status) + (status == 200 ? " OK" : " Error") +
                  "\r\nContent-Type: application/json\r\nContent-Length: " +
                  QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    socket->disconnectFromHost();
}
