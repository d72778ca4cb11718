// The main of every benchmark program under bench/: Google Benchmark inside a
// QCoreApplication, so Qt's event loop, networking and the application's folder (where data
// files such as the name lists are found) work as they do in the agent.
#include <QCoreApplication>
#include <benchmark/benchmark.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
