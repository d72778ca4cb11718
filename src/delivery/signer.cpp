#include "delivery/signer.h"

#include <QMessageAuthenticationCode>

namespace tarnwhistle {

namespace {

QByteArray signatureOverText(const QString& secret, const QByteArray& timestampText,
                             const QByteArray& body) {
    QMessageAuthenticationCode mac(QCryptographicHash::Sha256, secret.toUtf8());
    mac.addData(timestampText);
    mac.addData(".", 1);
    mac.addData(body);
    return "v1=" + mac.result().toBase64();
}

}  // namespace

namespace Signer {

QString signature(const QString& secret, qint64 timestamp, const QByteArray& body) {
    return QString::fromLatin1(signatureOverText(secret, QByteArray::number(timestamp), body));
}

bool verify(const QString& secret, const QByteArray& timestampText, const QString& signatureValue,
            const QByteArray& body) {
    const QByteArray expected = signatureOverText(secret, timestampText, body);
    const QByteArray given = signatureValue.toUtf8();
    if (expected.size() != given.size()) return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < expected.size(); ++i) difference |= expected[i] ^ given[i];
    return difference == 0;
}

}  // namespace Signer

}  // namespace tarnwhistle
