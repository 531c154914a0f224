// Composing a sheet and printing it, to the recording surface and to a PDF file.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QTemporaryDir>

#include "benchdata.h"
#include "modelfixture.h"
#include "sheetsession.h"

using namespace pobelo;

namespace {

QTemporaryDir* folder() {
    static QTemporaryDir dir;
    return &dir;
}

QString fileWith(const QString& fontName) {
    const QString path =
        folder()->filePath(fontName.startsWith('@') ? "vertical.moj" : "upright.moj");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bench::questionFile(12, fontName));
    return path;
}

// Choosing two headings (both pages composed) and printing them to the recording surface.
void BM_ComposeAndPrintToRecording(benchmark::State& state) {
    const QString path =
        fileWith(state.range(0) ? QStringLiteral("@ＭＳ 明朝") : QStringLiteral("ＭＳ 明朝"));
    test::ModelFixture f;
    f.model.openFile(path);
    for (auto _ : state) {
        f.model.chooseHeading(0);
        f.model.chooseHeading(1);
        f.printer.answers.push_back({true, kOrientationPortrait, {}});
        f.model.printSheet();
        if (f.surface.lines().size() < 100) state.SkipWithError("nothing printed");
        f.surface.clear();
    }
    state.SetLabel(state.range(0) ? "vertical font" : "upright font");
}
BENCHMARK(BM_ComposeAndPrintToRecording)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The same through the scripted session into a PDF file: shaping, fonts and the PDF writer.
void BM_ComposeAndPrintToPdf(benchmark::State& state) {
    const QString path =
        fileWith(state.range(0) ? QStringLiteral("@ＭＳ 明朝") : QStringLiteral("ＭＳ 明朝"));
    const QString pdf = folder()->filePath(QStringLiteral("sheet.pdf"));
    SheetSession session;
    QString error;
    session.open(path);
    for (auto _ : state) {
        session.choose(0);
        session.choose(1);
        if (!session.print(kOrientationPortrait, pdf, &error))
            state.SkipWithError(qPrintable(error));
    }
    if (QFileInfo(pdf).size() < 1000) state.SkipWithError("no PDF written");
    state.SetLabel(state.range(0) ? "vertical font" : "upright font");
}
BENCHMARK(BM_ComposeAndPrintToPdf)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
