#include "delivery/signer.h"

#include <QMessageAuthenticationCode>

namespace Signer {

QString signature(const QString& secret, qint64 timestamp, const QByteArray& body) {
    return signature(secret, QByteArray::number(timestamp), body);
}

QString signature(const QString& secret, const QByteArray& timestampText, const QByteArray& body) {
    QMessageAuthenticationCode mac(QCryptographicHash::Sha256, secret.toUtf8());
    mac.addData(timestampText);
    mac.addData(".", 1);
    mac.addData(body);
    return QStringLiteral("v1=") + QString::fromLatin1(mac.result().toBase64());
}

bool verify(const QString& secret, const QByteArray& timestampText, const QString& signatureValue,
            const QByteArray& body) {
    const QByteArray expected = signature(secret, timestampText, body).toUtf8();
    const QByteArray given = signatureValue.toUtf8();
    if (expected.size() != given.size()) return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < expected.size(); ++i) difference |= expected[i] ^ given[i];
    return difference == 0;
}

}  // namespace Signer
