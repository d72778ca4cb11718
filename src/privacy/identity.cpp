// Hosts, registrable domains, title classes and document identities.
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "privacy/privacy.h"

namespace tarnwhistle {

namespace Privacy {
namespace {

// A URL that parses (strictly, so that garbage has no host or path).
std::optional<QUrl> parsed(const std::optional<QString>& text) {
    if (!text) return std::nullopt;
    QUrl url(text->trimmed(), QUrl::StrictMode);
    if (!url.isValid()) return std::nullopt;
    return url;
}

QString pathOf(const std::optional<QString>& text) {
    const auto url = parsed(text);
    return url ? url->path(QUrl::FullyDecoded) : QString();
}

bool endsWithAny(const QString& host, const QStringList& suffixes) {
    for (const QString& suffix : suffixes)
        if (host.endsWith(suffix)) return true;
    return false;
}

bool containsAny(const QString& text, const QStringList& patterns) {
    for (const QString& pattern : patterns)
        if (text.contains(pattern)) return true;
    return false;
}

// File extensions that may name a document's class on the wire. Whatever else follows the
// last dot is part of the name the user gave the file ("Mr.Jonas ...") and must not leave.
const std::set<QString>& knownExtensions() {
    static const std::set<QString> set{
        // documents, spreadsheets, presentations
        "doc", "docx", "dot", "dotx", "odt", "ott", "rtf", "txt", "md", "pages", "tex", "pdf",
        "epub", "xls", "xlsx", "xlsm", "ods", "csv", "tsv", "numbers", "ppt", "pptx", "odp", "key",
        "odg", "vsdx", "one", "eml", "msg", "ics", "vcf",
        // images, design, audio, video
        "png", "jpg", "jpeg", "gif", "bmp", "tif", "tiff", "webp", "heic", "svg", "psd", "ai",
        "xcf", "kra", "sketch", "fig", "xd", "indd", "blend", "mp3", "wav", "flac", "ogg", "m4a",
        "mp4", "mov", "mkv", "webm", "avi",
        // code, data, configuration
        "c", "h", "cc", "cpp", "cxx", "hpp", "hh", "m", "mm", "swift", "java", "kt", "kts", "scala",
        "go", "rs", "py", "ipynb", "rb", "php", "pl", "lua", "r", "jl", "js", "mjs", "cjs", "ts",
        "tsx", "jsx", "vue", "svelte", "cs", "fs", "vb", "dart", "ex", "exs", "erl", "hs", "ml",
        "clj", "sh", "bash", "zsh", "fish", "ps1", "bat", "sql", "html", "htm", "css", "scss",
        "less", "xml", "json", "yaml", "yml", "toml", "ini", "cfg", "conf", "cmake", "mk", "gradle",
        "proto", "graphql", "log", "diff", "patch", "qml", "ui", "drawio", "puml",
        // archives and images of disks
        "zip", "tar", "gz", "tgz", "bz2", "xz", "7z", "rar", "iso", "dmg", "deb", "rpm"};
    return set;
}

QString extensionClass(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return knownExtensions().count(suffix) ? suffix : QStringLiteral("file");
}

}  // namespace

std::optional<QString> host(const std::optional<QString>& url) {
    const auto parsedUrl = parsed(url);
    if (!parsedUrl) return std::nullopt;
    QString name = parsedUrl->host().toLower();
    if (name.startsWith(QStringLiteral("www."))) name.remove(0, 4);
    // "example.com." is the same site as "example.com"; left alone it would slip past the
    // exclusion list and give the domain "com.".
    while (name.endsWith(u'.')) name.chop(1);
    if (name.isEmpty()) return std::nullopt;
    return name;
}

std::optional<QString> domain(const std::optional<QString>& host) {
    if (!host) return std::nullopt;
    const QStringList parts = host->split(u'.');
    if (parts.size() <= 2) return *host;
    const QString lastTwo = parts[parts.size() - 2] + u'.' + parts.last();
    if (twoPartSuffixes().count(lastTwo)) return parts[parts.size() - 3] + u'.' + lastTwo;
    return lastTwo;
}

QString titleClass(const QString& bundleId, const QString& title,
                   const std::optional<QString>& host, const std::optional<QString>& url,
                   bool hasDocument) {
    const QString hostName = host.value_or(QString());
    if (containsAny(hostName + pathOf(url), ticketSites())) return QStringLiteral("ticket");
    if (ticketRx().match(title).hasMatch()) return QStringLiteral("ticket");
    if (conversationApps().count(bundleId)) return QStringLiteral("conversation");
    if (host && endsWithAny(hostName, conversationSites())) return QStringLiteral("conversation");
    if (hasDocument) return QStringLiteral("document");
    if (host && endsWithAny(hostName, documentSites())) return QStringLiteral("document");
    if (fileTitleRx().match(title).hasMatch()) return QStringLiteral("document");
    if (browsers().count(bundleId)) return QStringLiteral("browser");
    return QStringLiteral("other");
}

std::optional<DocumentIdentity> documentIdentity(const std::optional<QString>& documentPath,
                                                 const std::optional<QString>& url,
                                                 const QString& title, const QString& titleClass) {
    if (documentPath && !documentPath->isEmpty()) {
        QString path = *documentPath;
        if (path.startsWith(QStringLiteral("file://"))) {
            const QUrl fileUrl(path, QUrl::StrictMode);
            if (fileUrl.isValid()) path = fileUrl.path();
        }
        const QString home = QDir::homePath();
        // Only a whole folder name counts: "/home/anna" must not turn "/home/annabel" into "~bel".
        if (!home.isEmpty() && home != QStringLiteral("/") && path.startsWith(home) &&
            (path.size() == home.size() || path[home.size()] == u'/'))
            path = u'~' + path.mid(home.size());
        return DocumentIdentity{QStringLiteral("file:") + path, extensionClass(path)};
    }
    if (const auto parsedUrl = parsed(url); parsedUrl && !parsedUrl->host().isEmpty()) {
        const QString hostName = parsedUrl->host().toLower();
        const QString path = parsedUrl->path(QUrl::FullyDecoded);
        const QString identity = QStringLiteral("url:") + hostName + path;
        if (endsWithAny(hostName, workSites())) {
            QString docClass = QStringLiteral("web_document");
            if (path.contains(QStringLiteral("/spreadsheets/")))
                docClass = QStringLiteral("spreadsheet");
            else if (path.contains(QStringLiteral("/presentation/")))
                docClass = QStringLiteral("presentation");
            else if (path.contains(QStringLiteral("/document/")))
                docClass = QStringLiteral("document");
            else if (titleClass == QStringLiteral("ticket") ||
                     path.contains(QStringLiteral("/browse/")) ||
                     path.contains(QStringLiteral("/issue")))
                docClass = QStringLiteral("ticket");
            return DocumentIdentity{identity, docClass};
        }
        if (titleClass == QStringLiteral("ticket"))
            return DocumentIdentity{identity, QStringLiteral("ticket")};
    }
    if (titleClass == QStringLiteral("document") && !title.isEmpty())
        return DocumentIdentity{QStringLiteral("title:") + title, QStringLiteral("document")};
    return std::nullopt;
}

}  // namespace Privacy

}  // namespace tarnwhistle
