#include <gtest/gtest.h>
#include <QFileInfo>

#include "privacy/data_files.h"

TEST(DataFiles, FoundInTheBuildTree) {
    const QString path = dataFilePath(QStringLiteral("person-names.txt"));
    ASSERT_FALSE(path.isEmpty()) << "run scripts/setup to build the name list";
    EXPECT_TRUE(QFileInfo(path).isAbsolute());
    EXPECT_TRUE(path.startsWith(QStringLiteral(TARNWHISTLE_BINARY_DIR))) << path.toStdString();
    EXPECT_TRUE(dataFilePath(QStringLiteral("no-such-file.bin")).isEmpty());
    // A folder of that name is not a data file.
    EXPECT_TRUE(dataFilePath(QString()).isEmpty());
}
