// tarnwhistle-tool redact: what the agent would keep of a text after redaction.
#include <QFile>
#include <QTextStream>

#include "privacy/redaction_stream.h"
#include "subcommand.h"

namespace tarnwhistle {

namespace {

const char* const help = R"(usage: tarnwhistle-tool redact [--whole]

Reads UTF-8 text on standard input and writes it redacted to standard output, the way the
agent redacts window titles and window text before it classifies them: e-mail addresses,
IBANs, card numbers (Luhn-checked), phone numbers, postal addresses, numbers of 7 or more
digits and personal names become the tokens ⟨email⟩ ⟨iban⟩ ⟨card⟩ ⟨phone⟩ ⟨address⟩ ⟨number⟩
⟨name⟩.

Each input line is one text and gives exactly one output line (a final line without a line
feed is still one text; a carriage return before the line feed is kept out of the text and
written back). Invalid UTF-8 is read as U+FFFD.

Options:
  --whole    treat the whole input as one text, line breaks included
  --help     show this help

Phone numbers without a country code are tried with the region of your locale (LC_ALL,
LC_MESSAGES or LANG; "US" when none names one) and then with common regions.
)";

int run(const QStringList& args) {
    QTextStream err(stderr);
    bool whole = false;
    for (const QString& arg : args) {
        if (arg == QStringLiteral("--whole")) {
            whole = true;
        } else {
            err << "tarnwhistle-tool redact: unknown option '" << arg << "'\n"
                << "Run 'tarnwhistle-tool redact --help' for usage.\n";
            return 2;
        }
    }
    QFile in;
    QFile out;
    if (!in.open(stdin, QIODevice::ReadOnly) || !out.open(stdout, QIODevice::WriteOnly)) {
        err << "tarnwhistle-tool redact: cannot open standard input or output\n";
        return 1;
    }
    if (!redactStream(in, out, whole)) {
        err << "tarnwhistle-tool redact: cannot write standard output\n";
        return 1;
    }
    return 0;
}

const Subcommand::Registration registration({
    QStringLiteral("redact"),
    QStringLiteral("redact personal data from text on standard input, line by line"),
    QString::fromUtf8(help),
    run,
});

}  // namespace

}  // namespace tarnwhistle
