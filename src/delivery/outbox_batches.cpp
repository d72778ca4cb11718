// Building batches: flush() and the batch body.
#include <algorithm>
#include <set>

#include "base/text_trim.h"
#include "config/config_store.h"
#include "delivery/outbox.h"
#include "delivery/webhook_address.h"
#include "privacy/privacy.h"
#include "signals/ulid.h"
#include "storage/store.h"

namespace tarnwhistle {

namespace {

const QString kNoAddress = QStringLiteral("No webhook address set; kept on this computer only.");

QString joinedTypes(const std::vector<Signal>& batchSignals) {
    std::set<QString> types;
    for (const auto& s : batchSignals) types.insert(s.type);
    return QStringList(types.begin(), types.end()).join(QStringLiteral(", "));
}

}  // namespace

void Outbox::flush() {
    const DeploymentConfig config = configStore_.config();
    if (config.paused) return;
    const qint64 limit = std::max<qint64>(config.maxBatch, 1);
    const bool hasAddress = !Text::trimHorizontalSpace(config.webhookURL).isEmpty();
    for (;;) {
        const std::vector<Signal> batchSignals = store_.pendingSignals(limit);
        if (batchSignals.empty()) break;
        const TimePoint t = now();
        BatchRecord batch;
        batch.batchId = ULID::make(t);
        batch.seq = store_.nextSeq();
        batch.created = t;
        batch.body = QString::fromUtf8(envelope(batchSignals, batch.batchId, batch.seq));
        batch.status = hasAddress ? BatchStatus::pending : BatchStatus::local;
        batch.nextAttempt = t;
        if (!hasAddress) batch.lastError = kNoAddress;
        batch.signalCount = qint64(batchSignals.size());
        batch.types = joinedTypes(batchSignals);
        batch.destination = WebhookAddress::withoutCredentials(config.webhookURL);

        QStringList ids;
        for (const auto& s : batchSignals) ids.append(s.id);
        // Nothing stored (a full disk, say): the same signals would come back on the next
        // pass, so stop here and try again at the next flush.
        if (store_.saveBatch(batch, ids) == 0) break;

        if (!hasAddress) {
            lastResult_ = QStringLiteral("Built a batch of %1 signals (no webhook set)")
                              .arg(batch.signalCount);
        }
        if (batch.signalCount < config.maxBatch) break;
    }
    // New batches go out with the backlog, oldest first, as far as the destination takes them
    // now, whatever the network state.
    if (hasAddress) pump(true);
    ++revision_;
    emit changed();
}

QByteArray Outbox::envelope(const std::vector<Signal>& batchSignals, const QString& batchId,
                            qint64 seq) const {
    const DeploymentConfig config = configStore_.config();
    JSONArray data;
    data.reserve(batchSignals.size());
    for (const auto& s : batchSignals) data.push_back(s.encoded());
    const QString principal = userPrincipal ? userPrincipal() : QString();
    const JSONObject body{
        {QStringLiteral("app_version"), appVersion()},
        {QStringLiteral("batch_id"), batchId},
        {QStringLiteral("config_hash"), configStore_.configHash()},
        {QStringLiteral("data"), std::move(data)},
        {QStringLiteral("device_id"), config.deviceId},
        {QStringLiteral("external_ref"),
         config.externalRef.isEmpty() ? JSONValue::null() : JSONValue(config.externalRef)},
        {QStringLiteral("nonce"), DeploymentConfig::randomHex(8)},
        {QStringLiteral("org_id"), config.orgId},
        {QStringLiteral("schema_version"), "1.0"},
        {QStringLiteral("sent_at"), Time::iso(now())},
        {QStringLiteral("seq"), seq},
        {QStringLiteral("subject"), Privacy::hash(principal, config.salt, Privacy::subjectPrefix)},
        {QStringLiteral("type"), "signals.batch"},
    };
    // A non-finite double in a signal cannot be written: the batch still goes, empty.
    return JSONValue(body).serialized(JSONValue::Slashes::plain).value_or(QByteArray("{}"));
}

}  // namespace tarnwhistle
