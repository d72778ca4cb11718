// One row of the batches table: a batch of signals and its delivery state. A plain value;
// two records are equal when every field is equal.
#pragma once

#include <QString>
#include <optional>

#include "signals/time.h"

namespace tarnwhistle {

// Where a batch stands. "local": kept here, no webhook; "pending": waiting for its first
// attempt; "failed": waiting for a retry; "sent": delivered; "dropped": given up.
enum class BatchStatus { local, pending, failed, sent, dropped };

// The text the batches table stores ("local" ...).
QString rawValue(BatchStatus status);
std::optional<BatchStatus> batchStatusFromRawValue(const QString& raw);

struct BatchRecord {
    QString batchId;                   // a ULID
    qint64 seq = 0;                    // 1, 2, 3, ... (0 only for test batches, never stored)
    TimePoint created = 0;             // when the batch was built
    QString body;                      // the exact JSON text that is (or would be) sent
    BatchStatus status = BatchStatus::local;
    qint64 attempts = 0;               // completed delivery attempts
    TimePoint nextAttempt = 0;         // no retry before this time
    std::optional<QString> lastError;  // the last failure text
    std::optional<qint64> httpStatus;  // the last HTTP status code received
    qint64 signalCount = 0;
    QString types;                     // distinct signal types, sorted, joined by ", "
    QString destination;               // the webhook address the batch was meant for
    std::optional<TimePoint> sentAt;   // when it was delivered

    bool operator==(const BatchRecord&) const = default;
};

}  // namespace tarnwhistle
