// A subcommand of tarnwhistle-tool. Each lives in its own source file and registers itself
// with a static Subcommand::Registration, so adding one touches no other file.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace tarnwhistle {

struct Subcommand {
    QString name;
    QString summary;  // one line, shown in the overview
    QString help;     // full usage, shown by `tarnwhistle-tool NAME --help`
    // Arguments after the subcommand name; returns the process exit code.
    std::function<int(const QStringList& args)> run;

    static std::vector<Subcommand>& all();

    struct Registration {
        explicit Registration(Subcommand command) { all().push_back(std::move(command)); }
    };
};

}  // namespace tarnwhistle
