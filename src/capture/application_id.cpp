#include "capture/application_id.h"

#include <QHash>

namespace tarnwhistle {

namespace ApplicationId {

namespace {
// Linux identities, lower case, mapped to the identifiers the built-in tables use. Only the same
// product under another id shares that id (browsers on the same engine share the browser's, so
// address reading and exclusions apply); everything else keeps its own Linux id.
const QHash<QString, QString>& table() {
    static const QHash<QString, QString> map = [] {
        QHash<QString, QString> m;
        auto add = [&m](std::initializer_list<const char*> keys, const char* id) {
            for (const char* key : keys) m.insert(QString::fromLatin1(key), QString::fromLatin1(id));
        };
        add({"firefox", "firefox-esr", "org.mozilla.firefox"}, "org.mozilla.firefox");
        add({"google-chrome", "google-chrome-stable", "com.google.chrome", "chromium",
             "chromium-browser", "org.chromium.chromium"},
            "com.google.Chrome");
        add({"google-chrome-unstable", "google-chrome-beta"}, "com.google.Chrome.canary");
        add({"brave-browser", "com.brave.browser"}, "com.brave.Browser");
        add({"microsoft-edge", "microsoft-edge-stable", "com.microsoft.edge"},
            "com.microsoft.edgemac");
        add({"vivaldi", "vivaldi-stable", "com.vivaldi.vivaldi"}, "com.vivaldi.Vivaldi");
        add({"opera", "com.opera.opera"}, "com.operasoftware.Opera");
        add({"code", "code-oss", "com.visualstudio.code", "vscodium", "com.vscodium.codium"},
            "com.microsoft.VSCode");
        add({"slack", "com.slack.slack"}, "com.tinyspeck.slackmacgap");
        add({"teams", "teams-for-linux", "com.github.ismaelmartinez.teams_for_linux",
             "microsoft teams - preview"},
            "com.microsoft.teams");
        add({"zoom", "us.zoom.zoom"}, "us.zoom.xos");
        add({"discord", "com.discordapp.discord"}, "com.hnc.Discord");
        add({"telegramdesktop", "telegram-desktop", "org.telegram.desktop"},
            "ru.keepcoder.Telegram");
        add({"whatsapp", "whatsapp-for-linux", "com.github.eneshecan.whatsappforlinux"},
            "net.whatsapp.WhatsApp");
        add({"1password"}, "com.1password.1password");
        add({"bitwarden", "com.bitwarden.desktop"}, "com.bitwarden.desktop");
        // Password managers and secret stores of Linux desktops, whatever form names them,
        // under one id each so the default exclusions always match.
        add({"keepassxc", "org.keepassxc.keepassxc"}, "org.keepassxc.KeePassXC");
        add({"keepass2", "keepass"}, "keepass2");
        add({"seahorse", "org.gnome.seahorse", "org.gnome.seahorse.application"},
            "org.gnome.seahorse.Application");
        add({"secrets", "org.gnome.world.secrets", "org.gnome.passwordsafe", "gnome-passwordsafe"},
            "org.gnome.World.Secrets");
        add({"kwalletmanager5", "kwalletmanager", "org.kde.kwalletmanager5",
             "org.kde.kwalletmanager"},
            "org.kde.kwalletmanager5");
        add({"enpass", "in.sinew.enpass-desktop"}, "enpass");
        add({"proton-pass", "proton pass", "me.proton.pass"}, "me.proton.pass");
        add({"nordpass"}, "nordpass");
        add({"obsidian", "md.obsidian", "md.obsidian.obsidian"}, "md.obsidian");
        add({"figma-linux", "io.github.figma_linux.figma_linux"}, "com.figma.Desktop");
        add({"zed", "dev.zed.zed"}, "dev.zed.Zed");
        add({"jetbrains-idea", "jetbrains-idea-ce", "com.jetbrains.intellij",
             "com.jetbrains.intellij-community", "com.jetbrains.intellij-idea-community",
             "com.jetbrains.intellij-idea-ultimate"},
            "com.jetbrains.intellij");
        // Applications with no counterpart id keep their own Linux id, in one spelling.
        add({"thunderbird", "thunderbird-esr", "org.mozilla.thunderbird"},
            "org.mozilla.Thunderbird");
        add({"evolution", "org.gnome.evolution"}, "org.gnome.Evolution");
        add({"gnome-terminal-server", "gnome-terminal", "org.gnome.terminal"},
            "org.gnome.Terminal");
        add({"konsole", "org.kde.konsole"}, "org.kde.konsole");
        add({"tilix", "com.gexperts.tilix"}, "com.gexperts.Tilix");
        add({"kgx", "org.gnome.console"}, "org.gnome.Console");
        add({"xterm", "uxterm"}, "xterm");
        add({"xfce4-terminal"}, "xfce4-terminal");
        add({"alacritty"}, "alacritty");
        add({"kitty"}, "kitty");
        add({"nautilus", "org.gnome.nautilus"}, "org.gnome.Nautilus");
        add({"dolphin", "org.kde.dolphin"}, "org.kde.dolphin");
        add({"thunar", "org.xfce.thunar"}, "thunar");
        add({"nemo"}, "nemo");
        add({"pcmanfm"}, "pcmanfm");
        add({"gnome-calendar", "org.gnome.calendar"}, "org.gnome.Calendar");
        add({"zoom-workplace"}, "us.zoom.xos");
        return m;
    }();
    return map;
}

QString stripDesktopSuffix(const QString& id) {
    return id.endsWith(QLatin1String(".desktop")) ? id.chopped(8) : id;
}
}  // namespace

std::optional<QString> canonical(const QString& linuxIdentity) {
    const QString key = stripDesktopSuffix(linuxIdentity.trimmed()).toLower();
    if (key.isEmpty()) return std::nullopt;
    auto it = table().constFind(key);
    if (it == table().constEnd()) return std::nullopt;
    return *it;
}

QString resolve(const Identity& identity) {
    const QString desktop = stripDesktopSuffix(identity.desktopId.trimmed());
    for (const QString& part : {identity.gtkApplicationId, desktop, identity.wmClass,
                                identity.wmInstance}) {
        if (auto id = canonical(part)) return *id;
    }
    for (const QString& part : {identity.gtkApplicationId.trimmed(), desktop,
                                identity.wmClass.trimmed(), identity.wmInstance.trimmed()}) {
        if (!part.isEmpty()) return part;
    }
    return {};
}

}  // namespace ApplicationId

}  // namespace tarnwhistle
