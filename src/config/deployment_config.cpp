#include "config/deployment_config.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QRandomGenerator>
#include <QUrl>
#include <algorithm>
#include <cmath>

#include "signals/signal_type.h"

namespace {

QString trimmedSpacesAndTabs(const QString& s) {
    qsizetype begin = 0, end = s.size();
    while (begin < end && (s[begin] == u' ' || s[begin] == u'\t')) ++begin;
    while (end > begin && (s[end - 1] == u' ' || s[end - 1] == u'\t')) --end;
    return s.mid(begin, end - begin);
}

QJsonArray stringArray(const QStringList& list) {
    QJsonArray out;
    for (const auto& s : list) out.append(s);
    return out;
}

QJsonArray categoryArray(const CategoryList& list) {
    QJsonArray out;
    for (const auto& c : list)
        out.append(QJsonObject{{"name", c.name}, {"description", c.description}});
    return out;
}

// Strict readers: each returns false and describes the first problem.
class StrictReader {
public:
    StrictReader(const QJsonObject& object, QString* error) : object_(object), error_(error) {}

    bool value(const char* key, QJsonValue* out) {
        const auto it = object_.constFind(QLatin1String(key));
        if (it == object_.constEnd()) return fail(QStringLiteral("the key \"%1\" is missing").arg(key));
        *out = it.value();
        return true;
    }
    bool integer(const char* key, qint64* out) {
        QJsonValue v;
        if (!value(key, &v)) return false;
        if (!wholeNumber(v, out)) return wrongType(key, "a whole number");
        return true;
    }
    bool string(const char* key, QString* out) {
        QJsonValue v;
        if (!value(key, &v)) return false;
        if (!v.isString()) return wrongType(key, "a string");
        *out = v.toString();
        return true;
    }
    bool boolean(const char* key, bool* out) {
        QJsonValue v;
        if (!value(key, &v)) return false;
        if (!v.isBool()) return wrongType(key, "true or false");
        *out = v.toBool();
        return true;
    }
    bool strings(const char* key, QStringList* out) {
        QJsonValue v;
        if (!value(key, &v)) return false;
        if (!v.isArray()) return wrongType(key, "a list of strings");
        QStringList list;
        for (const auto& element : v.toArray()) {
            if (!element.isString()) return wrongType(key, "a list of strings");
            list.append(element.toString());
        }
        *out = list;
        return true;
    }
    bool categories(const char* key, CategoryList* out) {
        QJsonValue v;
        if (!value(key, &v)) return false;
        if (!v.isArray()) return wrongType(key, "a list of categories");
        CategoryList list;
        for (const auto& element : v.toArray()) {
            const QJsonObject entry = element.toObject();
            if (!element.isObject() || !entry.value("name").isString() ||
                !entry.value("description").isString())
                return wrongType(key, "a list of categories with a name and a description");
            list.push_back({entry.value("name").toString(), entry.value("description").toString()});
        }
        *out = list;
        return true;
    }
    bool booleanMap(const char* key, std::map<QString, bool>* out) {
        QJsonValue v;
        if (!value(key, &v)) return false;
        if (!v.isObject()) return wrongType(key, "an object of true/false values");
        std::map<QString, bool> map;
        const QJsonObject o = v.toObject();
        for (auto it = o.begin(); it != o.end(); ++it) {
            if (!it.value().isBool()) return wrongType(key, "an object of true/false values");
            map.emplace(it.key(), it.value().toBool());
        }
        *out = map;
        return true;
    }
    bool stringMap(const char* key, std::map<QString, QString>* out) {
        QJsonValue v;
        if (!value(key, &v)) return false;
        if (!v.isObject()) return wrongType(key, "an object of strings");
        std::map<QString, QString> map;
        const QJsonObject o = v.toObject();
        for (auto it = o.begin(); it != o.end(); ++it) {
            if (!it.value().isString()) return wrongType(key, "an object of strings");
            map.emplace(it.key(), it.value().toString());
        }
        *out = map;
        return true;
    }

private:
    static bool wholeNumber(const QJsonValue& v, qint64* out) {
        if (!v.isDouble()) return false;
        const QVariant variant = v.toVariant();
        if (variant.typeId() == QMetaType::LongLong || variant.typeId() == QMetaType::Int) {
            *out = variant.toLongLong();
            return true;
        }
        const double d = v.toDouble();
        if (!std::isfinite(d) || d != std::trunc(d) || d < -9223372036854775808.0 ||
            d >= 9223372036854775808.0)
            return false;
        *out = qint64(d);
        return true;
    }
    bool wrongType(const char* key, const char* expected) {
        return fail(QStringLiteral("the value of \"%1\" is not %2").arg(key, expected));
    }
    bool fail(const QString& message) {
        if (error_) *error_ = message;
        return false;
    }

    const QJsonObject& object_;
    QString* error_;
};

}  // namespace

DeploymentConfig::DeploymentConfig()
    : deviceId(QStringLiteral("dev_") + randomHex(8)),
      salt(randomHex(16)),
      enabledSignals(SignalType::defaultEnabled()),
      excludedBundleIds(defaultExcludedBundleIds()),
      excludedDomains(defaultExcludedDomains()),
      excludedTitleWords(defaultExcludedTitleWords()),
      workCategories(defaultWorkCategories()),
      taskLabels(defaultTaskLabels()) {}

QString DeploymentConfig::randomHex(int count) {
    QByteArray bytes(qMax(0, count), Qt::Uninitialized);
    auto* random = QRandomGenerator::system();
    for (auto& b : bytes) b = char(random->generate() & 0xff);
    return QString::fromLatin1(bytes.toHex());
}

CategoryList DeploymentConfig::defaultWorkCategories() {
    return {
        {"communication",
         "email, chat, messages, inbox, reply, replying to colleagues, Slack, Teams, Outlook, "
         "thread, mentions"},
        {"meeting",
         "video call, online meeting, Zoom, Google Meet, Teams call, participants, mute, camera, "
         "screen share"},
        {"documentation",
         "writing documents, reports, notes, wiki pages, drafting text, paragraphs, headings, "
         "proposal"},
        {"data_entry",
         "filling forms, entering records, updating fields, data input, submitting entries, CRM "
         "record, required field, save"},
        {"analysis",
         "spreadsheets, numbers, charts, dashboards, finance, budgets, analysing data, revenue, "
         "costs, totals, formula, pivot"},
        {"development",
         "writing code, programming, terminal, pull requests, debugging, software, function, "
         "compile, build, error, git, repository, commit, API, class, variable"},
        {"design",
         "visual design, mockups, Figma, images, layouts, prototypes, frames, components, "
         "colours, typography"},
        {"research",
         "reading articles, searching the web, learning, reading documentation, search results, "
         "wiki, blog, news"},
        {"planning",
         "project management, tickets, tasks, roadmap, Jira, Trello, Asana, sprint, board, "
         "backlog, issue, assignee, story points, epic"},
        {"admin",
         "HR systems, expenses, invoices, approvals, timesheets, booking, settings, leave "
         "request, payroll, purchase order"},
    };
}

CategoryList DeploymentConfig::defaultTaskLabels() {
    return {
        {"email_triage", "reading, sorting and answering emails and messages"},
        {"report_writing", "writing or editing a report, document or proposal"},
        {"invoice_processing", "handling invoices, payments, purchase orders and expenses"},
        {"payroll", "payroll, salaries, employee pay and timesheets"},
        {"recruiting", "candidates, job applications, interviews and hiring"},
        {"customer_support", "support tickets, customer questions and help desk replies"},
        {"code_review", "reviewing code, pull requests and software changes"},
        {"meeting_preparation", "preparing slides, agendas and notes for a meeting"},
        {"planning", "planning work, roadmaps, project tasks and schedules"},
    };
}

QStringList DeploymentConfig::defaultExcludedBundleIds() {
    return {"com.1password.1password",  "com.agilebits.onepassword7", "com.bitwarden.desktop",
            "com.apple.keychainaccess", "com.apple.Passwords",        "com.apple.MobileSMS",
            "com.apple.Health",         "com.lastpass.LastPass",      "com.dashlane.dashlanephonefinal",
            // Password managers and secret stores of Linux desktops.
            "org.keepassxc.KeePassXC", "keepass2", "org.gnome.seahorse.Application",
            "org.gnome.World.Secrets", "org.kde.kwalletmanager5", "enpass", "me.proton.pass",
            "nordpass"};
}

QStringList DeploymentConfig::defaultExcludedDomains() {
    // Three password managers, two payment services, six retail banks.
    return {"1password.com", "bitwarden.com",    "lastpass.com",   "paypal.com",
            "stripe.com",    "chase.com",        "bankofamerica.com", "wellsfargo.com",
            "hsbc.com",      "barclays.co.uk",   "santander.com"};
}

QStringList DeploymentConfig::defaultExcludedTitleWords() {
    return {"password", "payslip", "salary", "medical", "bank statement"};
}

QJsonObject DeploymentConfig::toJsonObject() const {
    QJsonObject enabled;
    for (const auto& [name, on] : enabledSignals) enabled.insert(name, on);
    QJsonObject apps;
    for (const auto& [bundle, category] : appCategories) apps.insert(bundle, category);
    return QJsonObject{
        {"schemaVersion", schemaVersion},
        {"orgId", orgId},
        {"externalRef", externalRef},
        {"deviceId", deviceId},
        {"salt", salt},
        {"webhookURL", webhookURL},
        {"webhookSecret", webhookSecret},
        {"flushIntervalSeconds", flushIntervalSeconds},
        {"savedDashboardURL", savedDashboardURL},
        {"savedDashboardSecret", savedDashboardSecret},
        {"savedCustomURL", savedCustomURL},
        {"savedCustomSecret", savedCustomSecret},
        {"maxBatch", maxBatch},
        {"enabledSignals", enabled},
        {"excludedBundleIds", stringArray(excludedBundleIds)},
        {"excludedDomains", stringArray(excludedDomains)},
        {"excludedTitleWords", stringArray(excludedTitleWords)},
        {"retentionDays", retentionDays},
        {"idleThresholdSeconds", idleThresholdSeconds},
        {"episodeGapSeconds", episodeGapSeconds},
        {"workCategories", categoryArray(workCategories)},
        {"taskLabels", categoryArray(taskLabels)},
        {"appCategories", apps},
        {"useAppleIntelligence", useAppleIntelligence},
        {"screenshotReader", screenshotReader},
        {"startAtLogin", startAtLogin},
        {"paused", paused},
    };
}

QByteArray DeploymentConfig::encoded() const {
    // QJsonObject keeps its keys sorted and Qt never escapes "/", so this is deterministic.
    return QJsonDocument(toJsonObject()).toJson(QJsonDocument::Indented);
}

std::optional<DeploymentConfig> DeploymentConfig::decodeStrict(const QJsonObject& object,
                                                               QString* error) {
    DeploymentConfig c;
    StrictReader r(object, error);
    const bool ok =
        r.integer("schemaVersion", &c.schemaVersion) && r.string("orgId", &c.orgId) &&
        r.string("externalRef", &c.externalRef) && r.string("deviceId", &c.deviceId) &&
        r.string("salt", &c.salt) && r.string("webhookURL", &c.webhookURL) &&
        r.string("webhookSecret", &c.webhookSecret) &&
        r.integer("flushIntervalSeconds", &c.flushIntervalSeconds) &&
        r.string("savedDashboardURL", &c.savedDashboardURL) &&
        r.string("savedDashboardSecret", &c.savedDashboardSecret) &&
        r.string("savedCustomURL", &c.savedCustomURL) &&
        r.string("savedCustomSecret", &c.savedCustomSecret) && r.integer("maxBatch", &c.maxBatch) &&
        r.booleanMap("enabledSignals", &c.enabledSignals) &&
        r.strings("excludedBundleIds", &c.excludedBundleIds) &&
        r.strings("excludedDomains", &c.excludedDomains) &&
        r.strings("excludedTitleWords", &c.excludedTitleWords) &&
        r.integer("retentionDays", &c.retentionDays) &&
        r.integer("idleThresholdSeconds", &c.idleThresholdSeconds) &&
        r.integer("episodeGapSeconds", &c.episodeGapSeconds) &&
        r.categories("workCategories", &c.workCategories) &&
        r.categories("taskLabels", &c.taskLabels) &&
        r.stringMap("appCategories", &c.appCategories) &&
        r.boolean("useAppleIntelligence", &c.useAppleIntelligence) &&
        r.boolean("screenshotReader", &c.screenshotReader) &&
        r.boolean("startAtLogin", &c.startAtLogin) && r.boolean("paused", &c.paused);
    if (!ok) return std::nullopt;
    return c;
}

QStringList DeploymentConfig::normalise() {
    QStringList notes;
    flushIntervalSeconds = std::clamp(flushIntervalSeconds, minFlushInterval, maxFlushInterval);
    maxBatch = std::clamp(maxBatch, minMaxBatch, maxMaxBatch);
    retentionDays = std::clamp(retentionDays, minRetentionDays, maxRetentionDays);
    idleThresholdSeconds = std::clamp(idleThresholdSeconds, minIdleThreshold, maxIdleThreshold);
    episodeGapSeconds = std::clamp(episodeGapSeconds, minEpisodeGap, maxEpisodeGap);
    // An empty or short salt would make every coded identifier a hash anyone can reverse by
    // trying likely values.
    if (salt.size() < minSaltLength) {
        salt = randomHex(16);
        notes << QStringLiteral(
            "The salt in the settings was too short, so a new one was made; coded identifiers "
            "change from now on.");
    }
    return notes;
}

std::optional<DeploymentConfig> DeploymentConfig::decodeMerging(const QByteArray& data,
                                                                QString* error,
                                                                QStringList* notes) {
    QJsonObject base = DeploymentConfig().toJsonObject();
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(data, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        if (error)
            *error = QStringLiteral("the data is not valid JSON (%1 at character %2)")
                         .arg(parseError.errorString())
                         .arg(parseError.offset);
        return std::nullopt;
    }
    if (!doc.isObject()) {
        if (error) *error = QStringLiteral("the data is corrupted: the top level is not an object");
        return std::nullopt;
    }
    const QJsonObject parsed = doc.object();
    for (auto it = parsed.begin(); it != parsed.end(); ++it) {
        if (it.key() == QLatin1String("enabledSignals")) continue;
        base.insert(it.key(), it.value());
    }
    const QJsonValue fileSignals = parsed.value(QLatin1String("enabledSignals"));
    if (fileSignals.isObject()) {
        QJsonObject merged = base.value(QLatin1String("enabledSignals")).toObject();
        const QJsonObject overlay = fileSignals.toObject();
        for (auto it = overlay.begin(); it != overlay.end(); ++it) merged.insert(it.key(), it.value());
        base.insert(QLatin1String("enabledSignals"), merged);
    }
    auto decoded = decodeStrict(base, error);
    if (decoded) {
        const QStringList changes = decoded->normalise();
        if (notes) *notes = changes;
    }
    return decoded;
}

const std::set<QString>& DeploymentConfig::dashboardHosts() {
    static const std::set<QString> hosts = {"tarnwhistle.app", "www.tarnwhistle.app",
                                            "dashboard.tarnwhistle.app"};
    return hosts;
}

bool DeploymentConfig::isDashboardURL() const {
    const QUrl url(trimmedSpacesAndTabs(webhookURL), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()) return false;
    return dashboardHosts().count(url.host().toLower()) > 0;
}

void DeploymentConfig::rememberCurrentDestination() {
    const QString trimmed = trimmedSpacesAndTabs(webhookURL);
    if (trimmed.isEmpty() || trimmed == QLatin1String("https://")) return;
    if (isDashboardURL()) {
        savedDashboardURL = trimmed;
        savedDashboardSecret = webhookSecret;
    } else {
        savedCustomURL = trimmed;
        savedCustomSecret = webhookSecret;
    }
}
