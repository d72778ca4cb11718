#include <gmock/gmock.h>

#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <filesystem>

#include "config/config_store.h"
#include "qt_printers.h"
#include "test_data.h"

namespace {

void put(const QString& path, const QByteArray& bytes, int mode = 0600) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
    ::chmod(QFile::encodeName(path).constData(), mode);
}

int mode(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

class ConfigStoreTest : public ::testing::Test {
  protected:
    QString dir() const { return tmp_.path() + "/support/Tarnwhistle"; }
    QString file() const { return dir() + "/deployment-config.json"; }
    std::unique_ptr<ConfigStore> loaded() const {
        auto store = std::make_unique<ConfigStore>(dir());
        store->load();
        return store;
    }
    // The copies of the settings file kept beside it under `tag`, as full paths.
    QStringList kept(const QString& tag) const {
        QStringList paths =
            QDir(dir()).entryList({"deployment-config.json." + tag + "-*"}, QDir::AllEntries);
        for (QString& path : paths) path.prepend(dir() + '/');
        return paths;
    }
    QTemporaryDir tmp_;
};

TEST_F(ConfigStoreTest, FirstStartSavesAPrivateFileImportKeepsItsIdentityExportIsPrivate) {
    const mode_t oldMask = ::umask(0);  // even a permissive umask must not expose the secrets
    auto store = loaded();
    ::umask(oldMask);
    EXPECT_FALSE(store->lastError());
    EXPECT_EQ(mode(dir()), 0700);
    EXPECT_EQ(mode(file()), 0600);
    EXPECT_EQ(fileContents(file()), store->config().encoded());

    const QString ownDevice = store->config().deviceId;
    const QString dashboard = "https://" + *DeploymentConfig::dashboardHosts().begin() + "/in/1";
    const QString import = tmp_.path() + "/import.json";
    put(import, R"({"deviceId": "dev_ffffffffffffffff", "orgId": "imported", "webhookURL": ")" +
                    dashboard.toUtf8() + "\"}");
    QString error;
    ASSERT_TRUE(store->importFrom(import, &error)) << error;
    EXPECT_EQ(store->config().deviceId, ownDevice);
    EXPECT_EQ(store->config().orgId, "imported");
    EXPECT_EQ(store->config().savedDashboardURL, dashboard);  // saving files the destination

    const DeploymentConfig before = store->config();
    EXPECT_FALSE(store->importFrom(tmp_.path() + "/missing.json", &error));
    EXPECT_EQ(store->config(), before);

    store->exportTo(tmp_.path() + "/export.json");
    EXPECT_EQ(fileContents(tmp_.path() + "/export.json"), before.encoded());
    EXPECT_EQ(mode(tmp_.path() + "/export.json"), 0600);
}

// A file from a newer build with a salt too short: kept as it was, then written back in this
// build's format, normalised and owner-only, once.
TEST_F(ConfigStoreTest, LoadKeepsANewerFileThenWritesTheNormalisedRecordBackOnce) {
    const QByteArray newer =
        R"({"schemaVersion": 3, "orgId": "acme", "salt": "", "maxBatch": 0, "futureKey": {}})";
    put(file(), newer, 0644);
    auto store = loaded();
    EXPECT_EQ(store->config().orgId, "acme");
    EXPECT_EQ(store->config().maxBatch, 1);
    EXPECT_EQ(store->config().schemaVersion, DeploymentConfig::currentSchemaVersion);
    ASSERT_TRUE(store->lastError());  // the coded identifiers change: the user is told
    EXPECT_TRUE(store->lastError()->contains("salt")) << *store->lastError();
    EXPECT_EQ(store->config().salt.size(), 32);
    EXPECT_EQ(fileContents(file()), store->config().encoded());
    EXPECT_EQ(mode(file()), 0600);
    auto again = loaded();  // the next start keeps that salt and has nothing to say
    EXPECT_EQ(again->config(), store->config());
    EXPECT_FALSE(again->lastError());
    const QStringList copies = kept("newer");
    ASSERT_EQ(copies.size(), 1) << "one copy, not one per start";
    EXPECT_EQ(fileContents(copies[0]), newer);
    EXPECT_EQ(mode(copies[0]), 0600);
}

// A file that is no settings record, or that cannot be opened at all, is never lost: the agent
// runs on defaults and keeps the file beside the new one. One that cannot be opened stays in place
// until new settings are saved. Permission checks need a user other than root: as root the test
// acts as "nobody" meanwhile.
TEST_F(ConfigStoreTest, AFileThatCannotBeUsedIsKeptNeverOverwritten) {
    QDir().mkpath(dir());
    const bool root = ::geteuid() == 0;
    if (root) {
        for (const QString& path : {tmp_.path(), dir() + "/..", dir()})
            ASSERT_EQ(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
        if (::setegid(65534) != 0 || ::seteuid(65534) != 0) GTEST_SKIP() << "cannot act as nobody";
    }
    const auto asBefore = qScopeGuard([root] {
        if (root && (::seteuid(0) != 0 || ::setegid(0) != 0)) std::abort();
    });
    const struct {
        const char* what;
        QByteArray bytes;
        int mode;            // 0: a folder in the file's place
        int filesAfterLoad;  // the kept copy and the saved defaults, or the untouched file alone
    } rows[] = {
        {"a folder", "", 0, 0},
        {"not JSON", "{", 0600, 2},
        {"a value of the wrong type", R"({"maxBatch": "many"})", 0600, 2},
        {"too large", QByteArray(ConfigStore::maxFileSize + 10, ' '), 0600, 2},
        {"unreadable", R"({"webhookURL": "https://hooks.example.com/mine"})", 0200, 1},
    };
    for (const auto& row : rows) {
        if (row.mode == 0)
            QDir().mkpath(file());
        else
            put(file(), row.bytes, row.mode);
        auto store = loaded();
        EXPECT_THAT(
            store->lastError().value_or("").toStdString(),
            testing::MatchesRegex("Could not read the settings file: .+\\. Using defaults\\."))
            << row.what;
        DeploymentConfig defaults;
        defaults.deviceId = store->config().deviceId;
        defaults.salt = store->config().salt;
        EXPECT_EQ(store->config(), defaults) << row.what;
        EXPECT_EQ(QDir(dir()).entryList(QDir::Files | QDir::Hidden).size(), row.filesAfterLoad)
            << row.what;
        store->save(store->config());  // new settings: what was there is kept under another name
        EXPECT_FALSE(store->lastError()) << row.what;
        EXPECT_EQ(fileContents(file()), store->config().encoded()) << row.what;
        const QStringList copies = kept("unreadable");
        ASSERT_EQ(copies.size(), 1) << row.what;
        ::chmod(QFile::encodeName(copies[0]).constData(), 0700);
        EXPECT_EQ(fileContents(copies[0]), row.bytes) << row.what;
        std::filesystem::remove_all(copies[0].toStdString());
    }
}

}  // namespace
