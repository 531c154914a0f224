// The window's start: the sheet model, the main window with every control, shown and painted,
// against a bare QMainWindow shown and painted; once inside one running program, and once as a
// whole program started, shown and ended (this program run with --once bare or --once pobelo).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMainWindow>
#include <QProcess>

#include "mainwindow.h"
#include "qtservices.h"
#include "sheetmodel.h"

using namespace pobelo;

namespace {

void BM_BareMainWindowStart(benchmark::State& state) {
    for (auto _ : state) {
        QMainWindow window;
        window.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(window.isVisible());
    }
}
BENCHMARK(BM_BareMainWindowStart)->Unit(benchmark::kMillisecond);

void BM_PobeloWindowStart(benchmark::State& state) {
    for (auto _ : state) {
        QtSheetServices platform;
        SheetModel model(platform.services());
        MainWindow window(model);
        platform.setParentWidget(&window);
        window.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(window.isVisible());
    }
}
BENCHMARK(BM_PobeloWindowStart)->Unit(benchmark::kMillisecond);

// A whole program start: process, QApplication, window shown and painted, exit.
void BM_ProgramStart(benchmark::State& state) {
    const QString kind = state.range(0) ? QStringLiteral("pobelo") : QStringLiteral("bare");
    for (auto _ : state) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--once"), kind});
        if (!child.waitForFinished(30000) || child.exitCode() != 0)
            state.SkipWithError("the program did not start and end");
    }
    state.SetLabel(kind.toStdString());
}
BENCHMARK(BM_ProgramStart)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(30);

int startOnce(const char* kind) {
    if (qstrcmp(kind, "bare") == 0) {
        QMainWindow window;
        window.show();
        QApplication::processEvents();
        return window.isVisible() ? 0 : 1;
    }
    QtSheetServices platform;
    SheetModel model(platform.services());
    MainWindow window(model);
    platform.setParentWidget(&window);
    window.show();
    QApplication::processEvents();
    return window.isVisible() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--once") == 0) return startOnce(argv[2]);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
