// The window's start: the sheet model, the main window with every control, shown and painted,
// against a bare QMainWindow shown and painted; once inside one running program, and once as a
// whole program started, shown and ended (this program run with --once bare or --once pobelo).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QProcess>
#include <QTemporaryDir>

#include "benchdata.h"
#include "livesheet.h"
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

// The live sheet beside the design, redrawn after a change (a title typed, one letter more
// each time) in a window of 1920 x 1080: the sheet and its check composed, drawn onto the
// picture by the printers and painted; the upright face, then the vertical one. And a paint
// with nothing changed, which only shows the picture.
void BM_LiveSheetRedraw(benchmark::State& state) {
    const bool vertical = state.range(0) != 0;
    const bool change = state.range(1) != 0;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("bench.moj"));
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(bench::questionFile(
            2, vertical ? QStringLiteral("@IPAexMincho") : QStringLiteral("ＭＳ 明朝"))) < 0) {
        state.SkipWithError("no question file");
        return;
    }
    out.close();
    QtSheetServices platform;
    SheetModel model(platform.services());
    MainWindow window(model);
    platform.setParentWidget(&window);
    window.resize(1920, 1080);
    window.show();
    model.openFile(file);
    model.chooseHeading(0);
    model.chooseHeading(1);
    model.setCheck(1, 1);
    QApplication::processEvents();
    LiveSheet* sheet = window.liveSheet()->sheet();
    QString title = QStringLiteral("漢字");
    for (auto _ : state) {
        if (change) {
            title += title.size() < 8 ? QStringLiteral("の") : QString();
            if (title.size() >= 8) title = QStringLiteral("漢字");
            model.setText3(title);
        }
        sheet->repaint();
        benchmark::DoNotOptimize(sheet->picture().constBits());
    }
    state.SetLabel(QStringLiteral("%1, sheet %2x%3 px")
                       .arg(vertical ? QStringLiteral("vertical") : QStringLiteral("upright"))
                       .arg(sheet->width())
                       .arg(sheet->height())
                       .toStdString());
}
BENCHMARK(BM_LiveSheetRedraw)
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({0, 0})
    ->Unit(benchmark::kMillisecond);

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
