#include "privacy/cjk_names.h"

#include <QStringList>

namespace tarnwhistle {

namespace CjkNames {
namespace {

const QStringList& honorifics() {
    // Longest first, so that "선생님" wins over "님".
    static const QStringList list{"선생님", "さん", "さま", "くん", "ちゃん",
                                  "先生",   "女士", "小姐", "老师", "经理",
                                  "様",     "氏",   "君",   "님",   "씨"};
    return list;
}

// The honorific starting at `at`, or 0.
qsizetype honorificAt(QStringView run, qsizetype at) {
    for (const QString& h : honorifics())
        if (run.mid(at).startsWith(h)) return h.size();
    return 0;
}

}  // namespace

bool isCjk(QStringView text, qsizetype at) {
    if (at < 0 || at >= text.size()) return false;
    char32_t c = text[at].unicode();
    if (text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate())
        c = QChar::surrogateToUcs4(text[at], text[at + 1]);
    switch (QChar::script(c)) {
        case QChar::Script_Han:
        case QChar::Script_Hiragana:
        case QChar::Script_Katakana:
        case QChar::Script_Hangul:
            return true;
        default:
            return false;
    }
}

std::vector<TextRange> find(const QString& text, qsizetype start, qsizetype end,
                            const NameGazetteer& names) {
    const QStringView run = QStringView(text).mid(start, end - start);
    std::vector<TextRange> found;
    qsizetype i = 0;
    while (i < run.size()) {
        qsizetype best = 0;
        // Family name (one to three characters), then optionally a given name (one to three).
        for (qsizetype familyLength = 3; familyLength >= 1 && !best; --familyLength) {
            if (i + familyLength > run.size() || !names.isFamilyName(run.mid(i, familyLength)))
                continue;
            for (qsizetype givenLength = 3; givenLength >= 1 && !best; --givenLength) {
                const qsizetype after = i + familyLength + givenLength;
                if (after > run.size() ||
                    !names.isGivenName(run.mid(i + familyLength, givenLength)))
                    continue;
                if (after == run.size() || honorificAt(run, after)) best = after - i;
            }
            const qsizetype after = i + familyLength;
            if (!best && after < run.size() && honorificAt(run, after)) best = familyLength;
        }
        // A given name alone before an honorific ("さくらさん").
        for (qsizetype givenLength = 3; givenLength >= 1 && !best; --givenLength) {
            const qsizetype after = i + givenLength;
            if (after < run.size() && honorificAt(run, after) &&
                names.isGivenName(run.mid(i, givenLength)))
                best = givenLength;
        }
        if (best) {
            found.push_back({start + i, start + i + best});
            i += best;
        } else {
            ++i;
        }
    }
    return found;
}

}  // namespace CjkNames

}  // namespace tarnwhistle
