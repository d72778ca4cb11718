// A loopback HTTP server that speaks the part of the Ollama API the classifier uses:
// GET /api/tags and POST /api/chat. Each endpoint can answer, fail or stay silent.
#pragma once

#include <QJsonObject>
#include <QTcpServer>
#include <QUrl>
#include <vector>

class FakeModelServer : public QObject {
  public:
    enum class Mode { answer, fail, silent };
    struct Request {
        QByteArray path;
        QJsonObject body;
    };

    FakeModelServer();
    QUrl url() const { return QUrl(QString("http://127.0.0.1:%1").arg(server_.serverPort())); }
    int count(const QByteArray& path) const;

    QByteArray tagsBody = R"({"models":[{"name":"tiny:1b"},{"name":"other:7b"}]})";
    Mode tagsMode = Mode::answer;
    QString chatReply = "planning";
    Mode chatMode = Mode::answer;
    std::vector<Request> requests;

  private:
    void readFrom(QTcpSocket* socket);
    QTcpServer server_;
};
