// Reading expected and input data from files under tests/data.
#pragma once

#include <gtest/gtest.h>
#include <QFile>
#include <QStringList>

// The whole file, or nothing when it cannot be read.
inline QByteArray fileContents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

#ifdef TARNWHISTLE_TEST_DATA_DIR
// The rows of a table under tests/data: one a line, `columns` fields separated by tabs. Blank
// lines and lines starting with '#' are comments. A missing or empty table, or a row of another
// width, fails the calling test.
inline QList<QStringList> dataRows(const QString& name, qsizetype columns) {
    QList<QStringList> rows;
    const QString path = QStringLiteral(TARNWHISTLE_TEST_DATA_DIR "/") + name;
    for (const QString& line : QString::fromUtf8(fileContents(path)).split(u'\n')) {
        if (line.trimmed().isEmpty() || line.startsWith(u'#')) continue;
        rows << line.split(u'\t');
        EXPECT_EQ(rows.last().size(), columns) << name.toStdString() << ": " << line.toStdString();
        rows.last().resize(columns);
    }
    EXPECT_FALSE(rows.isEmpty()) << "no rows in " << path.toStdString();
    return rows;
}
#endif
