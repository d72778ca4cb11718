#include "intelligence/local_language_model.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace tarnwhistle {

namespace {

QNetworkRequest request(const QUrl& server, const QString& path, int timeoutMs) {
    QUrl url = server;
    url.setPath(path);
    QNetworkRequest r(url);
    r.setTransferTimeout(timeoutMs);
    r.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    r.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    return r;
}

bool succeeded(QNetworkReply* reply) {
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    return reply->error() == QNetworkReply::NoError && status >= 200 && status < 300;
}

}  // namespace

LocalLanguageModel::LocalLanguageModel(QObject* parent) : LocalLanguageModel(Options{}, parent) {}

LocalLanguageModel::LocalLanguageModel(Options options, QObject* parent)
    : QObject(parent), options_(std::move(options)) {
    // The server is on this machine: never through a proxy, never a cookie or a cache.
    network_.setProxy(QNetworkProxy::NoProxy);
    network_.setCookieJar(nullptr);
}

double LocalLanguageModel::now() const {
    if (options_.now) return options_.now();
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return double(clock.elapsed()) / 1000.0;
}

void LocalLanguageModel::checkAvailability(std::function<void(bool)> completion) {
    if (checkedAt_ && available_ && now() - *checkedAt_ < options_.availabilityCacheSeconds) {
        completion(*available_);
        return;
    }
    waiting_.push_back(std::move(completion));
    if (waiting_.size() > 1) return;  // a check is already in flight

    QNetworkReply* reply =
        network_.get(request(options_.server, "/api/tags", options_.availabilityTimeoutMs));
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        reply->deleteLater();
        QString model;
        if (succeeded(reply)) {
            const auto models = QJsonDocument::fromJson(reply->readAll())["models"].toArray();
            if (!models.isEmpty()) {
                const QJsonObject first = models.first().toObject();
                model = first["name"].toString();
                if (model.isEmpty()) model = first["model"].toString();
            }
        }
        finishCheck(!model.isEmpty(), model);
    });
}

void LocalLanguageModel::finishCheck(bool available, const QString& model) {
    available_ = available;
    model_ = model;
    checkedAt_ = now();
    auto waiting = std::move(waiting_);
    waiting_.clear();
    for (auto& completion : waiting) completion(available);
}

void LocalLanguageModel::chat(const QString& system, const QString& user,
                              std::function<void(std::optional<QString>)> completion) {
    if (model_.isEmpty()) {
        completion(std::nullopt);
        return;
    }
    const QJsonObject body{
        {"model", model_},
        {"stream", false},
        {"messages", QJsonArray{QJsonObject{{"role", "system"}, {"content", system}},
                                QJsonObject{{"role", "user"}, {"content", user}}}},
    };
    QNetworkRequest r = request(options_.server, "/api/chat", options_.replyTimeoutMs);
    r.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
    QNetworkReply* reply = network_.post(r, QJsonDocument(body).toJson(QJsonDocument::Compact));
    connect(reply, &QNetworkReply::finished, this, [reply, completion = std::move(completion)] {
        reply->deleteLater();
        if (!succeeded(reply)) return completion(std::nullopt);
        const QJsonDocument doc = QJsonDocument::fromJson(reply->readAll());
        const QJsonValue content = doc["message"]["content"];
        if (!content.isString()) return completion(std::nullopt);
        completion(content.toString());
    });
}

}  // namespace tarnwhistle
