// tarnwhistle-tool replay: runs a trace of capture-loop calls through the signal engine on
// virtual time and prints every signal it emits, one JSON line each, in emission order.
#include <QFile>
#include <QTextStream>
#include <cstdio>

#include "intelligence/classifier.h"
#include "intelligence/embedding_classifier.h"
#include "intelligence/local_language_model.h"
#include "intelligence/word_vector_data.h"
#include "intelligence/word_vector_embedding.h"
#include "replay/trace_replayer.h"
#include "replay/workday_trace.h"
#include "subcommand.h"

namespace tarnwhistle {

namespace {

const char* kHelp =
    "usage: tarnwhistle-tool replay [--config FILE] [--user NAME] [--classifier rules|full] "
    "[TRACE]\n"
    "       tarnwhistle-tool replay --generate-day [--seed N]\n"
    "\n"
    "Replays TRACE (JSON lines; standard input when absent or '-') through the signal engine and\n"
    "writes each emitted signal as one JSON line to standard output.\n"
    "\n"
    "  --config FILE       deployment configuration (read tolerantly; defaults otherwise, which\n"
    "                      draw a fresh salt, so coded identifiers then differ between runs)\n"
    "  --user NAME         the login name behind the subject code\n"
    "  --classifier rules  classification by the rule category alone (default; deterministic)\n"
    "  --classifier full   the on-device classifier front\n"
    "  --generate-day      write a generated 8-hour working day trace instead (--seed, default 1)\n";

struct Arguments {
    QString configPath;
    std::optional<QString> user;
    bool fullClassifier = false;
    QString tracePath;
    bool generateDay = false;
    quint64 seed = 1;
};

std::optional<Arguments> parseArguments(const QStringList& args, QTextStream& err) {
    Arguments a;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        auto value = [&]() -> std::optional<QString> {
            if (i + 1 >= args.size()) {
                err << "replay: " << arg << " needs a value\n";
                return std::nullopt;
            }
            return args[++i];
        };
        if (arg == "--config" || arg == "--user" || arg == "--classifier" || arg == "--seed") {
            const auto v = value();
            if (!v) return std::nullopt;
            if (arg == "--config") {
                a.configPath = *v;
            } else if (arg == "--user") {
                a.user = *v;
            } else if (arg == "--seed") {
                bool ok = false;
                a.seed = v->toULongLong(&ok);
                if (!ok) {
                    err << "replay: --seed needs a whole number\n";
                    return std::nullopt;
                }
            } else if (*v == "rules" || *v == "full") {
                a.fullClassifier = *v == "full";
            } else {
                err << "replay: --classifier must be 'rules' or 'full'\n";
                return std::nullopt;
            }
        } else if (arg == "--generate-day") {
            a.generateDay = true;
        } else if (arg.startsWith("--")) {
            err << "replay: unknown option " << arg << "\n";
            return std::nullopt;
        } else if (a.tracePath.isEmpty()) {
            a.tracePath = arg;
        } else {
            err << "replay: more than one trace given\n";
            return std::nullopt;
        }
    }
    return a;
}

std::optional<QByteArray> readAll(const QString& path, QTextStream& err) {
    QFile file;
    const bool ok = path.isEmpty() || path == "-" ? file.open(stdin, QIODevice::ReadOnly)
                                                   : (file.setFileName(path),
                                                      file.open(QIODevice::ReadOnly));
    if (!ok) {
        err << "replay: cannot read " << (path.isEmpty() ? "standard input" : path) << ": "
            << file.errorString() << "\n";
        return std::nullopt;
    }
    return file.readAll();
}

int run(const QStringList& args) {
    QTextStream err(stderr);
    const auto a = parseArguments(args, err);
    if (!a) return 2;
    if (a->generateDay) {
        const QByteArray trace = generateWorkdayTrace(a->seed);
        fwrite(trace.constData(), 1, size_t(trace.size()), stdout);
        return 0;
    }

    TraceReplayer::Options options;
    if (!a->configPath.isEmpty()) {
        const auto data = readAll(a->configPath, err);
        if (!data) return 1;
        QString problem;
        const auto config = DeploymentConfig::decodeMerging(*data, &problem);
        if (!config) {
            err << "replay: " << a->configPath << " is not a usable configuration: " << problem
                << "\n";
            return 1;
        }
        options.config = *config;
    }
    options.user = a->user;
    // The agent's own classifier: the word vectors beside the program and the local model.
    std::unique_ptr<Classifier> classifier;
    if (a->fullClassifier) {
        classifier = std::make_unique<Classifier>(
            std::make_unique<EmbeddingClassifier>(WordVectorEmbedding::open(wordVectorFilePath())),
            std::make_unique<LocalLanguageModel>());
        options.classify = [&classifier](const QString& text, const CategoryList& labels,
                                         const std::optional<QString>& rule, bool useLanguageModel,
                                         SignalEngine::ClassifyDone done) {
            classifier->classify(text, labels, rule, useLanguageModel, std::move(done));
        };
    }

    const auto text = readAll(a->tracePath, err);
    if (!text) return 1;
    QString problem;
    const auto calls = parseTrace(*text, &problem);
    if (!calls) {
        err << "replay: " << problem << "\n";
        return 1;
    }
    TraceReplayer replayer(options, [](const Signal& signal) {
        const QByteArray line = signal.jsonString().toUtf8() + '\n';
        fwrite(line.constData(), 1, size_t(line.size()), stdout);
    });
    for (const TraceCall& call : *calls) {
        if (!replayer.apply(call, &problem)) {
            err << "replay: line " << call.line << ": " << problem << "\n";
            return 1;
        }
    }
    fflush(stdout);
    return 0;
}

const Subcommand::Registration registration(Subcommand{
    QStringLiteral("replay"),
    QStringLiteral("run a trace of capture calls through the signal engine, print the signals"),
    QString::fromLatin1(kHelp),
    run,
});

}  // namespace

}  // namespace tarnwhistle
