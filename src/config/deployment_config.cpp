#include "config/deployment_config.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QRandomGenerator>
#include <QUrl>
#include <algorithm>
#include <cmath>

#include "base/text_trim.h"
#include "config/setting.h"
#include "signals/signal_type.h"

namespace tarnwhistle {

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

bool DeploymentConfig::operator==(const DeploymentConfig& other) const {
    for (const Setting& setting : Setting::all())
        if (!setting.equal(*this, other)) return false;
    return true;
}

QJsonObject DeploymentConfig::toJsonObject() const {
    QJsonObject object;
    for (const Setting& setting : Setting::all()) object.insert(setting.key, setting.encode(*this));
    return object;
}

DeploymentConfig DeploymentConfig::withSecretsBlanked() const {
    DeploymentConfig copy = *this;
    for (const Setting& setting : Setting::all())
        if (setting.blankedInHash) (copy.*std::get<QString DeploymentConfig::*>(setting.member)).clear();
    return copy;
}

QByteArray DeploymentConfig::encoded() const {
    // QJsonObject keeps its keys sorted and Qt never escapes "/", so this is deterministic.
    return QJsonDocument(toJsonObject()).toJson(QJsonDocument::Indented);
}

std::optional<DeploymentConfig> DeploymentConfig::decodeStrict(const QJsonObject& object,
                                                               QString* error) {
    DeploymentConfig c;
    for (const Setting& setting : Setting::all()) {
        const auto it = object.constFind(QLatin1String(setting.key));
        if (it == object.constEnd()) {
            if (error) *error = QStringLiteral("the key \"%1\" is missing").arg(setting.key);
            return std::nullopt;
        }
        if (!setting.decode(it.value(), c, error)) return std::nullopt;
    }
    return c;
}

QStringList DeploymentConfig::normalise() {
    QStringList notes;
    for (const Setting& setting : Setting::all()) {
        if (!setting.range) continue;
        qint64& value = this->*std::get<qint64 DeploymentConfig::*>(setting.member);
        value = std::clamp(value, setting.range->min, setting.range->max);
    }
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
    const QUrl url(Text::trimHorizontalSpace(webhookURL), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()) return false;
    return dashboardHosts().count(url.host().toLower()) > 0;
}

void DeploymentConfig::rememberCurrentDestination() {
    const QString trimmed = Text::trimHorizontalSpace(webhookURL);
    if (trimmed.isEmpty() || trimmed == QLatin1String("https://")) return;
    if (isDashboardURL()) {
        savedDashboardURL = trimmed;
        savedDashboardSecret = webhookSecret;
    } else {
        savedCustomURL = trimmed;
        savedCustomSecret = webhookSecret;
    }
}

}  // namespace tarnwhistle
