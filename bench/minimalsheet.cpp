// bench_minimalsheet TRACE OUT.pdf: the whole-process reference for one sheet. Draws the glyphs
// and lines of a pobelo-sheet trace into OUT.pdf as a minimal Qt program would (minimalsheet.h).
#include "minimalsheet.h"

#include <QFile>
#include <QGuiApplication>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) return 2;
    QFile trace(QString::fromLocal8Bit(argv[1]));
    if (!trace.open(QIODevice::ReadOnly | QIODevice::Text)) return 1;
    const QStringList lines =
        QString::fromUtf8(trace.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QPdfWriter writer(QString::fromLocal8Bit(argv[2]));
    writer.setResolution(1200);
    return pobelo::bench::drawMinimally(pobelo::bench::parseTrace(lines), writer) ? 0 : 1;
}
