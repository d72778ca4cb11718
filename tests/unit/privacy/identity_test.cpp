// Title classes, document identities and coded identifiers.
#include <gtest/gtest.h>
#include <QDir>

#include "privacy/privacy.h"
#include "qstring_printer.h"

namespace {

const QString chrome = QStringLiteral("com.google.Chrome");

QString classOf(const QString& bundleId, const QString& title, const QString& url = {},
                bool hasDocument = false) {
    const std::optional<QString> u = url.isEmpty() ? std::nullopt : std::optional(url);
    return Privacy::titleClass(bundleId, title, Privacy::host(u), u, hasDocument);
}

TEST(TitleClass, FirstRuleThatHoldsDecides) {
    // Ticket sites by host and path; issue keys on any site.
    EXPECT_EQ(classOf(chrome, "Board", "https://acme.atlassian.net/jira/software"), "ticket");
    EXPECT_EQ(classOf(chrome, "Issues", "https://github.com/issues"), "ticket");
    EXPECT_EQ(classOf(chrome, "Repo", "https://github.com/acme/app"), "browser");
    EXPECT_EQ(classOf(chrome, "OPS-42 Disk full - Example", "https://example.org/"), "ticket");
    EXPECT_EQ(classOf("com.apple.mail", "ABC-1 follow-up"), "ticket");
    // Conversation beats documents.
    EXPECT_EQ(classOf("com.tinyspeck.slackmacgap", "notes.txt", {}, true), "conversation");
    EXPECT_EQ(classOf(chrome, "Inbox", "https://mail.google.com/mail/u/0"), "conversation");
    // Documents: a file path, a document site, a file name in the title.
    EXPECT_EQ(classOf("org.example.Unlisted", "Untitled", {}, true), "document");
    EXPECT_EQ(classOf(chrome, "Plan", "https://docs.google.com/document/d/1"), "document");
    EXPECT_EQ(classOf("org.example.Unlisted", "Budget.XLSX - Viewer"), "document");
    EXPECT_EQ(classOf(chrome, "report.pdfs and more"), "browser");
    EXPECT_EQ(classOf(chrome, "New Tab"), "browser");
    EXPECT_EQ(classOf("org.example.Unlisted", "Settings"), "other");
    // Lower-case keys are not issue keys.
    EXPECT_EQ(classOf("org.example.Unlisted", "utf-8 and abc-12"), "other");
}

// "identity docClass" of what documentIdentity() finds, or "none".
QString found(const std::optional<QString>& path, const std::optional<QString>& url,
              const QString& title = {}, const QString& titleClass = QStringLiteral("other")) {
    const auto doc = Privacy::documentIdentity(path, url, title, titleClass);
    return doc ? doc->identity + u' ' + doc->docClass : QStringLiteral("none");
}

TEST(DocumentIdentity, FromThePathElseTheUrlElseTheTitle) {
    const QString home = QDir::homePath();
    EXPECT_EQ(found(home + "/Reports/Q3 Plan.DOCX", {}), "file:~/Reports/Q3 Plan.DOCX docx");
    EXPECT_EQ(found("file:///etc/hosts", {}), "file:/etc/hosts file");
    EXPECT_EQ(found("file://" + home + "/a%20b.txt", {}), "file:~/a b.txt txt");
    // A sibling folder that merely starts with the home folder's name is left alone.
    EXPECT_EQ(found(home + "x/notes.md", {}), "file:" + home + "x/notes.md md");

    const std::pair<const char*, const char*> sites[] = {
        {"https://Docs.Google.com/spreadsheets/d/abc/edit?gid=0#x",
         "url:docs.google.com/spreadsheets/d/abc/edit spreadsheet"},
        {"https://docs.google.com/presentation/d/1",
         "url:docs.google.com/presentation/d/1 presentation"},
        {"https://acme.atlassian.net/browse/OPS-1", "url:acme.atlassian.net/browse/OPS-1 ticket"},
        {"https://github.com/acme/app/issues/7", "url:github.com/acme/app/issues/7 ticket"},
        {"https://www.notion.so/Team-Wiki-123", "url:www.notion.so/Team-Wiki-123 web_document"},
    };
    for (const auto& [url, expected] : sites) EXPECT_EQ(found({}, QString(url)), expected);
    // Elsewhere only tickets are documents by URL; otherwise the title of a document window.
    const QString bug = QStringLiteral("https://bugs.example.org/show?id=4");
    const QString other = QStringLiteral("https://example.org/x");
    EXPECT_EQ(found({}, bug, "BUG-4", "ticket"), "url:bugs.example.org/show ticket");
    EXPECT_EQ(found({}, other, "Plan.pdf", "document"), "title:Plan.pdf document");
    EXPECT_EQ(found({}, other, "News", "browser"), "none");
    EXPECT_EQ(found(QString(), QStringLiteral("::garbage::"), "", "document"), "none");
}

TEST(DocumentIdentity, OnlyAKnownExtensionBecomesTheClass) {
    // What follows the last dot of a name the user chose is not a class: it is the name.
    const std::pair<const char*, const char*> cases[] = {
        {"/d/Mr.Jonas Feldmann-HIV.positive diagnosis", "file"},
        {"/d/Befund.Feldmann", "file"},
        {"/d/Notes.2024-05", "file"},
        {"/d/x.\u00e9t\u00e9", "file"},
        {"/d/Canary.Folder/readme", "file"},
        {"/d/archive.tar.GZ", "gz"},
        {"/d/budget.xlsx", "xlsx"},
    };
    for (const auto& [path, docClass] : cases)
        EXPECT_EQ(Privacy::documentIdentity(QString::fromUtf8(path), std::nullopt, "", "document")
                      ->docClass,
                  docClass)
            << path;
}

TEST(CodedIdentifier, SaltedTruncatedHmac) {
    const QString salt = QStringLiteral("0123456789abcdef0123456789abcdef");
    // Reference values from an independent HMAC-SHA256 implementation.
    EXPECT_EQ(Privacy::hash("Quarterly Report.xlsx - Excel", salt, Privacy::titlePrefix),
              "th_c47228f03ab80f6d");
    EXPECT_EQ(Privacy::hash("anna", salt, Privacy::subjectPrefix), "sub_d662e85040070d4d");
    EXPECT_EQ(Privacy::hash(QStringLiteral("Ünïcødé ✓"), salt, Privacy::documentPrefix),
              "dh_dbe68f9981639201");
    EXPECT_NE(Privacy::hash("anna", QStringLiteral("fedcba9876543210fedcba9876543210"), u"sub_"),
              Privacy::hash("anna", salt, u"sub_"));
}

TEST(Checksums, LuhnAndIban) {
    EXPECT_TRUE(Privacy::luhn(u"4111111111111111"));
    EXPECT_TRUE(Privacy::luhn(u"79927398713"));
    EXPECT_FALSE(Privacy::luhn(u"79927398710"));
    EXPECT_FALSE(Privacy::luhn(u"4111 1111 1111 1111"));
    EXPECT_FALSE(Privacy::luhn(u""));
    // Other decimal digits count by value (Arabic-Indic 0 and 0).
    EXPECT_TRUE(Privacy::luhn(u"\u0660\u0660"));
    EXPECT_FALSE(Privacy::luhn(u"\u00B2\u00B2"));  // superscripts are not decimal digits
    EXPECT_TRUE(Privacy::ibanChecksum(u"DE89 3704 0044 0532 0130 00"));
    EXPECT_FALSE(Privacy::ibanChecksum(u"DE88 3704 0044 0532 0130 00"));
}

}  // namespace
