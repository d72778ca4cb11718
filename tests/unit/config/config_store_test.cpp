#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>

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
    static std::unique_ptr<ConfigStore> loaded(const QString& folder) {
        auto store = std::make_unique<ConfigStore>(folder);
        store->load();
        return store;
    }
    // The copies of the settings file kept beside it under `tag`, as full paths.
    static QStringList kept(const QString& folder, const char* tag) {
        QStringList paths;
        for (const QString& name : QDir(folder).entryList(
                 {QStringLiteral("deployment-config.json.%1-*").arg(tag)}, QDir::AllEntries))
            paths << folder + "/" + name;
        return paths;
    }
    QTemporaryDir tmp_;
};

TEST_F(ConfigStoreTest, FirstStartSavesAPrivateFileImportKeepsItsIdentityExportIsPrivate) {
    const mode_t oldMask = ::umask(0);  // even a permissive umask must not expose the secrets
    auto store = loaded(dir());
    ::umask(oldMask);
    EXPECT_FALSE(store->lastError());
    EXPECT_EQ(mode(dir()), 0700);
    EXPECT_EQ(mode(file()), 0600);
    EXPECT_EQ(fileContents(file()), store->config().encoded());
    EXPECT_EQ(loaded(dir())->config(), store->config()) << "the next start reads the same";

    const QString ownDevice = store->config().deviceId;
    const QString dashboard = "https://" + *DeploymentConfig::dashboardHosts().begin() + "/in/1";
    const QString import = tmp_.path() + "/import.json";
    put(import, QStringLiteral(R"({"deviceId": "dev_ffffffffffffffff", "orgId": "imported",
                                   "webhookURL": "%1"})")
                    .arg(dashboard)
                    .toUtf8());
    QString error;
    ASSERT_TRUE(store->importFrom(import, &error)) << error;
    EXPECT_EQ(store->config().deviceId, ownDevice);
    EXPECT_EQ(store->config().orgId, "imported");
    EXPECT_EQ(store->config().savedDashboardURL, dashboard);  // saving files the destination

    const DeploymentConfig before = store->config();
    put(import, R"({"maxBatch": "x"})");
    EXPECT_FALSE(store->importFrom(import, &error));
    EXPECT_FALSE(error.isEmpty());
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
    auto store = loaded(dir());
    EXPECT_EQ(store->config().orgId, "acme");
    EXPECT_EQ(store->config().maxBatch, 1);
    EXPECT_EQ(store->config().schemaVersion, DeploymentConfig::currentSchemaVersion);
    ASSERT_TRUE(store->lastError());  // the coded identifiers change: the user is told
    EXPECT_TRUE(store->lastError()->contains("salt")) << *store->lastError();
    EXPECT_EQ(store->config().salt.size(), 32);
    EXPECT_EQ(fileContents(file()), store->config().encoded());
    EXPECT_EQ(mode(file()), 0600);
    auto again = loaded(dir());  // the next start keeps that salt and has nothing to say
    EXPECT_EQ(again->config(), store->config());
    EXPECT_FALSE(again->lastError());
    const QStringList copies = kept(dir(), "newer");
    ASSERT_EQ(copies.size(), 1) << "one copy, not one per start";
    EXPECT_EQ(fileContents(copies[0]), newer);
    EXPECT_EQ(mode(copies[0]), 0600);
}

TEST_F(ConfigStoreTest, AFileThatIsNoSettingsRecordIsKeptBesideTheDefaults) {
    const QByteArray cases[] = {"{", "[1, 2]", R"({"maxBatch": "many"})",
                                QByteArray(ConfigStore::maxFileSize + 10, ' ')};
    for (const QByteArray& bad : cases) {
        const QByteArray name = bad.left(20);
        put(file(), bad);
        auto store = loaded(dir());
        ASSERT_TRUE(store->lastError()) << name;
        EXPECT_TRUE(store->lastError()->startsWith("Could not read the settings file: ")) << name;
        EXPECT_TRUE(store->lastError()->endsWith(". Using defaults.")) << name;
        DeploymentConfig expected;
        expected.deviceId = store->config().deviceId;
        expected.salt = store->config().salt;
        EXPECT_EQ(store->config(), expected) << name;
        EXPECT_EQ(fileContents(file()), store->config().encoded()) << name;
        const QStringList copies = kept(dir(), "unreadable");
        ASSERT_EQ(copies.size(), 1) << name;
        EXPECT_EQ(fileContents(copies[0]), bad) << name;
        QFile::remove(copies[0]);
    }
}

// A file that exists but cannot be read is left exactly as it is, and nothing is saved over it.
// Permission checks need a user other than root: as root the test acts as "nobody" meanwhile.
TEST_F(ConfigStoreTest, AFileThatCannotBeOpenedIsNeverReplaced) {
    const QString folder = dir();
    QDir().mkpath(folder);
    const bool root = ::geteuid() == 0;
    if (root) {
        for (const QString& path : {tmp_.path(), folder + "/..", folder})
            ASSERT_EQ(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
        if (::setegid(65534) != 0 || ::seteuid(65534) != 0) GTEST_SKIP() << "cannot act as nobody";
    }
    const auto asBefore = qScopeGuard([root] {
        if (root && (::seteuid(0) != 0 || ::setegid(0) != 0)) std::abort();
    });
    const QByteArray mine = R"({"webhookURL": "https://hooks.example.com/mine"})";
    const QString path = folder + "/deployment-config.json";
    for (const bool isFolder : {false, true}) {
        if (isFolder) {
            QFile::remove(path);
            QDir().mkpath(path);
        } else {
            put(path, mine, 0200);
        }
        auto store = loaded(folder);
        ASSERT_TRUE(store->lastError()) << isFolder;
        EXPECT_TRUE(store->lastError()->startsWith("Could not read the settings file: "));
        EXPECT_TRUE(store->config().webhookURL.isEmpty());  // defaults, in memory only
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), isFolder ? 0 : 1);
        // Saving new settings then keeps what was there under another name.
        store->save(store->config());
        EXPECT_FALSE(store->lastError()) << isFolder;
        const QStringList copies = kept(folder, "unreadable");
        ASSERT_EQ(copies.size(), 1) << isFolder;
        if (!isFolder) {
            ::chmod(QFile::encodeName(copies[0]).constData(), 0600);
            EXPECT_EQ(fileContents(copies[0]), mine);
        }
        QFile::remove(copies[0]);
        QDir(copies[0]).removeRecursively();
    }
}

}  // namespace
