// Redaction of window text: each step works on the result of the one before, and every step
// replaces from the last finding to the first so that earlier positions stay valid.
#include <algorithm>

#include "privacy/address_detector.h"
#include "privacy/name_tagger.h"
#include "privacy/phone_detector.h"
#include "privacy/privacy.h"

namespace tarnwhistle {

namespace Privacy {
namespace {

// Lone surrogates are not text; matching them is undefined, so they become U+FFFD.
QString withoutLoneSurrogates(const QString& text) {
    QString result = text;
    const qsizetype n = result.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = result[i];
        if (c.isHighSurrogate() && i + 1 < n && result[i + 1].isLowSurrogate()) {
            ++i;
        } else if (c.isSurrogate()) {
            result[i] = QChar::ReplacementCharacter;
        }
    }
    return result;
}

bool isEmailLocalChar(QChar c) {
    return c.isLetter() || c.isMark() || c.isDigit() || c == u'.' || c == u'_' || c == u'%' ||
           c == u'+' || c == u'-';
}

void replaceRanges(QString& text, const std::vector<TextRange>& ranges, QStringView token) {
    for (auto it = ranges.rbegin(); it != ranges.rend(); ++it)
        text.replace(it->start, it->length(), token.toString());
}

std::vector<TextRange> matches(const QString& text, const QRegularExpression& rx) {
    std::vector<TextRange> ranges;
    auto it = rx.globalMatch(text);
    while (it.hasNext()) {
        const auto match = it.next();
        ranges.push_back({match.capturedStart(), match.capturedEnd()});
    }
    return ranges;
}

void redactEmails(QString& text) {
    std::vector<TextRange> ranges = matches(text, emailRx());
    // The local part is matched with a bounded repeat; an overlong one is still taken whole.
    qsizetype floor = 0;
    for (TextRange& range : ranges) {
        while (range.start > floor && isEmailLocalChar(text[range.start - 1])) --range.start;
        floor = range.end;
    }
    replaceRanges(text, ranges, emailToken);
}

// Upper-case IBANs as they are usually written are taken on their shape; lower-case or
// hyphenated ones only when their checksum holds, since the loose shape also fits words.
void redactIbans(QString& text) {
    replaceRanges(text, matches(text, ibanRx()), ibanToken);
    std::vector<TextRange> loose;
    for (TextRange range : matches(text, looseIbanRx())) {
        while (range.end > range.start && !text[range.end - 1].isLetterOrNumber()) --range.end;
        if (ibanChecksum(QStringView(text).mid(range.start, range.length())))
            loose.push_back(range);
    }
    replaceRanges(text, loose, ibanToken);
}

void redactCards(QString& text) {
    std::vector<TextRange> cards;
    for (TextRange range : matches(text, cardRx())) {
        // The pattern takes a separator after the last digit; it belongs to the text around.
        while (range.end > range.start && !text[range.end - 1].isDigit()) --range.end;
        QString digits;
        for (qsizetype i = range.start; i < range.end; ++i)
            if (text[i].isDigit()) digits += text[i];
        if (digits.size() > 12 && luhn(digits)) cards.push_back(range);
    }
    replaceRanges(text, cards, cardToken);
}

// Phone numbers and addresses are found together; where they overlap, the earlier (and then
// the longer) finding wins.
void redactPhonesAndAddresses(QString& text) {
    std::vector<TextRange> phones = PhoneDetector::find(text);
    std::vector<TextRange> addresses = AddressDetector::find(text);
    std::vector<TextRange> all = phones;
    all.insert(all.end(), addresses.begin(), addresses.end());
    const std::vector<TextRange> kept = disjointRanges(all);
    for (auto it = kept.rbegin(); it != kept.rend(); ++it) {
        const bool isPhone = std::find(phones.begin(), phones.end(), *it) != phones.end();
        text.replace(it->start, it->length(), (isPhone ? phoneToken : addressToken).toString());
    }
}

}  // namespace

QString redact(const QString& input) {
    QString text = withoutLoneSurrogates(input);
    redactEmails(text);
    redactIbans(text);
    redactCards(text);
    redactPhonesAndAddresses(text);
    replaceRanges(text, matches(text, longNumberRx()), numberToken);
    replaceRanges(text, NameTagger::find(text, NameGazetteer::shared()), nameToken);
    return text;
}

}  // namespace Privacy

}  // namespace tarnwhistle
