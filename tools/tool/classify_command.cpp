// tarnwhistle-tool classify: what the classifier front would answer for each input line.
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <cmath>
#include <cstdio>

#include "config/deployment_config.h"
#include "intelligence/classifier.h"
#include "intelligence/embedding_classifier.h"
#include "intelligence/local_language_model.h"
#include "intelligence/word_vector_data.h"
#include "intelligence/word_vector_embedding.h"
#include "subcommand.h"

namespace tarnwhistle {

namespace {

const char* help =
    "usage: tarnwhistle-tool classify [--labels work|tasks] [--no-language-model]\n"
    "                                 [--vectors FILE]\n"
    "\n"
    "Reads JSON lines {\"text\": ..., \"rule\": ... or null} from standard input and writes\n"
    "exactly one line per input line: {\"confidence\", \"derivation\", \"label\", \"model\"},\n"
    "or null when the classifier gives no result. A line that cannot be read gives\n"
    "{\"error\": ...} and the exit status 1.\n"
    "\n"
    "  --labels work        the default work categories (default)\n"
    "  --labels tasks       the default task labels\n"
    "  --no-language-model  skip the local language model\n"
    "  --vectors FILE       a word-vector file other than the installed one\n";

struct Input {
    QString text;
    std::optional<QString> rule;
};

std::optional<Input> parseLine(const QByteArray& line, QString& error) {
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(line, &parseError);
    if (!doc.isObject()) {
        error = parseError.error != QJsonParseError::NoError ? parseError.errorString()
                                                             : "not a JSON object";
        return std::nullopt;
    }
    const QJsonObject o = doc.object();
    if (!o["text"].isString()) {
        error = "\"text\" must be a string";
        return std::nullopt;
    }
    const QJsonValue rule = o["rule"];
    if (!rule.isString() && !rule.isNull() && !rule.isUndefined()) {
        error = "\"rule\" must be a string or null";
        return std::nullopt;
    }
    return Input{o["text"].toString(),
                 rule.isString() ? std::optional(rule.toString()) : std::nullopt};
}

QByteArray resultLine(const std::optional<Classification>& c) {
    if (!c) return "null";
    QJsonObject o{{"label", c->label}, {"derivation", c->derivation}, {"model", c->model}};
    o["confidence"] = c->confidence ? QJsonValue(std::round(*c->confidence * 1000) / 1000)
                                    : QJsonValue(QJsonValue::Null);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

int run(const QStringList& args) {
    QTextStream err(stderr);
    CategoryList labels = DeploymentConfig::defaultWorkCategories();
    bool useLanguageModel = true;
    QString vectorsPath = wordVectorFilePath();
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == "--no-language-model") {
            useLanguageModel = false;
        } else if ((a == "--labels" || a == "--vectors") && i + 1 < args.size()) {
            const QString value = args[++i];
            if (a == "--vectors") {
                vectorsPath = value;
            } else if (value == "work") {
                labels = DeploymentConfig::defaultWorkCategories();
            } else if (value == "tasks") {
                labels = DeploymentConfig::defaultTaskLabels();
            } else {
                err << "classify: --labels takes work or tasks, not '" << value << "'\n";
                return 2;
            }
        } else {
            err << "classify: unknown option '" << a << "'\n\n" << help;
            return 2;
        }
    }

    auto embedding = WordVectorEmbedding::open(vectorsPath);
    if (!embedding)
        err << "classify: no word vectors at '" << vectorsPath
            << "'; only rule categories are given\n";
    Classifier classifier(std::make_unique<EmbeddingClassifier>(std::move(embedding)),
                          useLanguageModel ? std::make_unique<LocalLanguageModel>() : nullptr);

    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly)) return 1;
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly)) return 1;
    int status = 0;
    qint64 lineNumber = 0;
    QEventLoop loop;
    while (!in.atEnd()) {
        QByteArray line = in.readLine();
        if (line.isEmpty()) break;  // end of input (an empty line still holds its line feed)
        ++lineNumber;
        if (line.endsWith('\n')) line.chop(1);
        QString error;
        const auto input = parseLine(line, error);
        if (!input) {
            status = 1;
            out.write(QJsonDocument(QJsonObject{{"error", QString("line %1: %2")
                                                              .arg(lineNumber)
                                                              .arg(error)}})
                          .toJson(QJsonDocument::Compact) +
                      '\n');
            continue;
        }
        std::optional<Classification> result;
        classifier.classify(input->text, labels, input->rule, useLanguageModel,
                            [&](std::optional<Classification> c) {
                                result = std::move(c);
                                loop.quit();
                            });
        loop.exec();
        out.write(resultLine(result) + '\n');
        out.flush();
    }
    return status;
}

const Subcommand::Registration registration{{
    "classify",
    "classify texts as the agent would (work categories or task labels)",
    help,
    run,
}};

}  // namespace

}  // namespace tarnwhistle
