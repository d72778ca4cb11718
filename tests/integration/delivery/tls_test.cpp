// Certificates are checked: only a receiver whose certificate chains to a trusted authority,
// is valid now and names the address's host gets a batch.
#include <QProcess>
#include <QSslConfiguration>

#include "../../unit/delivery/outbox_fixture.h"
#include "receiver_process.h"

namespace {

class Tls : public OutboxFixture {};

TEST_F(Tls, OnlyATrustedValidCertificateForTheHostIsAccepted) {
    QTemporaryDir certs;
    QProcess make;
    make.start(QStringLiteral("sh"),
               {QStringLiteral(TARNWHISTLE_SOURCE_DIR
                               "/tests/integration/delivery/make_test_certificates.sh"),
                certs.path()});
    ASSERT_TRUE(make.waitForFinished(60'000));
    ASSERT_EQ(make.exitCode(), 0) << make.readAllStandardError().toStdString();

    // The test's own authority joins the system's for this process.
    QSslConfiguration trust = QSslConfiguration::defaultConfiguration();
    trust.addCaCertificates(certs.filePath(QStringLiteral("ca.pem")));
    QSslConfiguration::setDefaultConfiguration(trust);

    const struct {
        const char* certificate;
        bool accepted;
    } cases[] = {
        {"good", true},        {"wronghost", false}, {"expired", false},
        {"selfsigned", false}, {"otherca", false},
    };
    for (const auto& c : cases) {
        const QString name = QString::fromLatin1(c.certificate);
        ReceiverProcess receiver(
            {"--cert", certs.filePath(name + ".pem"), "--key", certs.filePath(name + ".key")});
        configure([&](DeploymentConfig& config) {
            config.webhookURL = QStringLiteral("https://127.0.0.1:%1/hook").arg(receiver.port());
        });
        insertSignals(1);
        outbox.flush();
        waitUntilIdle();
        const BatchRecord batch = store.recentBatches(1).front();
        EXPECT_EQ(batch.status, c.accepted ? BatchStatus::sent : BatchStatus::failed) << c.certificate;
        EXPECT_EQ(receiver.received().size(), c.accepted ? 1u : 0u) << c.certificate;
        if (!c.accepted) {
            EXPECT_FALSE(batch.httpStatus.has_value()) << c.certificate;
            EXPECT_FALSE(batch.lastError.value_or("").isEmpty()) << c.certificate;
        }
    }
}

}  // namespace
