// Salted one-way codes and the Luhn checksum.
#include <QMessageAuthenticationCode>

#include "privacy/privacy.h"

namespace Privacy {

QString hash(const QString& value, const QString& salt, QStringView prefix) {
    const QByteArray mac = QMessageAuthenticationCode::hash(value.toUtf8(), salt.toUtf8(),
                                                            QCryptographicHash::Sha256);
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

}  // namespace Privacy
