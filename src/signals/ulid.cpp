#include "signals/ulid.h"

#include <QRandomGenerator>

namespace tarnwhistle {

namespace ULID {

static constexpr char kAlphabet[] = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";

QString make(TimePoint t) {
    const double msDouble = t * 1000.0;
    // Negative and NaN times count as 0; values beyond 64 bits saturate (only 50 bits are used).
    quint64 ms = 0;
    if (msDouble > 0) ms = msDouble >= 18446744073709551615.0 ? ~quint64(0) : quint64(msDouble);
    QString out(26, QChar('0'));
    for (int k = 0; k < 10; ++k) out[k] = QChar(kAlphabet[(ms >> (5 * (9 - k))) & 31]);
    auto* random = QRandomGenerator::system();
    for (int k = 10; k < 26; ++k) out[k] = QChar(kAlphabet[random->generate64() >> 59]);
    return out;
}

}  // namespace ULID

}  // namespace tarnwhistle
