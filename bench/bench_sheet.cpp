// Composing a sheet and printing it, to the recording surface and to a PDF file; one sheet
// against a minimal Qt program drawing the same glyphs, in one process and as whole programs;
// pobelo-sheet --all over many sheets (time, peak memory, bytes a page) and --list against iconv.
// Run with --write-files DIR to leave the question files of the whole-program runs in DIR.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QBuffer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>

#include "benchdata.h"
#include "minimalsheet.h"
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

// --- One vertical sheet against the minimal Qt program ------------------------------------

// The files of the whole-program runs: one.moj (two headings, one sheet), headingsN.moj (N
// headings) in the vertical face the minimal program can name directly.
const QString kVerticalFace = QStringLiteral("@IPAexMincho");

bool writeFiles(const QString& dir) {
    bool ok =
        test::writeFile(dir + QStringLiteral("/one.moj"), bench::questionFile(2, kVerticalFace));
    for (int n : {201, 2001})
        ok = ok && test::writeFile(dir + QStringLiteral("/headings%1.moj").arg(n),
                                   bench::questionFile(n, kVerticalFace));
    return ok;
}

const QString& files() {
    static const QString dir = [] {
        const QString d = folder()->path();
        if (!writeFiles(d)) qFatal("cannot write the benchmark files");
        return d;
    }();
    return dir;
}

// The trace of the one sheet that pobelo-sheet --right 1 --left 2 prints.
QStringList oneSheetTrace() {
    SheetSession session;
    QStringList lines;
    session.trace().sink = [&lines](const QString& line) { lines.append(line); };
    QString error;
    session.open(files() + QStringLiteral("/one.moj"));
    session.choose(0);
    session.choose(1);
    session.print(kOrientationPortrait, QString(), &error);
    return lines;
}

// Arg 1: Pobelo's session printing both pages into a PDF file; arg 0: the minimal Qt program's
// drawing of the same trace into a PDF file.
void BM_OneVerticalSheetPdf(benchmark::State& state) {
    const QString pdf = folder()->filePath(QStringLiteral("one.pdf"));
    QString error;
    if (state.range(0)) {
        SheetSession session;
        session.open(files() + QStringLiteral("/one.moj"));
        for (auto _ : state) {
            session.choose(0);
            session.choose(1);
            if (!session.print(kOrientationPortrait, pdf, &error))
                state.SkipWithError(qPrintable(error));
        }
    } else {
        const QList<bench::TraceOp> ops = bench::parseTrace(oneSheetTrace());
        for (auto _ : state) {
            QPdfWriter writer(pdf);
            writer.setResolution(1200);
            if (!bench::drawMinimally(ops, writer)) state.SkipWithError("painter did not begin");
        }
    }
    state.counters["bytes"] = double(QFileInfo(pdf).size());
    state.SetLabel(state.range(0) ? "pobelo" : "minimal Qt");
}
BENCHMARK(BM_OneVerticalSheetPdf)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// --- Whole programs ---------------------------------------------------------------------------

struct ChildRun {
    bool ok = false;
    double seconds = 0;  // processor time, user and system
    double peakMiB = 0;
};

// Runs args to its end with its output thrown away: its processor time (steadier than the
// wall clock on a shared machine) and its peak resident memory. The program runs under
// /usr/bin/time, which reports the peak of a process that did not start as a copy of this one.
ChildRun runChild(const std::vector<std::string>& args) {
    const std::string report = QFile::encodeName(folder()->filePath("time.txt")).toStdString();
    std::vector<std::string> all{"/usr/bin/time", "-f", "%M", "-o", report};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (const std::string& a : all) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    ChildRun run;
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return run;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return run;
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    run.seconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    QFile peak(QString::fromStdString(report));
    if (peak.open(QIODevice::ReadOnly)) run.peakMiB = peak.readAll().trimmed().toDouble() / 1024;
    return run;
}

// Times whole runs of args, with the peak memory of the largest.
void timeChild(benchmark::State& state, const std::vector<std::string>& args) {
    double peak = 0;
    for (auto _ : state) {
        const ChildRun run = runChild(args);
        if (!run.ok) state.SkipWithError("the program failed");
        state.SetIterationTime(run.seconds);
        peak = std::max(peak, run.peakMiB);
    }
    state.counters["peak_MiB"] = peak;
}

std::string local(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// One sheet as a whole program: arg 1 pobelo-sheet --right 1 --left 2, arg 0 the minimal Qt
// program over that sheet's trace.
void BM_OneVerticalSheetProgram(benchmark::State& state) {
    const QString out = folder()->filePath(QStringLiteral("program.pdf"));
    const std::string one = local(files() + QStringLiteral("/one.moj"));
    const std::string trace = local(folder()->filePath(QStringLiteral("one.trace")));
    if (!runChild(
             {POBELO_SHEET, one, "--right", "1", "--left", "2", "-o", local(out), "--trace", trace})
             .ok)
        state.SkipWithError("no trace");
    if (state.range(0))
        timeChild(state, {POBELO_SHEET, one, "--right", "1", "--left", "2", "-o", local(out)});
    else
        timeChild(state, {MINIMAL_SHEET, trace, local(out)});
    state.SetLabel(state.range(0) ? "pobelo-sheet" : "minimal Qt program");
}
BENCHMARK(BM_OneVerticalSheetProgram)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

// pobelo-sheet --all over N headings (N / 2 sheets, one a page): time, peak memory, bytes a page.
void BM_AllSheetsProgram(benchmark::State& state) {
    const int headings = int(state.range(0));
    const int sheets = (headings + 1) / 2;
    const QString out = folder()->filePath(QStringLiteral("all.pdf"));
    timeChild(state,
              {POBELO_SHEET, local(files() + QStringLiteral("/headings%1.moj").arg(headings)),
               "--all", "-o", local(out)});
    state.counters["sheets"] = sheets;
    state.counters["bytes_per_page"] = double(QFileInfo(out).size()) / sheets;
}
BENCHMARK(BM_AllSheetsProgram)
    ->Arg(201)
    ->Arg(2001)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// Listing 2001 headings: arg 1 pobelo-sheet --list, arg 0 iconv decoding the same file.
void BM_ListProgram(benchmark::State& state) {
    const std::string file = local(files() + QStringLiteral("/headings2001.moj"));
    if (state.range(0))
        timeChild(state, {POBELO_SHEET, file, "--list"});
    else
        timeChild(state, {"iconv", "-f", "CP932", "-t", "UTF-8", file});
    state.SetLabel(state.range(0) ? "pobelo-sheet --list" : "iconv -f CP932");
}
BENCHMARK(BM_ListProgram)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--write-files") == 0)
        return writeFiles(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
