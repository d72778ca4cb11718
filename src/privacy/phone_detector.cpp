#include "privacy/phone_detector.h"

#include <phonenumbers/phonenumberutil.h>
#include <QRegularExpression>

#include <string>

namespace tarnwhistle {

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

namespace PhoneDetector {
namespace {

// Where colleagues' numbers usually come from; each extra region costs one parse per candidate.
const char* const commonRegions[] = {"US", "GB", "DE", "FR", "NL", "ES", "IT",
                                     "IN", "AU", "CA", "CH", "AT", "BE", "IE"};

// A digit, then digits or short runs of phone separators that lead to another digit. Bounded,
// so a megabyte of digits and spaces is scanned in linear time.
const QRegularExpression& candidateRx() {
    static const QRegularExpression rx = [] {
        QRegularExpression r(
            QStringLiteral(
                R"((?<![\w+\-/.])(?:\+|\(\+?)?\d(?:\d|[ \x{00A0}.\-/()]{1,3}(?=\d)){5,24}(?!\w))"),
            QRegularExpression::UseUnicodePropertiesOption);
        r.optimize();
        return r;
    }();
    return rx;
}

// Numbers that are clearly something else: dates and IP addresses.
const QRegularExpression& notPhoneRx() {
    static const QRegularExpression rx = [] {
        QRegularExpression r(QStringLiteral(
            R"(^(?:\d{4}[-./]\d{1,2}[-./]\d{1,2}|\d{1,2}[-./]\d{1,2}[-./]\d{2,4}|\d{1,3}(?:\.\d{1,3}){3})$)"));
        r.optimize();
        return r;
    }();
    return rx;
}

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

int digitCount(QStringView text) {
    int count = 0;
    for (QChar c : text) count += isAsciiDigit(c);
    return count;
}

bool isValidIn(const std::string& number, const std::string& region) {
    const PhoneNumberUtil& util = *PhoneNumberUtil::GetInstance();
    PhoneNumber parsed;
    if (util.Parse(number, region, &parsed) != PhoneNumberUtil::NO_PARSING_ERROR) return false;
    return util.IsValidNumber(parsed);
}

// Whether `candidate` (digits and separators) is one valid phone number.
bool isPhoneNumber(QStringView candidate) {
    const int digits = digitCount(candidate);
    if (digits < 7 || digits > 17) return false;
    const QString text = candidate.toString();
    if (notPhoneRx().match(text).hasMatch()) return false;
    QString plain = text;
    if (plain.startsWith(u'(')) plain.remove(0, 1);
    if (plain.startsWith(u'+')) return isValidIn(text.toStdString(), "ZZ");
    if (plain.startsWith(QStringLiteral("00")))
        return isValidIn("+" + plain.mid(2).toStdString(), "ZZ");
    // A bare run of digits is an order or account number unless it carries a trunk prefix.
    if (digits == text.size() && !text.startsWith(u'0')) return false;
    const std::string number = text.toStdString();
    for (const QString& region : regions())
        if (isValidIn(number, region.toStdString())) return true;
    return false;
}

bool startsLikePhone(QChar c) {
    return c == u'+' || c == u'(' || c == u'0';
}

// Positions where a candidate may be split into two numbers: after white space, where the
// next number starts with "+", "(" or a trunk prefix.
std::vector<qsizetype> groupStarts(QStringView candidate) {
    std::vector<qsizetype> starts{0};
    for (qsizetype i = 1; i < candidate.size(); ++i)
        if (startsLikePhone(candidate[i]) && candidate[i - 1].isSpace()) starts.push_back(i);
    return starts;
}

QStringView trimmedGroupSpan(QStringView candidate, qsizetype from, qsizetype to) {
    QStringView span = candidate.mid(from, to - from);
    while (!span.isEmpty() && !isAsciiDigit(span.back()) && span.back() != u')') span.chop(1);
    return span;
}

// Several numbers written next to each other ("030 1234567 030 7654321"): the longest valid
// run of whole groups from each group on, left to right.
void findInGroups(QStringView candidate, qsizetype offset, std::vector<TextRange>& found) {
    const std::vector<qsizetype> starts = groupStarts(candidate);
    if (starts.size() < 2 || starts.size() > 10) return;
    size_t first = 0;
    while (first < starts.size()) {
        size_t matchedEnd = 0;
        for (size_t last = starts.size(); last > first; --last) {
            const qsizetype to = last < starts.size() ? starts[last] : candidate.size();
            const QStringView span = trimmedGroupSpan(candidate, starts[first], to);
            if (last - first == starts.size()) continue;  // the whole run was tried already
            if (startsLikePhone(span.isEmpty() ? QChar() : span[0]) && isPhoneNumber(span)) {
                found.push_back({offset + starts[first], offset + starts[first] + span.size()});
                matchedEnd = last;
                break;
            }
        }
        first = matchedEnd ? matchedEnd : first + 1;
    }
}

}  // namespace

QString localeRegion() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(name);
        if (value.isEmpty()) continue;
        // language[_territory][.codeset][@modifier]
        static const QRegularExpression rx(
            QStringLiteral(R"(^[A-Za-z]{2,3}_([A-Za-z]{2})(?:[.@]|$))"));
        const auto match = rx.match(value);
        if (match.hasMatch()) return match.captured(1).toUpper();
        // "C", "POSIX" or a bare language: this variable names no region, but it is the one
        // in force, so the lower-priority ones do not apply.
        break;
    }
    return QStringLiteral("US");
}

const QStringList& regions() {
    static const QStringList list = [] {
        QStringList result{localeRegion()};
        for (const char* region : commonRegions)
            if (!result.contains(QLatin1String(region))) result << QLatin1String(region);
        return result;
    }();
    return list;
}

std::vector<TextRange> find(const QString& text) {
    std::vector<TextRange> found;
    auto it = candidateRx().globalMatch(text);
    while (it.hasNext()) {
        const auto match = it.next();
        const QStringView candidate =
            QStringView(text).mid(match.capturedStart(), match.capturedLength());
        if (isPhoneNumber(candidate))
            found.push_back({match.capturedStart(), match.capturedEnd()});
        else
            findInGroups(candidate, match.capturedStart(), found);
    }
    return disjointRanges(std::move(found));
}

}  // namespace PhoneDetector

}  // namespace tarnwhistle
