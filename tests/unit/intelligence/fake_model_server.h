// A loopback HTTP server that speaks the part of the Ollama API the classifier uses:
// GET /api/tags and POST /api/chat. Each endpoint can answer, fail or stay silent.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <vector>

class FakeModelServer : public QObject {
public:
    enum class Mode { answer, fail, silent };
    struct Request {
        QByteArray method;
        QByteArray path;
        QJsonObject body;
    };

    FakeModelServer();
    QUrl url() const;

    QByteArray tagsBody = R"({"models":[{"name":"tiny:1b"},{"name":"other:7b"}]})";
    Mode tagsMode = Mode::answer;
    QString chatReply = "planning";
    Mode chatMode = Mode::answer;
    std::vector<Request> requests;

    int count(const QByteArray& path) const;

private:
    void readFrom(QTcpSocket* socket);
    void respond(QTcpSocket* socket, const Request& request);

    QTcpServer server_;
};
