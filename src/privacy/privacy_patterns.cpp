// The regular expressions, compiled once (function-local statics are initialised race-free).
// Unicode properties give \b, \d and \w the same meaning as ICU's. The e-mail quantifiers are
// bounded (a local part has at most 64 characters, a domain at most 253) so that a long run
// without an "@" costs linear time instead of quadratic.
#include "privacy/privacy.h"

namespace tarnwhistle {

namespace Privacy {
namespace {

QRegularExpression compiled(const QString& pattern, bool caseInsensitive) {
    QRegularExpression::PatternOptions options = QRegularExpression::UseUnicodePropertiesOption;
    if (caseInsensitive) options |= QRegularExpression::CaseInsensitiveOption;
    QRegularExpression rx(pattern, options);
    rx.optimize();
    return rx;
}

}  // namespace

// Addresses are international: letters of any script in the local part and the domain
// ("jürgen.müller@firma.de", "иван@пример.рф"), and a top-level domain may be punycode.
const QRegularExpression& emailRx() {
    static const QRegularExpression rx =
        compiled(QStringLiteral(R"([\p{L}\p{M}\p{Nd}._%+-]{1,64}@[\p{L}\p{M}\p{Nd}.-]{1,253})"
                                R"(\.(?:xn--[A-Z0-9-]{1,59}|[\p{L}\p{M}]{2,63}))"),
                 true);
    return rx;
}

const QRegularExpression& ibanRx() {
    static const QRegularExpression rx = compiled(
        QStringLiteral(R"(\b[A-Z]{2}\d{2}(?:\s?[A-Z0-9]{4}){2,7}(?:\s?[A-Z0-9]{1,4})?\b)"), false);
    return rx;
}

const QRegularExpression& looseIbanRx() {
    static const QRegularExpression rx = compiled(
        QStringLiteral(R"(\b[A-Z]{2}\d{2}(?:[\s-]?[A-Z0-9]{4}){2,7}(?:[\s-]?[A-Z0-9]{1,4})?\b)"),
        true);
    return rx;
}

// Groups of digits may be separated by spaces, hyphens or dots ("4111.1111.1111.1111").
const QRegularExpression& cardRx() {
    static const QRegularExpression rx =
        compiled(QStringLiteral(R"(\b(?:\d[ .-]?){13,19}\b)"), false);
    return rx;
}

const QRegularExpression& longNumberRx() {
    static const QRegularExpression rx = compiled(QStringLiteral(R"(\b\d{7,}\b)"), false);
    return rx;
}

const QRegularExpression& ticketRx() {
    static const QRegularExpression rx =
        compiled(QStringLiteral(R"(\b[A-Z][A-Z0-9]{1,9}-\d{1,6}\b)"), false);
    return rx;
}

const QRegularExpression& fileTitleRx() {
    static const QRegularExpression rx = compiled(
        QStringLiteral(
            R"(\.(docx?|xlsx?|pptx?|pages|numbers|key|pdf|txt|md|csv|rtf|swift|py|js|ts)\b)"),
        true);
    return rx;
}

}  // namespace Privacy

}  // namespace tarnwhistle
