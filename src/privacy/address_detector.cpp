#include "privacy/address_detector.h"

#include <QRegularExpression>

namespace tarnwhistle {

namespace AddressDetector {
namespace {

// Every repetition is bounded so that long runs of letters or digits cost linear time.
const QString capWord = QStringLiteral(R"(\p{Lu}[\p{L}\p{M}'’\-]{0,30})");
// City words start like "London" or "McAllen", never like a postcode ("SW1A").
const QString cityName = QStringLiteral(
    R"(\p{Lu}\p{Ll}[\p{L}\p{M}'’\-]{0,29}(?: \p{Lu}\p{Ll}[\p{L}\p{M}'’\-]{0,29}){0,3})");

// Capitalised words that start a title ("Chapter 5 The Road Ahead"), not a street name.
const QString notStreetWord =
    QStringLiteral(R"((?:The|A|An|And|Of|To|In|On|For|My|Your|Our|Top|Best|Most)\b)");

// English forms: number, street name, street type; then unit, city, state + ZIP or UK postcode.
QString englishPattern() {
    const QString types = QStringLiteral(
        "Street|St|Avenue|Ave|Road|Rd|Boulevard|Blvd|Lane|Ln|Drive|Dr|Court|Ct|Place|Pl|Parkway|"
        "Pkwy|Way|Terrace|Circle|Highway|Hwy|Square|Sq|Trail|Crescent|Close|Row|Gardens|Grove|"
        "Mews|Walk|Hill|Plaza|Loop|Alley");
    const QString number = QStringLiteral(R"(\b\d{1,5}[A-Za-z]?(?:-\d{1,5})?)");
    const QString street =
        QStringLiteral(
            R"((?: (?:(?!%3)(?:%1|\d{1,3}(?:st|nd|rd|th)) ){1,4}(?:%2)\b\.?| Broadway\b))")
            .arg(capWord, types, notStreetWord);
    const QString unit =
        QStringLiteral(R"((?:,? (?:Suite|Ste|Apt|Unit|Floor|Fl|#)\.? ?[A-Za-z0-9\-]{1,6})?)");
    const QString zip =
        QStringLiteral(R"((?:,? [A-Z]{2} \d{5}(?:-\d{4})?| [A-Z]{1,2}\d[A-Z\d]? ?\d[A-Z]{2}\b)?)");
    return number + street + unit + QStringLiteral("(?:, ?") + cityName + zip +
           QStringLiteral(")?");
}

// German and Dutch forms: compound street name or name + type word, then the number;
// then a postcode (German 5 digits, Swiss or Austrian 4, Dutch 4 digits and 2 letters) and the
// city.
QString germanicPattern() {
    const QString compound = QStringLiteral(
        R"(\p{Lu}[\p{L}\p{M}\-]{0,30}(?:straße|strasse|str\.|weg|platz|allee|gasse|damm|ufer|chaussee|straat|laan|gracht|plein|kade|singel|dijk|steeg))");
    const QString separate =
        QStringLiteral(R"(%1 (?:Straße|Strasse|Str\.|Weg|Platz|Allee|Gasse|Damm|Ufer|Chaussee))")
            .arg(capWord);
    const QString number =
        QStringLiteral(R"( \d{1,4}(?: ?[a-zA-Z](?!\p{L}))?(?: ?- ?\d{1,4})?(?!\d))");
    const QString postcode =
        QStringLiteral(R"((?:,? (?:\d{4} ?[A-Z]{2}|\d{4,5}) )") + cityName + QStringLiteral(")?");
    return QStringLiteral(R"(\b(?:(?:Am|An der|Auf dem|Im|In der|Zum|Zur) )?(?:)") + compound +
           u'|' + separate + u')' + number + postcode;
}

// French form: number, street type in lower or upper case, name with its particles.
QString frenchPattern() {
    const QString types = QStringLiteral(
        "rue|avenue|av\\.|boulevard|bd|place|allée|chemin|impasse|quai|route|cours|passage|square");
    const QString word =
        QStringLiteral(R"((?:de|du|des|la|le|les|aux?|[ldLD]['’]\p{L}[\p{L}\p{M}\-]{0,30}|)") +
        capWord + u')';
    return QStringLiteral(R"(\b\d{1,4}(?: ?(?:bis|ter))?,? (?i:%1)(?: %2){1,6})").arg(types, word) +
           QStringLiteral(R"((?:,? \d{4,5} )") + cityName + QStringLiteral(")?");
}

// Spanish, Catalan and Italian forms: type word first, then the name, then the number.
QString southernPattern() {
    const QString types = QStringLiteral(
        R"(Calle|C/|Avenida|Avda\.|Paseo|Plaza|Carrer|Camino|Ronda|Via|Viale|Piazza|Corso|Largo|Vicolo)");
    const QString word =
        QStringLiteral(R"((?:de|del|la|las|los|el|dei|della|delle|degli|di|)") + capWord + u')';
    return QStringLiteral(R"(\b(?:%1)(?: %2){1,5},? (?:n[º°o]\.? ?)?\d{1,4}[A-Za-z]?\b)")
               .arg(types, word) +
           QStringLiteral(R"((?:,? \d{5} )") + cityName + QStringLiteral(")?");
}

const std::vector<QRegularExpression>& patterns() {
    static const std::vector<QRegularExpression> list = [] {
        std::vector<QRegularExpression> result;
        for (const QString& pattern :
             {englishPattern(), germanicPattern(), frenchPattern(), southernPattern()}) {
            QRegularExpression rx(pattern, QRegularExpression::UseUnicodePropertiesOption);
            rx.optimize();
            result.push_back(rx);
        }
        return result;
    }();
    return list;
}

}  // namespace

std::vector<TextRange> find(const QString& text) {
    std::vector<TextRange> found;
    for (const QRegularExpression& rx : patterns()) {
        auto it = rx.globalMatch(text);
        while (it.hasNext()) {
            const auto match = it.next();
            found.push_back({match.capturedStart(), match.capturedEnd()});
        }
    }
    return disjointRanges(std::move(found));
}

}  // namespace AddressDetector

}  // namespace tarnwhistle
