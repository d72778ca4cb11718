// tarnwhistle-tool verify: a receiver's check of one batch signature.
#include <QFile>
#include <QTextStream>

#include "delivery/signer.h"
#include "subcommand.h"

namespace {

const char* const help = R"(usage: tarnwhistle-tool verify --secret S --timestamp T --signature V [BODY_FILE]

Checks the signature of one received batch. T is the X-Tarnwhistle-Timestamp header and V the
X-Tarnwhistle-Signature header exactly as received; the body is read byte for byte from
BODY_FILE, or from standard input when no file is given.

Prints "valid" and exits 0 when V is "v1=" followed by the Base64 of HMAC-SHA256, keyed with
the UTF-8 bytes of S, over T, ".", and the body; otherwise prints "invalid" and exits 1.
Exits 2 on a usage error or an unreadable body.

Options:
  --secret S      the webhook secret configured in the agent (not trimmed)
  --timestamp T   the X-Tarnwhistle-Timestamp header value
  --signature V   the X-Tarnwhistle-Signature header value
  --help          show this help
)";

int usage(QTextStream& err, const QString& problem) {
    err << "tarnwhistle-tool verify: " << problem << "\n"
        << "Run 'tarnwhistle-tool verify --help' for usage.\n";
    return 2;
}

int run(const QStringList& args) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    std::optional<QString> secret, timestamp, signature, bodyFile;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        std::optional<QString>* target = arg == QLatin1String("--secret")      ? &secret
                                         : arg == QLatin1String("--timestamp") ? &timestamp
                                         : arg == QLatin1String("--signature") ? &signature
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
    if (!secret || !timestamp || !signature)
        return usage(err, QStringLiteral("--secret, --timestamp and --signature are required"));

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
