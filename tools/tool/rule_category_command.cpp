// tarnwhistle-tool rule-category: the work category the built-in rules give a window.
#include <QFile>
#include <QTextStream>

#include "config/deployment_config.h"
#include "privacy/privacy.h"
#include "subcommand.h"

namespace tarnwhistle {

namespace {

const char* const help = R"(usage: tarnwhistle-tool rule-category [--bundle-id ID] [--url URL] [--config FILE]

Prints the rule category of a window: the category of the first site rule that matches the
URL's host and path, else the category of the application (from the configuration's
appCategories, then the built-in table), else "research" for a browser showing a site.
Prints nothing and exits with status 1 when no rule applies.

Options:
  --bundle-id ID   the application id, e.g. com.google.Chrome (default: none)
  --url URL        the address shown in the window (default: none)
  --config FILE    a deployment-config.json whose appCategories apply (default: built-in
                   defaults only)
  --help           show this help
)";

int run(const QStringList& args) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    QString bundleId;
    std::optional<QString> url;
    QString configPath;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == QStringLiteral("--bundle-id") && hasValue) {
            bundleId = args[++i];
        } else if (arg == QStringLiteral("--url") && hasValue) {
            url = args[++i];
        } else if (arg == QStringLiteral("--config") && hasValue) {
            configPath = args[++i];
        } else {
            err << "tarnwhistle-tool rule-category: "
                << (hasValue || !arg.startsWith(QStringLiteral("--")) ? "unknown option '"
                                                                      : "missing value for '")
                << arg << "'\nRun 'tarnwhistle-tool rule-category --help' for usage.\n";
            return 2;
        }
    }
    DeploymentConfig config;
    if (!configPath.isEmpty()) {
        QFile file(configPath);
        QString error;
        if (!file.open(QIODevice::ReadOnly)) {
            err << "tarnwhistle-tool rule-category: cannot read " << configPath << ": "
                << file.errorString() << "\n";
            return 2;
        }
        const auto decoded = DeploymentConfig::decodeMerging(file.readAll(), &error);
        if (!decoded) {
            err << "tarnwhistle-tool rule-category: " << configPath << ": " << error << "\n";
            return 2;
        }
        config = *decoded;
    }
    const auto category = Privacy::ruleCategory(bundleId, Privacy::host(url), url, config);
    if (!category) return 1;
    out << *category << "\n";
    return 0;
}

const Subcommand::Registration registration({
    QStringLiteral("rule-category"),
    QStringLiteral("print the rule category of an application and URL"),
    QString::fromUtf8(help),
    run,
});

}  // namespace

}  // namespace tarnwhistle
