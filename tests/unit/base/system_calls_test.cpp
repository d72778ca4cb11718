#include "base/system_calls.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <QFile>
#include <QTemporaryDir>

namespace {

unsigned modeOf(const QString& path) {
    struct stat info {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 0777;
}

TEST(SystemCalls, PrivateFilesAndFoldersAreOwnerOnlyAndWrittenWhole) {
    QTemporaryDir dir;
    const QString folder = dir.filePath("a/b");
    ASSERT_TRUE(SystemCalls::makeOwnerOnlyDirectory(folder));
    EXPECT_EQ(modeOf(folder), 0700u);

    QFile file(folder + "/secret.json");
    ASSERT_TRUE(SystemCalls::writeOwnerOnlyFileAtomically(file.fileName(), "one"));
    ASSERT_TRUE(SystemCalls::setMode(file.fileName(), 0644));
    ASSERT_TRUE(SystemCalls::writeOwnerOnlyFileAtomically(file.fileName(), "two"));
    EXPECT_EQ(modeOf(file.fileName()), 0600u) << "replaced, not widened";
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "two");

    QString error;
    EXPECT_FALSE(SystemCalls::writeOwnerOnlyFileAtomically(dir.filePath("none/x"), "x", &error));
    EXPECT_FALSE(error.isEmpty());
    {
        SystemCalls::OwnerOnlyCreation ownerOnly;
        QFile created(dir.filePath("created"));
        ASSERT_TRUE(created.open(QIODevice::WriteOnly));  // asks for 0666
    }
    EXPECT_EQ(modeOf(dir.filePath("created")), 0600u);
}

}  // namespace
