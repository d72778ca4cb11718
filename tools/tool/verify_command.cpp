// tarnwhistle-tool verify: a receiver's check of one batch signature.
#include <QFile>
#include <QTextStream>

#include "delivery/signer.h"
#include "subcommand.h"

namespace tarnwhistle {

namespace {

const char* const help =
    R"(usage: tarnwhistle-tool verify (--secret S | --secret-file F | --secret-env NAME)
                             --timestamp T --signature V [BODY_FILE]

Checks the signature of one received batch. T is the X-Tarnwhistle-Timestamp header and V the
X-Tarnwhistle-Signature header exactly as received; the body is read byte for byte from
BODY_FILE, or from standard input when no file is given.

Prints "valid" and exits 0 when V is "v1=" followed by the Base64 of HMAC-SHA256, keyed with
the UTF-8 bytes of S, over T, ".", and the body; otherwise prints "invalid" and exits 1.
Exits 2 on a usage error or an unreadable body.

Options (exactly one way of giving the secret):
  --secret S        the webhook secret configured in the agent (not trimmed); other users
                    of this computer can see it in the process list, so prefer:
  --secret-file F   the secret is the content of file F, without one final line break
  --secret-env NAME the secret is the value of environment variable NAME
  --timestamp T     the X-Tarnwhistle-Timestamp header value
  --signature V     the X-Tarnwhistle-Signature header value
  --help            show this help
)";

int usage(QTextStream& err, const QString& problem) {
    err << "tarnwhistle-tool verify: " << problem << "\n"
        << "Run 'tarnwhistle-tool verify --help' for usage.\n";
    return 2;
}

// The secret from exactly one of its three sources; a message in `problem` otherwise.
std::optional<QString> secretFrom(const std::optional<QString>& given,
                                  const std::optional<QString>& file,
                                  const std::optional<QString>& variable, QString& problem) {
    if (int(given.has_value()) + int(file.has_value()) + int(variable.has_value()) != 1) {
        problem = QStringLiteral("give the secret once: --secret, --secret-file or --secret-env");
        return std::nullopt;
    }
    if (given) return given;
    if (variable) {
        if (!qEnvironmentVariableIsSet(variable->toLocal8Bit().constData())) {
            problem = QStringLiteral("environment variable %1 is not set").arg(*variable);
            return std::nullopt;
        }
        return qEnvironmentVariable(variable->toLocal8Bit().constData());
    }
    QFile in(*file);
    if (!in.open(QIODevice::ReadOnly)) {
        problem = QStringLiteral("cannot read %1: %2").arg(*file, in.errorString());
        return std::nullopt;
    }
    QByteArray bytes = in.readAll();
    // Editors and `echo` end the file with a line break that is not part of the secret.
    if (bytes.endsWith("\r\n"))
        bytes.chop(2);
    else if (bytes.endsWith('\n'))
        bytes.chop(1);
    return QString::fromUtf8(bytes);
}

int run(const QStringList& args) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    std::optional<QString> secretArg, secretFile, secretEnv, timestamp, signature, bodyFile;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        std::optional<QString>* target = arg == QLatin1String("--secret")        ? &secretArg
                                         : arg == QLatin1String("--secret-file") ? &secretFile
                                         : arg == QLatin1String("--secret-env")  ? &secretEnv
                                         : arg == QLatin1String("--timestamp")   ? &timestamp
                                         : arg == QLatin1String("--signature")   ? &signature
                                                                                 : nullptr;
        if (target) {
            if (i + 1 >= args.size()) return usage(err, arg + QStringLiteral(" needs a value"));
            *target = args[++i];
        } else if (arg.startsWith(QLatin1String("--")) || bodyFile) {
            return usage(err, QStringLiteral("unexpected argument '%1'").arg(arg));
        } else {
            bodyFile = arg;
        }
    }
    if (!timestamp || !signature)
        return usage(err, QStringLiteral("--timestamp and --signature are required"));
    QString problem;
    const auto secret = secretFrom(secretArg, secretFile, secretEnv, problem);
    if (!secret) return usage(err, problem);

    QFile in;
    const bool opened = bodyFile ? (in.setFileName(*bodyFile), in.open(QIODevice::ReadOnly))
                                 : in.open(stdin, QIODevice::ReadOnly);
    if (!opened) {
        err << "tarnwhistle-tool verify: cannot read " << (bodyFile ? *bodyFile : "standard input")
            << ": " << in.errorString() << "\n";
        return 2;
    }
    const QByteArray body = in.readAll();
    const bool valid = Signer::verify(*secret, timestamp->toUtf8(), *signature, body);
    out << (valid ? "valid" : "invalid") << "\n";
    return valid ? 0 : 1;
}

const Subcommand::Registration registration({
    QStringLiteral("verify"),
    QStringLiteral("check the signature of a received batch"),
    QString::fromUtf8(help),
    run,
});

}  // namespace

}  // namespace tarnwhistle
