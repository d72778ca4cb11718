// The built-in application and site tables.
#include "privacy/privacy.h"

namespace tarnwhistle {

namespace Privacy {

const std::set<QString>& browsers() {
    static const std::set<QString> table{
        "com.apple.Safari", "com.google.Chrome", "com.microsoft.edgemac",
        "company.thebrowser.Browser", "org.mozilla.firefox", "com.brave.Browser",
        "com.operasoftware.Opera", "com.vivaldi.Vivaldi", "com.google.Chrome.canary",
        "com.apple.SafariTechnologyPreview",
        // Linux browsers of their own (the others share an id above, see capture).
        "org.gnome.Epiphany", "org.kde.falkon", "org.kde.konqueror",
        "io.gitlab.librewolf-community", "org.qutebrowser.qutebrowser"};
    return table;
}

const std::set<QString>& conversationApps() {
    static const std::set<QString> table{
        "com.apple.mail", "com.microsoft.Outlook", "com.tinyspeck.slackmacgap",
        "com.microsoft.teams2", "com.microsoft.teams", "ru.keepcoder.Telegram",
        "net.whatsapp.WhatsApp", "com.hnc.Discord",
        // Linux mail and chat clients.
        "org.mozilla.Thunderbird", "org.gnome.Evolution", "org.gnome.Geary", "org.kde.kmail2",
        "claws-mail", "im.riot.Riot", "org.gnome.Fractal", "org.kde.neochat", "org.signal.Signal",
        "com.mattermost.Desktop", "chat.rocket.RocketChat", "org.zulip.Zulip", "com.skype.Client",
        "org.kde.konversation", "io.github.Hexchat", "pidgin"};
    return table;
}

const std::set<QString>& twoPartSuffixes() {
    static const std::set<QString> table{"co.uk",  "org.uk", "ac.uk",  "gov.uk", "com.au", "net.au",
                                         "co.nz",  "co.jp",  "com.br", "co.in",  "com.mx", "co.za",
                                         "gov.ie", "com.sg", "com.tr", "co.kr"};
    return table;
}

const QStringList& ticketSites() {
    static const QStringList table{"atlassian.net", "linear.app",    "youtrack.cloud",
                                   "zendesk.com",   "freshdesk.com", "service-now.com",
                                   "helpscout.net", "shortcut.com",  "github.com/issues"};
    return table;
}

const QStringList& conversationSites() {
    static const QStringList table{"mail.google.com", "outlook.office.com",  "outlook.live.com",
                                   "app.slack.com",   "teams.microsoft.com", "web.whatsapp.com"};
    return table;
}

const QStringList& documentSites() {
    static const QStringList table{"docs.google.com",   "drive.google.com", "sharepoint.com",
                                   "onedrive.live.com", "notion.so",        "coda.io",
                                   "dropbox.com",       "box.com",          "figma.com",
                                   "miro.com",          "canva.com"};
    return table;
}

const QStringList& workSites() {
    // atlassian.net serves both the wiki and the issue tracker.
    static const QStringList table{"docs.google.com", "notion.so",      "figma.com",
                                   "atlassian.net",   "sharepoint.com", "linear.app",
                                   "github.com",      "miro.com",       "airtable.com"};
    return table;
}

const std::map<QString, QString>& defaultAppCategories() {
    static const std::map<QString, QString> table{
        {"com.apple.mail", "communication"},
        {"com.microsoft.Outlook", "communication"},
        {"com.tinyspeck.slackmacgap", "communication"},
        {"com.microsoft.teams2", "communication"},
        {"com.apple.MobileSMS", "communication"},
        {"net.whatsapp.WhatsApp", "communication"},
        {"us.zoom.xos", "meeting"},
        {"com.apple.FaceTime", "meeting"},
        {"com.cisco.webexmeetingsapp", "meeting"},
        {"com.microsoft.Word", "documentation"},
        {"com.apple.iWork.Pages", "documentation"},
        {"com.apple.Notes", "documentation"},
        {"notion.id", "documentation"},
        {"md.obsidian", "documentation"},
        {"com.microsoft.Powerpoint", "documentation"},
        {"com.apple.iWork.Keynote", "documentation"},
        {"com.microsoft.Excel", "analysis"},
        {"com.apple.iWork.Numbers", "analysis"},
        {"com.apple.dt.Xcode", "development"},
        {"com.microsoft.VSCode", "development"},
        {"com.apple.Terminal", "development"},
        {"com.googlecode.iterm2", "development"},
        {"com.todesktop.230313mzl4w4u92", "development"},
        {"dev.zed.Zed", "development"},
        {"com.jetbrains.intellij", "development"},
        {"com.github.GitHubClient", "development"},
        {"com.figma.Desktop", "design"},
        {"com.bohemiancoding.sketch3", "design"},
        {"com.adobe.Photoshop", "design"},
        {"com.apple.iCal", "planning"},
        {"com.culturedcode.ThingsMac", "planning"},
        {"com.apple.reminders", "planning"},
        {"com.apple.finder", "admin"},
        {"com.apple.systempreferences", "admin"},
        // Linux applications under their own ids (desktop ids, reverse-DNS where they have one).
        // Mail and chat.
        {"org.mozilla.Thunderbird", "communication"},
        {"org.gnome.Evolution", "communication"},
        {"org.gnome.Geary", "communication"},
        {"org.kde.kmail2", "communication"},
        {"claws-mail", "communication"},
        {"im.riot.Riot", "communication"},
        {"org.gnome.Fractal", "communication"},
        {"org.kde.neochat", "communication"},
        {"org.signal.Signal", "communication"},
        {"com.mattermost.Desktop", "communication"},
        {"chat.rocket.RocketChat", "communication"},
        {"org.zulip.Zulip", "communication"},
        {"com.skype.Client", "communication"},
        {"org.kde.konversation", "communication"},
        {"io.github.Hexchat", "communication"},
        {"pidgin", "communication"},
        {"com.microsoft.teams", "communication"},
        {"ru.keepcoder.Telegram", "communication"},
        {"com.hnc.Discord", "communication"},
        // Meetings.
        {"org.jitsi.jitsi-meet", "meeting"},
        // Writing: office writers and presenters, notes and markdown editors, plain text editors.
        {"libreoffice-writer", "documentation"},
        {"libreoffice-impress", "documentation"},
        {"org.libreoffice.LibreOffice.writer", "documentation"},
        {"org.libreoffice.LibreOffice.impress", "documentation"},
        {"org.onlyoffice.desktopeditors", "documentation"},
        {"com.abisource.AbiWord", "documentation"},
        {"org.kde.calligrawords", "documentation"},
        {"org.lyx.LyX", "documentation"},
        {"org.texstudio.TeXstudio", "documentation"},
        {"org.gnome.gitlab.somas.Apostrophe", "documentation"},
        {"org.kde.ghostwriter", "documentation"},
        {"org.kde.marknote", "documentation"},
        {"net.cozic.joplin_desktop", "documentation"},
        {"org.zim_wiki.Zim", "documentation"},
        {"com.logseq.Logseq", "documentation"},
        {"org.gnome.Notes", "documentation"},
        {"org.gnome.TextEditor", "documentation"},
        {"org.gnome.gedit", "documentation"},
        {"org.xfce.mousepad", "documentation"},
        {"org.kde.kwrite", "documentation"},
        // Spreadsheets, accounting and data analysis.
        {"libreoffice-calc", "analysis"},
        {"org.libreoffice.LibreOffice.calc", "analysis"},
        {"org.gnome.Gnumeric", "analysis"},
        {"org.kde.calligrasheets", "analysis"},
        {"gnucash", "analysis"},
        {"org.gnucash.GnuCash", "analysis"},
        {"org.kde.kmymoney", "analysis"},
        {"org.kde.skrooge", "analysis"},
        {"fr.free.Homebank", "analysis"},
        {"rstudio", "analysis"},
        {"org.kde.labplot2", "analysis"},
        {"org.qgis.qgis", "analysis"},
        // Database front ends: forms over records.
        {"libreoffice-base", "data_entry"},
        {"org.libreoffice.LibreOffice.base", "data_entry"},
        {"org.kde.kexi", "data_entry"},
        // Terminals, editors and IDEs, developer tools.
        {"org.gnome.Terminal", "development"},
        {"org.gnome.Console", "development"},
        {"org.gnome.Ptyxis", "development"},
        {"org.kde.konsole", "development"},
        {"org.kde.yakuake", "development"},
        {"com.gexperts.Tilix", "development"},
        {"xfce4-terminal", "development"},
        {"terminator", "development"},
        {"xterm", "development"},
        {"alacritty", "development"},
        {"kitty", "development"},
        {"foot", "development"},
        {"org.wezfurlong.wezterm", "development"},
        {"emacs", "development"},
        {"org.gnu.emacs", "development"},
        {"gvim", "development"},
        {"org.vim.Vim", "development"},
        {"org.kde.kate", "development"},
        {"org.kde.kdevelop", "development"},
        {"org.gnome.Builder", "development"},
        {"org.qt-project.qtcreator", "development"},
        {"org.geany.Geany", "development"},
        {"com.sublimetext.three", "development"},
        {"com.jetbrains.PyCharm-Community", "development"},
        {"com.jetbrains.PyCharm-Professional", "development"},
        {"jetbrains-pycharm", "development"},
        {"jetbrains-pycharm-ce", "development"},
        {"jetbrains-clion", "development"},
        {"jetbrains-goland", "development"},
        {"jetbrains-webstorm", "development"},
        {"jetbrains-rider", "development"},
        {"com.google.AndroidStudio", "development"},
        {"org.eclipse.Java", "development"},
        {"org.gnome.meld", "development"},
        {"org.gnome.gitg", "development"},
        {"com.getpostman.Postman", "development"},
        {"io.dbeaver.DBeaverCommunity", "development"},
        // Image, vector, photo, 3D and layout editors.
        {"org.gimp.GIMP", "design"},
        {"org.inkscape.Inkscape", "design"},
        {"org.kde.krita", "design"},
        {"org.kde.karbon", "design"},
        {"org.blender.Blender", "design"},
        {"org.darktable.Darktable", "design"},
        {"com.rawtherapee.RawTherapee", "design"},
        {"com.github.PintaProject.Pinta", "design"},
        {"com.github.maoschanz.drawing", "design"},
        {"net.scribus.Scribus", "design"},
        {"libreoffice-draw", "design"},
        {"org.libreoffice.LibreOffice.draw", "design"},
        {"com.icons8.Lunacy", "design"},
        {"pencil", "design"},
        // Calendars, task lists and project planners.
        {"org.gnome.Calendar", "planning"},
        {"org.kde.korganizer", "planning"},
        {"org.kde.merkuro.calendar", "planning"},
        {"com.todoist.Todoist", "planning"},
        {"io.github.mrvladus.List", "planning"},
        {"io.github.alainm23.planify", "planning"},
        {"org.gnome.Todo", "planning"},
        {"projectlibre", "planning"},
        {"org.kde.calligraplan", "planning"},
        {"org.freeplane.App", "planning"},
        // Reading: PDF and e-book viewers, reference managers, feed readers.
        {"org.gnome.Evince", "research"},
        {"org.gnome.Papers", "research"},
        {"org.kde.okular", "research"},
        {"org.pwmt.zathura", "research"},
        {"xreader", "research"},
        {"atril", "research"},
        {"com.github.johnfactotum.Foliate", "research"},
        {"org.zotero.Zotero", "research"},
        {"net.sourceforge.liferea", "research"},
        {"com.github.hugolabe.Wike", "research"},
        {"org.zealdocs.Zeal", "research"},
        {"org.gnome.Devhelp", "research"},
        // File managers and system settings.
        {"org.gnome.Nautilus", "admin"},
        {"org.kde.dolphin", "admin"},
        {"thunar", "admin"},
        {"nemo", "admin"},
        {"caja", "admin"},
        {"pcmanfm", "admin"},
        {"org.gnome.Settings", "admin"},
        {"systemsettings", "admin"},
        {"com.github.tchx84.Flatseal", "admin"},
        {"org.gnome.Software", "admin"},
        {"org.kde.discover", "admin"},
    };
    return table;
}

}  // namespace Privacy

}  // namespace tarnwhistle
