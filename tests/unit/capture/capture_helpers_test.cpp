// Clipboard payload names, application ids and screenshot sizes.
#include <gtest/gtest.h>

#include "capture/application_id.h"
#include "capture/clipboard_payload.h"
#include "capture/screenshot_geometry.h"
#include "config/deployment_config.h"

TEST(ClipboardPayload, TheFirstMatchingRuleNamesThePayload) {
    using ClipboardPayload::typeFor;
    EXPECT_EQ(typeFor({"UTF8_STRING", "text/uri-list"}), "file");
    EXPECT_EQ(typeFor({"UTF8_STRING", "image/png"}), "image");
    EXPECT_EQ(typeFor({"image/tiff"}), "image");
    EXPECT_EQ(typeFor({"TARGETS", "text/plain;charset=utf-8"}), "text");
    EXPECT_EQ(typeFor({"text/html"}), "text");
    EXPECT_EQ(typeFor({"TARGETS", "application/x-special"}), "other");
    EXPECT_EQ(typeFor({}), "other");
}

TEST(ApplicationId, WellKnownApplicationsGetTheirCanonicalIdsAndOthersTheirOwnInOrder) {
    const std::vector<std::pair<ApplicationId::Identity, QString>> cases{
        {{{}, {}, "Navigator", "firefox"}, "org.mozilla.firefox"},
        {{{}, "google-chrome.desktop", {}, {}}, "com.google.Chrome"},
        {{"com.visualstudio.code", {}, {}, {}}, "com.microsoft.VSCode"},
        {{{}, {}, "slack", "Slack"}, "com.tinyspeck.slackmacgap"},
        // Another product's id would mislead a receiver: the mail client keeps its own.
        {{{}, {}, "thunderbird", "Mail"}, "org.mozilla.Thunderbird"},
        // A canonical class wins over an unknown GTK id.
        {{"org.example.Wrapper", {}, {}, "firefox"}, "org.mozilla.firefox"},
        // Otherwise: GTK id, desktop id, WM_CLASS class, then instance.
        {{"org.xfce.mousepad", "mousepad", "mousepad", "Mousepad"}, "org.xfce.mousepad"},
        {{{}, "org.example.App", "app", "App"}, "org.example.App"},
        {{{}, {}, "tool", "Tool"}, "Tool"},
        {{{}, {}, "tool", {}}, "tool"},
        {{}, ""},
    };
    for (const auto& [identity, id] : cases)
        EXPECT_EQ(ApplicationId::resolve(identity), id) << id.toStdString();
}

TEST(ApplicationId, LinuxPasswordManagersAreExcludedOnAFreshInstall) {
    // As their windows name themselves: GTK id, desktop id, WM_CLASS instance and class.
    const std::vector<ApplicationId::Identity> managers{
        {{}, "org.keepassxc.KeePassXC", "keepassxc", "KeePassXC"},
        {{}, {}, "keepassxc", "KeePassXC"},
        {{}, {}, "KeePass2", "KeePass2"},
        {"org.gnome.seahorse.Application", {}, "seahorse", "Seahorse"},
        {"org.gnome.World.Secrets", {}, "secrets", "Secrets"},
        {{}, "org.kde.kwalletmanager5", "kwalletmanager5", "kwalletmanager5"},
        {{}, {}, "1password", "1Password"},
        {{}, {}, "bitwarden", "Bitwarden"},
        {{}, {}, "Enpass", "Enpass"},
        {{}, {}, "Proton Pass", "Proton Pass"},
        {{}, {}, "nordpass", "NordPass"},
    };
    const QStringList excluded = DeploymentConfig::defaultExcludedBundleIds();
    for (const auto& identity : managers) {
        const QString id = ApplicationId::resolve(identity);
        EXPECT_TRUE(excluded.contains(id))
            << identity.wmClass.toStdString() << " -> " << id.toStdString();
    }
}

// Captures are at most 2000 pixels wide and at most twice the size, of the first on-screen normal
// window larger than 100.
TEST(ScreenshotGeometry, SizeAndChosenWindow) {
    using namespace ScreenshotGeometry;
    EXPECT_EQ(scaledSize(3000, 1500).width, 2000);
    EXPECT_EQ(scaledSize(3000, 1500).height, 1000);
    EXPECT_EQ(scaledSize(800, 600).width, 1600);
    EXPECT_DOUBLE_EQ(scale(1.0), 2.0);
    EXPECT_DOUBLE_EQ(scale(0), 2.0);

    std::vector<Window> windows{
        {1, 7, true, true, 100, 500},   // too narrow
        {2, 8, true, true, 800, 600},   // another process
        {3, 7, false, true, 800, 600},  // minimised
        {4, 7, true, false, 800, 600},  // a panel
        {5, 7, true, true, 640, 480},  {6, 7, true, true, 900, 700},
    };
    EXPECT_EQ(choose(windows, 7)->id, 5u);
    // The observed window, or none: never another window of the process in its place.
    EXPECT_EQ(choose(windows, 7, 6)->id, 6u);
    EXPECT_FALSE(choose(windows, 7, 3).has_value());
    windows.erase(windows.begin() + 4, windows.end());
    EXPECT_FALSE(choose(windows, 7).has_value());
}
