// Keeps the live DeploymentConfig, persists it as "deployment-config.json" in the support
// folder (owner-only), reports the last load or save problem as a sentence for the user and
// derives the configuration hash that every batch carries. Main thread only.
#pragma once

#include <QObject>
#include <QString>
#include <optional>

#include "config/deployment_config.h"

namespace tarnwhistle {

class ConfigStore : public QObject {
    Q_OBJECT
public:
    // The one store of the agent, over supportDirectory(); created with defaults, unread.
    static ConfigStore& shared();
    // A store over another folder (tests, tools).
    explicit ConfigStore(const QString& directory, QObject* parent = nullptr);

    // $XDG_DATA_HOME/Tarnwhistle (default ~/.local/share/Tarnwhistle), created 0700 on every
    // request.
    static QString supportDirectory();
    QString directory() const { return directory_; }
    QString filePath() const;

    const DeploymentConfig& config() const { return config_; }
    const std::optional<QString>& lastError() const { return lastError_; }

    // Reads the file into config(). A missing file is a first start: fresh defaults, saved.
    // A file that cannot be opened or read (permissions, I/O, a folder in its place) is left
    // untouched: the agent runs on unsaved in-memory defaults and says so in lastError(). A
    // file that is not a valid settings record is kept beside it before defaults replace it,
    // as is one written by a newer build before it is rewritten in this build's format.
    void load();
    // Writes `config` (with its destination remembered) and re-reads it. After a load that
    // could not read the file, the file is first kept beside under another name.
    void save(const DeploymentConfig& config);

    // "sha256:" + 16 hex digits of the encoded config without the salt and the secrets.
    QString configHash() const;
    static QString configHash(const DeploymentConfig& config);

    // Import: the file is read tolerantly; this machine's deviceId is kept. On failure returns
    // false with the description for the "Could not import" alert, and nothing changes.
    bool importFrom(const QString& path, QString* error);
    // Export: the saved configuration, atomically. Failures are not reported.
    void exportTo(const QString& path) const;

    // Files larger than this are not read (they cannot be a settings file).
    static constexpr qint64 maxFileSize = 16 * 1024 * 1024;

signals:
    void configChanged();
    void lastErrorChanged();

private:
    void setLastError(const std::optional<QString>& error);
    enum class ReadResult { read, missing, failed };
    ReadResult readFile(QByteArray* bytes, QString* error) const;
    QString besidePath(const QString& tag) const;
    void adopt(const DeploymentConfig& config);

    QString directory_;
    DeploymentConfig config_;
    std::optional<QString> lastError_;
    bool keepBeforeSaving_ = false;  // the file on disk could not be read
};

}  // namespace tarnwhistle
