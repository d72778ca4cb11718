#include "config/config_store.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "config/private_file.h"

namespace {
const QString kFileName = QStringLiteral("deployment-config.json");
}

ConfigStore& ConfigStore::shared() {
    static ConfigStore* instance = new ConfigStore(supportDirectory());
    return *instance;
}

ConfigStore::ConfigStore(const QString& directory, QObject* parent)
    : QObject(parent), directory_(directory) {}

QString ConfigStore::supportDirectory() {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    const QString path = base + QStringLiteral("/Tarnwhistle");
    makePrivateDirectory(path);
    return path;
}

QString ConfigStore::filePath() const { return directory_ + u'/' + kFileName; }

std::optional<QByteArray> ConfigStore::readFile(QString* error) const {
    QFile file(filePath());
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    if (file.size() > maxFileSize) {
        *error = QStringLiteral("the file is larger than %1 MB").arg(maxFileSize / (1024 * 1024));
        return QByteArray();
    }
    return file.read(maxFileSize + 1);
}

void ConfigStore::load() {
    makePrivateDirectory(directory_);
    QString problem;
    const auto bytes = readFile(&problem);
    if (bytes) {
        QString decodeError = problem;
        std::optional<DeploymentConfig> decoded;
        if (problem.isEmpty()) decoded = DeploymentConfig::decodeMerging(*bytes, &decodeError);
        if (decoded) {
            decoded->rememberCurrentDestination();
            const bool changed = !(config_ == *decoded);
            config_ = *decoded;
            setLastError(std::nullopt);
            if (changed) emit configChanged();
            writePrivateFileAtomically(filePath(), config_.encoded());
            return;
        }
        setLastError(QStringLiteral("Could not read the settings file: ") + decodeError +
                     QStringLiteral(". Using defaults."));
        preserveUnreadableFile();
    }
    // First start, or an unreadable file: fresh defaults become the configuration. The read
    // problem (if any) outlives the save's own successful re-read.
    const std::optional<QString> readProblem = bytes ? lastError_ : std::nullopt;
    config_ = DeploymentConfig();
    emit configChanged();
    save(config_);
    if (readProblem) setLastError(readProblem);
}

void ConfigStore::save(const DeploymentConfig& config) {
    DeploymentConfig copy = config;
    copy.rememberCurrentDestination();
    QString error;
    makePrivateDirectory(directory_);
    if (!writePrivateFileAtomically(filePath(), copy.encoded(), &error)) {
        setLastError(QStringLiteral("Could not save settings: ") + error);
        return;
    }
    load();
}

void ConfigStore::preserveUnreadableFile() {
    // A hand-edited file with a typo must never be lost: keep its bytes beside it.
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = filePath() + QStringLiteral(".unreadable-") + stamp;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = filePath() + QStringLiteral(".unreadable-%1-%2").arg(stamp).arg(n);
    QFile::rename(filePath(), target);
}

QString ConfigStore::configHash() const { return configHash(config_); }

QString ConfigStore::configHash(const DeploymentConfig& config) {
    DeploymentConfig copy = config;
    copy.salt.clear();
    copy.webhookSecret.clear();
    const QByteArray digest = QCryptographicHash::hash(copy.encoded(), QCryptographicHash::Sha256);
    return QStringLiteral("sha256:") + QString::fromLatin1(digest.toHex().left(16));
}

bool ConfigStore::importFrom(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    if (file.size() > maxFileSize) {
        if (error) *error = QStringLiteral("The file is too large to be a settings file.");
        return false;
    }
    auto imported = DeploymentConfig::decodeMerging(file.read(maxFileSize + 1), error);
    if (!imported) return false;
    imported->deviceId = config_.deviceId;  // this machine keeps its identity
    save(*imported);
    return true;
}

void ConfigStore::exportTo(const QString& path) const {
    writePrivateFileAtomically(path, config_.encoded());
}

void ConfigStore::setLastError(const std::optional<QString>& error) {
    if (lastError_ == error) return;
    lastError_ = error;
    emit lastErrorChanged();
}
