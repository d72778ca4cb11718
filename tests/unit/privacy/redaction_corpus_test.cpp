// Redaction against labelled texts: every line of the rules file exactly, and recall and
// precision per kind of token over the two corpora.
#include <gtest/gtest.h>
#include <QFile>
#include <QRegularExpression>

#include <map>

#include "privacy/name_gazetteer.h"
#include "privacy/privacy.h"
#include "qt_printers.h"

namespace {

const QStringList kinds{"email", "iban", "card", "phone", "number", "address", "name"};

// A text as a sequence of units: one whole token such as "⟨name⟩", or one character.
QStringList units(const QString& text) {
    static const QRegularExpression unit(QStringLiteral("⟨[a-z]+⟩|."),
                                         QRegularExpression::DotMatchesEverythingOption);
    QStringList result;
    for (auto it = unit.globalMatch(text); it.hasNext();) result << it.next().captured();
    return result;
}

struct Counts {
    int found = 0, missed = 0, spurious = 0;
    double recall() const { return found + missed ? double(found) / (found + missed) : 1.0; }
    double precision() const { return found + spurious ? double(found) / (found + spurious) : 1.0; }
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
    auto tally = [&](const QString& unit, int Counts::*field) {
        if (unit.size() > 2 && unit.startsWith(u'⟨'))
            ++(counts[unit.mid(1, unit.size() - 2)].*field);
    };
    for (qsizetype i = 0, j = 0; i < e.size() || j < a.size();) {
        if (i < e.size() && j < a.size() && e[i] == a[j]) {
            tally(e[i++], &Counts::found);
            ++j;
        } else if (j < a.size() && (i == e.size() || lcs[i][j + 1] >= lcs[i + 1][j])) {
            tally(a[j++], &Counts::spurious);
        } else {
            tally(e[i++], &Counts::missed);
        }
    }
}

// The lines of a labelled file as (input, expected output) pairs; comments and blanks skipped.
std::vector<std::pair<QString, QString>> labelledLines(const char* fileName) {
    QFile file(QStringLiteral(TARNWHISTLE_TEST_DATA_DIR "/privacy/") + QString::fromUtf8(fileName));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << fileName;
    static const QRegularExpression label(QStringLiteral(R"(\[\[([a-z]+)\|([^\]]*)\]\])"));
    std::vector<std::pair<QString, QString>> result;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (line.trimmed().isEmpty() || line.startsWith('#')) continue;
        QString input;
        QString expected;
        qsizetype at = 0;
        for (auto it = label.globalMatch(line); it.hasNext();) {
            const auto m = it.next();
            EXPECT_TRUE(kinds.contains(m.captured(1))) << line.toStdString();
            const QString before = line.mid(at, m.capturedStart() - at);
            input += before + m.captured(2);
            expected += before + u'⟨' + m.captured(1) + u'⟩';
            at = m.capturedEnd();
        }
        result.emplace_back(input + line.mid(at), expected + line.mid(at));
    }
    return result;
}

// The sharp edges of each detector and of their order: every line exactly.
TEST(RedactionRules, EveryLineComesOutExactlyAsLabelled) {
    ASSERT_FALSE(NameGazetteer::shared().isEmpty())
        << "person-names.txt missing: run scripts/setup";
    for (const auto& [input, expected] : labelledLines("redaction_rules.txt"))
        EXPECT_EQ(Privacy::redact(input), expected);
}

// Every kind is found; precision holds everywhere; names and addresses are the fuzzy kinds,
// with a lower recall floor. The blind corpus was written by someone who had not seen the
// detectors: names and numbers from around the world, and look-alikes that must stay.
struct Corpus {
    const char* file;
    size_t minimumLines;
    double nameRecall, addressRecall;
};

class RedactionCorpus : public testing::TestWithParam<Corpus> {};

TEST_P(RedactionCorpus, RecallAndPrecisionPerKind) {
    ASSERT_FALSE(NameGazetteer::shared().isEmpty());
    const auto lines = labelledLines(GetParam().file);
    EXPECT_GE(lines.size(), GetParam().minimumLines);
    std::map<QString, Counts> counts;
    for (const auto& [input, expected] : lines) score(expected, Privacy::redact(input), counts);
    for (const QString& kind : kinds) {
        const Counts& c = counts[kind];
        const double floor = kind == "name"      ? GetParam().nameRecall
                             : kind == "address" ? GetParam().addressRecall
                                                 : 0.9;
        const QString where = GetParam().file + QStringLiteral(": ") + kind;
        EXPECT_GT(c.found, 0) << where;
        EXPECT_GE(c.recall(), floor) << where;
        EXPECT_GE(c.precision(), 0.9) << where;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, RedactionCorpus,
                         testing::Values(Corpus{"redaction_corpus.txt", 150, 0.75, 0.75},
                                         Corpus{"redaction_corpus_blind.txt", 300, 0.7, 0.35}));

}  // namespace
