#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <unistd.h>
#include <sys/stat.h>

#include "config/config_store.h"

namespace {

class ConfigStoreTest : public ::testing::Test {
protected:
    QString dir() const { return tmp_.path() + "/support/Tarnwhistle"; }
    QString file() const { return dir() + "/deployment-config.json"; }
    void writeFile(const QByteArray& bytes) {
        QDir().mkpath(dir());
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray readFile() const {
        QFile f(file());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static int mode(const QString& path) {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
    }
    QStringList preservedCopies() const {
        return QDir(dir()).entryList({"deployment-config.json.unreadable-*"}, QDir::Files);
    }
    QTemporaryDir tmp_;
};

TEST_F(ConfigStoreTest, FirstStartCreatesAPrivateFolderAndFileThatKeepTheirIdentity) {
    const mode_t oldMask = ::umask(0);  // even a permissive umask must not expose the secrets
    ConfigStore store(dir());
    store.load();
    ::umask(oldMask);
    EXPECT_FALSE(store.lastError());
    EXPECT_EQ(mode(dir()), 0700);
    EXPECT_EQ(mode(file()), 0600);
    EXPECT_EQ(QJsonDocument::fromJson(readFile()).object().size(), 27);

    ConfigStore again(dir());
    again.load();
    EXPECT_EQ(again.config(), store.config());
    EXPECT_EQ(readFile(), store.config().encoded());
}

TEST_F(ConfigStoreTest, LoadRewritesTheFileWithNewKeysOwnerOnly) {
    writeFile(R"({"orgId": "acme", "enabledSignals": {"app.focus": false}})");
    ::chmod(QFile::encodeName(file()).constData(), 0644);
    ConfigStore store(dir());
    store.load();
    EXPECT_FALSE(store.lastError());
    EXPECT_EQ(store.config().orgId, "acme");
    EXPECT_FALSE(store.config().enabledSignals.at("app.focus"));
    const QJsonObject onDisk = QJsonDocument::fromJson(readFile()).object();
    EXPECT_EQ(onDisk.size(), 27);
    EXPECT_EQ(onDisk["enabledSignals"].toObject().size(), 15);
    EXPECT_EQ(mode(file()), 0600);
}

TEST_F(ConfigStoreTest, AnUnreadableFileFallsBackToDefaultsAndIsKeptBeside) {
    const QByteArray cases[] = {
        QByteArray("{"),
        QByteArray(""),
        QByteArray("[1, 2]"),
        QByteArray(R"({"maxBatch": "many"})"),
        QByteArray("{\"orgId\": \"caf\xc3\x28\"}"),  // invalid UTF-8
    };
    for (const QByteArray& bad : cases) {
        QTemporaryDir scratch;
        const QString folder = scratch.path() + "/T";
        QDir().mkpath(folder);
        QFile f(folder + "/deployment-config.json");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bad);
        f.close();

        ConfigStore store(folder);
        store.load();
        ASSERT_TRUE(store.lastError()) << bad.toStdString();
        EXPECT_TRUE(store.lastError()->startsWith("Could not read the settings file: "));
        EXPECT_TRUE(store.lastError()->endsWith(". Using defaults.")) << store.lastError()->toStdString();
        DeploymentConfig expected;
        expected.deviceId = store.config().deviceId;
        expected.salt = store.config().salt;
        EXPECT_EQ(store.config(), expected);
        // The defaults are on disk, and the user's bytes are kept beside them.
        QFile saved(folder + "/deployment-config.json");
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
        EXPECT_EQ(saved.readAll(), store.config().encoded());
        const QStringList copies =
            QDir(folder).entryList({"deployment-config.json.unreadable-*"}, QDir::Files);
        ASSERT_EQ(copies.size(), 1) << bad.toStdString();
        QFile copy(folder + "/" + copies.first());
        ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
        EXPECT_EQ(copy.readAll(), bad);
    }
}

TEST_F(ConfigStoreTest, ValuesAreNormalisedWhereTheyAreRead) {
    writeFile(R"({"salt": "", "maxBatch": 0, "flushIntervalSeconds": -5, "retentionDays": 100000,
                 "idleThresholdSeconds": 1, "episodeGapSeconds": 999999})");
    ConfigStore store(dir());
    store.load();
    const DeploymentConfig& c = store.config();
    EXPECT_GE(c.salt.size(), 16);
    ASSERT_TRUE(store.lastError());  // the codes change: the user is told
    EXPECT_TRUE(store.lastError()->contains("salt"));
    EXPECT_EQ(c.maxBatch, 1);
    EXPECT_EQ(c.flushIntervalSeconds, 30);
    EXPECT_EQ(c.retentionDays, 365);
    EXPECT_EQ(c.idleThresholdSeconds, 60);
    EXPECT_EQ(c.episodeGapSeconds, 3600);
    // Written down once: the next start keeps that salt and has nothing to say.
    ConfigStore again(dir());
    again.load();
    EXPECT_EQ(again.config(), c);
    EXPECT_FALSE(again.lastError());
}

TEST_F(ConfigStoreTest, AFileFromANewerVersionIsKeptBeforeItIsRewritten) {
    const QByteArray newer = R"({"schemaVersion": 3, "orgId": "acme", "futureKey": {"x": 1}})";
    writeFile(newer);
    ConfigStore store(dir());
    store.load();
    EXPECT_EQ(store.config().orgId, "acme");
    EXPECT_EQ(store.config().schemaVersion, DeploymentConfig::currentSchemaVersion);
    ASSERT_TRUE(store.lastError());
    const QStringList copies = QDir(dir()).entryList({"deployment-config.json.newer-*"}, QDir::Files);
    ASSERT_EQ(copies.size(), 1);
    QFile copy(dir() + "/" + copies.first());
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), newer);
    EXPECT_EQ(mode(copy.fileName()), 0600);
    EXPECT_EQ(readFile(), store.config().encoded());
    ConfigStore again(dir());
    again.load();  // now in this build's format: no second copy
    EXPECT_EQ(QDir(dir()).entryList({"deployment-config.json.newer-*"}, QDir::Files).size(), 1);
}

// A file that exists but cannot be read is left exactly as it is, and nothing is saved over it.
// Permission checks need a user other than root: as root the check runs again in a child
// process as "nobody".
TEST_F(ConfigStoreTest, AFileThatCannotBeOpenedIsNeverReplaced) {
    const QString childDir = qEnvironmentVariable("TARNWHISTLE_CONFIG_CHILD_DIR");
    const QString folder = childDir.isEmpty() ? dir() : childDir;
    if (::geteuid() == 0) {
        QDir().mkpath(dir());
        ASSERT_EQ(::chown(QFile::encodeName(tmp_.path()).constData(), 65534, 65534), 0);
        ASSERT_EQ(::chown(QFile::encodeName(dir() + "/..").constData(), 65534, 65534), 0);
        ASSERT_EQ(::chown(QFile::encodeName(dir()).constData(), 65534, 65534), 0);
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TARNWHISTLE_CONFIG_CHILD_DIR", dir());
        child.setProcessEnvironment(env);
        child.start(QStringLiteral("setpriv"), QStringList{"--reuid=nobody", "--regid=nogroup", "--clear-groups", "--",
                                QCoreApplication::applicationFilePath(),
                                "--gtest_filter=ConfigStoreTest.AFileThatCannotBeOpenedIsNeverReplaced"});
        if (!child.waitForFinished(60000) || child.exitStatus() != QProcess::NormalExit ||
            child.readAllStandardOutput().contains("could not run as nobody"))
            GTEST_SKIP() << "cannot run a child process as the user nobody (setpriv)";
        EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();
        return;
    }
    if (!QFileInfo(folder).isWritable()) {
        std::printf("could not run as nobody\n");
        GTEST_SKIP();
    }
    const QByteArray mine = R"({"webhookURL": "https://hooks.example.com/mine", "salt": "0123456789abcdef0123"})";
    const QString path = folder + "/deployment-config.json";
    for (const char* situation : {"no permission", "a folder"}) {
        QFile::remove(path);
        QDir(path).removeRecursively();
        if (QByteArray(situation) == "a folder") {
            QDir().mkpath(path);
        } else {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(mine);
            f.close();
            ::chmod(QFile::encodeName(path).constData(), 0200);
        }
        ConfigStore store(folder);
        store.load();
        ASSERT_TRUE(store.lastError()) << situation;
        EXPECT_TRUE(store.lastError()->startsWith("Could not read the settings file: ")) << situation;
        EXPECT_TRUE(store.lastError()->endsWith(". Using defaults.")) << situation;
        EXPECT_TRUE(store.config().webhookURL.isEmpty());  // defaults, in memory
        // Untouched: no copy, no replacement.
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(),
                  QByteArray(situation) == "a folder" ? 0 : 1) << situation;
        if (QByteArray(situation) == "no permission") {
            ::chmod(QFile::encodeName(path).constData(), 0600);
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            EXPECT_EQ(f.readAll(), mine);
            ::chmod(QFile::encodeName(path).constData(), 0200);
        } else {
            EXPECT_TRUE(QFileInfo(path).isDir());
        }
        // Saving new settings then keeps what was there under another name.
        store.save(store.config());
        EXPECT_FALSE(store.lastError()) << situation;
        const QStringList kept =
            QDir(folder).entryList({"deployment-config.json.unreadable-*"}, QDir::AllEntries);
        ASSERT_EQ(kept.size(), 1) << situation;
        if (QByteArray(situation) == "no permission") {
            const QString copy = folder + "/" + kept.first();
            ::chmod(QFile::encodeName(copy).constData(), 0600);
            QFile f(copy);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            EXPECT_EQ(f.readAll(), mine);
        }
        QFile::remove(folder + "/" + kept.first());
        QDir(folder + "/" + kept.first()).removeRecursively();
    }
}

TEST_F(ConfigStoreTest, AHugeFileIsRefusedWithoutReadingItAll) {
    writeFile(QByteArray(ConfigStore::maxFileSize + 10, ' '));
    ConfigStore store(dir());
    store.load();
    ASSERT_TRUE(store.lastError());
    EXPECT_TRUE(store.lastError()->endsWith(". Using defaults."));
    EXPECT_EQ(preservedCopies().size(), 1);
    EXPECT_EQ(QJsonDocument::fromJson(readFile()).object().size(), 27);
}

TEST_F(ConfigStoreTest, SavingADashboardAddressRemembersIt) {
    ConfigStore store(dir());
    store.load();
    DeploymentConfig c = store.config();
    c.webhookURL = "https://" + *DeploymentConfig::dashboardHosts().begin() + "/in/1";
    c.webhookSecret = "dash-secret";
    store.save(c);
    EXPECT_FALSE(store.lastError());
    EXPECT_EQ(store.config().savedDashboardURL, c.webhookURL);
    EXPECT_EQ(store.config().savedDashboardSecret, "dash-secret");
    const QJsonObject onDisk = QJsonDocument::fromJson(readFile()).object();
    EXPECT_EQ(onDisk["savedDashboardURL"].toString(), c.webhookURL);
}

TEST_F(ConfigStoreTest, EqualSavesGiveIdenticalBytesAndHashes) {
    ConfigStore store(dir());
    store.load();
    const DeploymentConfig c = store.config();
    store.save(c);
    const QByteArray first = readFile();
    const QString firstHash = store.configHash();
    store.save(c);
    EXPECT_EQ(readFile(), first);
    EXPECT_EQ(store.configHash(), firstHash);
}

TEST_F(ConfigStoreTest, HashIgnoresSaltAndSecretsOnly) {
    DeploymentConfig c;
    c.deviceId = "dev_0123456789abcdef";
    c.salt = "00112233445566778899aabbccddeeff";
    const QString base = ConfigStore::configHash(c);
    EXPECT_EQ(base, "sha256:" + QString(QCryptographicHash::hash([&] {
                                     DeploymentConfig copy = c;
                                     copy.salt.clear();
                                     return copy.encoded();
                                 }(), QCryptographicHash::Sha256).toHex().left(16)));
    // The value a receiver can reproduce from the checked-in default file (salt emptied).
    EXPECT_EQ(base, "sha256:89fc667e8cb46b95");

    DeploymentConfig other = c;
    other.salt = "ffffffffffffffffffffffffffffffff";
    other.webhookSecret = "changed";
    other.savedDashboardSecret = "changed";
    other.savedCustomSecret = "changed";
    EXPECT_EQ(ConfigStore::configHash(other), base);  // no secret can be tested against it
    other = c;
    other.maxBatch = 499;
    EXPECT_NE(ConfigStore::configHash(other), base);
}

TEST_F(ConfigStoreTest, ASaveThatCannotWriteKeepsTheConfigAndSaysWhy) {
    ConfigStore store(dir());
    store.load();
    const DeploymentConfig before = store.config();
    // A folder that cannot exist: its parent is a regular file (root ignores permissions).
    QFile blocker(tmp_.path() + "/blocker");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ConfigStore broken(tmp_.path() + "/blocker/Tarnwhistle");
    broken.save(before);
    ASSERT_TRUE(broken.lastError());
    EXPECT_TRUE(broken.lastError()->startsWith("Could not save settings: "));
    EXPECT_GT(broken.lastError()->size(), QString("Could not save settings: ").size());
}

TEST_F(ConfigStoreTest, ImportKeepsThisMachinesIdentityAndRejectsBadFiles) {
    ConfigStore store(dir());
    store.load();
    const QString ownDevice = store.config().deviceId;
    QFile import(tmp_.path() + "/import.json");
    ASSERT_TRUE(import.open(QIODevice::WriteOnly));
    import.write(R"({"deviceId": "dev_ffffffffffffffff", "orgId": "imported",
                     "salt": "0123456789abcdef-imported"})");
    import.close();
    QString error;
    ASSERT_TRUE(store.importFrom(import.fileName(), &error)) << error.toStdString();
    EXPECT_EQ(store.config().deviceId, ownDevice);
    EXPECT_EQ(store.config().orgId, "imported");
    EXPECT_EQ(store.config().salt, "0123456789abcdef-imported");

    ASSERT_TRUE(import.open(QIODevice::WriteOnly | QIODevice::Truncate));
    import.write(R"({"maxBatch": "x"})");
    import.close();
    const DeploymentConfig before = store.config();
    EXPECT_FALSE(store.importFrom(import.fileName(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(store.config(), before);
    EXPECT_FALSE(store.importFrom(tmp_.path() + "/missing.json", &error));
    EXPECT_EQ(store.config(), before);
}

TEST_F(ConfigStoreTest, ExportWritesTheSavedConfigurationPrivately) {
    ConfigStore store(dir());
    store.load();
    const QString target = tmp_.path() + "/export.json";
    store.exportTo(target);
    QFile f(target);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), store.config().encoded());
    EXPECT_EQ(mode(target), 0600);
}

}  // namespace
