#include <gtest/gtest.h>

#include "app/links.h"

namespace {

// The desktop's accessibility settings where the desktop is known; nothing (the docs) else.
TEST(Links, AccessibilitySettingsByDesktop) {
    const struct {
        const char* desktop;
        QStringList want;
    } cases[] = {
        {"GNOME", {"gnome-control-center", "universal-access"}},
        {"ubuntu:GNOME", {"gnome-control-center", "universal-access"}},
        {"KDE", {"systemsettings", "kcm_access"}},
        {"XFCE", {}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Links::accessibilitySettingsCommand(QString::fromLatin1(c.desktop)), c.want)
            << c.desktop;
}

}  // namespace
