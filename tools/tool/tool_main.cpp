// tarnwhistle-tool: command-line access to the agent's building blocks, for receivers'
// developers, for checking what the agent would do with a text, and for replaying traces.
#include <QCoreApplication>
#include <QTextStream>
#include <algorithm>

#include "subcommand.h"

namespace tarnwhistle {

std::vector<Subcommand>& Subcommand::all() {
    static std::vector<Subcommand> commands;
    return commands;
}

namespace {

void printOverview(QTextStream& out) {
    auto commands = Subcommand::all();
    std::sort(commands.begin(), commands.end(),
              [](const Subcommand& a, const Subcommand& b) { return a.name < b.name; });
    out << "usage: tarnwhistle-tool SUBCOMMAND [OPTIONS]\n\nSubcommands:\n";
    for (const auto& c : commands) out << "  " << c.name.leftJustified(16) << c.summary << "\n";
    out << "\nRun 'tarnwhistle-tool SUBCOMMAND --help' for the options of one subcommand.\n";
}

}  // namespace

}  // namespace tarnwhistle

int main(int argc, char** argv) {
    using namespace tarnwhistle;
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (args.isEmpty() || args.first() == "--help" || args.first() == "-h" ||
        args.first() == "help") {
        printOverview(args.isEmpty() ? err : out);
        return args.isEmpty() ? 2 : 0;
    }
    const QString name = args.takeFirst();
    for (const auto& c : Subcommand::all()) {
        if (c.name != name) continue;
        if (args.contains("--help") || args.contains("-h")) {
            out << c.help;
            if (!c.help.endsWith('\n')) out << "\n";
            return 0;
        }
        return c.run(args);
    }
    err << "tarnwhistle-tool: unknown subcommand '" << name << "'\n\n";
    printOverview(err);
    return 2;
}
