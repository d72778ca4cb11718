// The built-in application and site tables.
#include "privacy/privacy.h"

namespace Privacy {

const std::set<QString>& browsers() {
    static const std::set<QString> table{
        "com.apple.Safari",        "com.google.Chrome",       "com.microsoft.edgemac",
        "company.thebrowser.Browser", "org.mozilla.firefox",  "com.brave.Browser",
        "com.operasoftware.Opera", "com.vivaldi.Vivaldi",     "com.google.Chrome.canary",
        "com.apple.SafariTechnologyPreview"};
    return table;
}

const std::set<QString>& conversationApps() {
    static const std::set<QString> table{
        "com.apple.mail",     "com.microsoft.Outlook", "com.tinyspeck.slackmacgap",
        "com.microsoft.teams2", "com.microsoft.teams", "ru.keepcoder.Telegram",
        "net.whatsapp.WhatsApp", "com.hnc.Discord"};
    return table;
}

const std::set<QString>& twoPartSuffixes() {
    static const std::set<QString> table{"co.uk", "org.uk", "ac.uk",  "gov.uk", "com.au", "net.au",
                                         "co.nz", "co.jp",  "com.br", "co.in",  "com.mx", "co.za",
                                         "gov.ie", "com.sg", "com.tr", "co.kr"};
    return table;
}

const QStringList& ticketSites() {
    static const QStringList table{"atlassian.net",   "linear.app",    "youtrack.cloud",
                                   "zendesk.com",     "freshdesk.com", "service-now.com",
                                   "helpscout.net",   "shortcut.com",  "github.com/issues"};
    return table;
}

const QStringList& conversationSites() {
    static const QStringList table{"mail.google.com", "outlook.office.com", "outlook.live.com",
                                   "app.slack.com",   "teams.microsoft.com", "web.whatsapp.com"};
    return table;
}

const QStringList& documentSites() {
    static const QStringList table{"docs.google.com",  "drive.google.com", "sharepoint.com",
                                   "onedrive.live.com", "notion.so",       "coda.io",
                                   "dropbox.com",      "box.com",          "figma.com",
                                   "miro.com",         "canva.com"};
    return table;
}

const QStringList& workSites() {
    // atlassian.net serves both the wiki and the issue tracker.
    static const QStringList table{"docs.google.com", "notion.so",  "figma.com",
                                   "atlassian.net",   "sharepoint.com", "linear.app",
                                   "github.com",      "miro.com",   "airtable.com"};
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
    };
    return table;
}

}  // namespace Privacy
