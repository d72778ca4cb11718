#include "config/config_store.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "base/system_calls.h"

namespace tarnwhistle {

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
    SystemCalls::makeOwnerOnlyDirectory(path);
    return path;
}

QString ConfigStore::filePath() const { return directory_ + u'/' + kFileName; }

ConfigStore::ReadResult ConfigStore::readFile(QByteArray* bytes, QString* error) const {
    // Only "no such file" is a first start; every other error must leave the file alone.
    switch (SystemCalls::readRegularFile(filePath(), maxFileSize, bytes, error)) {
        case SystemCalls::ReadOutcome::read: return ReadResult::read;
        case SystemCalls::ReadOutcome::missing: return ReadResult::missing;
        case SystemCalls::ReadOutcome::failed: return ReadResult::failed;
        case SystemCalls::ReadOutcome::tooLarge: break;
    }
    *error = QStringLiteral("the file is larger than %1 MB").arg(maxFileSize / (1024 * 1024));
    return ReadResult::read;  // read, but not a settings record
}

QString ConfigStore::besidePath(const QString& tag) const {
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = filePath() + u'.' + tag + u'-' + stamp;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = filePath() + QStringLiteral(".%1-%2-%3").arg(tag, stamp).arg(n);
    return target;
}

void ConfigStore::adopt(const DeploymentConfig& config) {
    const bool changed = !(config_ == config);
    config_ = config;
    if (changed) emit configChanged();
}

void ConfigStore::load() {
    SystemCalls::makeOwnerOnlyDirectory(directory_);
    QByteArray bytes;
    QString problem;
    const ReadResult result = readFile(&bytes, &problem);
    if (result == ReadResult::failed) {
        // The user's webhook, secrets and identity are in there: never overwrite them because
        // of a permission or disk problem. Run on defaults in memory only.
        adopt(DeploymentConfig());
        setLastError(QStringLiteral("Could not read the settings file: ") + problem +
                     QStringLiteral(". Using defaults."));
        keepBeforeSaving_ = true;
        return;
    }
    if (result == ReadResult::read) {
        QStringList notes;
        std::optional<DeploymentConfig> decoded;
        if (problem.isEmpty()) decoded = DeploymentConfig::decodeMerging(bytes, &problem, &notes);
        if (decoded) {
            if (decoded->schemaVersion > DeploymentConfig::currentSchemaVersion) {
                // A downgrade must not lose what a newer build wrote: keep its file as it was.
                const QString copy = besidePath(QStringLiteral("newer"));
                if (!SystemCalls::writeOwnerOnlyFileAtomically(copy, bytes)) {
                    adopt(*decoded);
                    setLastError(QStringLiteral("The settings file is from a newer version and "
                                                "could not be kept; it was left unchanged."));
                    return;
                }
                decoded->schemaVersion = DeploymentConfig::currentSchemaVersion;
                notes << QStringLiteral("The settings file is from a newer version; a copy was "
                                        "kept as %1.")
                             .arg(QFileInfo(copy).fileName());
            }
            decoded->rememberCurrentDestination();
            adopt(*decoded);
            setLastError(notes.isEmpty() ? std::nullopt : std::optional(notes.join(u' ')));
            SystemCalls::writeOwnerOnlyFileAtomically(filePath(), config_.encoded());
            return;
        }
        setLastError(QStringLiteral("Could not read the settings file: ") + problem +
                     QStringLiteral(". Using defaults."));
        // A hand-edited file with a typo must never be lost: keep its bytes beside it.
        QFile::rename(filePath(), besidePath(QStringLiteral("unreadable")));
    }
    // First start, or a file that is no settings record: fresh defaults become the
    // configuration and are saved. The read problem (if any) outlives the save's re-read.
    const std::optional<QString> readProblem =
        result == ReadResult::read ? lastError_ : std::nullopt;
    config_ = DeploymentConfig();
    emit configChanged();
    save(config_);
    if (readProblem) setLastError(readProblem);
}

void ConfigStore::save(const DeploymentConfig& config) {
    DeploymentConfig copy = config;
    copy.rememberCurrentDestination();
    QString error;
    SystemCalls::makeOwnerOnlyDirectory(directory_);
    // Saving over a file that could not be read (the user saves new settings) keeps it.
    if (keepBeforeSaving_ && QFileInfo::exists(filePath()) &&
        !QFile::rename(filePath(), besidePath(QStringLiteral("unreadable")))) {
        setLastError(QStringLiteral("Could not save settings: the unreadable settings file "
                                    "could not be kept"));
        return;
    }
    keepBeforeSaving_ = false;
    if (!SystemCalls::writeOwnerOnlyFileAtomically(filePath(), copy.encoded(), &error)) {
        setLastError(QStringLiteral("Could not save settings: ") + error);
        return;
    }
    load();
}

QString ConfigStore::configHash() const { return configHash(config_); }

QString ConfigStore::configHash(const DeploymentConfig& config) {
    const QByteArray digest =
        QCryptographicHash::hash(config.withSecretsBlanked().encoded(), QCryptographicHash::Sha256);
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
    QStringList notes;
    auto imported = DeploymentConfig::decodeMerging(file.read(maxFileSize + 1), error, &notes);
    if (!imported) return false;
    imported->deviceId = config_.deviceId;  // this machine keeps its identity
    save(*imported);
    if (!notes.isEmpty() && !lastError_) setLastError(notes.join(u' '));
    return true;
}

void ConfigStore::exportTo(const QString& path) const {
    SystemCalls::writeOwnerOnlyFileAtomically(path, config_.encoded());
}

void ConfigStore::setLastError(const std::optional<QString>& error) {
    if (lastError_ == error) return;
    lastError_ = error;
    emit lastErrorChanged();
}

}  // namespace tarnwhistle
