#include <gtest/gtest.h>

#include "app/links.h"

namespace {

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
