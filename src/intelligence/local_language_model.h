// The local language model: a model server on this machine speaking the Ollama HTTP API.
// Available when GET /api/tags answers within the availability timeout and lists at least one
// model; the first listed model answers. The answer of a check is kept for a few seconds so
// that a burst of classifications asks once. Nothing here blocks: every answer arrives later
// through a callback, on the thread the object lives on.
#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>
#include <vector>

namespace tarnwhistle {

class LocalLanguageModel : public QObject {
    Q_OBJECT
  public:
    struct Options {
        QUrl server{QStringLiteral("http://127.0.0.1:11434")};
        int availabilityTimeoutMs = 1000;
        double availabilityCacheSeconds = 5;
        // A hung server must not hold a classification for ever: after this long the request
        // counts as failed and the classifier moves on to the embeddings.
        int replyTimeoutMs = 120000;
        std::function<double()> now;  // seconds; the monotonic clock when empty
    };

    explicit LocalLanguageModel(QObject* parent = nullptr);
    explicit LocalLanguageModel(Options options, QObject* parent = nullptr);

    // Checks (or reuses a recent answer) and calls back with whether a model can answer now.
    void checkAvailability(std::function<void(bool)> completion);

    // One fresh conversation: `system` as the system message, `user` as the user message,
    // non-streaming, default options. The reply text, or nothing on any failure.
    void chat(const QString& system, const QString& user,
              std::function<void(std::optional<QString>)> completion);

  private:
    double now() const;
    void finishCheck(bool available, const QString& model);

    Options options_;
    QNetworkAccessManager network_;
    std::optional<bool> available_;
    QString model_;
    std::optional<double> checkedAt_;
    std::vector<std::function<void(bool)>> waiting_;  // callers of the check in flight
};

}  // namespace tarnwhistle
