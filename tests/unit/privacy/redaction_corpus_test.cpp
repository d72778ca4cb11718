// Recall and precision of redaction per kind of token over a labelled corpus.
#include <gtest/gtest.h>
#include <QFile>
#include <QRegularExpression>

#include <cstdio>
#include <map>

#include "privacy/name_gazetteer.h"
#include "privacy/privacy.h"
#include "qstring_printer.h"

namespace {

const QStringList kinds{"email", "iban", "card", "phone", "number", "address", "name"};

// A text as a sequence of units: one character, or one whole token such as "⟨name⟩".
QStringList units(const QString& text) {
    QStringList result;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QChar(0x27E8)) {
            const qsizetype end = text.indexOf(QChar(0x27E9), i);
            if (end > i) {
                result << text.mid(i, end - i + 1);
                i = end;
                continue;
            }
        }
        result << QString(text[i]);
    }
    return result;
}

bool isToken(const QString& unit) {
    return unit.size() > 2 && unit.startsWith(QChar(0x27E8));
}
QString kindOf(const QString& token) {
    return token.mid(1, token.size() - 2);
}

struct Counts {
    int truePositives = 0;
    int falseNegatives = 0;
    int falsePositives = 0;
    double recall() const {
        const int expected = truePositives + falseNegatives;
        return expected ? double(truePositives) / expected : 1.0;
    }
    double precision() const {
        const int found = truePositives + falsePositives;
        return found ? double(truePositives) / found : 1.0;
    }
};

// Aligns expected and actual output (longest common subsequence of units): a token present in
// both at the same place is found; one only expected is missed; one only produced is spurious.
void score(const QString& expected, const QString& actual, std::map<QString, Counts>& counts) {
    const QStringList e = units(expected);
    const QStringList a = units(actual);
    std::vector<std::vector<int>> lcs(e.size() + 1, std::vector<int>(a.size() + 1, 0));
    for (qsizetype i = e.size() - 1; i >= 0; --i)
        for (qsizetype j = a.size() - 1; j >= 0; --j)
            lcs[i][j] =
                e[i] == a[j] ? lcs[i + 1][j + 1] + 1 : std::max(lcs[i + 1][j], lcs[i][j + 1]);
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < e.size() || j < a.size()) {
        if (i < e.size() && j < a.size() && e[i] == a[j]) {
            if (isToken(e[i])) counts[kindOf(e[i])].truePositives++;
            ++i, ++j;
        } else if (j < a.size() && (i == e.size() || lcs[i][j + 1] >= lcs[i + 1][j])) {
            if (isToken(a[j])) counts[kindOf(a[j])].falsePositives++;
            ++j;
        } else {
            if (isToken(e[i])) counts[kindOf(e[i])].falseNegatives++;
            ++i;
        }
    }
}

// The lines of a labelled file as (input, expected output) pairs; comments and blanks skipped.
std::vector<std::pair<QString, QString>> labelledLines(const char* fileName) {
    QFile file(QStringLiteral(TARNWHISTLE_TEST_DATA_DIR "/privacy/") + QString::fromUtf8(fileName));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    static const QRegularExpression label(QStringLiteral(R"(\[\[([a-z]+)\|([^\]]*)\]\])"));
    std::vector<std::pair<QString, QString>> result;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (line.trimmed().isEmpty() || line.startsWith('#')) continue;
        QString input;
        QString expected;
        qsizetype at = 0;
        auto it = label.globalMatch(line);
        while (it.hasNext()) {
            const auto m = it.next();
            EXPECT_TRUE(kinds.contains(m.captured(1))) << line.toStdString();
            input += line.mid(at, m.capturedStart() - at) + m.captured(2);
            expected += line.mid(at, m.capturedStart() - at) + QChar(0x27E8) + m.captured(1) +
                        QChar(0x27E9);
            at = m.capturedEnd();
        }
        result.emplace_back(input + line.mid(at), expected + line.mid(at));
    }
    return result;
}

// Scores every line of a corpus file and prints the table.
std::map<QString, Counts> scoreCorpus(const char* fileName, size_t minimumLines) {
    std::map<QString, Counts> counts;
    const auto lines = labelledLines(fileName);
    for (const auto& [input, expected] : lines)
        score(expected, Privacy::redact(input), counts);
    EXPECT_GE(lines.size(), minimumLines);
    std::printf("%s\n%-8s %5s %5s %5s %7s %9s\n", fileName, "kind", "found", "miss", "extra",
                "recall", "precision");
    for (const QString& kind : kinds) {
        const Counts& c = counts[kind];
        std::printf("%-8s %5d %5d %5d %7.3f %9.3f\n", qPrintable(kind), c.truePositives,
                    c.falseNegatives, c.falsePositives, c.recall(), c.precision());
    }
    return counts;
}

// The sharp edges of each detector and of their order: every line exactly.
TEST(RedactionRules, EveryLineComesOutExactlyAsLabelled) {
    ASSERT_FALSE(NameGazetteer::shared().isEmpty());
    for (const auto& [input, expected] : labelledLines("redaction_rules.txt"))
        EXPECT_EQ(Privacy::redact(input), expected);
}

TEST(RedactionCorpus, RecallAndPrecisionPerKind) {
    ASSERT_FALSE(NameGazetteer::shared().isEmpty())
        << "person-names.txt is missing from the build tree; run scripts/setup";
    std::map<QString, Counts> counts = scoreCorpus("redaction_corpus.txt", 150);
    for (const QString& kind : kinds) {
        const Counts& c = counts[kind];
        EXPECT_GT(c.truePositives, 0) << qPrintable(kind);
        const bool fuzzy = kind == "name" || kind == "address";
        EXPECT_GE(c.recall(), fuzzy ? 0.75 : 0.9) << qPrintable(kind);
        if (fuzzy) {
            EXPECT_GE(c.precision(), 0.9) << qPrintable(kind);
        }
    }
}

// Lines written by someone who had not seen the detectors: names and numbers from around the
// world, and look-alikes that must stay.
TEST(RedactionCorpus, BlindLinesKeepPrecision) {
    ASSERT_FALSE(NameGazetteer::shared().isEmpty());
    std::map<QString, Counts> counts = scoreCorpus("redaction_corpus_blind.txt", 300);
    for (const QString& kind : kinds) {
        const Counts& c = counts[kind];
        EXPECT_GE(c.precision(), 0.9) << qPrintable(kind);
        const bool fuzzy = kind == "name" || kind == "address";
        if (!fuzzy) {
            EXPECT_GE(c.recall(), 0.9) << qPrintable(kind);
        }
    }
    EXPECT_GE(counts["name"].recall(), 0.7);
}

}  // namespace
