// The links the agent is handed (connection links) and the ones it opens.
#include "app/connection_link.h"

#include <QTest>
#include <functional>

#include "../ui/ui_fixture.h"
#include "app/links.h"
#include "case_table.h"

namespace {

TEST(ConnectionLinkParse, AcceptsOnlyHttpsConnectLinks) {
    for (const QJsonObject& row : caseTable("connect_links.json")) {
        std::optional<ConnectionLink> want;
        if (row.contains("webhook"))
            want = ConnectionLink{row["webhook"].toString(), optionalString(row, "secret"),
                                  optionalString(row, "org")};
        EXPECT_EQ(ConnectionLink::parse(row["link"].toString()), want) << caseName(row, "link");
    }
}

class ConnectionLinksTest : public UiFixture {
  protected:
    void SetUp() override {
        UiFixture::SetUp();
        configure([](DeploymentConfig& c) {
            c.webhookURL = QStringLiteral("https://old.example.org/hook");
            c.webhookSecret = QStringLiteral("old-secret");
        });
    }

    bool confirm(const QString& webhook) {
        asked << webhook;
        if (whileAsking) std::exchange(whileAsking, nullptr)();
        return answer;
    }
    void inform(const QString& text, const QString& detail) {
        informed << text + QStringLiteral(" | ") + detail;
    }

    QStringList asked, informed;
    bool answer = false;  // Connect or Cancel, for every confirmation
    std::function<void()> whileAsking;
    ConnectionLinks links{configStore,
                          outbox,
                          {.confirm = std::bind_front(&ConnectionLinksTest::confirm, this),
                           .inform = std::bind_front(&ConnectionLinksTest::inform, this)}};
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

// "Connect" saves the address (keeping the stored secret when the link's is empty) and reports
// the test batch's failure without undoing anything.
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

// The desktop's accessibility settings where the desktop is known; nothing (the docs) else.
TEST(Links, AccessibilitySettingsByDesktop) {
    const std::pair<const char*, QStringList> cases[] = {
        {"GNOME", {"gnome-control-center", "universal-access"}},
        {"ubuntu:GNOME", {"gnome-control-center", "universal-access"}},
        {"KDE", {"systemsettings", "kcm_access"}},
        {"XFCE", {}},
        {"", {}},
    };
    for (const auto& [desktop, want] : cases)
        EXPECT_EQ(Links::accessibilitySettingsCommand(QString::fromLatin1(desktop)), want)
            << desktop;
}

}  // namespace
