#include "app/connection_link.h"

#include <QTest>

#include "../ui/ui_fixture.h"

namespace {

TEST(ConnectionLinkParse, AcceptsOnlyHttpsConnectLinks) {
    using L = ConnectionLink;
    const QString hook = QStringLiteral("https://hooks.example.org/in");
    const struct {
        const char* link;
        std::optional<L> want;
    } cases[] = {
        {"tarnwhistle://connect?webhook=https://hooks.example.org/in", L{hook, {}, {}}},
        {"tarnwhistle://connect?webhook=https%3A%2F%2Fhooks.example.org%2Fin&secret=s%20t&org=acme",
         L{hook, QStringLiteral("s t"), QStringLiteral("acme")}},
        // empty values keep what is stored; a key without a value is empty
        {"tarnwhistle://connect?webhook=https://hooks.example.org/in&secret=&org", L{hook, {}, {}}},
        // the first of repeated keys wins; unknown keys are ignored
        {"tarnwhistle://connect?webhook=https://hooks.example.org/in&webhook=https://o.example/"
         "&secret=a&secret=b&colour=red",
         L{hook, QStringLiteral("a"), {}}},
        {"tarnwhistle://connect?webhook=http://hooks.example.org/in", std::nullopt},
        {"tarnwhistle://connect?webhook=HTTPS://hooks.example.org/in", std::nullopt},
        {"tarnwhistle://connect?secret=x", std::nullopt},
        {"tarnwhistle://connect?webhook=", std::nullopt},
        {"tarnwhistle://connect", std::nullopt},
        {"tarnwhistle://settings?webhook=https://hooks.example.org/in", std::nullopt},
        {"tarnwhistle://Connect?webhook=https://hooks.example.org/in", std::nullopt},
        {"https://connect?webhook=https://hooks.example.org/in", std::nullopt},
        {"--help", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(L::parse(QString::fromUtf8(c.link)), c.want) << c.link;
}

class ConnectionLinksTest : public UiFixture {
  protected:
    void SetUp() override {
        UiFixture::SetUp();
        configure([](DeploymentConfig& c) {
            c.webhookURL = QStringLiteral("https://old.example.org/hook");
            c.webhookSecret = QStringLiteral("old-secret");
            c.orgId = QStringLiteral("old-org");
        });
        outbox.requestTimeoutMs = 5000;
    }

    QStringList asked;
    bool answer = false;  // Connect or Cancel, for every confirmation
    QStringList informed;
    std::function<void()> whileAsking;
    ConnectionLinks links{configStore, outbox,
                          ConnectionLinks::Hooks{
                              .confirm =
                                  [this](const QString& webhook) {
                                      asked << webhook;
                                      if (whileAsking) std::exchange(whileAsking, nullptr)();
                                      return answer;
                                  },
                              .inform =
                                  [this](const QString& message, const QString& detail) {
                                      informed << message + QStringLiteral(" | ") + detail;
                                  },
                          }};
};

// Links that are not connection links ask nothing; one that arrives while another is being
// confirmed waits for its own confirmation; Cancel changes nothing.
TEST_F(ConnectionLinksTest, IgnoredLinksAskNothingQueuedLinksWaitAndCancelChangesNothing) {
    links.handle(QStringLiteral("tarnwhistle://connect?webhook=http://plain.example.org/in"));
    EXPECT_TRUE(asked.isEmpty());
    const DeploymentConfig before = configStore.config();
    whileAsking = [this] {
        links.handle(QStringLiteral("tarnwhistle://connect?webhook=https://second.example.org/in"));
        EXPECT_EQ(asked.size(), 1);  // not asked inside the first confirmation
    };
    links.handle(QStringLiteral("tarnwhistle://connect?webhook=https://first.example.org/in"));
    EXPECT_EQ(asked,
              (QStringList{"https://first.example.org/in", "https://second.example.org/in"}));
    EXPECT_EQ(configStore.config(), before);
    EXPECT_TRUE(informed.isEmpty());
}

// "Connect" saves the address (keeping the stored secret when the link's is empty), remembers
// the previous destination, and reports the test batch's failure without undoing anything.
TEST_F(ConnectionLinksTest, ConnectSavesAndReportsTheTest) {
    answer = true;
    links.handle(
        QStringLiteral("tarnwhistle://connect?webhook=https://127.0.0.1:1/in&secret=&org=acme"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !informed.isEmpty(); }, 15000));
    const DeploymentConfig c = configStore.config();
    EXPECT_EQ(c.webhookURL, "https://127.0.0.1:1/in");
    EXPECT_EQ(c.webhookSecret, "old-secret");
    EXPECT_EQ(c.orgId, "acme");
    ASSERT_EQ(informed.size(), 1);
    EXPECT_TRUE(informed[0].startsWith(QStringLiteral("Saved, but the test failed | ")))
        << informed[0].toStdString();
}

}  // namespace
