// Salted one-way codes and the Luhn and IBAN checksums.
#include <QMessageAuthenticationCode>

#include "privacy/privacy.h"

namespace tarnwhistle {

namespace Privacy {

QString hash(const QString& value, const QString& salt, QStringView prefix) {
    const QByteArray mac =
        QMessageAuthenticationCode::hash(value.toUtf8(), salt.toUtf8(), QCryptographicHash::Sha256);
    return prefix.toString() + QString::fromLatin1(mac.toHex().left(16));
}

bool luhn(QStringView text) {
    if (text.isEmpty()) return false;
    int sum = 0;
    bool doubled = false;
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        const QChar c = text[i];
        if (c.category() != QChar::Number_DecimalDigit) return false;
        int digit = c.digitValue();
        if (doubled) {
            digit *= 2;
            if (digit > 9) digit -= 9;
        }
        sum += digit;
        doubled = !doubled;
    }
    return sum % 10 == 0;
}

bool ibanChecksum(QStringView text) {
    QString compact;
    for (QChar c : text) {
        if (c.isSpace() || c == u'-') continue;
        if (c.unicode() > 0x7F || !c.isLetterOrNumber()) return false;
        compact += c.toUpper();
    }
    if (compact.size() < 15 || compact.size() > 34 || !compact[0].isLetter() ||
        !compact[1].isLetter() || !compact[2].isDigit() || !compact[3].isDigit())
        return false;
    // The country and check digits move to the end; letters count as 10 to 35.
    const QString rotated = compact.mid(4) + compact.left(4);
    int remainder = 0;
    for (QChar c : rotated) {
        const int value = c.isDigit() ? c.digitValue() : c.unicode() - u'A' + 10;
        remainder = (value >= 10 ? remainder * 100 : remainder * 10) + value;
        remainder %= 97;
    }
    return remainder == 1;
}

}  // namespace Privacy

}  // namespace tarnwhistle
