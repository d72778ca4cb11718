#include "intelligence/stop_words.h"

#include <QStringList>

namespace tarnwhistle {

namespace StopWords {

const QSet<QString>& classifier() {
    static const QSet<QString> words{"the",  "and", "for",    "with", "from", "your", "this",
                                     "that", "app", "window", "site", "type", "none", "other"};
    return words;
}

const QSet<QString>& sentence() {
    static const QSet<QString> words = [] {
        QSet<QString> all = classifier();
        const QStringList english =
            QStringLiteral(
                "a about above after again against all am an any are aren as at be because been "
                "before being below between both but by can cannot could couldn did didn do does "
                "doesn doing don down during each few further had hadn has hasn have haven having "
                "he her here hers herself him himself his how i if in into is isn it its itself "
                "just ll m me might more most must mustn my myself needn no nor not now o of off "
                "on "
                "once only or ought our ours ourselves out over own re s same shan she should "
                "shouldn so some such t than their theirs them themselves then there these they "
                "those through to too under until up ve very was wasn we were weren what when "
                "where "
                "which while who whom why will won would wouldn y you yours yourself yourselves d "
                "also get got may us via")
                .split(' ', Qt::SkipEmptyParts);
        for (const auto& w : english) all.insert(w);
        return all;
    }();
    return words;
}

}  // namespace StopWords

}  // namespace tarnwhistle
